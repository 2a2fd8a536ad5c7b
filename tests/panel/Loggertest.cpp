#include "panel/Logger.h"

#include "common/Registry.h"
#include "device/Var.h"
#include "panel/Historyfile.h"
#include "panel/Scripted.h"
#include "platform/Inifile.h"
#include "platform/Numberformat.h"
#include "support/Killedsaver.h"
#include "support/Logscript.h"
#include "support/Tempdir.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <thread>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::ReadAll;

class RecordingLogWindow : public ILogWindow {
public:
    void SetLogTimer(bool on, int intervalMs) override
    {
        timerOn = on;
        interval = intervalMs;
    }
    void ShowFileName(const std::string& name) override { fileName = name; }
    void ShowGauge(const std::string& c, int v) override
    {
        caption = c;
        value = v;
    }
    void SetStatusHint(const std::string& h) override { hint = h; }
    void SetLogState(int s) override { state = s; }
    void ShowRunning(bool r) override { running = r; }

    bool timerOn = false;
    int interval = 0;
    std::string fileName, caption, hint;
    int value = -1;
    int state = -1;
    bool running = false;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CRLF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

struct ScopedFormat {
    ScopedFormat(char decimal, char list) { platform::NumberFormat::Install({decimal, list}); }
    ~ScopedFormat() { platform::NumberFormat::Uninstall(); }
};

class LoggerTest : public ::testing::Test {
protected:
    LoggerTest() : logger(unit, window, vars, clock)
    {
        logger.Settings().Path = dir.Path();
    }
    std::string File(int n) const { return dir.File("log_" + std::to_string(n) + ".csv"); }
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            logger.LogTimerTimer();
    }

    ScopedFormat format{'.', ','};
    testsupport::TempDir dir;
    ScriptedHooks hooks;
    testsupport::ScriptedLogUnit unit;
    testsupport::FixedLogClock clock;
    RecordingLogWindow window;
    CVars vars;
    CLogger logger;
};

struct Golden {
    int format;
    bool thirdCap;
    bool outputSensor;
    const char* header;
    const char* record;
};

const Golden Tables[] = {
    {0, false, false, "Sample number,Timestamp (ms),Status,R,X,Gamma,P,Load,Tune,Fault0,Fault1",
     "0,250,0123,50.0,-1.3,0.03,100,33.30,66.60,00000001,A0000000"},
    {1, false, false,
     "Sample number,Milliseconds,Hours,Minutes,Seconds,Status,R,X,Gamma,P,Load,Tune,Temp,RF peak,"
     "DC bias,RF cap,Fault0,Fault1",
     "0,250,08,05,09,0123,50.0,-1.3,0.03,100,33.30,66.60,35,1200,-12,512,00000001,A0000000"},
    {0, true, false,
     "Sample number,Timestamp (ms),Status,R,X,Gamma,P,Ratio,I1,I2,Load,Tune,3rd Cap,Fault0,Fault1",
     "0,250,0123,50.0,-1.3,0.03,100,1.50,2.26,3.50,33.30,66.60,42.60,00000001,A0000000"},
    {1, true, false,
     "Sample number,Milliseconds,Hours,Minutes,Seconds,Status,R,X,Gamma,P,Ratio,I1,I2,Load,Tune,"
     "3rd Cap,Temp,RF peak,DC bias,RF cap,Fault0,Fault1",
     "0,250,08,05,09,0123,50.0,-1.3,0.03,100,1.50,2.26,3.50,33.30,66.60,42.60,35,1200,-12,512,"
     "00000001,A0000000"},
    {1, false, true,
     "Sample number,Milliseconds,Hours,Minutes,Seconds,Status,R,X,Gamma,P,R load,X load,P load,"
     "Load,Tune,Temp,RF peak,DC bias,RF cap,Fault0,Fault1",
     "0,250,08,05,09,0123,50.0,-1.3,0.03,100,1.5,2.3,43,33.30,66.60,35,1200,-12,512,00000001,"
     "A0000000"},
};

TEST_F(LoggerTest, GoldenHeaderAndRecordOfEachTable)
{
    for (const Golden& g : Tables) {
        SCOPED_TRACE(g.header);
        unit.thirdCap = g.thirdCap;
        unit.outputSensor = g.outputSensor;
        logger.Settings().FormatSelect = g.format;
        const int n = logger.Settings().FileN;
        logger.StartLogging();
        ASSERT_TRUE(logger.Logging());
        Tick();
        logger.StopLogging();
        const std::vector<std::string> lines = Lines(ReadAll(File(n)));
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[0], ";Log File of Vantrel Orrery. Created: 07.12.2026 08:05:09");
        EXPECT_EQ(lines[1], ";Unit 1 SN:1234 PIN:00000400");
        EXPECT_EQ(lines[2], ";Log File Sample");
        EXPECT_EQ(lines[3], std::string(";") + g.header);
        EXPECT_EQ(lines[4], g.record);
    }
}

TEST_F(LoggerTest, LocaleSeparatorsAndHeaderOptions)
{
    ScopedFormat comma(',', ';');
    unit.idText.clear(); // the unit did not answer: no identity line
    logger.Settings().Comment.clear();
    logger.StartLogging();
    Tick();
    logger.StopLogging();
    EXPECT_EQ(ReadAll(File(0)),
              ";Log File of Vantrel Orrery. Created: 07.12.2026 08:05:09\r\n"
              ";Sample number;Timestamp (ms);Status;R;X;Gamma;P;Load;Tune;Fault0;Fault1\r\n"
              "0;250;0123;50,0;-1,3;0,03;100;33,30;66,60;00000001;A0000000\r\n");

    // Without a header; a disabled column drops out of the records.
    logger.Settings().WriteHeader = false;
    logger.Columns().SetFlags(1, "10");
    logger.StartLogging();
    Tick(2);
    logger.StopLogging();
    EXPECT_EQ(ReadAll(File(1)), "0;0123;50,0;-1,3;0,03;100;33,30;66,60;00000001;A0000000\r\n"
                                "1;0123;50,0;-1,3;0,03;100;33,30;66,60;00000001;A0000000\r\n");
}

TEST_F(LoggerTest, GaugeAndByteCountFollowTheFile)
{
    logger.StartLogging();
    Tick(3);
    const int64_t size = int64_t(std::filesystem::file_size(File(0)));
    EXPECT_EQ(logger.BytesWritten(), size); // line ends count two bytes
    EXPECT_EQ(logger.SampleNumber(), 3);
    EXPECT_EQ(window.caption, "0.4 KB"); // 322 bytes in tenths of a KB, rounded up
    EXPECT_EQ(window.value, 1);
    EXPECT_EQ(window.hint, File(0) + "  0.4 KB");
    EXPECT_EQ(window.fileName, File(0));
    EXPECT_EQ(window.state, 2);
    EXPECT_TRUE(window.timerOn);
    EXPECT_EQ(window.interval, 1000);
}

TEST_F(LoggerTest, RotationAtTheSizeLimitStartsTheNextFileAfresh)
{
    logger.Settings().MaxLen = 100; // 100,000 bytes
    logger.StartLogging();
    int ticks = 0;
    while (logger.Settings().FileN == 0 && ticks < 5000) {
        Tick();
        ++ticks;
    }
    ASSERT_EQ(logger.Settings().FileN, 1);
    ASSERT_TRUE(logger.Logging());
    const auto firstSize = std::filesystem::file_size(File(0));
    EXPECT_GE(firstSize, 100000u);
    EXPECT_LT(firstSize, 100000u + 100);
    EXPECT_EQ(logger.SampleNumber(), 0);
    Tick();
    logger.StopLogging();
    const std::vector<std::string> lines = Lines(ReadAll(File(1)));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3].substr(0, 15), ";Sample number,");
    // Sample number 0 and milliseconds from the new file's opening.
    EXPECT_EQ(lines[4].substr(0, 6), "0,250,");
}

TEST_F(LoggerTest, FileNumbersWrapAfterTheLimit)
{
    CLogSettings& s = logger.Settings();
    s.UseMaxFiles = true;
    s.MaxFiles = 2;
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        logger.StartLogging();
        names.push_back(std::filesystem::path(window.fileName).filename().string());
        logger.StopLogging();
    }
    EXPECT_EQ(names, (std::vector<std::string>{"log_0.csv", "log_1.csv", "log_2.csv", "log_0.csv"}));
    EXPECT_EQ(s.FileN, 1);
}

TEST_F(LoggerTest, RfOffWritesNothingAndCountsNoError)
{
    unit.rfOn = 0;
    logger.StartLogging();
    Tick(3);
    EXPECT_TRUE(logger.Logging());
    EXPECT_EQ(logger.ErrorCount(), 0);
    EXPECT_EQ(logger.SampleNumber(), 0);
    EXPECT_EQ(unit.liveReads, 0);
    EXPECT_EQ(Lines(ReadAll(File(0))).size(), 4u); // the header only
    EXPECT_EQ(window.state, 2);
    // Without the option the live read runs whatever RF does.
    logger.Settings().RFON = false;
    Tick();
    EXPECT_EQ(logger.SampleNumber(), 1);
}

TEST_F(LoggerTest, ErrorLimitStopsLoggingWithTheMessage)
{
    logger.StartLogging();
    unit.liveResults = {-3, -3, 0, -3, -3, -3, -3, -3};
    Tick(3); // a good read resets the count
    EXPECT_EQ(logger.ErrorCount(), 0);
    Tick(3);
    EXPECT_TRUE(logger.Logging());
    EXPECT_TRUE(hooks.shown.empty());
    Tick(2);
    EXPECT_FALSE(logger.Logging());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Vantrel Orrery");
    EXPECT_EQ(hooks.shown[0].text, "Data logging is stopped after\n5 communication errors");
    EXPECT_EQ(logger.ErrorCount(), 0);
    EXPECT_EQ(window.state, 0);
    EXPECT_FALSE(window.timerOn);
    EXPECT_EQ(logger.Settings().FileN, 1);

    // No link: stops at once and says nothing.
    logger.StartLogging();
    unit.liveResults = {-102};
    Tick();
    EXPECT_FALSE(logger.Logging());
    EXPECT_EQ(hooks.shown.size(), 1u);
}

TEST_F(LoggerTest, OnlyLoggerColumnsNeedNoUnitTraffic)
{
    logger.Settings().RFON = false;
    logger.Columns().SetFlags(1, "11000000000");
    logger.StartLogging();
    Tick(2);
    logger.StopLogging();
    EXPECT_EQ(unit.liveReads, 0);
    const std::vector<std::string> lines = Lines(ReadAll(File(0)));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], ";Sample number,Timestamp (ms)");
    EXPECT_EQ(lines[5], "1,500");
}

TEST_F(LoggerTest, MissingFolderIsCreatedOnYes)
{
    const std::string folder = dir.File("a/b");
    logger.Settings().Path = folder;
    hooks.answers = {false};
    logger.StartLogging();
    EXPECT_FALSE(logger.Logging());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "question");
    EXPECT_EQ(hooks.shown[0].caption, "Logging error");
    EXPECT_EQ(hooks.shown[0].text.rfind("Can't create log file:\n" + folder + "/log_0.csv\n", 0), 0u);
    EXPECT_NE(hooks.shown[0].text.find("\nCreate directory and continue?"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(logger.Settings().FileN, 0);

    hooks.answers = {true};
    logger.StartLogging();
    EXPECT_TRUE(logger.Logging());
    EXPECT_TRUE(std::filesystem::exists(folder + "/log_0.csv"));
}

TEST_F(LoggerTest, OtherOpenFailuresWarnAndEmptyPathRefuses)
{
    const std::string file = dir.File("plain");
    testsupport::WriteAll(file, "x");
    logger.Settings().Path = file; // a file where a folder should be
    logger.StartLogging();
    EXPECT_FALSE(logger.Logging());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "warning");
    EXPECT_EQ(hooks.shown[0].caption, "Logging error");

    logger.Settings().Path.clear();
    hooks.answers = {true};
    logger.StartLogging();
    EXPECT_FALSE(logger.Logging());
}

TEST_F(LoggerTest, WriteFailureStopsWithAWarningNamingTheFileAndKeepsWholeRecords)
{
    logger.StartLogging();
    Tick();
    const std::string before = ReadAll(File(0));
    {
        // Room for part of the next record only.
        testsupport::FileSizeLimit limit(logger.BytesWritten() + 10);
        Tick();
    }
    EXPECT_FALSE(logger.Logging());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Logging error");
    EXPECT_EQ(hooks.shown[0].text, "Can't write log file:\n" + File(0) + "\n" + std::strerror(EFBIG));
    // The file ends after its last whole record, and that is what is counted.
    EXPECT_EQ(ReadAll(File(0)), before);
    EXPECT_EQ(std::filesystem::file_size(File(0)), size_t(logger.BytesWritten()));
}

TEST_F(LoggerTest, FailedStartLeavesNoFileAndKeepsTheNumber)
{
    // A full disk (no byte fits), then room for part of the header only.
    for (const rlim_t room : {rlim_t(0), rlim_t(70)}) {
        hooks.shown.clear();
        for (int attempt = 0; attempt < 2; ++attempt) {
            {
                testsupport::FileSizeLimit limit(room);
                logger.StartLogging();
            }
            EXPECT_FALSE(logger.Logging());
            EXPECT_FALSE(window.timerOn);
            EXPECT_FALSE(window.running);
            EXPECT_EQ(window.state, 0);
        }
        ASSERT_EQ(hooks.shown.size(), 2u) << room;
        EXPECT_EQ(hooks.shown[0].caption, "Logging error");
        EXPECT_EQ(hooks.shown[0].text, "Can't create log file:\n" + File(0) + "\n" + std::strerror(EFBIG));
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << room;
        EXPECT_EQ(logger.Settings().FileN, 0);
    }

    // With room again the start writes the file of that number.
    logger.StartLogging();
    EXPECT_TRUE(logger.Logging());
    EXPECT_EQ(ReadAll(File(0)).rfind(";Log File of Vantrel Orrery", 0), 0u);
}

// A unit whose identity takes a while to read, as over a slow link.
class SlowIdUnit : public testsupport::ScriptedLogUnit {
public:
    std::string UnitIdText() override
    {
        volatile unsigned spin = 0;
        for (unsigned i = 0; i < 2000000; ++i)
            spin = spin + i;
        return ScriptedLogUnit::UnitIdText();
    }
};

TEST(LoggerKill, StartsKilledAnywhereLeaveWholeHeadersOrEmptyFiles)
{
    testsupport::TempDir dir;
    std::mt19937 rng(11);
    for (int round = 0; round < 60; ++round) {
        const std::string folder = dir.File(std::to_string(round));
        std::filesystem::create_directory(folder);
        ASSERT_TRUE(testsupport::KillSaverMidway(
            [&](int tick) {
                ScriptedHooks hooks;
                SlowIdUnit unit;
                testsupport::FixedLogClock clock;
                RecordingLogWindow window;
                CVars vars;
                CLogger logger(unit, window, vars, clock);
                logger.Settings().Path = folder;
                for (;;) {
                    logger.StartLogging();
                    logger.LogTimerTimer();
                    logger.StopLogging();
                    const char c = 1;
                    if (::write(tick, &c, 1) != 1)
                        return;
                }
            },
            int(rng() % 3), rng() % 4000000));
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string text = ReadAll(entry.path().string());
            // Killed between making the file and its one write, a file is empty; else its
            // header is whole, in whole lines, with or without a record after it.
            if (!text.empty()) {
                const std::string error = CHistoryFile::Read(text).Error;
                EXPECT_TRUE(error.empty() || error == CHistoryFile::NoHeader) << round << " " << error;
                EXPECT_TRUE(text.ends_with("\r\n")) << round << " " << entry.path() << "\n" << text;
            }
        }
    }
}

TEST_F(LoggerTest, OnlyAnEmptyFileIsTakenOverAnyOtherIsPassedOver)
{
    // What a start that died between making its file and writing the header (written in one go)
    // leaves is an empty file: it holds nothing, and its number is used. A file that holds
    // anything, even what looks like the start of a header, is not ours to cut; nor is what is
    // no regular file of its own.
    const std::string firstOnly = ";Log File of Vantrel Orrery. Created: 06.12.2026 10:00:00\r\n";
    const std::string partial = firstOnly + ";Unit 1 SN:1234 PIN:00000400\r\n;Log File Sample\r\n";
    testsupport::WriteAll(File(0), firstOnly);
    testsupport::WriteAll(File(1), "");
    testsupport::WriteAll(File(2), partial);
    testsupport::WriteAll(File(3), "earlier run 3\r\n");
    ASSERT_EQ(::mkfifo(File(4).c_str(), 0644), 0) << std::strerror(errno); // no reader: must not block
    testsupport::WriteAll(dir.File("empty.csv"), "");
    std::filesystem::create_symlink(dir.File("empty.csv"), File(5));
    for (int n : {1, 6}) {
        logger.StartLogging();
        ASSERT_TRUE(logger.Logging()) << n;
        EXPECT_EQ(window.fileName, File(n));
        Tick();
        logger.StopLogging();
        const std::vector<std::string> lines = Lines(ReadAll(File(n)));
        ASSERT_EQ(lines.size(), 5u) << n;
        EXPECT_EQ(lines[0], ";Log File of Vantrel Orrery. Created: " + clock.now.DateTimeText);
        EXPECT_EQ(lines[3].rfind(";Sample number,", 0), 0u);
    }
    EXPECT_EQ(logger.Settings().FileN, 7);
    EXPECT_EQ(ReadAll(File(0)), firstOnly);
    EXPECT_EQ(ReadAll(File(2)), partial);
    EXPECT_EQ(ReadAll(File(3)), "earlier run 3\r\n");
    EXPECT_TRUE(std::filesystem::is_fifo(File(4)));
    EXPECT_TRUE(std::filesystem::is_symlink(File(5)));
    EXPECT_EQ(std::filesystem::file_size(dir.File("empty.csv")), 0u);
    EXPECT_TRUE(hooks.shown.empty());
}

// Ends a start that waits on a named pipe: when the start has not come back in good time, the
// watchdog opens the pipe for reading, which lets a waiting open go on, so that the test fails
// instead of hanging.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const std::string& pipe)
        : thread_([this, pipe] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(30), [this] { return stopped_; })) {
                  fired_ = true;
                  reader_ = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
              }
          })
    {
    }
    ~PipeWatchdog()
    {
        Stop();
        if (reader_ >= 0)
            ::close(reader_);
    }
    // False when the watchdog had to step in.
    bool Stop()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        done_.notify_all();
        if (thread_.joinable())
            thread_.join();
        return !fired_;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool stopped_ = false;
    bool fired_ = false;
    int reader_ = -1;
    std::thread thread_;
};

TEST_F(LoggerTest, EveryOpenTakesARegularFileOnlyNeverThroughALinkNeverWaiting)
{
    // Whatever the naming mode, what stands at the next name and is no regular file of its own is
    // never opened through, written or waited on: without the maximum file number the number
    // moves on past it; with it (the numbers cycle, a regular file is overwritten) the start is
    // refused, saying why.
    enum class Thing { PipeWithoutReader, PipeWithReader, LinkToAFile, LinkToAnEmptyFile, Folder };
    struct Case {
        const char* what;
        Thing thing;
        bool cycle;
        const char* kind; // what the refusal names
    };
    const Case cases[] = {
        {"pipe without reader", Thing::PipeWithoutReader, false, "a named pipe"},
        {"pipe with reader", Thing::PipeWithReader, false, "a named pipe"},
        {"link to a file", Thing::LinkToAFile, false, "a symbolic link"},
        {"link to an empty file", Thing::LinkToAnEmptyFile, false, "a symbolic link"},
        {"folder", Thing::Folder, false, "a folder"},
        {"cycling, pipe without reader", Thing::PipeWithoutReader, true, "a named pipe"},
        {"cycling, pipe with reader", Thing::PipeWithReader, true, "a named pipe"},
        {"cycling, link to a file", Thing::LinkToAFile, true, "a symbolic link"},
        {"cycling, link to an empty file", Thing::LinkToAnEmptyFile, true, "a symbolic link"},
        {"cycling, folder", Thing::Folder, true, "a folder"},
    };
    const std::string targetText = "the target's own text\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempDir place;
        CLogSettings& s = logger.Settings();
        s.Path = place.Path();
        s.FileN = 0;
        s.UseMaxFiles = c.cycle;
        s.MaxFiles = 5;
        hooks.shown.clear();
        const std::string next = place.File("log_0.csv");
        const std::string target = place.File("target.txt");
        int reader = -1;
        switch (c.thing) {
        case Thing::PipeWithoutReader:
        case Thing::PipeWithReader:
            ASSERT_EQ(::mkfifo(next.c_str(), 0644), 0) << std::strerror(errno);
            if (c.thing == Thing::PipeWithReader) {
                reader = ::open(next.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                ASSERT_GE(reader, 0) << std::strerror(errno);
            }
            break;
        case Thing::LinkToAFile:
        case Thing::LinkToAnEmptyFile:
            testsupport::WriteAll(target, c.thing == Thing::LinkToAFile ? targetText : "");
            std::filesystem::create_symlink(target, next);
            break;
        case Thing::Folder:
            std::filesystem::create_directory(next);
            break;
        }

        PipeWatchdog watchdog(next);
        logger.StartLogging();
        EXPECT_TRUE(watchdog.Stop()) << "the start waited on the pipe";

        if (c.cycle) {
            EXPECT_FALSE(logger.Logging());
            ASSERT_EQ(hooks.shown.size(), 1u);
            EXPECT_EQ(hooks.shown[0].caption, "Logging error");
            EXPECT_EQ(hooks.shown[0].text,
                      "Can't create log file:\n" + next + "\nnot a regular file (" + c.kind + ")");
            EXPECT_EQ(s.FileN, 0);
            EXPECT_FALSE(std::filesystem::exists(place.File("log_1.csv")));
        } else {
            EXPECT_TRUE(logger.Logging());
            EXPECT_TRUE(hooks.shown.empty());
            EXPECT_EQ(window.fileName, place.File("log_1.csv"));
            logger.StopLogging();
        }
        logger.StopLogging();
        if (reader >= 0) {
            // Not a byte reached the pipe, nor was it ever opened for writing (a writer that came
            // and went leaves the reader a hang-up).
            char byte = 0;
            EXPECT_LE(::read(reader, &byte, 1), 0);
            pollfd p{reader, POLLIN, 0};
            EXPECT_EQ(::poll(&p, 1, 0), 0) << "events " << p.revents;
            ::close(reader);
        }
        switch (c.thing) {
        case Thing::PipeWithoutReader:
        case Thing::PipeWithReader: EXPECT_TRUE(std::filesystem::is_fifo(next)); break;
        case Thing::LinkToAFile:
        case Thing::LinkToAnEmptyFile:
            EXPECT_TRUE(std::filesystem::is_symlink(next));
            EXPECT_EQ(ReadAll(target), c.thing == Thing::LinkToAFile ? targetText : "");
            break;
        case Thing::Folder: EXPECT_TRUE(std::filesystem::is_empty(next)); break;
        }
    }
}

TEST_F(LoggerTest, FilesOfAnEarlierRunAreNeverOverwritten)
{
    testsupport::WriteAll(File(0), "earlier run 0\r\n");
    testsupport::WriteAll(File(1), "earlier run 1\r\n");
    testsupport::WriteAll(File(3), "earlier run 3\r\n");
    logger.StartLogging();
    ASSERT_TRUE(logger.Logging());
    EXPECT_EQ(logger.Settings().FileN, 2);
    EXPECT_EQ(window.fileName, File(2));
    // A rotation passes over a number whose file exists too.
    logger.Settings().MaxLen = CLogSettings::MinLen;
    for (int i = 0; i < 5000 && logger.Settings().FileN == 2; ++i)
        Tick();
    EXPECT_EQ(logger.Settings().FileN, 4);
    EXPECT_EQ(window.fileName, File(4));
    logger.StopLogging();
    EXPECT_EQ(logger.Settings().FileN, 5);
    EXPECT_EQ(ReadAll(File(0)), "earlier run 0\r\n");
    EXPECT_EQ(ReadAll(File(1)), "earlier run 1\r\n");
    EXPECT_EQ(ReadAll(File(3)), "earlier run 3\r\n");
    EXPECT_GE(std::filesystem::file_size(File(2)), 100000u);
    EXPECT_TRUE(hooks.shown.empty());

    // With the maximum file number the numbers cycle and the older files are overwritten.
    logger.Settings().UseMaxFiles = true;
    logger.Settings().FileN = 0;
    logger.StartLogging();
    ASSERT_TRUE(logger.Logging());
    EXPECT_EQ(window.fileName, File(0));
    logger.StopLogging();
    EXPECT_EQ(ReadAll(File(0)).rfind(";Log File of Vantrel Orrery", 0), 0u);
}

TEST_F(LoggerTest, AFileOverwrittenWhenTheNumbersCycleHoldsOnlyTheNewRun)
{
    // An earlier run's file, longer than what the new run writes: none of it is left behind the
    // new header and record.
    std::string earlier;
    for (int i = 0; earlier.size() < 800; ++i)
        earlier += std::to_string(i) + ",earlier run,0123,99.9\r\n";
    testsupport::WriteAll(File(1), earlier);
    CLogSettings& s = logger.Settings();
    s.UseMaxFiles = true;
    s.MaxFiles = 3;
    s.FileN = 1;
    logger.StartLogging();
    ASSERT_TRUE(logger.Logging());
    ASSERT_EQ(window.fileName, File(1));
    Tick();
    logger.StopLogging();
    const Golden& g = Tables[0];
    EXPECT_EQ(ReadAll(File(1)), std::string(";Log File of Vantrel Orrery. Created: 07.12.2026 08:05:09\r\n"
                                            ";Unit 1 SN:1234 PIN:00000400\r\n"
                                            ";Log File Sample\r\n;") +
                                    g.header + "\r\n" + g.record + "\r\n");
}

TEST_F(LoggerTest, PauseStopsTheTimerAndKeepsTheFile)
{
    logger.StartLogging();
    logger.Pause(true);
    EXPECT_FALSE(window.timerOn);
    EXPECT_EQ(window.state, 1);
    EXPECT_TRUE(logger.Logging());
    logger.Pause(false);
    EXPECT_TRUE(window.timerOn);
    EXPECT_EQ(window.state, 2);
}

TEST_F(LoggerTest, SettingsSectionIsClampedAndRefusedWhileLogging)
{
    platform::IniFile ini;
    {
        CRegistry save("", false, &ini);
        logger.Settings().Comment = "run 7";
        logger.Settings().LogAtConnect = true;
        logger.Exchange(save, 1024, 768);
    }
    ini.WriteString("Logging", "MaxLen", "0");
    ini.WriteString("Logging", "Interval", "0");
    ini.WriteString("Logging", "MaxFiles", "-4");
    ini.WriteString("Logging", "Top", "5000");
    CLogger other(unit, window, vars, clock);
    CRegistry load("", true, &ini);
    EXPECT_TRUE(other.Exchange(load, 1024, 768));
    const CLogSettings& s = other.Settings();
    EXPECT_EQ(s.Comment, "run 7");
    EXPECT_TRUE(s.LogAtConnect);
    EXPECT_EQ(s.MaxLen, 100);
    EXPECT_EQ(s.Interval, 100);
    EXPECT_EQ(s.MaxFiles, 1);
    EXPECT_EQ(s.Top, 668);
    EXPECT_EQ(s.Path, dir.Path());

    logger.StartLogging();
    ini.WriteString("Logging", "Comment", "changed");
    CRegistry again("", true, &ini);
    EXPECT_FALSE(logger.Exchange(again, 1024, 768));
    EXPECT_EQ(logger.Settings().Comment, "run 7");
    ASSERT_FALSE(hooks.shown.empty());
    EXPECT_EQ(hooks.shown.back().caption, "Load settings");
    EXPECT_EQ(hooks.shown.back().text, "Logging is On. Log settings not changed");
}

TEST(LogColumns, FlagsKeepFurtherRowsAndTablesFollowTheUnit)
{
    CLogColumns c;
    EXPECT_EQ(c.Flags(1), "11111111111");
    c.SetFlags(1, "10");
    EXPECT_EQ(c.Flags(1), "10111111111");
    platform::IniFile ini;
    {
        CRegistry save("", false, &ini);
        save.SetSection("Main");
        c.ExchangeColumnFlags(save, "LogFormat1", 1);
    }
    EXPECT_EQ(ini.ReadString("Main", "LogFormat1", ""), "10111111111");
    CLogColumns d;
    CRegistry load("", true, &ini);
    load.SetSection("Main");
    d.ExchangeColumnFlags(load, "LogFormat1", 1);
    d.ExchangeColumnFlags(load, "LogFormat2", 2); // missing: all stay on
    EXPECT_EQ(d.Flags(1), "10111111111");
    EXPECT_EQ(d.Flags(2), std::string(18, '1'));

    EXPECT_EQ(CLogColumns::TableFor(0, false, true), 1);
    EXPECT_EQ(CLogColumns::TableFor(0, true, false), 3);
    EXPECT_EQ(CLogColumns::TableFor(1, false, false), 2);
    EXPECT_EQ(CLogColumns::TableFor(1, true, true), 4);
    EXPECT_EQ(CLogColumns::TableFor(1, false, true), 5);
    EXPECT_EQ(CLogColumns::TableFor(2, false, false), 0);
    EXPECT_TRUE(c.Table(0).empty());
}

TEST(LogSettings, FileNamesAndTheDefaultFolder)
{
    EXPECT_EQ(CLogSettings::PreviewName("/data/logs", "run", 7), "/data/logs/run_7.csv");
    EXPECT_EQ(CLogSettings::PreviewName("/data/logs/", "run", 7), "/data/logs/run_7.csv");
    EXPECT_EQ(CLogSettings::PreviewName("", "run", 7), "run_7.csv");
    EXPECT_EQ(CLogSettings::FileName("", "run", 7), "");
    {
        testsupport::ScopedEnv xdg("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(CLogSettings::DefaultPath(), "/srv/data/Quorvane/Vantrel Orrery/Log");
    }
    testsupport::ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    testsupport::ScopedEnv home("HOME", "/home/op");
    EXPECT_EQ(CLogSettings::DefaultPath(), "/home/op/.local/share/Quorvane/Vantrel Orrery/Log");
}

} // namespace
