// The traffic log window against the link and the simulated unit: lines while shown, none while
// hidden or paused, one "Pause..." mark, an empty log at each showing, the line limit, copy and
// clear.

#include "device/Device.h"
#include "link/ui/Ostrabuslog.h"
#include "qtsupport/Widgets.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class OstraBusLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        simunit::InstallDeviceCommands(sim.Unit());
        ASSERT_EQ(dev.OpenPort(sim.Path(), 9600, 500, 2), 0) << dev.LastError();
    }
    void TearDown() override { dev.ClosePort(); }
    QStringList Lines(TOstraBusLogForm& f)
    {
        const QString text = f.LogMemo->toPlainText();
        return text.isEmpty() ? QStringList() : text.split('\n');
    }

    testsupport::SimPty sim;
    CDevice dev;
};

TEST_F(OstraBusLogTest, ShownLogsPausedAndHiddenDrop)
{
    TOstraBusLogForm form;
    EXPECT_EQ(form.windowTitle(), "Ostra Bus log");
    dev.Identify(); // hidden: nothing
    form.show();
    EXPECT_TRUE(Lines(form).isEmpty());
    dev.Identify();
    QStringList lines = Lines(form);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "Wr:  Cmd=128 Bytes=0  ");
    EXPECT_EQ(lines[1].toStdString(), "Rd:  Cmd=128 Bytes=4  86 65 78 84 ");

    form.PauseBtn->click();
    EXPECT_TRUE(form.PauseBtn->isChecked());
    dev.Identify();
    form.PauseBtn->click(); // resuming adds nothing
    EXPECT_FALSE(form.PauseBtn->isChecked());
    lines = Lines(form);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], "Pause...");

    form.CopyBtn->click();
    EXPECT_EQ(QApplication::clipboard()->text(), form.LogMemo->toPlainText());
    EXPECT_FALSE(form.LogMemo->textCursor().hasSelection());

    form.CloseBtn->click();
    EXPECT_FALSE(form.isVisible());
    dev.Identify();
    form.PauseBtn->click(); // paused when shown again? each showing starts running
    form.show();
    EXPECT_TRUE(Lines(form).isEmpty());
    EXPECT_FALSE(form.PauseBtn->isChecked());
    dev.Identify();
    EXPECT_EQ(Lines(form).size(), 2);
    form.ClearBtn->click();
    EXPECT_TRUE(Lines(form).isEmpty());
}

TEST_F(OstraBusLogTest, KeepsItsLineLimit)
{
    TOstraBusLogForm form(nullptr, 5);
    form.show();
    for (int i = 0; i < 6; ++i)
        dev.Identify();
    const QStringList lines = Lines(form);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(form.Lines().Lines().size(), 5u);
    EXPECT_EQ(lines.back().toStdString(), "Rd:  Cmd=128 Bytes=4  86 65 78 84 ");
}

} // namespace
