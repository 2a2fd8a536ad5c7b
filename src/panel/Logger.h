#pragma once
// The data logger without its window: settings (section "Logging"), opening numbered CSV files
// with their header, one record per log tick, rotation by size, the error limit and pause.
// The window, the unit and the clock are reached through small interfaces so that tests drive
// the logger with a scripted unit and a fixed clock.

#include "panel/Logcolumns.h"

#include <cstdint>
#include <string>

class CRegistry;
class CVars;

struct CLogSettings {
    // The log settings dialog's ranges; loaded values are kept inside them.
    static constexpr int MinInterval = 100, MaxInterval = 100000;
    static constexpr int MinLogErrors = 1, MaxLogErrorsLimit = 1000;
    static constexpr int MinLen = 100, MaxLenLimit = 100000;   // KB
    static constexpr int MinFiles = 1, MaxFilesLimit = 10000;
    static constexpr int MaxFileN = 1000000000;
    static constexpr const char* Section = "Logging";
    static constexpr int ScreenMargin = 100;

    bool Visible = false;
    int Top = 100;
    int Left = 100;
    bool PlaceStored = false; // Top and Left are the window's own place (as CChartSettings)
    int Width = 280; // the gauge inside is 260 wide
    std::string Path = DefaultPath();
    std::string Name = "log";
    int MaxLen = 1000;
    int MaxFiles = 100;
    int FileN = 0;
    bool UseMaxFiles = false;
    int Interval = 1000;
    int MaxLogErrors = 5;
    bool UseMaxLogErrors = true;
    bool RFON = true;
    bool WriteHeader = true;
    std::string Comment = "Log File Sample";
    int FormatSelect = CLogColumns::FormatBasic;
    bool LogAtConnect = false;

    // One routine for both directions. After a load the numbers are kept within the dialog's
    // ranges and the position on the screen.
    void Exchange(CRegistry& store, int screenWidth, int screenHeight);
    void Clamp();

    // "Log" in the user's data folder ($XDG_DATA_HOME, default ~/.local/share) under the
    // vendor's and the program's name.
    static std::string DefaultPath();
    // Path, '/' unless it ends with one, name, '_', number, ".csv"; an empty path gives "".
    static std::string FileName(const std::string& path, const std::string& name, int number);
    // The same without refusing an empty path (the dialog's preview).
    static std::string PreviewName(const std::string& path, const std::string& name, int number);
};

// What the logger reads from the unit.
class ILogUnit {
public:
    virtual ~ILogUnit() = default;
    // 1 RF on, 0 off, below 0 a link error.
    virtual int ReadRfOn() = 0;
    // The device's live read: 0 with the sample (valid false when no new sample), else the result.
    virtual int ReadLive(CLiveSample& sample) = 0;
    virtual bool Has3rdCap() const = 0;
    virtual bool HasOutputSensor() const = 0;
    // Display name, serial number and PIN; empty when the unit does not answer.
    virtual std::string UnitIdText() = 0;
};

// The unit as the device object reaches it.
class CDeviceLogUnit : public ILogUnit {
public:
    explicit CDeviceLogUnit(CDevice& device) : device_(device) {}
    int ReadRfOn() override { return device_.ReadRfOn(); }
    int ReadLive(CLiveSample& sample) override { return device_.ReadLive(sample); }
    bool Has3rdCap() const override { return device_.Has3rdCap(); }
    bool HasOutputSensor() const override { return device_.HasOutputSensor(); }
    std::string UnitIdText() override { return UnitIdText(device_); }
    // display name + " SN:" + serial + " PIN:" + 8 hex digits, when PIN and serial are read.
    static std::string UnitIdText(CDevice& device);

private:
    CDevice& device_;
};

struct CLocalTime {
    int Hour = 0, Minute = 0, Second = 0;
    std::string DateTimeText; // the locale's short date and long time
};

class ILogClock {
public:
    virtual ~ILogClock() = default;
    virtual int64_t TickMs() = 0;
    virtual CLocalTime Now() = 0;
};

// A steady millisecond tick and the local wall-clock time.
class CSystemLogClock : public ILogClock {
public:
    int64_t TickMs() override;
    CLocalTime Now() override;
};

// What the logger shows in its window and the status frame.
class ILogWindow {
public:
    virtual ~ILogWindow() = default;
    virtual void SetLogTimer(bool on, int intervalMs) = 0;
    // The file-name box (and the log settings dialog's file fields).
    virtual void ShowFileName(const std::string& name) = 0;
    virtual void ShowGauge(const std::string& caption, int value) = 0;
    // The status frame's log-panel hint and log state (0 off, 1 paused, 2 running).
    virtual void SetStatusHint(const std::string& hint) = 0;
    virtual void SetLogState(int state) = 0;
    // Start down and Stop up with Pause enabled unless locked; or Stop down with Pause up and
    // disabled.
    virtual void ShowRunning(bool running) = 0;
};

class CLogger {
public:
    static constexpr int PathNotFound = 2; // errno ENOENT

    CLogger(ILogUnit& unit, ILogWindow& window, const CVars& vars, ILogClock& clock);
    ~CLogger();
    CLogger(const CLogger&) = delete;
    CLogger& operator=(const CLogger&) = delete;

    CLogSettings& Settings() { return settings_; }
    CLogColumns& Columns() { return columns_; }
    // The columns of the chosen format (or of a format) for the connected unit.
    CLogTable& CurrentColumns() { return ColumnsFor(settings_.FormatSelect); }
    CLogTable& ColumnsFor(int format);

    bool Logging() const { return fd_ >= 0; }
    bool Paused() const { return paused_; }
    std::string FileName() const;
    int64_t BytesWritten() const { return bytes_; }
    int SampleNumber() const { return sampleNumber_; }
    int ErrorCount() const { return errorCount_; }

    void StartLogging();
    // False when the file could not be closed cleanly (reported to the user).
    bool StopLogging();
    // One log tick: a record, and the error rules.
    void LogTimerTimer();
    // Writes one record; 0, or the unit's result when it could not be read.
    int Record();
    // Pause button down (true) or up.
    void Pause(bool down);

    // Section "Logging". Loading while logging changes nothing and warns; false then.
    bool Exchange(CRegistry& store, int screenWidth, int screenHeight);
    // The file-name box text, as the window shows it.
    void ShowFileName();
    void ClearGauge();

private:
    // Opens the file of the current number (moving the number on past files that exist unless
    // the numbers cycle); false with errno, and openFailure_ saying why when errno alone does not.
    bool OpenFile();
    // The header lines of a new file: the file's first line, the unit's identity when it
    // answers, the comment when there is one, and the column names.
    std::string HeaderText();
    // Writes the text whole; false with errno, the file then cut back to where it ended before.
    bool Write(const std::string& text);
    // Closes the file; false with errno when the data did not reach the file.
    bool CloseFile();
    void UpdateGauge();
    // The question and retry after a failed open or header; text says why.
    bool ReportOpenFailure(const std::string& name, int code, const std::string& text, bool mayCreate);

    ILogUnit& unit_;
    ILogWindow& window_;
    const CVars& vars_;
    ILogClock& clock_;
    CLogSettings settings_;
    CLogColumns columns_;
    platform::NumberFormat format_;
    CLogRecord record_;
    std::string shownName_;
    std::string openFailure_;
    int fd_ = -1;
    int64_t startTick_ = 0;
    int64_t bytes_ = 0;
    int sampleNumber_ = 0;
    int errorCount_ = 0;
    bool paused_ = false;
    bool inTick_ = false;
    std::string gaugeCaption_;
};
