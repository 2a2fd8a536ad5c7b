#include "zcomponents/Zcolorbtn.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zcolor.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

// A shown window holding a line edit (which has the focus) and buttons.
struct Window {
    QWidget form;
    QLineEdit* edit = new QLineEdit(&form);
    Window()
    {
        form.resize(300, 200);
        edit->setGeometry(0, 150, 100, 20);
    }
    void Show()
    {
        form.show();
        QApplication::setActiveWindow(&form);
        edit->setFocus();
    }
};

struct ClickCounter {
    int n = 0;
    explicit ClickCounter(TzButtonBase& b)
    {
        b.OnClick = [this](QObject* s) {
            ++n;
            sender = s;
        };
    }
    QObject* sender = nullptr;
};

} // namespace

TEST(TzColorBtn, Defaults)
{
    TzColorBtn b;
    EXPECT_EQ(b.size(), QSize(89, 33));
    EXPECT_TRUE(b.ShowFocus());
    EXPECT_FALSE(b.Flat());
    EXPECT_EQ(b.DefaultLook(), dlBold);
    EXPECT_EQ(b.HighLightColor(), clBtnHighlight);
    EXPECT_EQ(b.ShadowColor(), clBtnShadow);
    EXPECT_EQ(b.focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(b.Default());
    EXPECT_FALSE(b.Cancel());
    EXPECT_EQ(b.ModalResult(), 0);
}

TEST(TzColorBtn, MousePressFollowsThePointerAndReleaseOutsideDoesNotClick)
{
    Window w;
    auto* b = new TzColorBtn(&w.form);
    b->move(10, 10);
    ClickCounter clicks(*b);
    w.Show();

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(b->Tracking());
    EXPECT_TRUE(b->hasFocus());
    QTest::mouseMove(b, QPoint(120, 15));
    EXPECT_FALSE(b->Down());
    QTest::mouseMove(b, QPoint(40, 33)); // the bottom edge counts as inside
    EXPECT_TRUE(b->Down());
    QTest::mouseMove(b, QPoint(89, 10)); // the right edge does not
    EXPECT_FALSE(b->Down());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(89, 10));
    EXPECT_EQ(clicks.n, 0);
    EXPECT_FALSE(b->Tracking());

    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(clicks.n, 1);
    EXPECT_EQ(clicks.sender, b);
    EXPECT_FALSE(b->Down());
    // ModalResult 0 is handed to the window on every click.
    EXPECT_EQ(w.form.property("ModalResult").toInt(), 0);

    QTest::mouseClick(b, Qt::RightButton, {}, QPoint(40, 15));
    EXPECT_EQ(clicks.n, 1);
}

TEST(TzColorBtn, SpaceEnterDefaultAndCancelKeys)
{
    Window w;
    auto* ok = new TzColorBtn(&w.form);
    auto* cancel = new TzColorBtn(&w.form);
    cancel->move(100, 0);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    ClickCounter okClicks(*ok), cancelClicks(*cancel);
    w.Show();

    QTest::keyClick(w.edit, Qt::Key_Return);
    EXPECT_EQ(okClicks.n, 1);
    QTest::keyClick(w.edit, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.n, 1);
    QTest::keyClick(w.edit, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(cancelClicks.n, 1);

    // Enter clicks the focused button even when it is not the default.
    cancel->setFocus();
    EXPECT_TRUE(cancel->Active());
    EXPECT_FALSE(ok->Active());
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_EQ(cancelClicks.n, 2);
    EXPECT_EQ(okClicks.n, 1);

    // Space: pressed on key down, click on key up; not while the mouse holds the button.
    QTest::keyPress(cancel, Qt::Key_Space);
    EXPECT_TRUE(cancel->Down());
    EXPECT_EQ(cancelClicks.n, 2);
    QTest::keyRelease(cancel, Qt::Key_Space);
    EXPECT_EQ(cancelClicks.n, 3);
    EXPECT_FALSE(cancel->Down());

    QTest::mousePress(cancel, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyPress(cancel, Qt::Key_Space);
    QTest::keyRelease(cancel, Qt::Key_Space);
    EXPECT_EQ(cancelClicks.n, 3);
    QTest::mouseRelease(cancel, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(cancelClicks.n, 4);

    // A disabled button takes neither keys nor clicks.
    ok->setEnabled(false);
    w.edit->setFocus();
    QTest::keyClick(w.edit, Qt::Key_Return);
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(okClicks.n, 1);
}

TEST(TzColorBtn, AcceleratorAndModalResultCloseADialog)
{
    QDialog dialog;
    auto* b = new TzColorBtn(&dialog);
    b->SetCaption("&Go");
    b->SetModalresult(QDialog::Accepted);
    ClickCounter clicks(*b);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(&dialog, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks.n, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(TzColorBtn, PressedAndDisabledWhileDownPixels)
{
    Window w;
    auto* b = new TzColorBtn(&w.form);
    b->SetColor(clYellow);
    b->SetHigh(clWhite);
    b->SetShadow(clGray);
    b->setFocusPolicy(Qt::NoFocus);
    w.Show();
    QImage up = testsupport::RenderWidget(*b);
    EXPECT_EQ(up.pixel(0, 0), Rgb(clGray));   // outer top-left: shadow
    EXPECT_EQ(up.pixel(1, 1), Rgb(clWhite));  // inner top-left: light
    EXPECT_EQ(up.pixel(88, 32), Rgb(clBlack)); // outer bottom-right: dark
    EXPECT_EQ(up.pixel(87, 31), Rgb(clGray));  // inner bottom-right: shadow
    EXPECT_EQ(up.pixel(44, 3), Rgb(clYellow));

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(40, 15));
    QImage down = testsupport::RenderWidget(*b);
    EXPECT_EQ(down.pixel(1, 1), Rgb(clBlack));
    EXPECT_EQ(down.pixel(88, 32), Rgb(clWhite));
    EXPECT_EQ(down.pixel(0, 0), Rgb(clGray));

    b->setEnabled(false);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->Tracking());
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(1, 1), Rgb(clWhite));
    // The test's pointer lets go, so that later tests' pointers move with no button held.
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(40, 15));
}

TEST(TzColorBtn, FlatEdgeOnlyUnderThePointerAndFrameLook)
{
    Window w;
    auto* b = new TzColorBtn(&w.form);
    b->SetColor(clYellow);
    b->SetFlat(true);
    b->setFocusPolicy(Qt::NoFocus);
    w.Show();
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(88, 32), Rgb(clYellow));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(88, 32), Rgb(clBtnHighlight));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(40, 15));

    b->SetFlat(false);
    b->SetDefLook(dlFrame);
    b->SetDefault(true);
    const QImage framed = testsupport::RenderWidget(*b);
    EXPECT_EQ(framed.pixel(0, 0), Rgb(clBlack));
    EXPECT_EQ(framed.pixel(1, 1), Rgb(clBtnShadow)); // the edge moves in by one
}

TEST(TzColorBtn, DisabledCaptionIsWhiteUnderGrey)
{
    TzColorBtn b;
    b.SetColor(clBlue);
    b.SetCaption("MMMM");
    b.setEnabled(false);
    const QImage img = testsupport::RenderWidget(b);
    bool grey = false, white = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            grey |= img.pixel(x, y) == 0xFF808080;
            white |= img.pixel(x, y) == 0xFFFFFFFF && x > 5 && y > 5 && x < 83 && y < 27;
        }
    EXPECT_TRUE(grey);
    EXPECT_TRUE(white);
}

TEST(TzGradBtn, BandsResolvedColoursAndPressedShift)
{
    TzGradBtn b;
    b.setFocusPolicy(Qt::NoFocus);
    b.resize(41, 21);
    b.SetColor(clBlack);
    b.SetEndColor(clWhite);
    b.SetBands(1);
    b.SetGrad(gHorz);
    // Two stripes: MulDiv(1, 40, 2) = 20 pixels of black, then white.
    QImage img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(19, 10), Rgb(clBlack));
    EXPECT_EQ(img.pixel(20, 10), Rgb(clWhite));
    b.SetBands(0); // refused
    EXPECT_EQ(b.Bands(), 1);
    // Pressed, the whole gradient moves one pixel right and down.
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(20, 10), Rgb(clBlack));
    EXPECT_EQ(img.pixel(21, 10), Rgb(clWhite));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));

    b.SetGrad(gVert);
    img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(20, 9), Rgb(clBlack));
    EXPECT_EQ(img.pixel(20, 10), Rgb(clWhite));

    // A system colour is resolved before the comparison: equal faces are plain.
    b.SetColor(clBtnFace);
    b.SetEndColor(QColorToColor(ColorToQColor(clBtnFace)));
    img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(20, 3), Rgb(clBtnFace));
    EXPECT_EQ(img.pixel(20, 17), Rgb(clBtnFace));
    // and split into its real components: from the face colour to black.
    b.SetEndColor(clBlack);
    img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(20, 3), Rgb(clBtnFace));
    EXPECT_EQ(img.pixel(20, 17), Rgb(clBlack));

    // Centre bands on a 20 x 10 face: four steps, the middle in the end colour.
    b.resize(20, 10);
    b.SetColor(clRed);
    b.SetEndColor(clBlue);
    b.SetBands(75);
    b.SetGrad(gCenter);
    img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(3, 3), qRgb(191, 0, 64));  // band 1 of 4
    EXPECT_EQ(img.pixel(10, 5), qRgb(64, 0, 191)); // band 3 of 4
}

TEST(TzBitColBtn, StripStatesAndAutoBackColor)
{
    QImage strip(60, 10, QImage::Format_RGB32);
    strip.fill(qRgb(0, 255, 0));
    auto block = [&](int k, QRgb c) {
        for (int y = 2; y < 8; ++y)
            for (int x = k * 20 + 5; x < k * 20 + 15; ++x)
                strip.setPixel(x, y, c);
    };
    block(0, qRgb(255, 0, 0));
    block(1, qRgb(0, 0, 255));
    block(2, qRgb(255, 255, 0));

    Window w;
    auto* b = new TzBitColBtn(&w.form);
    b->setFocusPolicy(Qt::NoFocus);
    b->SetColor(clWhite);
    b->SetAuto(true);
    b->SetBitmap(strip);
    b->SetNumberOfBitmaps(3);
    EXPECT_EQ(b->Strip().Up().size(), QSize(20, 10));
    EXPECT_EQ(b->TransparentColor(), RgbColor(0, 255, 0));
    b->SetNumberOfBitmaps(7); // refused
    EXPECT_EQ(b->NumGlyphs(), 3);
    w.Show();

    // Picture at x 5, y (32 - 10) / 2 + 1 = 12; its transparent green shows the face.
    QImage img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(5 + 7, 12 + 4), Rgb(clRed));
    EXPECT_EQ(img.pixel(5, 12), Rgb(clWhite));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(60, 15));
    img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(6 + 7, 13 + 4), Rgb(clYellow)); // third image, moved by one
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(60, 15));
    b->setEnabled(false);
    img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(5 + 7, 12 + 4), Rgb(clBlue));

    b->SetTransColor(clWhite);
    EXPECT_FALSE(b->AutoBackColor());
    EXPECT_EQ(b->TransparentColor(), clWhite);

    // One image: the disabled one is embossed from its pixels that are not white.
    QImage single(20, 10, QImage::Format_RGB32);
    single.fill(Qt::white);
    for (int y = 2; y < 8; ++y)
        for (int x = 5; x < 15; ++x)
            single.setPixel(x, y, qRgb(255, 0, 0));
    b->SetBitmap(single);
    b->SetNumberOfBitmaps(1);
    EXPECT_EQ(b->Strip().Up().width(), 20);
    EXPECT_EQ(b->Strip().Disabled().pixel(5, 2), Rgb(clBtnShadow));
    EXPECT_EQ(b->Strip().Disabled().pixel(15, 8), Rgb(clBtnHighlight));
    EXPECT_EQ(b->Strip().Disabled().pixel(1, 1), Rgb(clWhite)); // the face colour

    b->SetBitmap(QImage());
    EXPECT_TRUE(b->Strip().Up().isNull());
    EXPECT_TRUE(b->Strip().Disabled().isNull());
}

TEST(TzIconColBtn, IconsFillEachOtherIn)
{
    TzIconColBtn b;
    EXPECT_EQ(b.size(), QSize(140, 44));
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    b.SetOffIcon(icon);
    EXPECT_EQ(b.Icons().GlyphEnabled(), icon);
    EXPECT_EQ(b.Icons().GlyphDown(), icon);

    TzIconColBtn manual;
    manual.SetAuto(false);
    manual.SetOnIcon(icon);
    EXPECT_TRUE(manual.Icons().GlyphDisabled().isNull());
    manual.SetColor(clWhite);
    manual.setFocusPolicy(Qt::NoFocus);
    const QImage img = testsupport::RenderWidget(manual);
    EXPECT_EQ(img.pixel(5 + 8, (43 - 16) / 2 + 1 + 8), Rgb(clRed));
    manual.setEnabled(false);
    EXPECT_EQ(testsupport::RenderWidget(manual).pixel(5 + 8, 14 + 8), Rgb(clWhite));
}

TEST(TzColorBtn, FlatButtonShowsItsEdgeUnderThePointer)
{
    Window w;
    auto* b = new TzColorBtn(&w.form);
    b->move(10, 10);
    b->SetColor(clYellow);
    b->SetFlat(true);
    b->setFocusPolicy(Qt::NoFocus);
    int entered = 0, left = 0;
    b->OnMouseEnter = [&](QObject*) { ++entered; };
    b->OnMouseLeave = [&](QObject*) { ++left; };
    w.Show();
    QTest::mouseMove(w.form.windowHandle(), QPoint(200, 100));
    EXPECT_FALSE(b->MouseIn());
    QTest::mouseMove(w.form.windowHandle(), QPoint(40, 20));
    EXPECT_EQ(entered, 1);
    EXPECT_TRUE(b->MouseIn());
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(88, 32), Rgb(clBlack));
    QTest::mouseMove(w.form.windowHandle(), QPoint(200, 100));
    EXPECT_EQ(left, 1);
    EXPECT_FALSE(b->MouseIn());
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(88, 32), Rgb(clYellow));
}

TEST(TzColorBtn, AClickThatDeletesTheButtonIsSafe)
{
    Window w;
    auto* b = new TzColorBtn(&w.form);
    b->OnClick = [b](QObject*) { delete b; };
    w.Show();
    QPointer<TzColorBtn> guard(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(guard.isNull());
    auto* c = new TzColorBtn(&w.form);
    c->OnClick = [c](QObject*) { delete c; };
    QPointer<TzColorBtn> guardC(c);
    c->setFocus();
    QTest::keyPress(c, Qt::Key_Space);
    QTest::keyRelease(c, Qt::Key_Space);
    EXPECT_TRUE(guardC.isNull());
}
