// The main window polling the simulated unit over a pseudo-terminal: values, bars and plots in
// the readings panes, fault LEDs and alarm texts, the hard-fault window; the settings and
// display windows opened from the menu, the tool bar and a pane; the pane sections.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "device/Var.h"
#include "link/ui/Connectbar.h"
#include "panel/Orrery.h"
#include "panel/Readingspanes.h"
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Ctrlpanel.h"
#include "panel/ui/Editdisplay.h"
#include "panel/ui/Faultsframe.h"
#include "panel/ui/Hardfault.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Panelistbox.h"
#include "panel/ui/Settingsform.h"
#include "platform/Settingsfile.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"
#include "zcomponents/Zled.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

using simunit::SimUnitData;

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";

QRgb Rgb(QRgb c) { return c | 0xFF000000u; }

// Pixels of a rectangle of an image with the given colour.
int CountPixels(const QImage& image, const QRect& r, QRgb colour)
{
    int n = 0;
    const QRect in = r.intersected(image.rect());
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
            n += Rgb(image.pixel(x, y)) == Rgb(colour);
    return n;
}

class MainReadings : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        state = simunit::InstallDeviceCommands(sim.Unit());
        Unit([](SimUnitData& d) {
            d.motorSpeed = 0;
            d.rfOn = true;
        });
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine({}, dir.Path());
        form->Controller()->SetVersionText("D.00");
        TMainForm::Forms forms;
        forms.HardFault = &hardFault;
        forms.Settings = &settings;
        forms.EditDisplay = &editDisplay;
        form->SetForms(forms);
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->Controller()->StartupDone());
    }
    void TearDown() override
    {
        hardFault.hide();
        form->Device()->ClosePort();
        side.reset();
        form.reset();
    }
    template <typename F> void Unit(F&& f) { state->With([&](SimUnitData& d) { f(d); }); }
    void Connect()
    {
        form->Controller()->Settings().BaudRate = "9600";
        form->SetPortText(sim.Path());
        form->ConnectBar->ConnectBtn()->click();
        ASSERT_TRUE(form->Device()->IsConnected());
        ASSERT_TRUE(form->ReadTimer->isActive());
    }
    TzLed* Led(const char* name) { return form->FaultsFrame->findChild<TzLed*>(name); }
    int LitLeds()
    {
        int n = 0;
        for (TzLed* led : form->FaultsFrame->Leds())
            n += led->Enabled();
        return n;
    }

    testsupport::TempDir dir;
    testsupport::SimPty sim;
    std::shared_ptr<simunit::SimState> state;
    ScriptedHooks hooks;
    CData data;
    THardFaultForm hardFault;
    TEditDisplayForm editDisplay;
    TSettingsForm settings;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

TEST_F(MainReadings, PanesShowTheUnitsValuesBarsAndPlot)
{
    Connect();
    for (int i = 0; i < 3; ++i)
        form->ReadTimerTimer();
    ASSERT_EQ(data.Count(), 3);
    const std::array<int16_t, 15> words = state->With([](SimUnitData& d) { return d.LiveWords(); });

    // The default layout of a plain unit: R, X, Gamma, Gamma as a bar, Load, Tune; a plot below.
    CPaneList* upper = form->GetPaneList(0);
    CPaneList* lower = form->GetPaneList(1);
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(form->GetPaneList(2), nullptr);
    EXPECT_EQ(form->GetPaneList(-1), nullptr);
    ASSERT_EQ(upper->Count(), 6);
    ASSERT_EQ(lower->Count(), 1);

    // Value items hold the unit's readings: R and X in ohms (1024 a word per 50 ohms), the
    // capacitor positions as the unit put them (50 %).
    EXPECT_NEAR(upper->Item(0)->LastValue, words[0] * 50.0 / 1024.0, 1e-9);
    EXPECT_NEAR(upper->Item(1)->LastValue, words[1] * 50.0 / 1024.0, 1e-9);
    EXPECT_GT(upper->Item(0)->LastValue, 0.0);
    EXPECT_DOUBLE_EQ(upper->Item(4)->LastValue, 50.0);
    EXPECT_DOUBLE_EQ(upper->Item(5)->LastValue, 50.0);

    const QImage& top = form->PaneListBox->Buffer();
    // A value line: white background with black text in its right half.
    const QRect value = form->PaneListBox->ItemRect(4);
    ASSERT_FALSE(value.isEmpty());
    QRect rightHalf(value.left() + value.width() / 2, value.top(), value.width() / 2, value.height());
    EXPECT_GT(CountPixels(top, rightHalf, qRgb(255, 255, 255)), 0);
    EXPECT_GT(CountPixels(top, rightHalf, qRgb(0, 0, 0)), 0);
    // The bar: grey item with a blue bar from zero to the unit's Gamma.
    const QRect bar = form->PaneListBox->ItemRect(3);
    EXPECT_GT(upper->Item(3)->LastValue, 0.0);
    EXPECT_GT(CountPixels(top, bar, qRgb(0x80, 0x80, 0x80)), 0);
    EXPECT_GT(CountPixels(top, bar, qRgb(0, 0, 255)), 0);
    // The plot: a blue trace on white.
    const QRect plot = form->PaneListBox1->ItemRect(0);
    ASSERT_FALSE(plot.isEmpty());
    const QImage& bottom = form->PaneListBox1->Buffer();
    EXPECT_GT(CountPixels(bottom, plot, qRgb(0, 0, 255)), 0);
    EXPECT_GT(CountPixels(bottom, plot, qRgb(255, 255, 255)), 0);

    // The unit's load changes: the next poll shows the new R.
    Unit([](SimUnitData& d) { d.loadR = 10.0; });
    form->ReadTimerTimer();
    const int16_t r = state->With([](SimUnitData& d) { return d.LiveWords()[0]; });
    EXPECT_NEAR(upper->Item(0)->LastValue, r * 50.0 / 1024.0, 1e-9);
    EXPECT_EQ(data.Count(), 4);
}

TEST_F(MainReadings, FaultInTheStatusBytesLightsItsLed)
{
    Connect();
    form->ReadTimerTimer();
    EXPECT_EQ(LitLeds(), 0);
    EXPECT_EQ(form->AlarmPanel->AlarmsPanel->text(), "No Faults");
    EXPECT_EQ(form->AlarmPanel->InterlockPanel->text(), "Interlock OK");
    EXPECT_FALSE(form->AlarmPanel->InterlockPanel->isHidden()); // local COM port, plain unit
    const QImage dark = Led("OverTempLed")->grab().toImage();
    const int beeps = hooks.beeps;

    Unit([](SimUnitData& d) { d.faults = uint64_t(1) << 3; });
    form->ReadTimerTimer();
    EXPECT_TRUE(Led("OverTempLed")->Enabled());
    EXPECT_EQ(LitLeds(), 1);
    EXPECT_NE(Led("OverTempLed")->grab().toImage(), dark);
    EXPECT_EQ(form->AlarmPanel->AlarmsPanel->text(), "Over Temperature");
    EXPECT_FALSE(form->AlarmPanel->MutePanel->isHidden());
    EXPECT_EQ(hooks.beeps, beeps + 1);
    EXPECT_TRUE(form->ReadTimer->isActive()); // not a hard fault

    // Two faults, then the interlock alone: no fault, no beep.
    Unit([](SimUnitData& d) { d.faults = (uint64_t(1) << 1) | (uint64_t(1) << 3); });
    form->ReadTimerTimer();
    EXPECT_TRUE(Led("OverVoltageLed")->Enabled());
    EXPECT_EQ(form->AlarmPanel->AlarmsPanel->text(), "Multiple Faults Exist");
    Unit([](SimUnitData& d) { d.faults = uint64_t(1) << 60; });
    const int before = hooks.beeps;
    form->ReadTimerTimer();
    EXPECT_EQ(LitLeds(), 0);
    EXPECT_EQ(form->AlarmPanel->InterlockPanel->text(), "Interlock Opened");
    EXPECT_EQ(form->AlarmPanel->AlarmsPanel->text(), "No Faults");
    EXPECT_TRUE(form->AlarmPanel->MutePanel->isHidden());
    EXPECT_EQ(hooks.beeps, before);

    // Sound disabled on the Faults page: a fault neither beeps nor shows the mute panel.
    form->FaultsFrame->DisAudioCheckBox->setChecked(true);
    EXPECT_TRUE(form->MainSettings().DisAudio);
    Unit([](SimUnitData& d) { d.faults = uint64_t(1) << 15; });
    form->FaultsFrame->RefreshFaultsBtn->click(); // one readings update
    EXPECT_TRUE(form->FaultsFrame->UnknownFaultsLed->Enabled());
    EXPECT_EQ(form->AlarmPanel->AlarmsPanel->text(), "Unknown Fault");
    EXPECT_TRUE(form->AlarmPanel->MutePanel->isHidden());
    EXPECT_EQ(hooks.beeps, before);
}

TEST_F(MainReadings, ThirdCapacitorFaultsShowOnlyForThreeCapacitorUnits)
{
    const char* const names[] = {"_3capInitLed", "_3capIndexLed", "_3capInitLabel", "_3capIndexLabel"};
    Connect(); // a plain unit
    for (const char* name : names) {
        QWidget* w = form->FaultsFrame->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(w->isHidden()) << name;
    }
    EXPECT_FALSE(Led("LTInitLed")->isHidden());

    Unit([](SimUnitData& d) { d.pin = 0x400; }); // the family with a third capacitor
    ASSERT_EQ(form->Device()->ReadPin(), 0);
    ASSERT_TRUE(form->Device()->Has3rdCap());
    form->UpdateControls();
    for (const char* name : names)
        EXPECT_FALSE(form->FaultsFrame->findChild<QWidget*>(name)->isHidden()) << name;
}

TEST_F(MainReadings, AUnitThatComesBackChangedIsCheckedAsAtConnectionAndLaidOutAgain)
{
    // The polled unit falls silent until its readings are lost, its configuration word changes
    // (plain to third capacitor, or back), and it answers again: before its state shows it is
    // identified and its set-up read as at connection, and the window is laid out for what it
    // is now. With "Stop after" ticked the read timer stops first and is started again by hand.
    struct Case {
        const char* what;
        uint32_t before, after;
        bool stopAfter;
    };
    const Case cases[] = {
        {"plain to third capacitor", 0x1, 0x400, false},
        {"third capacitor to plain", 0x400, 0x1, false},
        {"third capacitor to plain, the timer stopped and started again", 0x400, 0x1, true},
    };
    TCtrlPanel& p = *form->CtrlPanel;
    const auto expectLaidOutFor = [&](bool third) {
        EXPECT_EQ(form->Device()->Has3rdCap(), third);
        EXPECT_EQ(form->_3capTunedPanel->isVisible(), third);
        EXPECT_EQ(p.CapColumns[2]->isVisible(), third);
        EXPECT_EQ(p.CtrlNotebook->currentWidget(), third ? p.Ctrl3capPage : p.CtrlPage);
        EXPECT_EQ(p._3capSerialBtn->isVisible(), third);
        QTabWidget* pages = form->PageControl;
        int thirdTab = -1;
        for (int i = 0; i < pages->count(); ++i)
            if (pages->tabText(i) == "3 Cap")
                thirdTab = i;
        ASSERT_GE(thirdTab, 0);
        EXPECT_EQ(pages->isTabVisible(thirdTab), third);
        EXPECT_EQ(!form->FaultsFrame->findChild<QWidget*>("_3capInitLed")->isHidden(), third);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        hooks.shown.clear();
        Unit([&](SimUnitData& d) {
            d.pin = c.before;
            d.mode = 2; // Serial
            d.auto3 = 0;
        });
        form->Controller()->Settings().UseMaxReadErrors = c.stopAfter;
        form->Controller()->Settings().MaxReadErrors = 5;
        Connect();
        form->ReadTimerTimer();
        ASSERT_FALSE(form->ReadingsLost());
        expectLaidOutFor(c.before == 0x400);
        form->PageControl->setCurrentWidget(form->DisplayPage);

        sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        for (int i = 0; i < 5; ++i)
            form->ReadTimerTimer();
        ASSERT_TRUE(form->ReadingsLost());
        ASSERT_EQ(form->ReadTimer->isActive(), !c.stopAfter);
        Unit([&](SimUnitData& d) { d.pin = c.after; });
        sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
        if (c.stopAfter) {
            ASSERT_EQ(hooks.shown.size(), 1u);
            form->ReadTimerBtn->click();
            ASSERT_TRUE(form->ReadTimer->isActive());
        }
        sim.Server().ClearLog();
        form->ReadTimerTimer();

        // Identified, then its configuration read, before the first reading of its state.
        std::vector<int> sent;
        for (const auto& r : sim.Server().Requests())
            sent.push_back(r.command);
        ASSERT_GE(sent.size(), 3u);
        EXPECT_EQ(sent[0], 128);
        const auto pin = std::find(sent.begin(), sent.end(), 169);
        const auto live = std::find(sent.begin(), sent.end(), 255);
        EXPECT_LT(pin, live);
        EXPECT_FALSE(form->ReadingsLost());
        EXPECT_TRUE(form->ReadTimer->isActive());
        expectLaidOutFor(c.after == 0x400);
        if (c.after == 0x400) { // the third capacitor's state as read, not unknown
            EXPECT_NE(form->_3capTunedPanel->text().toStdString(), TMainForm::ThirdCapUnknownText);
        }
        EXPECT_EQ(hooks.shown.size(), c.stopAfter ? 1u : 0u);

        // Polling goes on with the readings alone.
        sim.Server().ClearLog();
        form->ReadTimerTimer();
        for (const auto& r : sim.Server().Requests())
            EXPECT_NE(r.command, 128);
        form->Controller()->Disconnect();
    }
}

TEST_F(MainReadings, HardFaultStopsTheReadTimerThenOpensItsWindow)
{
    Connect();
    bool timerOnWhenShown = true;
    struct ShowWatch : QObject {
        std::function<void()> onShow;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Show)
                onShow();
            return false;
        }
    } watch;
    watch.onShow = [&] { timerOnWhenShown = form->ReadTimer->isActive(); };
    hardFault.installEventFilter(&watch);

    Unit([](SimUnitData& d) { d.faults = (uint64_t(1) << 62) | 1u; }); // EEPROM before low DC
    form->ReadTimerTimer();
    EXPECT_FALSE(form->ReadTimer->isActive());
    EXPECT_FALSE(form->ReadTimerBtn->isChecked());
    ASSERT_TRUE(hardFault.isVisible());
    EXPECT_FALSE(timerOnWhenShown);
    EXPECT_EQ(hardFault.Panel->text(), "HARDWARE FAULT (EEPROM)");
    EXPECT_FALSE(hardFault.InitMemBtn->isHidden());
    EXPECT_TRUE(hardFault.HardFaultTimer->isActive());
    EXPECT_TRUE(Led("EEPROMLed")->Enabled());
    EXPECT_TRUE(Led("Low24Led")->Enabled());

    // Init Memory sends the unit's memory init and asks for a power cycle.
    hardFault.InitMemBtn->click();
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.memoryInits; }), 1);
    EXPECT_FALSE(hardFault.isVisible());
    ASSERT_FALSE(hooks.shown.empty());
    EXPECT_EQ(hooks.shown.back().text, "Cycle Vantrel power and press Ok");
    EXPECT_FALSE(form->ReadTimer->isActive()); // stays off until the user starts it
}

TEST_F(MainReadings, SettingsOpenFromMenuButtonAndPane)
{
    bool buttonDown = false;
    int page = -1, tab = -1, row = -1;
    auto inspectAndClose = [&] {
        QTimer::singleShot(0, &settings, [&] {
            buttonDown = form->SettingsBtn->isChecked();
            page = settings.PageControl->currentIndex();
            tab = settings.PanesTabControl->currentIndex();
            row = settings.SelectionListBox->currentRow();
            settings.reject();
        });
    };
    inspectAndClose();
    form->SettingsMenuItem->trigger();
    EXPECT_TRUE(buttonDown);
    EXPECT_FALSE(form->SettingsBtn->isChecked());
    EXPECT_EQ(page, 0);

    inspectAndClose();
    form->SettingsBtn->click();
    EXPECT_TRUE(buttonDown);
    EXPECT_FALSE(form->SettingsBtn->isChecked());

    // A double click on the bar of the upper pane: Display page, "Pane 1", that line.
    inspectAndClose();
    emit form->PaneListBox->ItemDoubleClicked(3);
    EXPECT_EQ(page, 2);
    EXPECT_EQ(tab, 0);
    EXPECT_EQ(row, 3);
    inspectAndClose();
    emit form->PaneListBox1->ItemDoubleClicked(0);
    EXPECT_EQ(tab, 1);
    EXPECT_EQ(row, 0);

    // The dialog edits the main window's panes; its OK applies the read-timer interval.
    QTimer::singleShot(0, &settings, [&] {
        settings.PanesTabControl->setCurrentIndex(0);
        settings.ClearBtn->click(); // asks first: the scripted answer is Yes
        settings.ReadTimerSpinEdit->setValue(300);
        settings.OKBtn->click();
    });
    hooks.answers.push_back(true);
    form->SettingsBtn->click();
    EXPECT_EQ(form->GetPaneList(0)->Count(), 0);
    EXPECT_EQ(form->ReadTimer->interval(), 300);

    // "Set default" brings the default layout back.
    QTimer::singleShot(0, &settings, [&] {
        settings.DefaultDisplayBtn->click();
        settings.reject();
    });
    hooks.answers.push_back(true);
    form->SettingsBtn->click();
    EXPECT_EQ(form->GetPaneList(0)->Count(), 6);
}

TEST_F(MainReadings, DisplaySettingsResizeThePaneItems)
{
    ASSERT_EQ(form->PaneListBox->ItemRect(0).height(), 16);
    QTimer::singleShot(0, &settings, [&] {
        QTimer::singleShot(0, &editDisplay, [&] {
            editDisplay.ValueFontSizeSpinEdit->setValue(24);
            editDisplay.TracesRFOnCheckBox->setChecked(true);
            editDisplay.OkBtn->click();
        });
        settings.EditDisplayBtn->click();
        settings.reject();
    });
    form->SettingsBtn->click();
    EXPECT_EQ(form->MainSettings().Style.ValueFontSize, 24);
    EXPECT_TRUE(form->TracesRFOn());
    EXPECT_EQ(form->PaneListBox->ItemRect(0).height(), 24);
}

TEST_F(MainReadings, PaneSectionsRoundTripAndSizesAreRangeChecked)
{
    const std::string file = dir.File("panes.orrery");
    form->GetPaneList(0)->Delete(0);
    form->GetPaneList(1)->Add(CItem::Value, 19);
    form->MainSettings().Style.PlotSize = 120;
    ASSERT_TRUE(form->Controller()->WriteSettingsFile(file));
    const std::string text = testsupport::ReadAll(file);
    const size_t main = text.find("[Main]"), pane0 = text.find("[Pane0]"),
                 pane1 = text.find("[Pane1]"), model = text.find("[Model]");
    ASSERT_NE(pane0, std::string::npos);
    EXPECT_LT(main, pane0);
    EXPECT_LT(model, pane0); // "Vars", "Model", then the panes
    EXPECT_LT(pane0, pane1);
    EXPECT_NE(text.find("Item2=0,1,3"), std::string::npos);

    form->SetDefaultDisplay();
    ASSERT_EQ(form->GetPaneList(0)->Count(), 6);
    ASSERT_TRUE(form->Controller()->LoadSettingsFile(file));
    EXPECT_EQ(form->GetPaneList(0)->Count(), 5);
    ASSERT_EQ(form->GetPaneList(1)->Count(), 2);
    EXPECT_EQ(form->GetPaneList(1)->Item(1)->VarId, 19);
    EXPECT_EQ(form->MainSettings().Style.PlotSize, 120);
    EXPECT_EQ(form->PaneListBox1->ItemRect(0).height(), 120);

    // Sizes outside their ranges are pulled into them.
    std::string bad = text;
    auto set = [&](const std::string& key, const std::string& value) {
        size_t at = bad.find(key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        bad.replace(at, bad.find('\r', at) - at, key + "=" + value);
    };
    set("ValueFontSize", "200");
    set("PlotSize", "1");
    testsupport::WriteAll(file, bad);
    ASSERT_TRUE(form->Controller()->LoadSettingsFile(file));
    EXPECT_EQ(form->MainSettings().Style.ValueFontSize, CItemStyle::MaxFontSize);
    EXPECT_EQ(form->MainSettings().Style.PlotSize, CItemStyle::MinPlotSize);
}

} // namespace
