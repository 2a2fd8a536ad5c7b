#include "service/ui/Mainserviceside.h"

#include "panel/Pagereads.h"
#include "service/ui/Autotest.h"
#include "service/ui/Bootp.h"
#include "service/ui/Cal3capdlg.h"
#include "service/ui/Calinputdlg.h"
#include "service/ui/Cap3page.h"
#include "service/ui/Configpage.h"
#include "service/ui/Infopage.h"
#include "service/ui/Modeldlg.h"
#include "service/ui/Setuppage.h"
#include "service/ui/Trajpage.h"
#include "service/ui/Tuningdlg.h"
#include "service/ui/Tuningpage.h"

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
    // After the main window, which took the pages and dialogs along, there is nothing to let go
    // of.
    if (!window_)
        return;
    // Gone before the main window: a running auto-test ends now, the main window no longer
    // tells this side anything nor reads its pages, and the pages and dialogs made here go too.
    EndAutoTest();
    host_.SetServiceSide(nullptr);
    CPageReads& pageReads = host_.PageReads();
    for (CPageReads::Page page : {CPageReads::Setup, CPageReads::Trajectories, CPageReads::Tuning, CPageReads::ThirdCap})
        pageReads.Set(page, nullptr);
    delete restoreForm_;
    delete CalInputForm;
    delete Cal3capForm;
    delete ConfigPage;
    delete InfoPage;
    delete SetupPage; // with the service log on it
    delete _3capPage;
    delete TuningPage;
    delete TrajPage;
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
