// The tuning model window in the main window: the Tuning menu item shows and hides it with its
// check mark, the Capacitors window draws the arrow field only while it is shown, a click there
// lists a simulated run's time, hiding the Capacitors window hides it, closing it by its title
// bar hides it, demo samples use its load; and the model dialog stores however it is closed.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "panel/Capsplane.h"
#include "panel/Orrery.h"
#include "panel/Tuningmodel.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Chartbuffer.h"
#include "panel/ui/Main.h"
#include "panel/ui/Smithdlg.h"
#include "platform/Settingsfile.h"
#include "service/ui/Modeldlg.h"
#include "service/ui/Tuningdlg.h"
#include "support/Tempdir.h"
#include "service/ui/Toolsfixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// Replaces an edit's text as a user does: select all, type.
void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

int PixelsOf(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == colour;
    return n;
}

class TuningWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = toolstest::NewMainForm(data, dir.Path());
        side = toolstest::NewServiceSide(*form);
        tuning = new TTuningForm(form.get());
        TMainForm::Forms forms;
        forms.Smith = &smith;
        forms.Caps = &caps;
        TMainServiceSide::Forms serviceForms;
        serviceForms.Tuning = tuning;
        ASSERT_TRUE(toolstest::Start(*form, *side, forms, serviceForms));
        caps.resize(320, 340);
    }
    void TearDown() override
    {
        tuning->hide();
        smith.hide();
        caps.hide();
        side.reset();
        form.reset();
    }
    // Pixels in the pen of the arrows.
    int Arrows()
    {
        QCoreApplication::processEvents();
        const CTuningModel& m = form->TuningModel();
        const QRgb pen = qRgb(m.PathColour & 0xFF, (m.PathColour >> 8) & 0xFF, (m.PathColour >> 16) & 0xFF);
        return PixelsOf(caps.ChartBox->Shown(), pen);
    }

    testsupport::TempDir dir;
    ScriptedHooks hooks;
    CData data;
    TSmithForm smith;
    TCapsForm caps;
    TTuningForm* tuning = nullptr;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

TEST_F(TuningWindow, MenuItemShowsTheArrowFieldOnTheCapacitorsWindow)
{
    EXPECT_FALSE(tuning->isVisible());
    EXPECT_EQ(tuning->windowTitle(), "Tuning");
    EXPECT_EQ(tuning->REdit->text(), "5.00");
    EXPECT_EQ(tuning->XEdit->text(), "-20.00");
    EXPECT_EQ(tuning->SizeEdit->text(), "8");
    EXPECT_EQ(tuning->ZoomEdit->text(), "1.0");
    EXPECT_EQ(tuning->width(), TTuningForm::FixedWidth);

    form->CapsBtn->click();
    ASSERT_TRUE(caps.isVisible());
    const int before = Arrows();
    EXPECT_EQ(before, 0);

    form->TuningMenuItem->trigger();
    EXPECT_TRUE(tuning->isVisible());
    EXPECT_TRUE(form->TuningMenuItem->isChecked());
    EXPECT_TRUE(form->TuningModel().Shown);
    tuning->RecalcBtn->click();
    const int arrows = Arrows();
    EXPECT_GT(arrows, 8 * 8); // one arrow from each of the 64 cells

    // A finer grid: more arrows, the size text clamped.
    Type(tuning->SizeEdit, "40");
    tuning->RecalcBtn->click();
    EXPECT_EQ(tuning->SizeEdit->text(), "32");
    EXPECT_EQ(form->TuningModel().UsableGrid(), 32);
    EXPECT_GT(Arrows(), arrows);
    Type(tuning->SizeEdit, "abc");
    tuning->RecalcBtn->click();
    EXPECT_EQ(tuning->SizeEdit->text(), "1");

    // A click on the plane simulates a run from there and lists its time, selected.
    const SCapsGeometry g = caps.Geometry();
    QTest::mouseClick(caps.ChartBox, Qt::LeftButton, {}, QPoint(g.Left + g.Width / 4, g.Bottom - g.Height / 4));
    ASSERT_EQ(tuning->TimeListBox->topLevelItemCount(), 1);
    EXPECT_EQ(tuning->TimeListBox->currentItem(), tuning->TimeListBox->topLevelItem(0));
    EXPECT_EQ(tuning->TimeListBox->topLevelItem(0)->text(0).left(2), "25");
    tuning->RecalcBtn->click(); // clears the list even when nothing else changes
    EXPECT_EQ(tuning->TimeListBox->topLevelItemCount(), 0);

    tuning->CloseBtn->click();
    EXPECT_FALSE(tuning->isVisible());
    EXPECT_FALSE(form->TuningMenuItem->isChecked());
    EXPECT_EQ(Arrows(), 0);

    // Closed by its title bar: hidden the same way.
    form->TuningMenuItem->trigger();
    ASSERT_TRUE(tuning->isVisible());
    tuning->close();
    EXPECT_FALSE(tuning->isVisible());
    EXPECT_FALSE(form->TuningModel().Shown);
    EXPECT_FALSE(form->TuningMenuItem->isChecked());

    // Hiding the Capacitors window hides it and removes the check mark.
    form->TuningMenuItem->trigger();
    form->CapsBtn->click();
    EXPECT_FALSE(caps.isVisible());
    EXPECT_FALSE(tuning->isVisible());
    EXPECT_FALSE(form->TuningMenuItem->isChecked());
}

TEST_F(TuningWindow, SmithChartAndDemoSamplesFollowTheWindow)
{
    form->SmithBtn->click();
    QCoreApplication::processEvents();
    const QImage plain = smith.ChartBox->Shown().copy();
    form->TuningMenuItem->trigger();
    QCoreApplication::processEvents();
    EXPECT_NE(smith.ChartBox->Shown(), plain); // the model at the trajectory's positions
    form->TuningMenuItem->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(smith.ChartBox->Shown(), plain);

    form->DemoMenuItem->trigger();
    ASSERT_TRUE(form->Controller()->IsDemo());
    CLiveSample hidden, shown;
    ASSERT_EQ(form->Device()->ReadLive(hidden), 0);
    form->TuningMenuItem->trigger();
    Type(tuning->REdit, "12");
    Type(tuning->XEdit, "-40");
    tuning->RecalcBtn->click();
    ASSERT_EQ(form->Device()->ReadLive(shown), 0);
    EXPECT_NE(shown.r, hidden.r);
    form->TuningMenuItem->trigger();
    CLiveSample again;
    ASSERT_EQ(form->Device()->ReadLive(again), 0);
    EXPECT_EQ(again.r, hidden.r);
}

TEST_F(TuningWindow, ModelDialogStoresWhicheverWayItCloses)
{
    CDevice& dev = *form->Device();
    dev.Cap(1).cMin = 5;
    dev.Cap(1).cMax = 500;
    TModelForm* dlg = tuning->ModelForm;
    form->TuningMenuItem->trigger();

    // Closed by its title bar, after an edit and a page switch.
    QTimer::singleShot(0, dlg, [dlg] {
        EXPECT_EQ(dlg->FreqEdit->text(), "13.560");
        EXPECT_EQ(dlg->CserStaticText->text(), "5...500 pF");
        EXPECT_EQ(dlg->TCserStaticText->text(), "5...500 pF");
        EXPECT_EQ(dlg->TypePageControl->currentIndex(), 0);
        Type(dlg->FreqEdit, "27.12");
        QTabBar* tabs = dlg->TypePageControl->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        Type(dlg->TLshEdit, "350");
        dlg->close();
    });
    tuning->ModelBtn->click();
    EXPECT_DOUBLE_EQ(dev.Model().freq, 27.12);
    EXPECT_DOUBLE_EQ(dev.Model().tlsh, 350.0);
    EXPECT_EQ(dev.Model().modelType, 1);

    // Its Close button: the "T" page shown again, a bad number stored as 0.
    QTimer::singleShot(0, dlg, [dlg] {
        EXPECT_EQ(dlg->TypePageControl->currentIndex(), 1);
        EXPECT_EQ(dlg->TLshEdit->text(), "350");
        Type(dlg->LserEdit, "x");
        dlg->CloseBtn->click();
    });
    tuning->ModelBtn->click();
    EXPECT_DOUBLE_EQ(dev.Model().lser, 0.0);
    EXPECT_EQ(dev.Model().modelType, 1);
}

} // namespace
