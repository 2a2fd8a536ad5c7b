#pragma once
// The seam between the main window and the service side, which is built above it
// (src/service/ui/Mainserviceside.h): the unit pages and the service pages on the main window's
// page control, the Tools menu's service items and their windows.
//
// IMainHost is what the main window gives the service side; the main window implements it.
// IMainServiceSide is what the main window tells the service side; the service side attaches
// itself to the host when it is made and lets go when it goes. A main window without one has
// none of these pages, and the service items of its Tools menu do nothing.

#include <string>

class CData;
class CDevice;
class CMainSettings;
class COrrery;
class CPageReads;
class CRegistry;
class CTuningModel;
class QAction;
class QTabWidget;
class QWidget;
class TStatusFrame;
class IMainServiceSide;

class IMainHost {
public:
    // The main window itself: the parent of the service side's pages, dialogs and windows.
    virtual QWidget* Window() = 0;
    // The page control, and the page before which the unit pages stand (the service pages go
    // after it).
    virtual QTabWidget* Pages() = 0;
    virtual QWidget* UnitPagesBefore() = 0;
    // The Tools menu's service items, made by the main window in the menu's order; their enabled
    // states follow the controller there.
    struct SToolItems {
        QAction* Tuning = nullptr;
        QAction* Tech = nullptr;
        QAction* BootP = nullptr;
        QAction* Flashing = nullptr;
        QAction* Xilinx = nullptr;
        QAction* AutoTest = nullptr;
    };
    virtual SToolItems ToolItems() = 0;
    // The application controller, the device object and the sample store.
    virtual COrrery* Controller() const = 0;
    virtual CDevice* Device() const = 0;
    virtual CData& Data() const = 0;
    // The status frame, and clearing its message before a command.
    virtual TStatusFrame* StatusFrame() = 0;
    virtual void ClearStatus() = 0;
    // The window settings (the auto-test's mode is kept there), the tuning model, and where the
    // unit pages plug their reads into the read of all pages.
    virtual CMainSettings& MainSettings() = 0;
    virtual CTuningModel& TuningModel() = 0;
    virtual CPageReads& PageReads() = 0;
    // The connect bar's port and the program's folder.
    virtual std::string PortText() const = 0;
    virtual std::string ProgramDirectory() const = 0;
    // Reads and the view after them, as the main window does them.
    virtual int ReadAllPages() = 0;
    virtual int ReadUnitSetup() = 0;
    virtual int UpdateReadings() = 0;
    // The readings were lost (polling stopped for errors, or a link the program dropped) and no
    // read has given a sample since: the latest sample is not the unit's.
    virtual bool ReadingsLost() const = 0;
    virtual void UpdateControls() = 0;
    virtual void RefreshUnitView() = 0;
    virtual void ValidatePanes() = 0;
    // The Smith chart and Capacitors windows repaint.
    virtual void RepaintChartWindows() = 0;
    // The capacitors moved as the control panel moves them; 0 or the failing result.
    virtual int MoveCapacitors(double loadPercent, double tunePercent) = 0;
    // Whether the last MoveCapacitors ended its wait with a motor still running.
    virtual bool MotorsStillMoving() const = 0;
    virtual int Move3rdCap(double percent) = 0;
    // Whether the main window is shutting down (nothing may reach the unit any more).
    virtual bool ShuttingDown() const = 0;
    // The service side the main window tells what follows; nullptr for none.
    virtual void SetServiceSide(IMainServiceSide* side) = 0;

protected:
    ~IMainHost() = default;
};

class IMainServiceSide {
public:
    // The tuning and tuning-model windows, given first places beside the main window with the
    // chart windows; nullptr for one not made.
    struct STuningWindows {
        QWidget* Tuning = nullptr;
        QWidget* Model = nullptr;
    };
    virtual STuningWindows TuningWindows() = 0;
    // The pages and fields the connected unit's type has.
    virtual void UpdateUnitPages() = 0;
    virtual void ClearInfoPage() = 0;
    virtual void MarkActiveTrajectorySet(int index) = 0;
    // The controls of the service side's pages that work only while the panel is unlocked
    // (the Send, reset, calibration and configuration file buttons): disabled while locked,
    // else as the pages' own rules have them.
    virtual void EnableUnlockedControls(bool unlocked) = 0;
    // A running auto-test ends with the program.
    virtual void EndAutoTest() = 0;
    // The tool windows' sections of the settings.
    virtual void ExchangeToolSettings(CRegistry& store) = 0;

protected:
    ~IMainServiceSide() = default;
};
