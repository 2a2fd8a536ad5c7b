// The command console window against the simulated unit: typed bytes, the reply's lines, the
// result text, and a refused text that sends nothing.

#include "device/Device.h"
#include "panel/Scripted.h"
#include "qtsupport/Widgets.h"
#include "service/ui/Tech.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// Types text into the widget as key presses.
void Type(QWidget* w, const QString& text)
{
    w->setFocus();
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

class TechFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        simunit::InstallDeviceCommands(sim.Unit());
        ASSERT_EQ(dev.OpenPort(sim.Path(), 9600, 500, 2), 0) << dev.LastError();
        form.show();
        sim.Server().ClearLog();
    }
    void TearDown() override { dev.ClosePort(); }

    testsupport::SimPty sim;
    CDevice dev;
    ScriptedHooks hooks;
    int cleared = 0;
    TTechForm form{dev, [this] { ++cleared; }};
};

TEST_F(TechFormTest, SendsTypedBytesAndShowsTheReply)
{
    EXPECT_EQ(form.windowTitle(), "Technical");
    EXPECT_EQ(form.PageControl->currentWidget(), form.OstraBusTabSheet);
    EXPECT_EQ(form.CmdEdit->text(), "128");
    EXPECT_TRUE(form.ExecuteBtn->isDefault());
    Type(form.WriteEdit, "1, 2 ,3");
    form.ExecuteBtn->click();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(form.WrBytesText->text(), "3");
    ASSERT_TRUE(sim.Server().WaitForRequests(1));
    EXPECT_EQ(sim.Server().Requests()[0].data, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(form.ErrorText->text(), "OK");
    EXPECT_EQ(form.RdBytesText->text(), "4");
    EXPECT_EQ(form.ReadMemo->toPlainText(), " 86, 65, 78, 84");

    // The time field shows the exchange's time: a unit that takes its time to answer.
    constexpr int SlowCommand = 77;
    static constexpr int AnswerMs = 120;
    sim.Unit().Register(SlowCommand, [](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        std::this_thread::sleep_for(std::chrono::milliseconds(AnswerMs));
        reply = {simunit::SimUnit::CsrOk};
        return true;
    });
    form.CmdEdit->selectAll();
    Type(form.CmdEdit, QString::number(SlowCommand));
    form.WriteEdit->clear();
    form.ExecuteBtn->click();
    EXPECT_EQ(form.ErrorText->text(), "OK");
    bool ok = false;
    EXPECT_GE(form.TimeEdit->text().toInt(&ok), AnswerMs) << form.TimeEdit->text().toStdString();
    EXPECT_TRUE(ok);

    // Without a link: the link's text and no reply bytes.
    dev.ClosePort();
    form.WriteEdit->clear();
    form.ExecuteBtn->click();
    EXPECT_EQ(form.ErrorText->text(), "Disconnected");
    EXPECT_EQ(form.RdBytesText->text(), "0");
    EXPECT_TRUE(form.ReadMemo->toPlainText().isEmpty());
    EXPECT_EQ(form.WrBytesText->text(), "3"); // no byte appended this time
}

TEST_F(TechFormTest, RefusedTextSendsNothing)
{
    Type(form.WriteEdit, "1 two 3");
    form.ExecuteBtn->click();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Technical");
    EXPECT_EQ(hooks.shown[0].text, "\"two\" is not a decimal number\nThe command was not sent.");
    EXPECT_TRUE(sim.Server().Requests().empty());
    EXPECT_EQ(form.WrBytesText->text(), "0");
}

TEST_F(TechFormTest, CommandNumberOutsideOneByteSendsNothing)
{
    form.CmdEdit->clear();
    Type(form.CmdEdit, "999");
    Type(form.WriteEdit, "1");
    form.ExecuteBtn->click();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Technical");
    EXPECT_EQ(hooks.shown[0].text, "Command 999 is out of range (0 to 255)\nThe command was not sent.");
    EXPECT_TRUE(sim.Server().Requests().empty());
    EXPECT_EQ(form.ErrorText->text(), "");
    EXPECT_EQ(form.WrBytesText->text(), "0");
}

} // namespace
