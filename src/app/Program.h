#pragma once
// The program's windows, made once in the order the program has always made them, the main
// window first: the main window with the service side on it and every window it shows. Running
// the program shows the main window and runs the application's event loop until the main window
// closes, which ends the program.

#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"

#include <functional>
#include <string>
#include <vector>

class TProgram {
public:
    // Command-line arguments (after the program name) and the program's folder. The
    // application object exists already.
    TProgram(const std::vector<std::string>& args, const std::string& programDir);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TMainForm& MainForm() { return mainForm_; }
    TMainServiceSide& ServiceSide() { return serviceSide_; }
    // Shows the main window and runs the event loop; its result once the program ends.
    int Run();

private:
    TMainForm mainForm_;
    // The service side's pages and tool windows on the main window; it goes before the main
    // window does.
    TMainServiceSide serviceSide_;
};
