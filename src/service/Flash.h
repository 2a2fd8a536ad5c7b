#pragma once
// Firmware flashing: the block shared by the GUI, the worker thread and the flash library, the
// library found and its entry point resolved, the worker (CFlash) making the one blocking call,
// and the progress dialog's states.
//
// The GUI reads progress, status and busy and writes abort; the worker and the library write
// the rest. Each field is read and written with atomic operations, so no lock is needed.

#include "platform/Sharedlibrary.h"
#include "service/Flashlibrary.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct CFlashBlock {
    static constexpr int DefaultFrequency = 32;

    int progress = 0;
    char status[FLASH_STATUS_SIZE] = {};
    unsigned char abort = 0;
    std::string image;
    int frequency = DefaultFrequency;
    std::atomic<uint8_t> busy{0};

    int Progress() const;
    // The status text, read at most FLASH_STATUS_SIZE bytes and ended by us.
    std::string StatusText() const;
    bool Busy() const { return busy.load() != 0; }
    void RequestAbort();
    // progress, abort and status back to 0.
    void Reset();
};

class CFlashLibrary {
public:
    static constexpr const char* FileName = "libflash_8951.so";
    static constexpr const char* EntryPoint = "FlashDLL_main";

    // Beside the program first, then the library path.
    static std::vector<std::string> Candidates(const std::string& programDirectory);
    // Loads the library and resolves its entry point; false with a text saying what failed.
    bool Load(const std::vector<std::string>& candidates, std::string& error);
    FlashMainFunction Entry() const { return entry_; }
    const std::string& LoadedFrom() const { return library_.LoadedFrom(); }

private:
    platform::SharedLibrary library_;
    FlashMainFunction entry_ = nullptr;
};

// The worker: busy is set before the thread starts and cleared when the call returns.
class CFlash {
public:
    CFlash() = default;
    // Asks the library to stop and waits for the call to return.
    ~CFlash();
    CFlash(const CFlash&) = delete;
    CFlash& operator=(const CFlash&) = delete;

    // The whole number that ends the port's name (COM12 and /dev/ttyUSB12 give 12), 0 when
    // the name ends in no digit.
    static int PortNumber(const std::string& portName);

    void Start(FlashMainFunction entry, int port, int baud, CFlashBlock& block);
    // Waits for the worker (call once busy has dropped, or after RequestAbort).
    void Join();

private:
    std::thread thread_;
    CFlashBlock* block_ = nullptr;
};

// The progress dialog: running (Stop enabled), stopping (Stop disabled after an abort request),
// finished (button "OK", the panel blinking), closed.
class CFlashProgressState {
public:
    enum class State { Running, Stopping, Finished, Closed };
    enum class StopAction { Abort, Close, Nothing };

    static constexpr const char* TextStarting = "Starting DLL. Wait...";
    static constexpr const char* TextTerminating = "Terminating DLL. Wait...";
    static constexpr const char* TextStop = "Stop";
    static constexpr const char* TextOk = "OK";
    static constexpr const char* TextRecycle = "Recycle Vantrel power";
    static constexpr int IntervalMs = 500;

    void Show() { state_ = State::Running; blink_ = false; }
    // One timer tick: true when the library has just returned (the dialog turns finished).
    bool Tick(bool busy);
    // The Stop/OK button.
    StopAction Stop();
    State Current() const { return state_; }
    bool Finished() const { return state_ == State::Finished || state_ == State::Closed; }
    // The panel's blink phase: true for lime.
    bool Blink() const { return blink_; }

private:
    State state_ = State::Closed;
    bool blink_ = false;
};
