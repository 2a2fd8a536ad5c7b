#include "app/Program.h"

#include "link/ui/Autofinding.h"
#include "link/ui/Connection.h"
#include "link/ui/Ipfind.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Connectbridge.h"
#include "panel/ui/About.h"
#include "panel/ui/Accept.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Delay.h"
#include "panel/ui/Editdisplay.h"
#include "panel/ui/Hardfault.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Logsettings.h"
#include "panel/ui/Password.h"
#include "panel/ui/Settingsform.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Splash.h"
#include "service/ui/Autotest.h"
#include "service/ui/Bootp.h"
#include "service/ui/Flashing.h"
#include "service/ui/Tech.h"
#include "service/ui/Tuningdlg.h"

#include <QApplication>

TProgram::TProgram(const std::vector<std::string>& args, const std::string& programDir)
    : serviceSide_(mainForm_)
{
    mainForm_.SetCommandLine(args, programDir);
    TMainForm::Forms forms;
    TMainServiceSide::Forms serviceForms;
    TMainForm& mainForm = mainForm_;
    // The other windows, in the order the program has always created them.
    serviceForms.Tech = new TTechForm(*mainForm.Device(), [&mainForm] { mainForm.ClearStatus(); }, &mainForm);
    auto* accept = new TAcceptForm(&mainForm);
    forms.OstraBusLog = new TOstraBusLogForm(&mainForm);
    forms.AutoFinding = new TAutoFindingForm(mainForm.Bridge(), &mainForm);
    serviceForms.BootP = new TBootPForm(&mainForm);
    forms.Connection = new TConnectionForm(mainForm.Bridge(), mainForm.ConnectBar, &mainForm);
    forms.IPFind = new TIPFindForm(mainForm.Bridge(), &mainForm);
    forms.LogSettings = new TLogSettingsForm(&mainForm);
    auto* password = new TPasswordForm(&mainForm);
    auto* about = new TAboutForm(&mainForm);
    auto* delay = new TDelayForm(&mainForm);
    forms.HardFault = new THardFaultForm(&mainForm);
    forms.Logging = new TLoggingForm(*mainForm.Device(), &mainForm);
    forms.Settings = new TSettingsForm(&mainForm);
    forms.EditDisplay = new TEditDisplayForm(&mainForm);
    serviceForms.FlashProgress = new TFlashProgressForm(&mainForm);
    serviceForms.StartFlashing = new TStartFlashingForm(&mainForm);
    forms.Smith = new TSmithForm(&mainForm);
    forms.Caps = new TCapsForm(&mainForm);
    serviceForms.Tuning = new TTuningForm(&mainForm);
    serviceForms.AutoTest = new TAutoTestForm(&mainForm);
    forms.Accept = accept;
    forms.Password = password;
    forms.About = about;
    serviceForms.Delay = delay;
    forms.Splash = new TSplashForm(); // frees itself when it closes
    // The service side's first: the main window places the tuning windows with its own.
    serviceSide_.SetForms(serviceForms);
    mainForm.SetForms(forms);
}

TProgram::~TProgram()
{
    if (mainForm_.GetForms().Splash)
        delete mainForm_.GetForms().Splash.data();
}

int TProgram::Run()
{
    mainForm_.show();
    return QApplication::exec();
}
