// The lock on the main window's pages: every control that works only while the panel is
// unlocked is disabled while it is locked, on every page, and sends nothing however the user
// tries it; unlocked, each is as its page's own rules have it.

#include "service/ui/Unitpagesfixture.h"

#include "panel/ui/Password.h"
#include "qtsupport/Modaldriver.h"
#include "service/ui/Cal3capdlg.h"
#include "service/ui/Calinputdlg.h"
#include "service/ui/Setuppage.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

namespace {

using unitpagestest::Cmds;

// The controls enabled only while the panel is unlocked.
const char* const UnlockedOnly[] = {
    "ClearBtn",        "CtrlNotebook",   "_3capRatioEdit", "SendSetupBtn",       "ResetMemoryBtn",
    "ResetServLogBtn", "ResetCapsBtn",   "CalInputBtn",    "CalOutputBtn",       "RestoreFromFileBtn",
    "SaveToFileBtn",   "SendTrajBtn",    "SendTuningBtn",  "Send3capBtn",        "ShStepEdit",
    "SerStepEdit",     "_3capStepEdit",  "ShPosEdit",      "SerPosEdit",         "_3capPosEdit",
    "ShSpinButton",    "SerSpinButton",  "_3capSpinButton", "ShTrackBar",        "SerTrackBar",
    "_3capTrackBar"};

// How a button's caption stands out: the largest grey-level step from the face over the pixels
// where the button differs from one without a caption, and whether any of them is blue.
struct SCaptionLook {
    int contrast = 0;
    bool blue = false;
};

SCaptionLook CaptionLook(QPushButton& button, const QPalette& palette)
{
    QPushButton blank;
    blank.setPalette(palette);
    blank.setFont(button.font());
    blank.resize(button.size());
    blank.setEnabled(button.isEnabled());
    const QImage shown = button.grab().toImage();
    const QImage face = blank.grab().toImage();
    SCaptionLook look;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb p = shown.pixel(x, y);
            const QRgb f = face.pixel(x, y);
            if (p == f)
                continue;
            look.contrast = std::max(look.contrast, std::abs(qGray(p) - qGray(f)));
            look.blue = look.blue || qBlue(p) > qRed(p) + 24;
        }
    return look;
}

// The same caption on a plain disabled button of the same size and font.
SCaptionLook PlainDisabledLook(const QPushButton& button)
{
    QPushButton plain(button.text());
    plain.setFont(button.font());
    plain.resize(button.size());
    plain.setEnabled(false);
    return CaptionLook(plain, QApplication::palette(&plain));
}

class LockedPages : public unitpagestest::UnitPagesFixture {
protected:
    void SetUp() override
    {
        UnitPagesFixture::SetUp();
        TMainForm::Forms forms;
        forms.Password = &password;
        form->SetForms(forms);
    }
    void TearDown() override
    {
        for (QWidget* dialog : {static_cast<QWidget*>(side->CalInputForm), static_cast<QWidget*>(side->Cal3capForm)})
            if (dialog && dialog->isVisible())
                dialog->close();
        UnitPagesFixture::TearDown();
    }
    // Orrery > Lock (or Unlock) with the password typed into its dialog and OK clicked.
    void LockMenu(const QString& typed)
    {
        testsupport::ModalDriver driver;
        driver.Then("PasswordForm", [typed](QWidget* dialog) {
            auto* p = static_cast<TPasswordForm*>(dialog);
            unitpagestest::Type(p->PasswordEdit, typed);
            QTest::mouseClick(p->OkBtn, Qt::LeftButton);
            return true;
        });
        form->LockMenuItem->trigger();
        EXPECT_TRUE(driver.Done());
    }
    QWidget* Control(const char* name) const
    {
        QWidget* w = form->findChild<QWidget*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The pages and tabs that hold the control brought to the front, as a user would.
    static void Reveal(QWidget* w)
    {
        for (QWidget* child = w, *p = w->parentWidget(); p; child = p, p = p->parentWidget()) {
            if (auto* stack = qobject_cast<QStackedWidget*>(p); stack && stack->indexOf(child) >= 0) {
                if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
                    tabs->setCurrentWidget(child);
            }
        }
    }
    // Clicks the control and its buttons and presses keys in it, as a user would try it.
    static void TryAsAUser(QWidget* w)
    {
        Reveal(w);
        std::vector<QWidget*> targets{w};
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isVisible())
                targets.push_back(b);
        for (QWidget* t : targets) {
            QTest::mouseClick(t, Qt::LeftButton, Qt::NoModifier, t->rect().center());
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Right})
                QTest::keyClick(t, key);
        }
    }

    void LockedPagesSendNothing(uint32_t pin)
    {
        Connect(pin);
        data.Add();
        LockMenu("pw");
        ASSERT_TRUE(form->Controller()->IsLocked());
        recorder.reset();
        recorder = std::make_unique<simunit::SimRecorder>(sim.Unit());
        hooks.answers.assign(40, true); // any question would be answered Yes
        for (const char* name : UnlockedOnly) {
            QWidget* w = Control(name);
            if (!w)
                continue;
            EXPECT_FALSE(w->isEnabled()) << name;
            Reveal(w);
            if (w->isVisible())
                TryAsAUser(w);
            EXPECT_EQ(Sent(), Cmds{}) << name;
            EXPECT_TRUE(hooks.shown.empty()) << name;
        }
        EXPECT_EQ(data.Count(), 1); // the history stays
        EXPECT_FALSE(side->CalInputForm->isVisible());
        EXPECT_FALSE(side->Cal3capForm->isVisible());

        // A wrong password leaves the panel locked.
        hooks.answers.clear();
        LockMenu("no");
        ASSERT_TRUE(form->Controller()->IsLocked());
        for (const char* name : UnlockedOnly) {
            QWidget* w = Control(name);
            ASSERT_NE(w, nullptr) << name;
            EXPECT_FALSE(w->isEnabled()) << name;
        }
        hooks.shown.clear();

        LockMenu("pw");
        ASSERT_FALSE(form->Controller()->IsLocked());
        for (const char* name : UnlockedOnly) {
            QWidget* w = Control(name);
            ASSERT_NE(w, nullptr) << name;
            EXPECT_TRUE(w->isEnabled()) << name;
        }
        // And they work again: the Tuning page's Send reaches the unit.
        QWidget* send = Control("SendTuningBtn");
        Reveal(send);
        QTest::mouseClick(send, Qt::LeftButton);
        EXPECT_EQ(Sent(), (Cmds{82, 71, 152, 141}));
    }

    TPasswordForm password;
};

} // namespace

TEST_F(LockedPages, NoControlOfTheLockedPagesSendsAnythingForATwoCapacitorUnit)
{
    LockedPagesSendNothing(1);
}

TEST_F(LockedPages, NoControlOfTheLockedPagesSendsAnythingForAThreeCapacitorUnit)
{
    LockedPagesSendNothing(0x400);
}

TEST_F(LockedPages, UnlockGivesTheCalibrationButtonsBackOnlyOnceTheirDialogIsClosed)
{
    Connect();
    QPushButton* input = side->SetupPage->CalInputBtn;
    QPushButton* output = side->SetupPage->CalOutputBtn;
    Reveal(input);
    QTest::mouseClick(input, Qt::LeftButton);
    ASSERT_TRUE(side->CalInputForm->isVisible());
    EXPECT_FALSE(input->isEnabled());
    EXPECT_FALSE(output->isEnabled());

    LockMenu("");
    ASSERT_TRUE(form->Controller()->IsLocked());
    EXPECT_FALSE(side->SetupPage->SendSetupBtn->isEnabled());
    // The dialog closed while locked: the lock still holds them.
    side->CalInputForm->close();
    EXPECT_FALSE(input->isEnabled());
    EXPECT_FALSE(output->isEnabled());
    QTest::mouseClick(input, Qt::LeftButton);
    EXPECT_FALSE(side->CalInputForm->isVisible());

    form->LockMenuItem->trigger(); // no password: unlocks without asking
    ASSERT_FALSE(form->Controller()->IsLocked());
    EXPECT_TRUE(input->isEnabled());
    EXPECT_TRUE(output->isEnabled());

    // Locked and unlocked while the dialog is open: the open dialog still holds them.
    QTest::mouseClick(output, Qt::LeftButton);
    ASSERT_TRUE(side->CalInputForm->isVisible());
    LockMenu("");
    form->LockMenuItem->trigger();
    ASSERT_FALSE(form->Controller()->IsLocked());
    EXPECT_TRUE(side->SetupPage->SendSetupBtn->isEnabled());
    EXPECT_FALSE(input->isEnabled());
    EXPECT_FALSE(output->isEnabled());
    side->CalInputForm->close();
    EXPECT_TRUE(input->isEnabled());
    EXPECT_TRUE(output->isEnabled());
}

TEST_F(LockedPages, AnOpenCalibrationDialogSendsNothingWhileLocked)
{
    // Each dialog as its Calibrate... button opens it: the input sensor's, and the current
    // sensors' of a unit with a third capacitor.
    const struct {
        uint32_t pin;
        const char* opener;
        const char* dialog;
    } cases[] = {{1, "CalInputBtn", "CalInputForm"}, {0x400, "CalOutputBtn", "Cal3capForm"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialog);
        recorder.reset(); // one watcher of the unit at a time
        Connect(c.pin);
        QWidget* opener = Control(c.opener);
        Reveal(opener);
        QTest::mouseClick(opener, Qt::LeftButton);
        QWidget* dialog = side->CalInputForm->isVisible() ? static_cast<QWidget*>(side->CalInputForm)
                                                           : static_cast<QWidget*>(side->Cal3capForm);
        ASSERT_EQ(dialog->objectName().toStdString(), c.dialog);
        ASSERT_TRUE(dialog->isVisible());
        unitpagestest::Type(dialog->findChild<QLineEdit*>("AverEdit"), "1");

        LockMenu("pw");
        ASSERT_TRUE(form->Controller()->IsLocked());
        recorder->Clear();
        hooks.answers.assign(4, true); // the erase question would be answered Yes
        for (const char* name : {"SendBtn", "ADCMeasBtn", "MeasBtn"}) {
            QPushButton* b = dialog->findChild<QPushButton*>(name);
            ASSERT_NE(b, nullptr) << name;
            EXPECT_FALSE(b->isEnabled()) << name;
            QTest::mouseClick(b, Qt::LeftButton);
            EXPECT_EQ(Sent(), Cmds{}) << name;
        }
        EXPECT_TRUE(hooks.shown.empty());

        // Unlocked, the dialog sends again.
        LockMenu("pw");
        ASSERT_FALSE(form->Controller()->IsLocked());
        for (const char* name : {"SendBtn", "ADCMeasBtn", "MeasBtn"})
            EXPECT_TRUE(dialog->findChild<QPushButton*>(name)->isEnabled()) << name;
        QTest::mouseClick(dialog->findChild<QPushButton*>("ADCMeasBtn"), Qt::LeftButton);
        EXPECT_EQ(Sent(), (Cmds{183}));
        dialog->close();
        hooks.answers.clear();
        hooks.shown.clear();
        form->ConnectBar->ConnectBtn()->click(); // disconnects, for the next unit
        ASSERT_FALSE(form->Device()->IsConnected());
    }
}

TEST_F(LockedPages, LockedSendButtonsLookDisabledWithOrWithoutTheUnsentMark)
{
    Connect(0x400); // the 3 Cap page shown; every page read: nothing unsent
    const struct {
        const char* send;
        const char* edit; // typed into, it marks the page's edits unsent
    } pages[] = {{"SendTrajBtn", "ShMinEdit"},
                 {"SendTuningBtn", "StopEdit"},
                 {"SendSetupBtn", "SNEdit"},
                 {"Send3capBtn", "_3capGainEdit"}};
    for (bool unsent : {false, true}) {
        SCOPED_TRACE(unsent ? "unsent" : "sent");
        for (const auto& p : pages) {
            auto* send = static_cast<QPushButton*>(Control(p.send));
            ASSERT_NE(send, nullptr);
            if (unsent) {
                auto* edit = static_cast<QLineEdit*>(Control(p.edit));
                Reveal(edit);
                unitpagestest::Type(edit, "1");
            }
            ASSERT_EQ(unitpagestest::Blue(send), unsent) << p.send;
        }
        LockMenu("pw");
        ASSERT_TRUE(form->Controller()->IsLocked());
        for (const auto& p : pages) {
            auto* send = static_cast<QPushButton*>(Control(p.send));
            Reveal(send);
            ASSERT_FALSE(send->isEnabled()) << p.send;
            const SCaptionLook look = CaptionLook(*send, send->palette());
            const SCaptionLook plain = PlainDisabledLook(*send);
            ASSERT_GT(plain.contrast, 0) << p.send;
            // No darker than a disabled caption; the unsent mark may stay, in a disabled blue.
            EXPECT_LE(look.contrast, plain.contrast + 8) << p.send << " " << look.contrast << " " << plain.contrast;
            EXPECT_EQ(look.blue, unsent) << p.send;
        }
        LockMenu("pw");
        ASSERT_FALSE(form->Controller()->IsLocked());
    }
}
