#pragma once
// Firmware flashing as the Tools menu starts it, step by step and without a window: the flash
// library first (a missing one touches nothing), the clock frequency asked and refused before
// anything changes when it is no number, the read timer off, the image file chosen and read,
// then boot mode and the link dropped when connected, and the library run on its worker while
// the progress shows. What needs the user, the link or a window comes in as links.

#include <functional>
#include <string>
#include <vector>

struct CFlashBlock;

class CFlashingRun {
public:
    static constexpr const char* Caption = "Flashing";

    struct SLinks {
        std::vector<std::string> LibraryCandidates;
        // The start dialog, offering the frequency last used; false when cancelled, else the
        // text entered.
        std::function<bool(int frequency, std::string& text)> AskFrequency;
        std::function<void()> StopReadTimer;
        // The image file chosen, empty when cancelled.
        std::function<std::string()> ChooseImageFile;
        std::function<bool()> IsConnected;
        // Puts the unit into boot mode and drops the link.
        std::function<void()> EnterBootMode;
        // The port's name and the baud rate the library is given (read once the link is down).
        std::function<std::string()> PortText;
        std::function<int()> BaudRate;
        // Shows the progress until the library has returned.
        std::function<void(CFlashBlock&)> ShowProgress;
        std::function<void(const std::string&)> Warn;
    };

    enum class EOutcome { Flashed, Cancelled, Refused };

    explicit CFlashingRun(SLinks links) : links_(std::move(links)) {}
    // frequency: the one last used, offered by the start dialog; a good one entered replaces it.
    EOutcome Run(int& frequency);

private:
    SLinks links_;
};
