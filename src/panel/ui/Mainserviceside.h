#pragma once
// What the main window asks of the service side, which is built above it: the unit pages and
// the service pages on its page control, the Tools menu's service items and their windows, and
// their share of the settings and the shut-down. The service side gives its own
// (src/service/ui/Mainserviceside.h) and the program installs it before the main window is
// made; a main window made without one has none of these pages and items do nothing.

class CRegistry;
class QWidget;
class TMainForm;

class IMainServiceSide {
public:
    virtual ~IMainServiceSide() = default;
    // Trajectories, Tuning, 3 Cap and Setup, after the Display page.
    virtual void CreateUnitPages(TMainForm& form) = 0;
    // Service log, Info and Config, after the Faults page.
    virtual void CreateServicePages(TMainForm& form) = 0;
    // Tuning, Technical, BootP, Flashing, Xilinx and Auto-test of the Tools menu.
    virtual void WireToolItems(TMainForm& form) = 0;
    // The tuning model and auto-test windows' links, once the windows are handed over.
    virtual void BindToolWindows(TMainForm& form) = 0;
    // The tuning and tuning-model windows, given first places beside the main window with the
    // chart windows; nullptr for one not made.
    struct STuningWindows {
        QWidget* Tuning = nullptr;
        QWidget* Model = nullptr;
    };
    virtual STuningWindows TuningWindows(TMainForm& form) = 0;
    // The pages and fields the connected unit's type has.
    virtual void UpdateUnitPages(TMainForm& form) = 0;
    virtual void ClearInfoPage(TMainForm& form) = 0;
    virtual void MarkActiveTrajectorySet(TMainForm& form, int index) = 0;
    virtual void EnableConfigFileButtons(TMainForm& form, bool unlocked) = 0;
    // A running auto-test ends with the program.
    virtual void EndAutoTest(TMainForm& form) = 0;
    // The tool windows' sections of the settings.
    virtual void ExchangeToolSettings(TMainForm& form, CRegistry& store) = 0;
};

// The service side the main windows made from now on use; nullptr for none.
void InstallMainServiceSide(IMainServiceSide* side);
IMainServiceSide* InstalledMainServiceSide();
