// The auto-finding and site-finding windows: results found, stopped and not found.
#include "link/ui/Autofinding.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Ipfind.h"
#include "support/Connectscript.h"
#include "zcomponents/Zgauge.h"

#include <QApplication>
#include <QKeyEvent>
#include <future>
#include <gtest/gtest.h>

using testsupport::ScriptedController;

namespace {

struct Fixture {
    ScriptedController c;
    TConnectBarFrame bar;
    TzGauge gauge;
    TAutoFindingForm form{&c};
    Fixture()
    {
        c.link.portList = "P1,P2,P3,P4";
        c.settings.baudRates = {"9600", "19200", "38400", "57600", "115200"};
        c.settings.baudText = "9600";
        bar.SetController(&c);
        bar.SetPortText("P1");
        bar.show();
        form.SetBar(&bar);
        form.SetGauge(&gauge);
        gauge.hide();
    }
};

} // namespace

TEST(AutoFindingForm, FindsTheUnit)
{
    Fixture f;
    f.c.mainUnit.ports = {{"P1", -3}, {"P3", 0}};
    f.form.show();
    EXPECT_TRUE(f.form.Timer()->isActive());
    EXPECT_FALSE(f.gauge.isHidden());
    EXPECT_FALSE(f.form.StopBtn()->isHidden());
    EXPECT_EQ(f.form.StopBtn()->toolTip(), "Stop auto finding");
    EXPECT_EQ(f.form.geometry().size(), f.bar.ConnectBtn()->size());
    EXPECT_EQ(f.form.geometry().topLeft(), f.bar.ConnectBtn()->mapToGlobal(QPoint(0, 0)));

    f.form.TimerTimer();
    EXPECT_EQ(f.form.result(), CAutoFind::Found);
    EXPECT_EQ(f.bar.PortText(), "P3");
    EXPECT_EQ(f.c.settings.baudText, "9600");
    EXPECT_EQ(f.gauge.Max(), 20);
    EXPECT_EQ(f.gauge.Value(), 11);
    EXPECT_TRUE(f.gauge.isHidden());
    // P1 at 9600 was tried before the window opened.
    ASSERT_GE(f.c.mainUnit.log.size(), 1u);
    EXPECT_EQ(f.c.mainUnit.log[0], "open P1 19200");
}

TEST(AutoFindingForm, StopGivesTwo)
{
    Fixture f;
    f.c.mainUnit.ports = {{"P1", -3}, {"P2", -3}};
    f.form.SetFromConnectBar(false);
    f.form.show();
    EXPECT_FALSE(f.form.Stop1Btn()->isHidden());
    f.c.mainUnit.onIdentify = [&] {
        if (!f.form.Stop1Btn()->isChecked())
            f.form.Stop1Btn()->click(); // the user presses Stop once during the first try
    };
    f.form.TimerTimer();
    EXPECT_EQ(f.form.result(), CAutoFind::Stopped);
    // one port open and its retry, then the stop is seen before the next baud
    EXPECT_EQ(f.c.mainUnit.log, (std::vector<std::string>{"open P1 19200", "identify P1", "identify P1"}));
    EXPECT_TRUE(f.c.calls.empty());
}

TEST(AutoFindingForm, NothingFoundGivesThree)
{
    Fixture f;
    f.form.SetFirstTryFailed(true);
    f.form.show();
    f.form.TimerTimer();
    EXPECT_EQ(f.form.result(), CAutoFind::NotFound);
    for (const std::string& line : f.c.mainUnit.log)
        EXPECT_EQ(line.find("P1"), std::string::npos);
}

TEST(IPFindForm, LocalhostResolves)
{
    ScriptedController c;
    c.link.site = "localhost";
    TIPFindForm form(&c);
    form.show();
    ASSERT_NE(form.Lookup(), nullptr);
    EXPECT_TRUE(form.IPFindTimer()->isActive());
    EXPECT_EQ(form.IPFindTimer()->interval(), 100);
    form.Lookup()->WaitFinished();
    form.IPFindTimerTimer();
    EXPECT_EQ(form.result(), 1);
    EXPECT_FALSE(form.IPFindTimer()->isActive());
    EXPECT_EQ(c.calls, (std::vector<std::string>{"ip 127.0.0.1"}));
}

TEST(IPFindForm, BadNameGivesThree)
{
    ScriptedController c;
    c.link.site = "no-such-site.invalid";
    TIPFindForm form(&c);
    form.show();
    form.Lookup()->WaitFinished();
    form.IPFindTimerTimer();
    EXPECT_EQ(form.result(), 3);
    EXPECT_TRUE(c.calls.empty());
}

TEST(IPFindForm, StoppedLookupWritesNothing)
{
    // The user gives up by the stop button or by Escape; the answer that comes later is dropped.
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Stop");
        ScriptedController c;
        c.link.site = "slow.example";
        auto release = std::make_shared<std::promise<void>>();
        std::shared_future<void> released = release->get_future().share();
        TIPFindForm form(&c);
        form.SetResolver([released](const std::string&, std::string& address) {
            released.wait();
            address = "10.1.1.1";
            return true;
        });
        form.SetFromConnectBar(false);
        form.show();
        form.IPFindTimerTimer(); // still waiting
        EXPECT_TRUE(form.IPFindTimer()->isActive());
        if (escape) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&form, &key);
        } else {
            form.Stop1Btn()->click();
        }
        EXPECT_EQ(form.result(), 2);
        EXPECT_FALSE(form.IPFindTimer()->isActive());
        release->set_value();
        form.Lookup()->WaitFinished();
        EXPECT_EQ(form.Lookup()->Result(), CGetHostByName::Waiting);
        form.IPFindTimerTimer();
        EXPECT_TRUE(c.calls.empty());
    }
}

TEST(AutoFindingForm, StopInOneLookDoesNotEndTheNextSearch)
{
    Fixture f;
    f.c.mainUnit.ports = {{"P3", 0}};
    f.form.SetFromConnectBar(false);
    f.form.show();
    f.form.Stop1Btn()->click();
    f.form.TimerTimer();
    EXPECT_EQ(f.form.result(), CAutoFind::Stopped);

    // The next search comes from the connect bar: the dialog look's stop is up again.
    f.form.SetFromConnectBar(true);
    f.form.show();
    EXPECT_FALSE(f.form.Stop1Btn()->isChecked());
    f.form.TimerTimer();
    EXPECT_EQ(f.form.result(), CAutoFind::Found);
    EXPECT_EQ(f.bar.PortText(), "P3");
}

TEST(AutoFindingForm, EscapeActsAsStop)
{
    Fixture f;
    f.c.mainUnit.ports = {{"P1", -3}, {"P2", -3}};
    f.form.show();
    f.c.mainUnit.onIdentify = [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&f.form, &escape);
    };
    f.form.TimerTimer();
    EXPECT_EQ(f.form.result(), CAutoFind::Stopped);
    EXPECT_EQ(f.c.mainUnit.log, (std::vector<std::string>{"open P1 19200", "identify P1", "identify P1"}));
    EXPECT_TRUE(f.gauge.isHidden());
}

TEST(AutoFindingForm, WithoutControllerEndsAtOnce)
{
    TAutoFindingForm form(nullptr);
    form.show();
    form.TimerTimer();
    EXPECT_EQ(form.result(), CAutoFind::NotFound);
    EXPECT_FALSE(form.isVisible());
}
