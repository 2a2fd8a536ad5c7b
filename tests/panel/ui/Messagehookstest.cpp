// The message boxes the core's helpers show: their icons and buttons, answered by clicking.
#include "common/Helpers.h"
#include "panel/ui/Messagehooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers the next message box by clicking one of its buttons and notes what it showed; the
// answer is dropped with `context` if no box came.
void AnswerNextBox(QObject* context, ShownBox& shown, QMessageBox::StandardButton answer)
{
    QTimer::singleShot(0, context, [&shown, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(answer)->click();
    });
}

class MessageHooksTest : public ::testing::Test {
protected:
    void SetUp() override { InstallMessageHooks(&hooks); }
    void TearDown() override { InstallMessageHooks(nullptr); }
    TMessageHooks hooks;
    QObject answers;
};

TEST_F(MessageHooksTest, PlainMessageHasOkAndNoIcon)
{
    ShownBox shown;
    AnswerNextBox(&answers, shown, QMessageBox::Ok);
    EXPECT_EQ(ShowMessageBox("Logging", "Done"), QMessageBox::Ok);
    EXPECT_EQ(shown.title, "Logging");
    EXPECT_EQ(shown.text, "Done");
    EXPECT_EQ(shown.icon, QMessageBox::NoIcon);
    EXPECT_EQ(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(MessageHooksTest, WarningAndQuestionCarryTheirIcons)
{
    ShownBox shown;
    AnswerNextBox(&answers, shown, QMessageBox::Ok);
    ShowWarning("Connect", "Can't find unit");
    EXPECT_EQ(shown.icon, QMessageBox::Warning);
    EXPECT_EQ(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    AnswerNextBox(&answers, shown, QMessageBox::No);
    EXPECT_FALSE(AskYesNo("Clear", "Clear?"));
    EXPECT_EQ(shown.icon, QMessageBox::Question);
    EXPECT_EQ(shown.buttons, QMessageBox::Yes | QMessageBox::No);
    AnswerNextBox(&answers, shown, QMessageBox::Yes);
    EXPECT_TRUE(AskYesNo("Clear", "Clear?"));
}

} // namespace
