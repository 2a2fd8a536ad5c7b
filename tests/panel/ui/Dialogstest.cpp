#include "panel/ui/About.h"
#include "panel/ui/Accept.h"
#include "panel/ui/Delay.h"
#include "panel/ui/Password.h"
#include "panel/ui/Splash.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(AcceptForm, OkWaitsForAChoiceAndOnlyAcceptGivesOk)
{
    TAcceptForm form;
    EXPECT_EQ(form.windowTitle().toStdString(), "Vantrel Orrery");
    EXPECT_EQ(form.Memo->toPlainText().toStdString(),
              "THIS SOFTWARE VERSION IS AN UNRELEASED, \nPRELIMINARY VERSION. NO WARRANTIES \n"
              "WHATSOEVER APPLY TO THIS PRODUCT. USE THIS \nPRODUCT AT YOUR OWN RISK.");
    EXPECT_FALSE(form.OkBtn->isEnabled());
    for (int choice : {0, 1}) {
        QTimer::singleShot(0, &form, [&] {
            (choice == 0 ? form.AcceptButton : form.DeclineButton)->click();
            form.OkBtn->click();
        });
        const int result = form.exec();
        EXPECT_EQ(result, choice == 0 ? QDialog::Accepted : QDialog::Rejected);
    }
}

TEST(DelayForm, SevenSecondCountDownClosesAfterSevenTicks)
{
    TDelayForm form;
    EXPECT_EQ(form.Duration(), 7000);
    form.show();
    EXPECT_TRUE(form.Timer->isActive());
    EXPECT_EQ(form.Label->text().toStdString(), "7 seconds left...");
    for (int tick = 1; tick <= 7; ++tick) {
        form.TimerTimer();
        EXPECT_EQ(form.Label->text().toStdString(), std::to_string(7 - tick) + " seconds left...");
        EXPECT_EQ(form.ProgressBar->value(), 100 * tick * 1000 / 7000);
        EXPECT_EQ(form.isVisible(), tick < 7) << tick;
    }
    EXPECT_FALSE(form.Timer->isActive());

    form.SetDuration(6000);
    form.show();
    EXPECT_EQ(form.Elapsed(), 0);
    EXPECT_EQ(form.Label->text().toStdString(), "6 seconds left...");
    form.close();
    EXPECT_FALSE(form.Timer->isActive());
}

TEST(SplashForm, TimerClosesAndFreesIt)
{
    QPointer<TSplashForm> splash = new TSplashForm();
    splash->show();
    EXPECT_TRUE(splash->SplashTimer->isActive());
    EXPECT_EQ(splash->SplashTimer->interval(), 2000);
    splash->SplashTimerTimer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

TEST(PasswordForm, MaskedAndEmptiedOnPrepare)
{
    TPasswordForm form;
    EXPECT_EQ(form.PasswordEdit->echoMode(), QLineEdit::Password);
    form.PasswordEdit->setText("old");
    form.Prepare("Unlock Orrery", "Enter password and click OK");
    EXPECT_EQ(form.windowTitle().toStdString(), "Unlock Orrery");
    EXPECT_TRUE(form.PasswordEdit->text().isEmpty());
    form.PasswordEdit->setText("abc");
    EXPECT_EQ(form.TakeText(), "abc");
    EXPECT_TRUE(form.PasswordEdit->text().isEmpty());
}

TEST(AboutForm, ShowsTheProductId)
{
    TAboutForm form;
    EXPECT_EQ(form.windowTitle().toStdString(), "About  Orrery");
    form.SetProductId("QV-ORR-D.00");
    EXPECT_EQ(form.ProductIdLabel->text().toStdString(), "QV-ORR-D.00");
}

} // namespace
