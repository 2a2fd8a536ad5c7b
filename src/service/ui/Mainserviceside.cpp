#include "service/ui/Mainserviceside.h"

#include "panel/ui/Main.h"
#include "service/ui/Modeldlg.h"
#include "service/ui/Tuningdlg.h"

#include <QAction>

void TMainServiceSide::CreateUnitPages(TMainForm& form) { form.CreateUnitPages(); }
void TMainServiceSide::CreateServicePages(TMainForm& form) { form.CreateServicePages(); }

void TMainServiceSide::WireToolItems(TMainForm& form)
{
    auto wire = [&form](QAction* item, void (TMainForm::*handler)()) {
        QObject::connect(item, &QAction::triggered, &form, handler);
    };
    wire(form.TuningMenuItem, &TMainForm::TuningMenuItemClick);
    wire(form.TechMenuItem, &TMainForm::TechBtnClick);
    wire(form.BootPMenuItem, &TMainForm::BootPMenuItemClick);
    wire(form.FlashingMenuItem, &TMainForm::FlashingMenuItemClick);
    wire(form.XilinxMenuItem, &TMainForm::XilinxMenuItemClick);
    wire(form.AutoTestMenuItem, &TMainForm::AutoTestMenuItemClick);
}

void TMainServiceSide::BindToolWindows(TMainForm& form) { form.BindToolWindows(); }
IMainServiceSide::STuningWindows TMainServiceSide::TuningWindows(TMainForm& form)
{
    TTuningForm* tuning = form.GetForms().Tuning;
    if (!tuning)
        return {};
    return {tuning, tuning->ModelForm};
}

void TMainServiceSide::UpdateUnitPages(TMainForm& form) { form.UpdateUnitPages(); }
void TMainServiceSide::ClearInfoPage(TMainForm& form) { form.ClearInfoPage(); }
void TMainServiceSide::MarkActiveTrajectorySet(TMainForm& form, int index) { form.MarkActiveTrajectorySet(index); }
void TMainServiceSide::EnableConfigFileButtons(TMainForm& form, bool unlocked) { form.EnableConfigFileButtons(unlocked); }
void TMainServiceSide::EndAutoTest(TMainForm& form) { form.EndAutoTest(); }
void TMainServiceSide::ExchangeToolSettings(TMainForm& form, CRegistry& store) { form.ExchangeBootPSettings(store); }
