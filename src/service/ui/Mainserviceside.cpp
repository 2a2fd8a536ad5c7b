#include "service/ui/Mainserviceside.h"

#include "service/ui/Autotest.h"
#include "service/ui/Bootp.h"
#include "service/ui/Modeldlg.h"
#include "service/ui/Tuningdlg.h"

#include <QAction>
#include <QWidget>

TMainServiceSide::TMainServiceSide(IMainHost& host)
    : host_(host), window_(host.Window()), controller_(host.Controller()), device_(host.Device()),
      Status(host.StatusFrame()), PageControl(host.Pages())
{
    CreateUnitPages();
    CreateServicePages();
    WireToolItems();
    host_.SetServiceSide(this);
}

TMainServiceSide::~TMainServiceSide()
{
    // Gone before the main window: a running auto-test ends now, and the main window no longer
    // tells this side anything. After the main window, there is nothing left to let go of.
    if (window_) {
        EndAutoTest();
        host_.SetServiceSide(nullptr);
    }
}

void TMainServiceSide::SetForms(const Forms& forms)
{
    forms_ = forms;
    BindToolWindows();
}

void TMainServiceSide::WireToolItems()
{
    const IMainHost::SToolItems items = host_.ToolItems();
    auto wire = [this](QAction* item, void (TMainServiceSide::*handler)()) {
        QObject::connect(item, &QAction::triggered, this, handler);
    };
    wire(items.Tuning, &TMainServiceSide::TuningMenuItemClick);
    wire(items.Tech, &TMainServiceSide::TechBtnClick);
    wire(items.BootP, &TMainServiceSide::BootPMenuItemClick);
    wire(items.Flashing, &TMainServiceSide::FlashingMenuItemClick);
    wire(items.Xilinx, &TMainServiceSide::XilinxMenuItemClick);
    wire(items.AutoTest, &TMainServiceSide::AutoTestMenuItemClick);
}

IMainServiceSide::STuningWindows TMainServiceSide::TuningWindows()
{
    TTuningForm* tuning = forms_.Tuning;
    if (!tuning)
        return {};
    return {tuning, tuning->ModelForm};
}

void TMainServiceSide::ExchangeToolSettings(CRegistry& store) { ExchangeBootPSettings(store); }
