// Vantrel Orrery: the program's entry. Creates the application and every window once, the main
// window first, runs the event loop and shows any exception that reaches the top.

#include "device/Data.h"
#include "device/Var.h"
#include "link/ui/Autofinding.h"
#include "link/ui/Connection.h"
#include "link/ui/Ipfind.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Connectbridge.h"
#include "panel/Version.h"
#include "panel/ui/About.h"
#include "panel/ui/Accept.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Delay.h"
#include "panel/ui/Editdisplay.h"
#include "panel/ui/Hardfault.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Logsettings.h"
#include "panel/ui/Main.h"
#include "panel/ui/Messagehooks.h"
#include "panel/ui/Password.h"
#include "panel/ui/Settingsform.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Splash.h"
#include "service/ui/Autotest.h"
#include "service/ui/Bootp.h"
#include "service/ui/Flashing.h"
#include "service/ui/Mainserviceside.h"
#include "service/ui/Tech.h"
#include "service/ui/Tuningdlg.h"
#include "zcomponents/Zunits.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace {

// Catches what escapes an event handler and shows it, so nothing crosses the event loop.
class TOrreryApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ShowException(e.what());
        } catch (...) {
            ShowException("");
        }
        return false;
    }

    static void ShowException(const char* text)
    {
        QMessageBox::critical(QApplication::activeWindow(), orrery::ProgramTitle,
                              QString::fromLocal8Bit(text));
    }
};

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return args;
}

} // namespace

int main(int argc, char** argv)
{
    // The one variable table and sample store exist before any window.
    ProgramVars();
    ProgramData();

    TOrreryApplication app(argc, argv);
    QApplication::setApplicationName(orrery::ProgramTitle);
    QApplication::setOrganizationName("Quorvane");
    ZUnitsStartup();

    TMessageHooks hooks;
    InstallMessageHooks(&hooks);

    int result = 0;
    try {
        TMainForm mainForm;
        mainForm.SetCommandLine(CommandLineArguments(argc, argv),
                                QCoreApplication::applicationDirPath().toStdString());
        // The service side's pages and tool windows on the main window; it goes before the main
        // window does.
        TMainServiceSide serviceSide(mainForm);
        TMainForm::Forms forms;
        TMainServiceSide::Forms serviceForms;
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
        serviceSide.SetForms(serviceForms);
        mainForm.SetForms(forms);

        mainForm.show();
        result = app.exec();
        if (mainForm.GetForms().Splash)
            delete mainForm.GetForms().Splash.data();
    } catch (const std::exception& e) {
        TOrreryApplication::ShowException(e.what());
    } catch (...) {
        TOrreryApplication::ShowException("");
    }
    InstallMessageHooks(nullptr);
    ZUnitsShutdown();
    return result;
}
