// The main window's part of the tuning model window and the auto-test window: their menu items,
// their links to the device object, the chart windows, the capacitor move and the auto-test
// settings, and the end of a running auto-test when the program closes.

#include "panel/ui/Main.h"

#include "device/Device.h"
#include "service/ui/Autotest.h"
#include "service/ui/Tuningdlg.h"

#include <QAction>

void TMainForm::BindToolWindows()
{
    if (forms_.Tuning) {
        TTuningForm::SLinks links;
        links.Model = &tuning_;
        links.Unit = device_.get();
        links.MenuItem = TuningMenuItem;
        links.RepaintCharts = [this] { RefreshChartWindows(false); };
        forms_.Tuning->Bind(links);
    }
    if (forms_.AutoTest) {
        TAutoTestForm::SLinks links;
        links.GetMode = [this] {
            return SAutoTestMode{main_.AutoTestMode, main_.AutoTestN, main_.AutoTestT};
        };
        links.SetMode = [this](const SAutoTestMode& m) {
            main_.AutoTestMode = m.Mode;
            main_.AutoTestN = m.Cycles;
            main_.AutoTestT = m.Minutes;
        };
        links.MoveCapacitors = [this](double load, double tune) {
            return shutDown_ ? 0 : MoveCapacitors(load, tune);
        };
        forms_.AutoTest->Bind(links);
    }
}

void TMainForm::TuningMenuItemClick()
{
    if (forms_.Tuning)
        forms_.Tuning->SetVisible(!forms_.Tuning->isVisible());
    else
        TuningMenuItem->setChecked(false);
}

void TMainForm::AutoTestMenuItemClick()
{
    if (forms_.AutoTest)
        forms_.AutoTest->exec();
}

void TMainForm::EndAutoTest()
{
    if (forms_.AutoTest)
        forms_.AutoTest->Abandon();
}
