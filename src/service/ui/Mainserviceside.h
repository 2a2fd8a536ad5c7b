#pragma once
// The service side's part of the main window, as the main window asks for it: its unit pages,
// service pages and tool windows (the main window's members in this folder's Main*.cpp files).

#include "panel/ui/Mainserviceside.h"

class TMainServiceSide : public IMainServiceSide {
public:
    void CreateUnitPages(TMainForm& form) override;
    void CreateServicePages(TMainForm& form) override;
    void WireToolItems(TMainForm& form) override;
    void BindToolWindows(TMainForm& form) override;
    STuningWindows TuningWindows(TMainForm& form) override;
    void UpdateUnitPages(TMainForm& form) override;
    void ClearInfoPage(TMainForm& form) override;
    void MarkActiveTrajectorySet(TMainForm& form, int index) override;
    void EnableConfigFileButtons(TMainForm& form, bool unlocked) override;
    void EndAutoTest(TMainForm& form) override;
    void ExchangeToolSettings(TMainForm& form, CRegistry& store) override;
};
