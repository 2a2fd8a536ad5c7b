#pragma once
// The tuning model window: a load R + jX, a grid size and an arrow scale; Refresh evaluates
// the network model and the unit's tuning rule from every cell of an N x N grid over the
// Load/Tune plane. While it is shown, the Capacitors window draws the steps as arrows and
// simulates tuning runs from a click (their times are listed here), the Smith chart draws the
// model at the trajectory's positions, and demo mode simulates its samples against this load.

#include <QWidget>
#include <functional>

class CTuningModel;
class CUnitState;
class QAction;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class TModelForm;

class TTuningForm : public QWidget {
public:
    static constexpr int FixedWidth = 204;
    static constexpr int MinHeight = 175;

    explicit TTuningForm(QWidget* parent = nullptr);

    struct SLinks {
        CTuningModel* Model = nullptr; // what the chart windows and the demo read
        CUnitState* Unit = nullptr;    // the network model's parameters and capacitor records
        QAction* MenuItem = nullptr;   // checked while the window is shown
        std::function<void()> RepaintCharts; // the Smith chart and Capacitors windows, when shown
    };
    // Takes the links and writes the model's values into the edits.
    void Bind(const SLinks& links);

    QLineEdit* REdit = nullptr;
    QLineEdit* XEdit = nullptr;
    QLineEdit* SizeEdit = nullptr;
    QLineEdit* ZoomEdit = nullptr;
    QPushButton* RecalcBtn = nullptr;
    QPushButton* ModelBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QTreeWidget* TimeListBox = nullptr; // columns "Load", "Tune", "Time (s)"
    TModelForm* ModelForm = nullptr;

    // All showing and hiding goes through here: the window, the model's flag, the menu item's
    // check mark and the chart windows' overlays.
    void SetVisible(bool visible);
    // A line "Load\tTune\tTime (s)" added to the time list and selected.
    void AddTimeLine(const std::string& line);

    // --- handlers ---------------------------------------------------------------------------
    void RecalcBtnClick();
    void ModelBtnClick();
    void CloseBtnClick() { SetVisible(false); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    SLinks links_;
};
