// The Smith chart window over a known history: the grid, the trace and its marker in the back
// buffer, the incremental update and its repaint rule, the read-out under the mouse, the menus,
// section "Smith" and printing.

#include "common/Registry.h"
#include "device/Data.h"
#include "device/Unitstate.h"
#include "device/Var.h"
#include "panel/Smithchart.h"
#include "panel/Tuningmodel.h"
#include "panel/ui/Chartbuffer.h"
#include "panel/ui/Smithdlg.h"
#include "platform/Inifile.h"
#include "qtsupport/Printedpdf.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QApplication>
#include <QPrinter>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr QRgb Blue = 0xFF0000FF;  // the default trace colour
constexpr QRgb White = 0xFFFFFFFF;

QRgb PixelAt(const QImage& image, SPoint p) { return image.pixel(p.X, p.Y) | 0xFF000000u; }

class SmithFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TChartForm::SLinks links;
        links.Data = &data;
        links.Unit = &unit;
        links.Vars = &vars;
        links.Tuning = &tuning;
        links.Shown = [this](bool shown) { shownReports.push_back(shown); };
        form.Bind(links);
        form.resize(300, 320);
    }
    void AddSample(double r, double x)
    {
        data.Latest().SetValue(varid::R, r);
        data.Latest().SetValue(varid::X, x);
        data.Add();
    }
    SPoint At(double r, double x) const
    {
        SPoint p;
        EXPECT_TRUE(CSmithChart::Map(form.Geometry(), r, x, p));
        return p;
    }
    const QImage& Shown() const { return form.ChartBox->Shown(); }
    void ShowForm()
    {
        form.ShowWindow(true);
        QCoreApplication::processEvents();
        ASSERT_TRUE(form.Painted());
    }

    CData data{[] { return int64_t(0); }};
    CUnitState unit;
    CVars vars;
    CTuningModel tuning;
    std::vector<bool> shownReports;
    TSmithForm form;
};

TEST_F(SmithFormTest, TraceAndMarkerOfAKnownHistory)
{
    AddSample(30, 30); // above the axis
    AddSample(30, -30); // the same distance below it
    form.SetSamples(CTrail::All);
    ShowForm();
    EXPECT_EQ(shownReports, std::vector<bool>{true});
    const SPoint a = At(30, 30), b = At(30, -30);
    ASSERT_EQ(a.X, b.X);
    // The path between the two samples is in the trace colour, also where it crosses the axis.
    for (int y = a.Y + 1; y < b.Y - 5; ++y)
        EXPECT_EQ(PixelAt(Shown(), {a.X, y}), Blue) << y;
    // The marker: a 9 x 9 outline around the newest sample in "not xor", so the trace that
    // enters it from above turns white where it crosses.
    for (int d = -4; d <= 4; ++d) {
        EXPECT_EQ(PixelAt(Shown(), {b.X + d, b.Y - 4}), d == 0 ? White : Blue) << d;
        EXPECT_EQ(PixelAt(Shown(), {b.X + d, b.Y + 4}), Blue) << d;
        EXPECT_EQ(PixelAt(Shown(), {b.X - 4, b.Y + d}), Blue) << d;
        EXPECT_EQ(PixelAt(Shown(), {b.X + 4, b.Y + d}), Blue) << d;
    }
    EXPECT_EQ(PixelAt(Shown(), {b.X + 2, b.Y + 2}), White);
    EXPECT_EQ(PixelAt(Shown(), {b.X + 4, b.Y + 5}), White);
    // The centre of the chart and the left end of the axis lie on the grey axis.
    const SSmithGeometry g = form.Geometry();
    EXPECT_EQ(PixelAt(Shown(), {g.CentreX - g.Radius / 2, g.CentreY}), 0xFF808080u);
}

TEST_F(SmithFormTest, IncrementalUpdateMovesTheMarkerAsAFullPaintWould)
{
    form.SetSamples(CTrail::All);
    AddSample(20, 10);
    ShowForm();
    for (auto [r, x] : {std::pair{30.0, 20.0}, {40.0, -5.0}, {70.0, 30.0}, {-10.0, 0.0}, {60.0, 0.0}}) {
        AddSample(r, x);
        form.UpdateIncremental();
    }
    EXPECT_EQ(form.Trail().Last, At(60, 0));
    const QImage incremental = Shown().copy();
    form.FormPaint();
    EXPECT_EQ(incremental, Shown()); // no stale marker, no missing segment
}

TEST_F(SmithFormTest, TrailOfTenGrowsToTwelveThenRepaints)
{
    for (int i = 0; i < 20; ++i)
        AddSample(10 + i, i);
    form.SetSamples(10);
    ShowForm();
    EXPECT_EQ(form.Trail().TrailStart, 10);
    AddSample(5, 5);
    form.UpdateIncremental();
    AddSample(6, 5);
    form.UpdateIncremental();
    EXPECT_EQ(form.Trail().TrailStart, 10); // 12 samples drawn
    AddSample(7, 5);
    form.UpdateIncremental();
    EXPECT_EQ(form.Trail().TrailStart, 13); // repainted with the last 10
}

TEST_F(SmithFormTest, ATrailOfOneMovesOnlyTheMarkerAndSkipsPointsWithoutAPlace)
{
    AddSample(50, 0);
    ShowForm();
    const SPoint centre = At(50, 0);
    EXPECT_EQ(PixelAt(Shown(), {centre.X - 4, centre.Y - 4}), Blue);
    AddSample(-50, 0); // Z = -50: no place on the chart
    form.UpdateIncremental();
    EXPECT_EQ(form.Trail().Last, centre);
    AddSample(0, 0);
    form.UpdateIncremental();
    const SPoint left = At(0, 0);
    EXPECT_EQ(PixelAt(Shown(), {left.X + 4, left.Y - 4}), Blue);
    EXPECT_NE(PixelAt(Shown(), {centre.X - 4, centre.Y - 4}), Blue); // erased
    // The first sample after a clear marks its own place, not the old one.
    data.Clear();
    form.RepaintIfVisible();
    AddSample(50, 0);
    form.UpdateIncremental();
    EXPECT_EQ(form.Trail().Marker, centre);
    EXPECT_EQ(PixelAt(Shown(), {centre.X - 4, centre.Y - 4}), Blue);
}

TEST_F(SmithFormTest, MouseReadOutAndStatusMenu)
{
    ShowForm();
    const SSmithGeometry g = form.Geometry();
    QTest::mouseMove(form.ChartBox, QPoint(g.CentreX, g.CentreY));
    EXPECT_EQ(form.statusBar()->currentMessage().toStdString(),
              CSmithChart::ReadOut(CSmithChart::ModeRX, g, g.CentreX, g.CentreY, vars));
    EXPECT_EQ(form.statusBar()->currentMessage().left(2), "R=");
    form.VSWRSmithMenu->trigger();
    EXPECT_TRUE(form.VSWRSmithMenu->isChecked());
    EXPECT_FALSE(form.RXSmithMenu->isChecked());
    QTest::mouseMove(form.ChartBox, QPoint(g.CentreX + g.Radius, g.CentreY)); // g = 1
    EXPECT_EQ(form.statusBar()->currentMessage(), "");

    EXPECT_EQ(form.HideMenu->text(), "Hide");
    form.HideMenu->trigger();
    EXPECT_TRUE(form.statusBar()->isHidden());
    EXPECT_EQ(form.HideMenu->text(), "Show");
    form.GammaSmithMenu->trigger(); // choosing a mode shows the status bar again
    EXPECT_FALSE(form.statusBar()->isHidden());
    EXPECT_EQ(form.HideMenu->text(), "Hide");

    form.Samples100MenuItem->trigger();
    EXPECT_EQ(form.Settings().Samples, 100);
    form.SamplesAllMenuItem->trigger();
    EXPECT_EQ(form.Settings().Samples, CTrail::All);
    EXPECT_TRUE(form.SamplesAllMenuItem->isChecked());
    EXPECT_FALSE(form.Samples100MenuItem->isChecked());

    EXPECT_TRUE(form.StayOnTop());
    form.KeepOnTopMenu->trigger();
    EXPECT_FALSE(form.StayOnTop());
    EXPECT_FALSE(form.KeepOnTopMenu->isChecked());
    EXPECT_TRUE(form.isVisible());

    form.CloseMenu->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(shownReports.back(), false);
    const QString program = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName("Vantrel Orrery");
    form.SetCaption("Rig 2");
    EXPECT_EQ(form.windowTitle(), "Rig 2 - Smith Chart");
    form.SetCaption("");
    EXPECT_EQ(form.windowTitle(), "Smith Chart");
    // Where the program's caption carries the header, the platform shows it after the title.
    QGuiApplication::setApplicationDisplayName("Rig 2 - Vantrel Orrery");
    form.SetCaption("Rig 2");
    EXPECT_EQ(form.windowTitle(), "Smith Chart");
    QGuiApplication::setApplicationDisplayName(program);
}

TEST_F(SmithFormTest, ModelOverlayOnlyWhileTheTuningWindowIsShown)
{
    ShowForm();
    const QImage without = Shown().copy();
    tuning.Shown = true;
    form.RepaintIfVisible();
    EXPECT_NE(without, Shown());
    tuning.Shown = false;
    form.RepaintIfVisible();
    EXPECT_EQ(without, Shown());

    // Model points in green, joined only when asked; -50 draws nothing.
    const SPoint a = At(50, 50), b = At(50, -50);
    form.PlotModelPoint(false, 50, 50);
    form.PlotModelPoint(true, -50, 0);
    form.PlotModelPoint(true, 50, -50);
    EXPECT_EQ(PixelAt(Shown(), {a.X, (a.Y + b.Y) / 2 - 10}), 0xFF008000u);
}

TEST_F(SmithFormTest, SectionRoundTripThroughASettingsFile)
{
    testsupport::TempDir dir;
    platform::IniFile ini(dir.File("rig.orrery"));
    form.move(40, 50);
    form.resize(280, 300);
    form.VSWRSmithMenu->trigger();
    form.HideMenu->trigger();
    form.Samples10MenuItem->trigger();
    form.KeepOnTopMenu->trigger();
    ShowForm();
    {
        CRegistry store("", false, &ini);
        form.Exchange(store);
    }
    EXPECT_EQ(ini.ReadString("Smith", "StatusMode", ""), "3");
    EXPECT_EQ(ini.ReadString("Smith", "Status", ""), "0");
    EXPECT_EQ(ini.ReadString("Smith", "Samples", ""), "10");
    EXPECT_EQ(ini.ReadString("Smith", "Style", ""), "0");
    EXPECT_EQ(ini.ReadString("Smith", "Visible", ""), "1");
    EXPECT_EQ(ini.ReadString("Smith", "Color", ""), "0,0,255");

    TSmithForm loaded;
    std::vector<bool> reports;
    TChartForm::SLinks links;
    links.Data = &data;
    links.Shown = [&](bool shown) { reports.push_back(shown); };
    loaded.Bind(links);
    CRegistry store("", true, &ini);
    loaded.Exchange(store);
    EXPECT_TRUE(loaded.isVisible());
    EXPECT_EQ(reports, std::vector<bool>{true});
    EXPECT_TRUE(loaded.VSWRSmithMenu->isChecked());
    EXPECT_TRUE(loaded.statusBar()->isHidden());
    EXPECT_EQ(loaded.HideMenu->text(), "Show");
    EXPECT_TRUE(loaded.Samples10MenuItem->isChecked());
    EXPECT_FALSE(loaded.StayOnTop());
    EXPECT_FALSE(loaded.KeepOnTopMenu->isChecked());
    EXPECT_EQ(loaded.size(), QSize(280, 300));
    loaded.hide();
}

TEST_F(SmithFormTest, PrintsAPage)
{
    AddSample(30, 10);
    ShowForm();
    testsupport::TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = dir.File("smith.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    form.PrintImage(printer);
    const std::string bytes = testsupport::ReadAll(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 4), "%PDF");
    // One page holding the window's picture, whole.
    EXPECT_EQ(testsupport::PdfPageCount(bytes), 1);
    EXPECT_EQ(testsupport::PdfImageSizes(bytes), std::vector<QSize>{form.WindowImage().size()});
}

} // namespace
