// The main window's unit pages: the Trajectories, Tuning, 3 Cap and Setup tabs and the two
// calibration dialogs they open.

#include "device/Device.h"
#include "panel/Pagereads.h"
#include "panel/ui/Main.h"
#include "service/ui/Cal3capdlg.h"
#include "service/ui/Calinputdlg.h"
#include "service/ui/Cap3page.h"
#include "service/ui/Setuppage.h"
#include "service/ui/Trajpage.h"
#include "service/ui/Tuningpage.h"

#include <QPushButton>
#include <QTabWidget>

void TMainForm::CreateUnitPages()
{
    TrajPage = new TTrajPage(*this);
    TuningPage = new TTuningPage(*this);
    _3capPage = new T3capPage(*this);
    SetupPage = new TSetupPage(*this);
    // After the Display page, before the Faults page.
    int at = PageControl->indexOf(FaultsPage);
    PageControl->insertTab(at++, TrajPage, "Trajectories");
    PageControl->insertTab(at++, TuningPage, "Tuning");
    PageControl->insertTab(at++, _3capPage, "3 Cap");
    PageControl->insertTab(at, SetupPage, "Setup (Ostra)");
    connect(SetupPage->EnableMotorsBtn, &QPushButton::clicked, this, &TMainForm::EnableMotorsBtnClick);
    connect(SetupPage->DisableMotorsBtn, &QPushButton::clicked, this, &TMainForm::DisableMotorsBtnClick);
    CalInputForm = new TCalInputForm(*this, this);
    Cal3capForm = new TCal3capForm(*this, this);
    // The read of all unit pages reads these pages.
    pageReads_->Set(CPageReads::Setup, [this] { return ReadSetup(); });
    pageReads_->Set(CPageReads::Trajectories, [this] { return ReadTrajectories(); });
    pageReads_->Set(CPageReads::Tuning, [this] { return ReadTuning(); });
    pageReads_->Set(CPageReads::ThirdCap, [this] { return Read3Cap(); });
    UpdateUnitPages();
}

void TMainForm::UpdateUnitPages()
{
    PageControl->setTabVisible(PageControl->indexOf(_3capPage), device_->Has3rdCap());
    SetupPage->UpdateUnitType();
    TuningPage->UpdateUnitType();
}

int TMainForm::ReadSetup() { return SetupPage->ReadSetup(); }
int TMainForm::ReadTrajectories() { return TrajPage->ReadTrajectories(); }
int TMainForm::ReadTuning() { return TuningPage->ReadTuning(); }
int TMainForm::Read3Cap() { return _3capPage->Read3Cap(); }

void TMainForm::UpdateCTexts()
{
    TrajPage->UpdateCTexts();
    _3capPage->UpdateCTexts();
}

void TMainForm::MarkActiveTrajectorySet(int index) { TrajPage->MarkActiveTrajectorySet(index); }
