// The message boxes the core's helpers show: their icons and buttons, answered by clicking.
#include "common/Helpers.h"
#include "panel/ui/Messagehooks.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
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

TEST_F(MessageHooksTest, LongListScrollsAndTheBoxFitsTheScreen)
{
    std::string text = "Not restored: missing or unreadable in the file:";
    for (int i = 0; i < 100; ++i)
        text += "\nTrajectories/Sh" + std::to_string(i);
    QString heading, list;
    int height = 0;
    bool clicked = false;
    QTimer::singleShot(0, &answers, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        auto* memo = box->findChild<QPlainTextEdit*>("LongTextMemo");
        ASSERT_NE(memo, nullptr);
        EXPECT_TRUE(memo->isReadOnly());
        list = memo->toPlainText();
        height = box->sizeHint().height();
        EXPECT_EQ(box->windowTitle(), "Restore from File");
        for (QLabel* label : box->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                heading = label->text();
        auto* buttons = box->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        buttons->button(QDialogButtonBox::Ok)->click();
        clicked = true;
    });
    EXPECT_EQ(ShowWarning("Restore from File", text), QMessageBox::Ok);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(heading, "Not restored: missing or unreadable in the file:");
    EXPECT_EQ(list.count('\n'), 99);
    EXPECT_TRUE(list.startsWith("Trajectories/Sh0\nTrajectories/Sh1\n"));
    EXPECT_LT(height, 600); // a hundred lines in a box of about twenty

    // A short text stays a plain message box.
    ShownBox shown;
    AnswerNextBox(&answers, shown, QMessageBox::Ok);
    ShowWarning("Restore from File", "Not restored: missing or unreadable in the file:\nConfig/SN");
    EXPECT_EQ(shown.text, "Not restored: missing or unreadable in the file:\nConfig/SN");
}

TEST_F(MessageHooksTest, ABoxOpenedWhileAnotherIsOpenGoesBesideIt)
{
    // Polling and the data logger stopping at the same failure: the logger's warning comes
    // while the read timer's is still open.
    QRect first, second;
    bool bothShown = false;
    QTimer::singleShot(0, &answers, [&] {
        auto* open = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        first = open->frameGeometry();
        QTimer::singleShot(0, &answers, [&, open] {
            auto* next = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(next, nullptr);
            second = next->frameGeometry();
            bothShown = next != open && open->isVisible() && next->isVisible();
            next->button(QMessageBox::Ok)->click();
        });
        ShowWarning("Vantrel Orrery", "Data logging is stopped after\n5 communication errors");
        open->button(QMessageBox::Ok)->click();
    });
    ShowWarning("Vantrel Orrery", "Read timer is stopped after\n5 communication errors");
    EXPECT_TRUE(bothShown);
    EXPECT_FALSE(first.intersects(second)) << first.y() << " and " << second.y();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(first));
    EXPECT_TRUE(screen.contains(second));

    // A question over a warning likewise.
    QRect warning, question;
    QTimer::singleShot(0, &answers, [&] {
        auto* open = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        warning = open->frameGeometry();
        QTimer::singleShot(0, &answers, [&] {
            auto* next = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(next, nullptr);
            question = next->frameGeometry();
            next->button(QMessageBox::No)->click();
        });
        EXPECT_FALSE(AskYesNo("Disconnect", "RF is On !\nDisconnect Orrery anyway ?"));
        open->button(QMessageBox::Ok)->click();
    });
    ShowWarning("Connect", "Can't find unit");
    EXPECT_FALSE(warning.intersects(question));
}

} // namespace
