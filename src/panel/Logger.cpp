#include "panel/Logger.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "panel/Historyfile.h"
#include "panel/Version.h"
#include "platform/Textfile.h"
#include "platform/Userdirs.h"

#include <algorithm>
#include <climits>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* CaptionError = "Logging error";
constexpr const char* VendorFolder = "Quorvane";
constexpr const char* LineEnd = "\r\n";


// What a log file's name is opened as. Keep: a new file, or an empty one (what a start left
// that died between making the file and writing its header, written in one go); a file that
// holds anything is not ours to cut. Overwrite: a new file, or a regular file cut to nothing (the
// numbers cycle and the oldest file goes).
enum class LogFileUse { Keep, Overwrite };

struct LogFileOpen {
    int fd = -1;
    bool occupied = false; // something that may not be written stands at the name
    int code = 0;          // errno of the failure
    std::string reason;    // why, as the user reads it
};

LogFileOpen Refused(int code, const std::string& reason)
{
    LogFileOpen r;
    r.occupied = true;
    r.code = code;
    r.reason = reason;
    return r;
}

LogFileOpen Failed(int code)
{
    LogFileOpen r;
    r.code = code;
    r.reason = std::strerror(code);
    return r;
}

LogFileOpen NotRegular(const std::string& name, bool link)
{
    std::string kind = link ? std::string("a symbolic link") : platform::FileKindText(name);
    if (kind.empty())
        kind = "a special file";
    return Refused(EEXIST, "not a regular file (" + kind + ")");
}

// The one way the logger opens a file: a regular file only, never through a symbolic link, and
// never waiting (a named pipe without a reader would hold the start until someone reads it, one
// with a reader would get the log). What stands at the name is looked at before it is opened,
// and what was opened once more, in case something else was swapped in between.
LogFileOpen OpenLogFile(const std::string& name, LogFileUse use)
{
    const bool overwrite = use == LogFileUse::Overwrite;
    struct stat st {};
    if (::lstat(name.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return NotRegular(name, S_ISLNK(st.st_mode));
        if (!overwrite && st.st_size != 0)
            return Refused(EEXIST, std::strerror(EEXIST));
    } else if (errno != ENOENT) {
        return Failed(errno);
    }
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        const int code = errno;
        if (code == ELOOP) // a link put there since the look
            return NotRegular(name, true);
        if (code == ENXIO) // a pipe without a reader, or a device without its driver
            return NotRegular(name, false);
        return Failed(code);
    }
    const auto give_up = [fd](LogFileOpen r) {
        ::close(fd);
        return r;
    };
    if (::fstat(fd, &st) != 0)
        return give_up(Failed(errno));
    if (!S_ISREG(st.st_mode))
        return give_up(NotRegular(name, false));
    if (!overwrite && st.st_size != 0)
        return give_up(Refused(EEXIST, std::strerror(EEXIST)));
    // A regular file ignores the flag; cleared all the same, so that writes wait as they should.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return give_up(Failed(errno));
    if (overwrite && st.st_size != 0 && ::ftruncate(fd, 0) != 0)
        return give_up(Failed(errno));
    LogFileOpen r;
    r.fd = fd;
    return r;
}

} // namespace

// --- settings -----------------------------------------------------------------------------------

std::string CLogSettings::DefaultPath()
{
    return platform::XdgFolder("XDG_DATA_HOME", ".local/share") + "/" + VendorFolder + "/" + orrery::ProgramTitle + "/Log";
}

std::string CLogSettings::PreviewName(const std::string& path, const std::string& name, int number)
{
    std::string text = path;
    if (!text.empty() && text.back() != '/')
        text += '/';
    return text + name + "_" + std::to_string(number) + ".csv";
}

std::string CLogSettings::FileName(const std::string& path, const std::string& name, int number)
{
    return path.empty() ? std::string() : PreviewName(path, name, number);
}

void CLogSettings::Clamp()
{
    Interval = std::clamp(Interval, MinInterval, MaxInterval);
    MaxLogErrors = std::clamp(MaxLogErrors, MinLogErrors, MaxLogErrorsLimit);
    MaxLen = std::clamp(MaxLen, MinLen, MaxLenLimit);
    MaxFiles = std::clamp(MaxFiles, MinFiles, MaxFilesLimit);
    FileN = std::clamp(FileN, 0, MaxFileN);
}

void CLogSettings::Exchange(CRegistry& s, int screenWidth, int screenHeight)
{
    s.SetSection(Section);
    Visible = s.ExchangeBool("Visible", Visible);
    if (s.Reading()) {
        constexpr int NoPlace = INT_MIN; // a key that is not stored
        const int top = s.ExchangeInt("Top", NoPlace);
        const int left = s.ExchangeInt("Left", NoPlace);
        if (top != NoPlace)
            Top = std::min(top, screenHeight - ScreenMargin);
        if (left != NoPlace)
            Left = std::min(left, screenWidth - ScreenMargin);
        PlaceStored = PlaceStored || top != NoPlace || left != NoPlace;
    } else if (PlaceStored) {
        s.ExchangeInt("Top", Top);
        s.ExchangeInt("Left", Left);
    }
    Width = s.ExchangeInt("Width", Width);
    Path = s.ExchangeString("Path", Path);
    Name = s.ExchangeString("Name", Name);
    MaxLen = s.ExchangeInt("MaxLen", MaxLen);
    MaxFiles = s.ExchangeInt("MaxFiles", MaxFiles);
    FileN = s.ExchangeInt("FileN", FileN);
    UseMaxFiles = s.ExchangeBool("UseMaxFiles", UseMaxFiles);
    Interval = s.ExchangeInt("Interval", Interval);
    MaxLogErrors = s.ExchangeInt("MaxLogErrors", MaxLogErrors);
    UseMaxLogErrors = s.ExchangeBool("UseMaxLogErrors", UseMaxLogErrors);
    RFON = s.ExchangeBool("RFON", RFON);
    WriteHeader = s.ExchangeBool("WriteHeader", WriteHeader);
    Comment = s.ExchangeString("Comment", Comment);
    FormatSelect = s.ExchangeInt("FormatSelect", FormatSelect);
    LogAtConnect = s.ExchangeBool("LogAtConnect", LogAtConnect);
    if (s.Reading())
        Clamp();
}

// --- unit and clock -----------------------------------------------------------------------------

std::string CDeviceLogUnit::UnitIdText(CDevice& device)
{
    if (device.ReadPin() != 0)
        return "";
    uint32_t serial = 0;
    if (device.ReadSerialNumber(serial) != 0)
        return "";
    char pin[16];
    std::snprintf(pin, sizeof pin, "%08X", device.Pin());
    return device.CopyDisplayName() + " SN:" + std::to_string(serial) + " PIN:" + pin;
}

int64_t CSystemLogClock::TickMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

CLocalTime CSystemLogClock::Now()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    CLocalTime now;
    now.Hour = tm.tm_hour;
    now.Minute = tm.tm_min;
    now.Second = tm.tm_sec;
    char buf[128];
    if (std::strftime(buf, sizeof buf, "%x %X", &tm) > 0)
        now.DateTimeText = buf;
    return now;
}

// --- logger -------------------------------------------------------------------------------------

CLogger::CLogger(ILogUnit& unit, ILogWindow& window, const CVars& vars, ILogClock& clock)
    : unit_(unit), window_(window), vars_(vars), clock_(clock)
{
}

CLogger::~CLogger()
{
    if (fd_ >= 0)
        ::close(fd_);
}

CLogTable& CLogger::ColumnsFor(int format)
{
    return columns_.GetLogColumns(format, unit_.Has3rdCap(), unit_.HasOutputSensor());
}

std::string CLogger::FileName() const
{
    return CLogSettings::FileName(settings_.Path, settings_.Name, settings_.FileN);
}

void CLogger::ShowFileName()
{
    shownName_ = FileName();
    window_.ShowFileName(shownName_);
}

void CLogger::ClearGauge()
{
    gaugeCaption_.clear();
    window_.ShowGauge("", 0);
}

void CLogger::StartLogging()
{
    if (Logging())
        return;
    bool mayCreate = true;
    for (;;) {
        window_.SetLogTimer(false, settings_.Interval);
        bytes_ = 0;
        format_ = platform::NumberFormat::Current();
        ClearGauge();
        window_.SetStatusHint(shownName_);
        // The header is made before the file is, the unit's identity read included, and goes
        // out in one write: a file holds its whole header or none of it.
        const std::string header = settings_.WriteHeader ? HeaderText() : std::string();
        if (!OpenFile()) {
            const int code = errno;
            const std::string reason = openFailure_.empty() ? LastWindowsErrorText() : openFailure_;
            if (ReportOpenFailure(FileName(), code, reason, mayCreate)) {
                mayCreate = false;
                continue;
            }
            return;
        }
        ShowFileName();
        startTick_ = clock_.TickMs();
        sampleNumber_ = 0;
        // A file whose header could not be written is no log: it goes again, and its number
        // stays for the next start.
        if (!header.empty() && !Write(header)) {
            const int code = errno;
            ::close(fd_);
            fd_ = -1;
            ::unlink(shownName_.c_str());
            if (ReportOpenFailure(shownName_, code, std::strerror(code), mayCreate)) {
                mayCreate = false;
                continue;
            }
            return;
        }
        window_.SetLogState(2);
        window_.ShowRunning(true);
        paused_ = false;
        window_.SetLogTimer(true, settings_.Interval);
        UpdateGauge();
        errorCount_ = 0;
        return;
    }
}

bool CLogger::ReportOpenFailure(const std::string& name, int code, const std::string& text,
                                bool mayCreate)
{
    StopLogging();
    window_.SetLogState(0);
    std::string message = "Can't create log file:\n" + name + "\n" + text;
    if (code != PathNotFound || !mayCreate) {
        ShowWarning(CaptionError, message);
        return false;
    }
    if (!AskYesNo(CaptionError, message + "\nCreate directory and continue?"))
        return false;
    const std::filesystem::path folder = std::filesystem::path(name).parent_path();
    std::error_code ec;
    if (folder.empty() || (!std::filesystem::create_directories(folder, ec) && ec)) {
        ShowWarning(CaptionError, "Can't create directory:\n" + folder.string() + "\n"
                                      + (ec ? ec.message() : std::string("No folder given")));
        return false;
    }
    return true;
}

bool CLogger::OpenFile()
{
    // Without the maximum file number a file that exists is never cut: the number moves on past
    // it, unless the file is empty (it holds nothing to keep). With the maximum the numbers cycle
    // and the older files are overwritten; what is no regular file of its own is refused.
    openFailure_.clear();
    const LogFileUse use = settings_.UseMaxFiles ? LogFileUse::Overwrite : LogFileUse::Keep;
    for (;;) {
        const std::string name = FileName();
        if (name.empty()) {
            errno = ENOENT;
            return false;
        }
        const LogFileOpen opened = OpenLogFile(name, use);
        if (opened.fd >= 0) {
            fd_ = opened.fd;
            return true;
        }
        if (!opened.occupied || use == LogFileUse::Overwrite || settings_.FileN >= CLogSettings::MaxFileN) {
            openFailure_ = opened.reason;
            errno = opened.code;
            return false;
        }
        ++settings_.FileN;
    }
}

bool CLogger::Write(const std::string& text)
{
    const int64_t whole = bytes_; // the file ends after its last whole line
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // What reached the file of this line is cut away again.
            const int code = errno;
            if (bytes_ != whole && ::ftruncate(fd_, whole) == 0 && ::lseek(fd_, whole, SEEK_SET) == whole)
                bytes_ = whole;
            errno = code;
            return false;
        }
        bytes_ += n; // what really reached the file
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

std::string CLogger::HeaderText()
{
    // Each line is appended piece by piece: a text put in front of a temporary string is what
    // GCC 12's overlap check misreads at -O2 and above (-Wrestrict).
    std::string header = CHistoryFile::FirstLine(clock_.Now().DateTimeText);
    header += LineEnd;
    const auto line = [&header](const std::string& text) {
        header += ';';
        header += text;
        header += LineEnd;
    };
    const std::string id = unit_.UnitIdText();
    if (!id.empty())
        line(id);
    if (!settings_.Comment.empty())
        line(settings_.Comment);
    line(CLogLineFormat(vars_, format_).Names(CurrentColumns()));
    return header;
}

bool CLogger::CloseFile()
{
    if (fd_ < 0)
        return true;
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0;
}

bool CLogger::StopLogging()
{
    bool closed = true;
    window_.ShowRunning(false);
    if (Logging()) {
        window_.SetLogTimer(false, settings_.Interval);
        closed = CloseFile();
        const std::string text = closed ? std::string() : LastWindowsErrorText();
        paused_ = false;
        ++settings_.FileN;
        if (settings_.UseMaxFiles && settings_.FileN > settings_.MaxFiles)
            settings_.FileN = 0;
        window_.SetLogState(0);
        if (!closed)
            ShowWarning(CaptionError, "Can't close log file:\n" + shownName_ + "\n" + text);
    }
    window_.SetLogState(0);
    return closed;
}

void CLogger::LogTimerTimer()
{
    if (!Logging() || inTick_)
        return;
    inTick_ = true;
    const int r = Record();
    if (r == -102) {
        StopLogging();
        errorCount_ = 0;
    } else if (r < 0) {
        ++errorCount_;
        if (settings_.UseMaxLogErrors && settings_.MaxLogErrors > 0
            && errorCount_ >= settings_.MaxLogErrors) {
            StopLogging();
            ShowWarning(orrery::ProgramTitle, "Data logging is stopped after\n"
                                                  + std::to_string(errorCount_)
                                                  + " communication errors");
            errorCount_ = 0;
        }
    } else {
        errorCount_ = 0;
    }
    inTick_ = false;
}

int CLogger::Record()
{
    if (settings_.RFON) {
        const int r = unit_.ReadRfOn();
        if (r < 0)
            return r;
        if (r == 0)
            return 0;
    }
    window_.SetLogState(2);
    const CLogTable& columns = CurrentColumns();
    const CLocalTime now = clock_.Now();
    const int64_t tick = clock_.TickMs();
    if (CLogColumns::NeedsUnit(columns)) {
        const int r = unit_.ReadLive(record_.Live);
        if (r != 0)
            return r;
        if (!record_.Live.valid)
            return 0;
    }
    record_.SampleNumber = sampleNumber_;
    record_.Milliseconds = tick - startTick_;
    record_.Hour = now.Hour;
    record_.Minute = now.Minute;
    record_.Second = now.Second;
    const std::string line = CLogLineFormat(vars_, format_).Values(columns, record_) + LineEnd;
    if (!Write(line)) {
        const std::string text = LastWindowsErrorText();
        const std::string name = shownName_;
        StopLogging();
        ShowWarning(CaptionError, "Can't write log file:\n" + name + "\n" + text);
        return 0;
    }
    UpdateGauge();
    ++sampleNumber_;
    if (bytes_ >= int64_t(settings_.MaxLen) * 1000) {
        if (StopLogging()) // the next file only after this one is closed cleanly
            StartLogging();
    }
    return 0;
}

void CLogger::Pause(bool down)
{
    if (!Logging())
        return;
    paused_ = down;
    window_.SetLogTimer(!down, settings_.Interval);
    window_.SetLogState(down ? 1 : 2);
}

void CLogger::UpdateGauge()
{
    const int64_t tenths = (bytes_ + 99) / 100;
    const double kb = tenths * 0.1;
    gaugeCaption_ = FloatToText(kb, 1, format_.DecimalSeparator()) + " KB";
    const double value = 100.0 * kb / std::max(settings_.MaxLen, 1) + 1.0;
    window_.ShowGauge(gaugeCaption_, static_cast<int>(std::min(value, 1e9)));
    window_.SetStatusHint(shownName_ + "  " + gaugeCaption_);
}

bool CLogger::Exchange(CRegistry& store, int screenWidth, int screenHeight)
{
    if (store.Reading() && Logging()) {
        ShowWarning("Load settings", "Logging is On. Log settings not changed");
        return false;
    }
    settings_.Exchange(store, screenWidth, screenHeight);
    return true;
}
