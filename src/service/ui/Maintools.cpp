// The service side's part of the tuning model window and the auto-test window: their menu items,
// their links to the device object, the chart windows, the capacitor move and the auto-test
// settings, and the end of a running auto-test when the program closes.

#include "service/ui/Mainserviceside.h"

#include "panel/Mainsettings.h"
#include "panel/Tuningmodel.h"

#include "device/Device.h"
#include "service/ui/Autotest.h"
#include "service/ui/Tuningdlg.h"

#include <QAction>

void TMainServiceSide::BindToolWindows()
{
    // The links reach the main window, which owns these windows, and not this side.
    IMainHost* host = &host_;
    if (forms_.Tuning) {
        TTuningForm::SLinks links;
        links.Model = &host->TuningModel();
        links.Unit = device_;
        links.MenuItem = host->ToolItems().Tuning;
        links.RepaintCharts = [host] { host->RepaintChartWindows(); };
        forms_.Tuning->Bind(links);
    }
    if (forms_.AutoTest) {
        TAutoTestForm::SLinks links;
        links.GetMode = [host] {
            const CMainSettings& main = host->MainSettings();
            return SAutoTestMode{main.AutoTestMode, main.AutoTestN, main.AutoTestT};
        };
        links.SetMode = [host](const SAutoTestMode& m) {
            CMainSettings& main = host->MainSettings();
            main.AutoTestMode = m.Mode;
            main.AutoTestN = m.Cycles;
            main.AutoTestT = m.Minutes;
        };
        links.MoveCapacitors = [host](double load, double tune) {
            return host->ShuttingDown() ? 0 : host->MoveCapacitors(load, tune);
        };
        forms_.AutoTest->Bind(links);
    }
}

void TMainServiceSide::TuningMenuItemClick()
{
    if (forms_.Tuning)
        forms_.Tuning->SetVisible(!forms_.Tuning->isVisible());
    else
        host_.ToolItems().Tuning->setChecked(false);
}

void TMainServiceSide::AutoTestMenuItemClick()
{
    if (forms_.AutoTest)
        forms_.AutoTest->exec();
}

void TMainServiceSide::EndAutoTest()
{
    if (forms_.AutoTest)
        forms_.AutoTest->Abandon();
}
