#pragma once
// The main window's Trajectories tab: the four trajectory sets with their points and per-point
// delays, the set to activate, and the Load and Tune travel limits.

#include "service/Trajrules.h"
#include "service/ui/Pagecontrols.h"

#include <array>

class QRadioButton;
class QTabBar;
class QToolButton;

class TTrajPage : public TUnitPage {
public:
    static constexpr int Points = CTrajectory::Points;
    static constexpr int Sets = CUnitState::TrajectoryCount;

    explicit TTrajPage(TMainServiceSide& side);

    std::array<QToolButton*, Sets> SetBtns{};      // Set1Btn..Set4Btn
    QTabBar* TrajTab = nullptr;
    std::array<QRadioButton*, Points> PointBtns{};  // Point0Btn..Point3Btn
    std::array<QLineEdit*, Points> ShEdits{}, SerEdits{}, DelEdits{};
    std::array<QLabel*, Points> ShTexts{}, SerTexts{};
    QLineEdit* ShMinEdit = nullptr;
    QLineEdit* ShMaxEdit = nullptr;
    QLineEdit* SerMinEdit = nullptr;
    QLineEdit* SerMaxEdit = nullptr;
    QLabel* ShMinText = nullptr;
    QLabel* ShMaxText = nullptr;
    QLabel* SerMinText = nullptr;
    QLabel* SerMaxText = nullptr;
    QPushButton* SendTrajBtn = nullptr;
    QPushButton* ReadTrajBtn = nullptr;
    QPushButton* ResetMinMaxBtn = nullptr;

    int ReadTrajectories();
    void ReadTrajBtnClick();
    void SendTrajBtnClick();
    void SetBtnClick(int set);
    void TrajTabChange(int tab);
    void EnableTrajItems();
    void TrajEditChange();
    void DelEditChange();
    void ResetMinMaxBtnClick();
    void MarkActiveTrajectorySet(int set);
    void SelectTrajectorySet(int set);
    void ShowTrajectorySet();
    void StoreTrajectoryEdits();
    void EnableTrajectoryEdits();
    // The pF read-outs beside the position and limit edits.
    void UpdateCTexts();
    // The set Send activates.
    int SelectedSet() const { return texts_.selected; }

private:
    void MarkUnsent();
    int CheckedPoint() const; // -1 when none

    CTrajTexts texts_;
    int shownSet_ = 0;
    bool filling_ = false;
};
