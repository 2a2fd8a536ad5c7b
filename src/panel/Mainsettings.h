#pragma once
// The main window's own settings (section "Main") and the order in which its settings exchange
// visits the other sections: "Vars", "Model", "Pane0", "Pane1", "Smith", "Caps", then "Model"
// again with the auto-test keys.

#include "panel/Item.h"

#include <functional>
#include <string>

class CRegistry;

class CMainSettings {
public:
    static constexpr const char* Section = "Main";
    static constexpr int ScreenMargin = 100; // pixels of the window kept on the screen
    static constexpr int LogFormatCount = 5;

    int Top = 36;
    int Left = 49;
    bool DisAudio = false;
    CItemStyle Style; // the item sizes of the readings panes; kept within their ranges on load
    bool TracesRFOn = false;
    // The data logger's column flags, one character per column ("1" on, "0" off); kept as
    // text until the logger takes them over.
    std::string LogFormats[LogFormatCount];
    int AutoTestMode = 0;
    int AutoTestN = 999;
    double AutoTestT = 10.0;

    // Exchanges of the sections that other objects own; empty ones are skipped.
    struct Parts {
        std::function<void(CRegistry&, const std::string& key, int table)> LogFormat;
        std::function<void(CRegistry&)> Vars;
        std::function<void(CRegistry&)> Model;
        std::function<void(CRegistry&)> Pane0;
        std::function<void(CRegistry&)> Pane1;
        std::function<void(CRegistry&)> Smith;
        std::function<void(CRegistry&)> Caps;
        // After a load of the window's place, before the windows that follow it may be shown.
        std::function<void()> Placed;
    };

    // Default display values (the pane layout is the pane lists' own business).
    void SetDefaultDisplay();

    // One routine for both directions; screenWidth and screenHeight pull a loaded position back
    // onto the screen, from beyond either edge.
    void Exchange(CRegistry& store, const Parts& parts, int screenWidth, int screenHeight);
};
