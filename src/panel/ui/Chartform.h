#pragma once
// What the Smith chart and Capacitors windows share: a sizeable stay-on-top tool window with a
// white drawing area, the "Window", "Status" and "Samples" menus, a status bar with the
// read-out under the mouse, the trail of the newest samples with its marker, the incremental
// update between full paints, printing, the caption and the settings section. Every drawing
// goes to the drawing area's back buffer.

#include "panel/Chartsettings.h"
#include "panel/Trail.h"

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CData;
class CDataRec;
class CRegistry;
class CTuningModel;
class CUnitState;
class CVars;
class QActionGroup;
class QPainter;
class QPrinter;
class TChartBuffer;

class TChartForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int MinWidth = 120;
    static constexpr int MinHeight = 150;

    // What the window reads, and whom it tells when it is shown or hidden.
    struct SLinks {
        const CData* Data = nullptr;
        const CUnitState* Unit = nullptr;
        const CVars* Vars = nullptr;
        const CTuningModel* Tuning = nullptr; // the tuning model window's overlay; null: off
        std::function<void(bool)> Shown;      // the main window's button and menu item
    };

    void Bind(const SLinks& links);
    const SLinks& Links() const { return links_; }

    // --- menus and controls -----------------------------------------------------------------
    QMenu* WindowMenu = nullptr;
    QAction* KeepOnTopMenu = nullptr;
    QAction* PrintMenu = nullptr;
    QAction* CloseMenu = nullptr;
    QMenu* StatusMenu = nullptr;
    QAction* HideMenu = nullptr;
    std::vector<QAction*> ModeMenus; // one per read-out mode
    QMenu* SamplesMenu = nullptr;
    QAction* Samples1MenuItem = nullptr;
    QAction* Samples10MenuItem = nullptr;
    QAction* Samples100MenuItem = nullptr;
    QAction* SamplesAllMenuItem = nullptr;
    TChartBuffer* ChartBox = nullptr;

    // --- operations -------------------------------------------------------------------------
    // Shows or hides, records Visible and tells the main window.
    void ShowWindow(bool show);
    void RepaintIfVisible();
    // Adds the newest sample of the store to the drawing (only while shown).
    void UpdateIncremental();
    // A unit has been connected: its samples, from the next one stored, make a new trail.
    void StartNewTrail();
    // Whether the newest sample is where the unit stands: while the readings are lost the trail
    // stays (it is history) but no marker claims the unit's place.
    void SetLatestKnown(bool known);
    // The window's title, or header + " - " + title.
    void SetCaption(const std::string& header);
    // Stores the read-out mode, checks its item and names the status bar's item.
    void SetStatusMode(int mode);
    // Trail length: 1, 10, 100 or 0 for every sample; checks its item, repaints when shown.
    void SetSamples(int samples);
    // Section "Smith" or "Caps".
    void Exchange(CRegistry& store);
    void PrintImage(QPrinter& printer);
    QImage WindowImage();

    const CChartSettings& Settings() const { return settings_; }
    const CTrail& Trail() const { return trail_; }
    bool Painted() const { return painted_; }
    bool StayOnTop() const;

    // --- handlers shared by both windows ----------------------------------------------------
    // The full paint: frame, grid or plane, overlays, the trace and its marker.
    void FormPaint();
    void FormResize();
    void FormMouseMove(QPoint pos);
    // The title bar's close box: the window hides.
    void FormClose();
    void Samples1MenuItemClick() { SamplesClick(1); }
    void Samples10MenuItemClick() { SamplesClick(10); }
    void Samples100MenuItemClick() { SamplesClick(100); }
    void SamplesAllMenuItemClick() { SamplesClick(CTrail::All); }

protected:
    // name: the window's object name; menuSuffix: "Smith" or "Caps" in the menu item names;
    // modes: object name and caption of every read-out mode's item.
    TChartForm(QWidget* parent, const char* name, const std::string& title,
               const std::string& section, const std::string& menuSuffix,
               const std::vector<std::pair<const char*, const char*>>& modes);

    // Draws everything under the trace into the cleared buffer and computes the geometry.
    virtual void DrawChart(QPainter& painter, const QSize& size) = 0;
    // Where a stored sample goes in the geometry of the last paint.
    virtual STracePoint SamplePoint(const CDataRec& rec) const = 0;
    // The status bar's text at a pixel of the drawing area.
    virtual std::string ReadOut(int x, int y) const = 0;
    // The window was closed by its menu or its title bar.
    virtual void Closed() {}

    // A menu item's click runs a named handler of the window.
    template <class Form>
    void OnClick(QAction* item, void (Form::*handler)())
    {
        connect(item, &QAction::triggered, static_cast<Form*>(this), handler);
    }

    // Menu actions behind the named handlers of each window.
    void KeepOnTopClick();
    void PrintClick();
    void CloseClick();
    void HideClick();
    void ModeClick(int mode);
    void SamplesClick(int samples);

    bool TuningShown() const;

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    SLinks links_;
    CChartSettings settings_;

private:
    void SetStayOnTop(bool on);
    void UpdateHideCaption();
    void DrawMarker(QImage& image);
    void EraseMarker(QImage& image);
    // The store's index of the first sample of the unit connected now (0 when that sample has
    // gone from the store).
    int RunStart() const;

    std::string title_;
    std::string section_;
    QActionGroup* modeGroup_ = nullptr;
    QActionGroup* samplesGroup_ = nullptr;
    CTrail trail_;
    int64_t runSerial_ = 0; // the store's serial number of the present unit's first sample
    bool painted_ = false;
    bool latestKnown_ = true; // the marker shows only then
};
