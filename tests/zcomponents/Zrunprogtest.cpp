#include "zcomponents/Zrunprog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Records the events of a runner in order.
struct Journal {
    std::vector<std::string> events;
    void Attach(TzcRunProg& run)
    {
        run.OnBeforeRun = [this](QObject*) { events.push_back("run"); };
        run.OnBeforeWait = [this](QObject*) { events.push_back("wait"); };
        run.OnFinish = [this](QObject*) { events.push_back("finish"); };
        run.OnError = [this](QObject*, TzcRunError e, int code) {
            events.push_back("error " + std::to_string(int(e)) + " " + std::to_string(code));
        };
    }
};

} // namespace

TEST(TzcRunProg, DefaultsAndShownOnlyProperties)
{
    TzcRunProg run;
    EXPECT_EQ(run.LastResultCode(), zre_OK);
    EXPECT_EQ(run.Visiblility(), zrs_SHOWNORMAL);
    EXPECT_TRUE(run.Wait());
    EXPECT_FALSE(run.HardWait());
    EXPECT_EQ(run.ReturnCode(), 0);
    run.SetLastResultCode(zre_FileError);
    run.SetReturnCode(7);
    EXPECT_EQ(run.LastResultCode(), zre_OK);
    EXPECT_EQ(run.ReturnCode(), 0);
}

TEST(TzcRunProg, SoftWaitReportsExitCodeAndKeepsEventsRunning)
{
    QTemporaryDir dir;
    const QString flag = dir.filePath("go");
    TzcRunProg run;
    Journal journal;
    journal.Attach(run);
    // The child ends only after the GUI thread has run a timer during the wait.
    QTimer::singleShot(0, &run, [&] {
        QFile f(flag);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    });
    run.SetCmdLine("sh -c \"while [ ! -e '" + flag + "' ]; do sleep 0.01; done; exit 3\"");
    run.Run();
    EXPECT_EQ(run.ReturnCode(), 3);
    EXPECT_EQ(run.LastResultCode(), zre_OK);
    EXPECT_EQ(run.SavedErrorCode(), 0);
    EXPECT_EQ(journal.events, (std::vector<std::string>{"run", "wait", "finish"}));

    run.RunThis("sh -c \"kill -TERM $$\"");
    EXPECT_EQ(run.ReturnCode(), 128 + 15);
    run.RunThis("true");
    EXPECT_EQ(run.ReturnCode(), 0);
}

TEST(TzcRunProg, HardWaitAlsoReportsTheExitCode)
{
    TzcRunProg run;
    run.SetHardWait(true);
    run.RunThis("sh -c \"exit 5\"");
    EXPECT_EQ(run.ReturnCode(), 5);
    EXPECT_EQ(run.LastResultCode(), zre_OK);
}

TEST(TzcRunProg, NoWaitReturnsAtOnce)
{
    TzcRunProg run;
    Journal journal;
    journal.Attach(run);
    run.SetWait(false);
    run.RunThis("sh -c \"exit 9\"");
    EXPECT_EQ(run.ReturnCode(), 0);
    EXPECT_EQ(run.LastResultCode(), zre_OK);
    EXPECT_EQ(journal.events, std::vector<std::string>{"run"});
}

TEST(TzcRunProg, StartFailures)
{
    QTemporaryDir dir;
    TzcRunProg run;
    Journal journal;
    journal.Attach(run);
    run.RunThis("/nonexistent/orrery-no-such-program --x");
    EXPECT_EQ(run.LastResultCode(), zre_FileNotFound);
    EXPECT_EQ(run.SavedErrorCode(), 2);
    EXPECT_EQ(journal.events, (std::vector<std::string>{"run", "error 2 2"}));

    const QString text = dir.filePath("notes.txt");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("plain text\n");
    }
    journal.events.clear();
    run.RunThis("\"" + text + "\""); // not executable
    EXPECT_EQ(run.SavedErrorCode(), 5);
    EXPECT_EQ(run.LastResultCode(), zre_networkerror);

    run.RunThis("true " + QString(600, u'x'));
    EXPECT_EQ(run.SavedErrorCode(), 206);
    EXPECT_EQ(run.LastResultCode(), zre_UnknownError);
    run.RunThis("");
    EXPECT_EQ(run.LastResultCode(), zre_FileNotFound);
    run.RunThis("true");
    EXPECT_EQ(run.SavedErrorCode(), 0);
    EXPECT_EQ(run.LastResultCode(), zre_OK);
}

TEST(TzcRunProg, ErrorTable)
{
    const std::pair<int, TzcRunError> table[] = {
        {0, zre_OK},           {1, zre_FileNotFound},  {2, zre_FileNotFound},
        {3, zre_PathNotFound}, {4, zre_FileError},     {5, zre_networkerror},
        {6, zre_MemoryError},  {14, zre_MemoryError},  {15, zre_FileError},
        {31, zre_FileError},   {32, zre_networkerror}, {36, zre_networkerror},
        {37, zre_UnknownError}, {38, zre_FileError},   {52, zre_FileError},
        {53, zre_networkerror}, {55, zre_networkerror}, {56, zre_UnknownError},
        {-1, zre_UnknownError}, {193, zre_UnknownError},
    };
    for (auto [code, want] : table)
        EXPECT_EQ(RunErrorFor(code), want) << code;
    EXPECT_EQ(RunErrorFor(PlatformErrorForErrno(EIO)), zre_UnknownError);
}
