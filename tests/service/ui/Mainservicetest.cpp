// The main window's service log, Info page and Config page driven as a user drives them, with
// the program connected to the simulated unit: the sector list and its text file, the three
// reports, the configuration saved to a file (whole or not at all) and restored through the
// restore question, the access code and the file choice.

#include "Unitpagesfixture.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Faults.h"
#include "panel/Orrery.h"
#include "panel/Statusstate.h"
#include "panel/ui/Main.h"
#include "panel/ui/Password.h"
#include "panel/ui/Status.h"
#include "platform/Inifile.h"
#include "qtsupport/Widgets.h"
#include "service/Configbackup.h"
#include "service/Servlog.h"
#include "service/ui/Configpage.h"
#include "service/ui/Fileask.h"
#include "service/ui/Infopage.h"
#include "service/ui/Servlogframe.h"
#include "service/ui/Setuppage.h"
#include "simunit/Simcommandset.h"
#include "support/Sentcommands.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sstream>

namespace {

using unitpagestest::SimUnitData;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> MemoLines(QPlainTextEdit* memo)
{
    std::vector<std::string> out;
    for (const QString& l : memo->toPlainText().split('\n'))
        out.push_back(l.toStdString());
    return out;
}

class MainService : public unitpagestest::UnitPagesFixture {
protected:
    void SetUp() override
    {
        UnitPagesFixture::SetUp();
        if (HasFatalFailure())
            return;
        Unit([](SimUnitData& d) {
            d.logCount = 3;
            d.logRecordLength = 75;
        });
        TMainForm::Forms forms;
        forms.Password = &password;
        side->SetForms({}); // the windows handed over anew: only the password dialog
        form->SetForms(forms);
        side->AskFile = [this](const SFileQuery& q, std::string& name) {
            queries.push_back(q);
            if (fileAnswer.empty())
                return false;
            name = fileAnswer;
            return true;
        };
    }
    void Connect(uint32_t pin = 1)
    {
        UnitPagesFixture::Connect(pin);
        log.Clear();
        hooks.shown.clear();
    }
    // Answers the restore question with the given choices, then (when asked) the access code.
    void AnswerRestore(bool factory, bool user, const std::string& code = "")
    {
        TRestoreFromFileForm& dialog = side->RestoreForm();
        QTimer::singleShot(0, &dialog, [this, &dialog, factory, user, code] {
            dialog.CalCheckBox->setChecked(factory);
            dialog.CfgCheckBox->setChecked(user);
            if (!code.empty())
                QTimer::singleShot(0, &password, [this, code] {
                    password.PasswordEdit->setText(QString::fromStdString(code));
                    password.OkBtn->click();
                });
            dialog.YesBtn->click();
        });
    }
    bool Shown(const std::string& text) const
    {
        for (const ShownMessage& m : hooks.shown)
            if (m.text == text)
                return true;
        return false;
    }

    testsupport::SentLog log;
    TPasswordForm password;
    std::vector<SFileQuery> queries;
    std::string fileAnswer;
};

TEST_F(MainService, SetupReadListsTheSectorsAndAClickShowsOne)
{
    Connect();
    side->SetupPage->ReadSetupBtn->click();
    QListWidget* list = side->ServLogTab->SectorListBox;
    ASSERT_EQ(list->count(), 10);
    EXPECT_EQ(list->item(3)->text(), "3   Active");
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_EQ(MemoLines(side->ServLogTab->ServLogMemo), servlog::StatisticsLines(*form->Device(), 3));
    EXPECT_EQ(side->ServLogTab->ServLogMemo->textCursor().position(), 0);

    // The list is the Setup page's Service Log tab; there its Save stands in for Send.
    QTabWidget* tabs = side->SetupPage->SetupPageControl;
    EXPECT_EQ(tabs->tabText(tabs->indexOf(side->ServLogTab)), "Service Log");
    form->PageControl->setCurrentWidget(side->SetupPage);
    tabs->setCurrentWidget(side->ServLogTab);
    EXPECT_FALSE(side->SetupPage->SendSetupBtn->isVisible());
    EXPECT_TRUE(side->ServLogTab->SaveServLogBtn->isVisible());
    list->scrollToItem(list->item(5));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(5)).center());
    const auto lines = MemoLines(side->ServLogTab->ServLogMemo);
    EXPECT_EQ(lines, servlog::StatisticsLines(*form->Device(), 5));
    EXPECT_EQ(lines.size(), 24u); // a record of length 75
}

// For each "name<tab>value" line as the memo draws it: the pixels from the end of the name to
// the start of the value.
std::vector<std::pair<std::string, int>> NameValueGaps(QPlainTextEdit* memo)
{
    std::vector<std::pair<std::string, int>> gaps;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        const int tab = int(text.indexOf('\t'));
        if (tab < 0)
            continue;
        int value = tab;
        while (value < text.size() && text[value] == '\t')
            ++value;
        QTextCursor c(b);
        c.setPosition(b.position() + tab);
        const int nameEnd = memo->cursorRect(c).left();
        c.setPosition(b.position() + value);
        gaps.emplace_back(text.toStdString(), memo->cursorRect(c).left() - nameEnd);
    }
    return gaps;
}

TEST_F(MainService, StatisticsKeepEveryNameApartFromItsValue)
{
    Connect();
    side->SetupPage->ReadSetupBtn->click();
    form->PageControl->setCurrentWidget(side->SetupPage);
    side->SetupPage->SetupPageControl->setCurrentWidget(side->ServLogTab);
    QCoreApplication::processEvents();
    QPlainTextEdit* memos[] = {side->ServLogTab->ServLogMemo, side->InfoPage->StatsMemo};
    const auto serviceLog = NameValueGaps(memos[0]);
    form->PageControl->setCurrentWidget(side->InfoPage);
    side->InfoPage->ServLogBtn->click();
    QCoreApplication::processEvents();
    const auto statistics = NameValueGaps(memos[1]);
    int index = 0;
    for (const auto& gaps : {serviceLog, statistics}) {
        const int space = QFontMetrics(memos[index++]->font()).horizontalAdvance(' ');
        ASSERT_GE(gaps.size(), 18u);
        for (const auto& [line, gap] : gaps)
            EXPECT_GE(gap, space) << line;
    }
}

TEST_F(MainService, UnitThatNamesNoActiveSectorIsSaidSoNotReportedAsAccepted)
{
    Unit([](SimUnitData& d) { d.logCount = 10; });
    Connect();
    const std::string text = "The unit names no active sector (10)";
    side->InfoPage->ServLogBtn->click();
    EXPECT_EQ(MemoLines(side->InfoPage->StatsMemo), std::vector<std::string>{text});
    EXPECT_EQ(form->Status->State().ErrorText(), text);
    EXPECT_NE(form->Status->State().ErrorText(), "Command accepted");

    side->SetupPage->ReadSetupBtn->click();
    QListWidget* list = side->ServLogTab->SectorListBox;
    ASSERT_EQ(list->count(), 10);
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(list->item(n)->text(), QString::number(n));
    EXPECT_EQ(MemoLines(side->ServLogTab->ServLogMemo), std::vector<std::string>{text});
    // The status line tells the same as the memo once the Read is done.
    EXPECT_EQ(StatusText(), text);
}

TEST(MainServiceUnit, SimulatedUnitNamesAnActiveSectorAsAUnitDoes)
{
    simunit::SimUnitData fresh;
    EXPECT_GE(fresh.logCount, 0);
    EXPECT_LT(fresh.logCount, 10);
}

TEST_F(MainService, ServiceLogSavesAsTextOrSaysWhyNot)
{
    Connect();
    side->SetupPage->ReadSetupBtn->click();
    fileAnswer = dir.Path() + "/log.txt";
    side->ServLogTab->SaveServLogBtn->click();
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].Title, "Save Service Log");
    EXPECT_TRUE(queries[0].Save);
    EXPECT_EQ(ReadAll(fileAnswer), servlog::JoinLines(servlog::FileLines(*form->Device())));
    EXPECT_NE(ReadAll(fileAnswer).find("Sector 3 (Active)\r\n"), std::string::npos);
    EXPECT_TRUE(Shown("Service Log Saved Ok"));

    hooks.shown.clear();
    fileAnswer = dir.Path() + "/no/such/folder/log.txt";
    side->ServLogTab->SaveServLogBtn->click();
    EXPECT_FALSE(Shown("Service Log Saved Ok"));
    ASSERT_FALSE(hooks.shown.empty());
    EXPECT_EQ(hooks.shown.back().kind, "warning");
}

TEST_F(MainService, InfoReportsConfigurationStatisticsAndFaults)
{
    Unit([](SimUnitData& d) { d.faults = (uint64_t(1) << 60) | 1u; });
    Connect();
    TInfoPage* info = side->InfoPage;
    EXPECT_EQ(info->StatsTextLabel->text(), "Click the button to update");
    info->ConfigInfoBtn->click();
    EXPECT_EQ(info->StatsLabel->text(), "Configuration");
    const auto config = MemoLines(info->StatsMemo);
    ASSERT_EQ(config.size(), 6u);
    EXPECT_EQ(config[2], "PIN = 00000001");
    EXPECT_TRUE(info->StatsMemo->isReadOnly());
    EXPECT_EQ(side->SetupPage->CmaxEdits[0]->text(), "1000"); // the Setup page shows the ranges
    EXPECT_EQ(side->SetupPage->CminEdits[1]->text(), "0");

    info->ServLogBtn->click();
    EXPECT_EQ(info->StatsLabel->text(), "Statistics");
    EXPECT_EQ(MemoLines(info->StatsMemo), servlog::StatisticsLines(*form->Device(), 3));

    info->FaultsInfoBtn->click();
    EXPECT_EQ(info->StatsLabel->text(), "Faults");
    EXPECT_EQ(MemoLines(info->StatsMemo), std::vector<std::string>{CFaults::FaultName(1)});

    Unit([](SimUnitData& d) { d.faults = uint64_t(1) << 60; });
    info->FaultsInfoBtn->click();
    EXPECT_EQ(MemoLines(info->StatsMemo), std::vector<std::string>{"No faults"});

    // A read that fails lists nothing, not the faults of the last sample.
    Unit([](SimUnitData& d) { d.faults = 2; });
    info->FaultsInfoBtn->click();
    sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
    info->FaultsInfoBtn->click();
    sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
    EXPECT_TRUE(info->StatsMemo->toPlainText().isEmpty());
    EXPECT_EQ(info->StatsLabel->text(), "Faults");
}

TEST_F(MainService, FaultsReportAfterLostReadingsNeverListsNoFaultsWithoutASample)
{
    Unit([](SimUnitData& d) { d.faults = uint64_t(1) << 3; });
    Connect();
    TInfoPage* info = side->InfoPage;
    form->ReadTimerBtn->click(); // polled
    ASSERT_TRUE(form->ReadTimer->isActive());
    form->ReadTimerTimer();
    // The unit stops answering until the read timer stops: the readings are lost.
    sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
    for (int i = 0; i < 20 && form->ReadTimer->isActive(); ++i)
        form->ReadTimerTimer();
    ASSERT_FALSE(form->ReadTimer->isActive());
    ASSERT_TRUE(form->ReadingsLost());

    // It answers again, but its live reply holds no sample: the faults are still not known.
    sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
    Unit([](SimUnitData& d) { d.liveReplyLength = 28; });
    info->FaultsInfoBtn->click();
    EXPECT_EQ(info->StatsLabel->text(), "Faults");
    EXPECT_TRUE(info->StatsMemo->toPlainText().isEmpty()) << info->StatsMemo->toPlainText().toStdString();

    // A read with a sample lists the unit's faults.
    Unit([](SimUnitData& d) { d.liveReplyLength = 30; });
    info->FaultsInfoBtn->click();
    EXPECT_FALSE(form->ReadingsLost());
    EXPECT_EQ(MemoLines(info->StatsMemo), std::vector<std::string>{CFaults::FaultName(uint64_t(1) << 3)});
}

TEST_F(MainService, ConfigurationSavesWholeOrNotAtAll)
{
    Connect();
    fileAnswer = dir.Path() + "/unit.cal";
    side->ConfigPage->SaveToFileBtn->click();
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].Extension, "cal");
    EXPECT_EQ(queries[0].Title, "Save to File");
    const std::string first = ReadAll(fileAnswer);
    EXPECT_EQ(first.rfind("[Vantrel Calibration]\r\n", 0), 0u);
    EXPECT_NE(first.find("[Position]"), std::string::npos);
    EXPECT_TRUE(Shown("Completed OK"));

    // The unit stops answering halfway: the earlier file stays as it was and the user is told.
    hooks.shown.clear();
    Unit([](SimUnitData& d) { d.presetMode = 0; });
    sim.Unit().Register(157, [this](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        reply.assign(7, 0);
        return true;
    });
    side->ConfigPage->SaveToFileBtn->click();
    sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
    EXPECT_EQ(ReadAll(fileAnswer), first);
    EXPECT_FALSE(Shown("Completed OK"));
    EXPECT_TRUE(Shown(calfile::NotSavedText));
}

TEST_F(MainService, RestoreAsksChoosesAndSendsTheFile)
{
    Unit([](SimUnitData& d) {
        d.caps[0].minWord = 1000;
        d.sensorCal[0] = {1, 2, 3, 4, 5, 6, 7, 8};
    });
    Connect();
    fileAnswer = dir.Path() + "/unit.cal";
    side->ConfigPage->SaveToFileBtn->click();
    // A fresh unit.
    Unit([](SimUnitData& d) {
        d = SimUnitData{};
        d.motorSpeed = 0;
    });

    // User's configuration only: no access code, no calibration sent.
    log.Clear();
    AnswerRestore(false, true);
    side->ConfigPage->RestoreFromFileBtn->click();
    EXPECT_EQ(log.Count(85), 0);
    EXPECT_EQ(log.Count(84), 1);
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.caps[0].minWord; }), 1000);
    EXPECT_TRUE(Shown("Completed OK"));
    EXPECT_GE(log.Count(169), 1); // the pages read again

    // Factory setup with a wrong access code: nothing is sent.
    log.Clear();
    AnswerRestore(true, true, "guess");
    side->ConfigPage->RestoreFromFileBtn->click();
    EXPECT_TRUE(log.Sent().empty());
    EXPECT_TRUE(Shown("Wrong password"));

    // With the code: the calibration is sent.
    log.Clear();
    AnswerRestore(true, false, calfile::AccessCode);
    side->ConfigPage->RestoreFromFileBtn->click();
    EXPECT_EQ(log.Count(85), 1);
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.sensorCal[0][7]; }), 8);
    EXPECT_EQ(queries.back().Title, "Restore from File");
}

TEST_F(MainService, RestoreCutShortByTheUnitSaysHowFarItGot)
{
    Connect();
    fileAnswer = dir.Path() + "/unit.cal";
    side->ConfigPage->SaveToFileBtn->click();
    // The unit goes silent once it has taken the first trajectory point.
    sim.Unit().Register(90, [this](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        reply = {0};
        return true;
    });
    hooks.shown.clear();
    AnswerRestore(false, true);
    side->ConfigPage->RestoreFromFileBtn->click();
    sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
    EXPECT_FALSE(Shown("Completed OK"));
    std::vector<ShownMessage> warnings;
    for (const ShownMessage& m : hooks.shown)
        if (m.kind == "warning")
            warnings.push_back(m);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].caption, "Restore from File");
    EXPECT_EQ(warnings[0].text, "Restore stopped after 5 of 8 commands: Time-out. The unit holds part of the file.\n"
                                "Trajectory set 1 written without its delays, sets 2, 3, 4 not written.");
    EXPECT_EQ(StatusText(), "Restore stopped after 5 of 8 commands: Time-out. The unit holds part of the file.");
}

TEST_F(MainService, RestoreWhoseCapacitorMoveFailedIsNoSuccess)
{
    Connect();
    fileAnswer = dir.Path() + "/unit.cal";
    side->ConfigPage->SaveToFileBtn->click();
    const std::string head = "Restore stopped after 6 of 8 commands: ";
    const std::string tail = ". The unit holds part of the file.";
    auto restore = [&](simunit::SimUnit::Watcher watcher) {
        sim.Unit().SetWatcher(std::move(watcher));
        hooks.shown.clear();
        log.Clear();
        AnswerRestore(false, true);
        side->ConfigPage->RestoreFromFileBtn->click();
        sim.Unit().SetWatcher({});
        sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
        // Nothing of the file after the move: neither Tune nor the mode.
        const std::vector<int> sent = log.Commands();
        const auto move = std::find(sent.begin(), sent.end(), 112);
        EXPECT_NE(move, sent.end());
        EXPECT_EQ(std::count(move, sent.end(), 122), 0);
        EXPECT_EQ(std::count(move, sent.end(), 93), 0);
    };
    auto closing = [&](const std::string& text) {
        EXPECT_FALSE(Shown("Completed OK"));
        const std::vector<ShownMessage> warnings = UnitPagesFixture::Shown("warning");
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].text, text);
        EXPECT_EQ(StatusText(), text);
    };

    // The unit misses the Load move once (after the last trajectory write) and answers again.
    auto armed = std::make_shared<std::atomic<bool>>(true);
    restore([this, armed](int command, const std::vector<uint8_t>& data) -> uint8_t {
        if (command == 100 && !data.empty() && data[0] == 4 && armed->exchange(false))
            sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, 1);
        return 0;
    });
    EXPECT_FALSE(armed->load());
    closing(head + "Time-out" + tail);

    // The unit refuses the move.
    restore([](int command, const std::vector<uint8_t>&) -> uint8_t { return command == 112 ? 47 : 0; });
    closing(head + "CSR Motor movement disabled" + tail);
}

TEST_F(MainService, RestoreWhoseThirdCapacitorMoveWasRefusedIsNoSuccess)
{
    Connect(0x400);
    fileAnswer = dir.Path() + "/unit.cal";
    side->ConfigPage->SaveToFileBtn->click();
    sim.Unit().SetWatcher([](int command, const std::vector<uint8_t>& data) -> uint8_t {
        return command == 95 && !data.empty() && data[0] == 0 ? 48 : 0;
    });
    hooks.shown.clear();
    log.Clear();
    AnswerRestore(false, true);
    side->ConfigPage->RestoreFromFileBtn->click();
    sim.Unit().SetWatcher({});
    const std::vector<testsupport::SentCommand> writes = log.Sent({95, 93});
    ASSERT_FALSE(writes.empty());
    // The refused move is the last: no mode after it.
    EXPECT_EQ(writes.back().command, 95);
    EXPECT_EQ(writes.back().data.at(0), 0);
    EXPECT_FALSE(Shown("Completed OK"));
    const std::vector<ShownMessage> warnings = UnitPagesFixture::Shown("warning");
    ASSERT_EQ(warnings.size(), 1u);
    const std::string text =
        "Restore stopped after 16 of 18 commands: CSR Motor already moving. The unit holds part of the file.";
    EXPECT_EQ(warnings[0].text, text);
    EXPECT_EQ(StatusText(), text);
}

TEST_F(MainService, RestoreWithRefusalsSaysWhatTheUnitRefused)
{
    Connect();
    fileAnswer = dir.Path() + "/unit.cal";
    side->ConfigPage->SaveToFileBtn->click();
    // The CSRs of the target (71) and the potentiometers (92) are ignored: no refusals.
    sim.Unit().SetWatcher(testsupport::RefuseCommands({{84, 4}, {85, 39}, {87, 33}, {90, 38}, {71, 4}, {92, 36}}));
    hooks.shown.clear();
    log.Clear();
    AnswerRestore(true, true, calfile::AccessCode);
    side->ConfigPage->RestoreFromFileBtn->click();
    sim.Unit().SetWatcher({});
    EXPECT_FALSE(Shown("Completed OK"));
    const std::vector<ShownMessage> warnings = UnitPagesFixture::Shown("warning");
    ASSERT_EQ(warnings.size(), 1u);
    // The trajectories end at the first set the unit refuses; the converters go on to the last.
    const std::string text = "Completed with 11 refusals: Cmd 84: CSR Invalid data range; "
                             "Cmd 85: CSR Invalid sensor select parameter; Cmd 90: CSR Invalid trajectory count; "
                             "Cmd 87: CSR Invalid SDAC selected (8 times)";
    EXPECT_EQ(warnings[0].caption, "Restore from file");
    EXPECT_EQ(warnings[0].text, text + "\nTrajectory sets 1, 2, 3, 4 not written.");
    EXPECT_EQ(StatusText(), text);
}

TEST_F(MainService, RestoreWhoseMotorsNeverStoppedSaysTheirPositionsAreNotConfirmed)
{
    Connect();
    fileAnswer = dir.Path() + "/unit.cal";
    side->ConfigPage->SaveToFileBtn->click();
    // Every motor poll answers "both moving"; the move's clock runs 5 s a reading, so its wait
    // ends after a few polls.
    sim.Unit().Register(135, [](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        reply = {3};
        return true;
    });
    int64_t clock = 0;
    form->CapControls().SetClock([&clock] { return clock += 5000; });
    hooks.shown.clear();
    log.Clear();
    AnswerRestore(false, true);
    side->ConfigPage->RestoreFromFileBtn->click();
    // The restore went on past the move to its end, the mode.
    const std::vector<int> sent = log.Commands();
    const auto move = std::find(sent.begin(), sent.end(), 122);
    ASSERT_NE(move, sent.end());
    EXPECT_NE(std::find(move, sent.end(), 93), sent.end());
    EXPECT_FALSE(Shown("Completed OK"));
    const std::vector<ShownMessage> warnings = UnitPagesFixture::Shown("warning");
    ASSERT_EQ(warnings.size(), 1u);
    const std::string text = "Completed, but the motors were still moving when the wait for them ended: "
                             "the capacitor positions of the file are not confirmed.";
    EXPECT_EQ(warnings[0].caption, "Restore from file");
    EXPECT_EQ(warnings[0].text, text);
    EXPECT_EQ(StatusText(), text);
}

TEST_F(MainService, RestoreOfAMissingFileOrAnsweredNoSendsNothing)
{
    Connect();
    fileAnswer = dir.Path() + "/none.cal";
    AnswerRestore(false, true);
    side->ConfigPage->RestoreFromFileBtn->click();
    EXPECT_TRUE(log.Sent().empty());
    EXPECT_TRUE(Shown("File  " + fileAnswer + "  does not exist"));

    // A named pipe is refused at once, saying what it is.
    fileAnswer = dir.Path() + "/pipe.cal";
    ASSERT_EQ(mkfifo(fileAnswer.c_str(), 0600), 0);
    AnswerRestore(false, true);
    side->ConfigPage->RestoreFromFileBtn->click();
    EXPECT_TRUE(log.Sent().empty());
    EXPECT_TRUE(Shown("Cannot read \"" + fileAnswer + "\": not a regular file (a named pipe)"));

    TRestoreFromFileForm& dialog = side->RestoreForm();
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.NoBtn->click(); });
    queries.clear();
    side->ConfigPage->RestoreFromFileBtn->click();
    EXPECT_TRUE(queries.empty());
    EXPECT_TRUE(log.Sent().empty());
}

} // namespace
