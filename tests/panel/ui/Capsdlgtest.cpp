// The Capacitors window: the plane, limits and path in the back buffer, the read-out in % and
// pF, the tuning simulation by a left click while the tuning model window is shown (also on the
// Smith chart), closing it hides the tuning model window, section "Caps" and printing.

#include "common/Helpers.h"
#include "common/Registry.h"
#include "device/Data.h"
#include "device/Unitstate.h"
#include "panel/Capsplane.h"
#include "panel/Tuningmodel.h"
#include "panel/ui/Capsdlg.h"
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

constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Grey = 0xFF808080;

QRgb PixelAt(const QImage& image, SPoint p) { return image.pixel(p.X, p.Y) | 0xFF000000u; }

class CapsFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TChartForm::SLinks links;
        links.Data = &data;
        links.Unit = &unit;
        links.Tuning = &tuning;
        links.Shown = [this](bool shown) { shownReports.push_back(shown); };
        form.Bind(links);
        form.resize(320, 340);
        tuning.AddTimeLine = [this](const std::string& line) { timeLines.push_back(line); };
        tuning.Hide = [this] { tuning.Shown = false; };
    }
    void AddSample(double load, double tune)
    {
        data.Latest().SetValue(varid::LoadPosition, load);
        data.Latest().SetValue(varid::TunePosition, tune);
        data.Add();
    }
    SPoint At(double load, double tune) const
    {
        SPoint p;
        EXPECT_TRUE(CCapsPlane::Map(form.Geometry(), load, tune, p));
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
    CTuningModel tuning;
    std::vector<bool> shownReports;
    std::vector<std::string> timeLines;
    TCapsForm form;
};

TEST_F(CapsFormTest, PlaneLimitsAndPath)
{
    AddSample(10, 10);
    AddSample(10, 60);
    form.SetSamples(10);
    ShowForm();
    const SCapsGeometry g = form.Geometry();
    EXPECT_EQ(g.Left, 4);
    EXPECT_EQ(g.Width, form.ChartBox->width() - 8);
    EXPECT_EQ(PixelAt(Shown(), {g.Left, g.Bottom - g.Height / 3}), Grey); // the frame
    // The path from (10, 10) up to (10, 60) in the trace colour; the marker at its end.
    const SPoint a = At(10, 10), b = At(10, 60);
    for (int y = b.Y + 5; y < a.Y; ++y)
        EXPECT_EQ(PixelAt(Shown(), {a.X, y}), Blue) << y;
    EXPECT_EQ(PixelAt(Shown(), {b.X - 4, b.Y + 2}), Blue);
    // The limits 20 % and 80 % draw a dotted rectangle inside the frame.
    const SPoint lo = At(20, 20), hi = At(80, 80);
    int dots = 0;
    for (int x = lo.X; x <= hi.X; ++x)
        dots += PixelAt(Shown(), {x, lo.Y}) == Grey;
    EXPECT_GT(dots, (hi.X - lo.X) / 4);
    EXPECT_LT(dots, hi.X - lo.X);
}

TEST_F(CapsFormTest, ReadOutInPercentAndPicofarads)
{
    ShowForm();
    const SPoint mid = At(50, 50);
    QTest::mouseMove(form.ChartBox, QPoint(mid.X, mid.Y));
    EXPECT_EQ(form.statusBar()->currentMessage(), "Load=50 %   Tune=50 %");
    form.pFCapsMenu->trigger();
    EXPECT_TRUE(form.pFCapsMenu->isChecked());
    QTest::mouseMove(form.ChartBox, QPoint(0, mid.Y)); // left of the plane
    EXPECT_EQ(form.statusBar()->currentMessage().toStdString(),
              "Load=" + std::to_string(int(unit.CapToPf(0, 0))) + " pF   Tune=" +
                  std::to_string(int(unit.CapToPf(1, 50))) + " pF");
    form.HideMenu->trigger();
    EXPECT_EQ(form.HideMenu->text(), "Show");
    form.PosCapsMenu->trigger();
    EXPECT_EQ(form.HideMenu->text(), "Hide");
    EXPECT_FALSE(form.statusBar()->isHidden());
}

TEST_F(CapsFormTest, ClickSimulatesATuningRunOnlyWhileTheTuningWindowIsShown)
{
    TSmithForm smith;
    TChartForm::SLinks smithLinks;
    smithLinks.Data = &data;
    smith.Bind(smithLinks);
    form.SetSmithForm(&smith);
    smith.ShowWindow(true);
    ShowForm();
    const SPoint start = At(30, 70);
    QTest::mouseClick(form.ChartBox, Qt::LeftButton, {}, QPoint(start.X, start.Y));
    EXPECT_TRUE(timeLines.empty()); // the tuning model window is hidden

    tuning.Shown = true;
    form.RepaintIfVisible();
    smith.RepaintIfVisible();
    const QImage caps = Shown().copy();
    const QImage chart = smith.ChartBox->Shown().copy();
    QTest::mouseClick(form.ChartBox, Qt::RightButton, {}, QPoint(start.X, start.Y));
    EXPECT_TRUE(timeLines.empty()); // left button only
    QTest::mouseClick(form.ChartBox, Qt::LeftButton, {}, QPoint(start.X, start.Y));
    ASSERT_EQ(timeLines.size(), 1u);
    double load = 0, tune = 0;
    CCapsPlane::Inverse(form.Geometry(), start.X, start.Y, load, tune);
    EXPECT_EQ(timeLines[0].substr(0, timeLines[0].rfind('\t') + 1),
              FloatToText(load, 2) + "\t" + FloatToText(tune, 2) + "\t");
    EXPECT_NE(caps, Shown());                     // the run's path on the plane
    EXPECT_NE(chart, smith.ChartBox->Shown());    // and its impedances on the chart
    smith.hide();
}

TEST_F(CapsFormTest, APlaneWithoutHeightReadsAndSimulatesNothing)
{
    tuning.Shown = true;
    ShowForm();
    form.ChartBox->setFixedHeight(20); // less than two lines of text: no plane left
    QCoreApplication::processEvents();
    ASSERT_LE(form.Geometry().Height, 0);
    form.statusBar()->showMessage("before");
    // From elsewhere first: a move to where the test pointer already is (an earlier test may
    // have left it there) reaches no widget.
    QTest::mouseMove(form.ChartBox, QPoint(5, 5));
    form.statusBar()->showMessage("before");
    QTest::mouseMove(form.ChartBox, QPoint(30, 10));
    EXPECT_EQ(form.statusBar()->currentMessage(), "");
    QTest::mouseClick(form.ChartBox, Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_TRUE(timeLines.empty());
}

TEST_F(CapsFormTest, ClosingHidesTheTuningWindowToo)
{
    tuning.Shown = true;
    ShowForm();
    form.CloseMenu->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(tuning.Shown);
    EXPECT_EQ(shownReports, (std::vector<bool>{true, false}));
    tuning.Shown = true;
    ShowForm();
    form.close(); // the title bar's close box
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(tuning.Shown);
    EXPECT_EQ(shownReports.back(), false);
}

TEST_F(CapsFormTest, SectionRoundTripAndPrinting)
{
    testsupport::TempDir dir;
    platform::IniFile ini(dir.File("rig.orrery"));
    form.pFCapsMenu->trigger();
    form.Samples100MenuItem->trigger();
    {
        CRegistry store("", false, &ini);
        form.Exchange(store);
    }
    EXPECT_EQ(ini.ReadString("Caps", "StatusMode", ""), "1");
    EXPECT_EQ(ini.ReadString("Caps", "Samples", ""), "100");
    EXPECT_EQ(ini.ReadString("Caps", "Visible", ""), "0");
    EXPECT_EQ(ini.ReadString("Caps", "Style", ""), "3");
    TCapsForm loaded;
    CRegistry store("", true, &ini);
    loaded.Exchange(store);
    EXPECT_TRUE(loaded.pFCapsMenu->isChecked());
    EXPECT_TRUE(loaded.Samples100MenuItem->isChecked());
    EXPECT_TRUE(loaded.KeepOnTopMenu->isChecked());
    EXPECT_FALSE(loaded.isVisible());

    AddSample(40, 40);
    ShowForm();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = dir.File("caps.pdf");
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
