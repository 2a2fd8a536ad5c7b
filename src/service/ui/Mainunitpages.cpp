// The service side's unit pages: the Trajectories, Tuning, 3 Cap and Setup tabs on the main
// window, the two calibration dialogs they open, and the Setup page's motor buttons.

#include "service/ui/Mainserviceside.h"

#include "device/Device.h"
#include "panel/Pagereads.h"
#include "panel/ui/Status.h"
#include "service/ui/Cal3capdlg.h"
#include "service/ui/Calinputdlg.h"
#include "service/ui/Cap3page.h"
#include "service/ui/Configpage.h"
#include "service/ui/Pagecontrols.h"
#include "service/ui/Setuppage.h"
#include "service/ui/Trajpage.h"
#include "service/ui/Tuningpage.h"

#include <QPushButton>
#include <QTabWidget>

void TMainServiceSide::CreateUnitPages()
{
    TrajPage = new TTrajPage(*this);
    TuningPage = new TTuningPage(*this);
    _3capPage = new T3capPage(*this);
    SetupPage = new TSetupPage(*this);
    // After the Display page, before the Faults page.
    int at = PageControl->indexOf(host_.UnitPagesBefore());
    PageControl->insertTab(at++, TrajPage, "Trajectories");
    PageControl->insertTab(at++, TuningPage, "Tuning");
    PageControl->insertTab(at++, _3capPage, "3 Cap");
    PageControl->insertTab(at, SetupPage, "Setup (Ostra)");
    connect(SetupPage->EnableMotorsBtn, &QPushButton::clicked, this, &TMainServiceSide::EnableMotorsBtnClick);
    connect(SetupPage->DisableMotorsBtn, &QPushButton::clicked, this, &TMainServiceSide::DisableMotorsBtnClick);
    CalInputForm = new TCalInputForm(*SetupPage, host_.Window());
    Cal3capForm = new TCal3capForm(*SetupPage, host_.Window());
    // The read of all unit pages reads these pages.
    CPageReads& pageReads = host_.PageReads();
    using pagecontrols::IsUnsent;
    pageReads.Set(CPageReads::Setup, [this] { return ReadSetup(); }, [this] { return IsUnsent(SetupPage->SendSetupBtn); });
    pageReads.Set(CPageReads::Trajectories, [this] { return ReadTrajectories(); },
                  [this] { return IsUnsent(TrajPage->SendTrajBtn); });
    pageReads.Set(CPageReads::Tuning, [this] { return ReadTuning(); }, [this] { return IsUnsent(TuningPage->SendTuningBtn); });
    pageReads.Set(CPageReads::ThirdCap, [this] { return Read3Cap(); },
                  [this] { return device_->Has3rdCap() && IsUnsent(_3capPage->Send3capBtn); });
    UpdateUnitPages();
}

void TMainServiceSide::UpdateUnitPages()
{
    PageControl->setTabVisible(PageControl->indexOf(_3capPage), device_->Has3rdCap());
    SetupPage->UpdateUnitType();
    TuningPage->UpdateUnitType();
}

void TMainServiceSide::EnableUnlockedControls(bool unlocked)
{
    ConfigPage->SaveToFileBtn->setEnabled(unlocked);
    ConfigPage->RestoreFromFileBtn->setEnabled(unlocked);
    SetupPage->EnableUnlockedControls(unlocked);
    TrajPage->SendTrajBtn->setEnabled(unlocked);
    TuningPage->SendTuningBtn->setEnabled(unlocked);
    _3capPage->Send3capBtn->setEnabled(unlocked);
}

int TMainServiceSide::ReadSetup() { return SetupPage->ReadSetup(); }
int TMainServiceSide::ReadTrajectories() { return TrajPage->ReadTrajectories(); }
int TMainServiceSide::ReadTuning() { return TuningPage->ReadTuning(); }
int TMainServiceSide::Read3Cap() { return _3capPage->Read3Cap(); }

void TMainServiceSide::UpdateCTexts()
{
    TrajPage->UpdateCTexts();
    _3capPage->UpdateCTexts();
}

void TMainServiceSide::MarkActiveTrajectorySet(int index) { TrajPage->MarkActiveTrajectorySet(index); }

void TMainServiceSide::EnableMotorsBtnClick()
{
    ClearStatus();
    device_->EnableMotors(true); // a failure is already in the status frame, which keeps it
    Status->CommandAccepted();
}

void TMainServiceSide::DisableMotorsBtnClick()
{
    ClearStatus();
    device_->EnableMotors(false);
    Status->CommandAccepted();
}
