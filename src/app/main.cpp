// Vantrel Orrery: the program's entry. Creates the application and every window once, the main
// window first, runs the event loop and shows any exception that reaches the top.

#include "app/Program.h"
#include "device/Data.h"
#include "device/Var.h"
#include "panel/Version.h"
#include "panel/ui/Messagehooks.h"
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
        TProgram program(CommandLineArguments(argc, argv),
                         QCoreApplication::applicationDirPath().toStdString());
        result = program.Run();
    } catch (const std::exception& e) {
        TOrreryApplication::ShowException(e.what());
    } catch (...) {
        TOrreryApplication::ShowException("");
    }
    InstallMessageHooks(nullptr);
    ZUnitsShutdown();
    return result;
}
