#include "zcomponents/Zshapebtn.h"
#include "zcomponents/Zshapecolorbtn.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zshapes.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

struct Counter {
    int n = 0;
    explicit Counter(TzButtonBase& b)
    {
        b.OnClick = [this](QObject*) { ++n; };
    }
};

} // namespace

TEST(ShapeRegion, OutlinesOfTheWindowedButton)
{
    const QRegion up = ShapeRegion(sbUpTriangle, 50, 50, smWindow);
    EXPECT_TRUE(up.contains(QPoint(25, 2)));
    EXPECT_TRUE(up.contains(QPoint(25, 48)));
    EXPECT_FALSE(up.contains(QPoint(2, 2)));
    EXPECT_FALSE(up.contains(QPoint(47, 3)));
    EXPECT_EQ(ShapeRegion(sb000, 50, 50, smWindow), up);
    EXPECT_EQ(ShapeRegion(sb360, 50, 50, smWindow), up);

    // Plus on 10 x 10: thirds of 4, so the arms reach 12.
    const QRegion plus = ShapeRegion(sbPlus, 10, 10, smWindow);
    EXPECT_EQ(plus.boundingRect(), QRect(0, 0, 12, 12));
    EXPECT_TRUE(plus.contains(QPoint(5, 1)));
    EXPECT_TRUE(plus.contains(QPoint(1, 5)));
    EXPECT_FALSE(plus.contains(QPoint(1, 1)));

    EXPECT_EQ(ShapeRegion(sbRectangle, 30, 20, smWindow), QRegion(0, 0, 30, 20));
    EXPECT_EQ(ShapeRegion(sbRectangle, 30, 20, smGraphic), QRegion(0, 0, 29, 19));
    const QRegion circle = ShapeRegion(sbCircle, 40, 40, smWindow);
    EXPECT_TRUE(circle.contains(QPoint(20, 20)));
    EXPECT_FALSE(circle.contains(QPoint(1, 1)));
    const QRegion minus = ShapeRegion(sbMinus, 30, 30, smGraphic);
    EXPECT_TRUE(minus.contains(QPoint(2, 14)));   // the bar
    EXPECT_TRUE(minus.contains(QPoint(14, 2)));   // the upper tab
    EXPECT_FALSE(minus.contains(QPoint(2, 2)));
}

TEST(TzcShapeColorBtn, ClickOutsideTheTriangleDoesNothing)
{
    QWidget form;
    form.resize(100, 100);
    auto* b = new TzcShapeColorBtn(&form);
    b->SetShape(sbUpTriangle);
    EXPECT_EQ(b->size(), QSize(50, 50));
    EXPECT_EQ(b->mask(), b->Region());
    Counter clicks(*b);
    form.show();

    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(clicks.n, 0);
    EXPECT_FALSE(b->Down());
    // The window system delivers nothing outside the outline either.
    EXPECT_NE(form.childAt(3, 3), b);
    EXPECT_EQ(form.childAt(25, 40), b);

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(25, 40));
    EXPECT_TRUE(b->Down());
    QTest::mouseMove(b, QPoint(3, 3));
    EXPECT_FALSE(b->Down());
    QTest::mouseMove(b, QPoint(25, 30));
    EXPECT_TRUE(b->Down());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(25, 30));
    EXPECT_EQ(clicks.n, 1);
}

TEST(TzcShapeColorBtn, EdgesPressedAndOwnerDrawWithoutHandlers)
{
    QWidget form;
    auto* b = new TzcShapeColorBtn(&form);
    b->SetColor(clYellow);
    b->SetHigh(clWhite);
    b->SetShadow(clGray);
    b->setFocusPolicy(Qt::NoFocus);
    form.show();
    QImage img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(0, 0), Rgb(clGray));
    EXPECT_EQ(img.pixel(1, 5), Rgb(clWhite));
    EXPECT_EQ(img.pixel(49, 20), Rgb(clBlack));
    EXPECT_EQ(img.pixel(25, 25), Rgb(clYellow));

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(25, 25));
    img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(1, 5), Rgb(clBlack));
    EXPECT_EQ(img.pixel(49, 20), Rgb(clWhite));
    // Disabled while held down: drawn up.
    b->setEnabled(false);
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(1, 5), Rgb(clWhite));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(25, 25));

    b->setEnabled(true);
    b->SetShape(sbOwnerDraw);
    EXPECT_EQ(b->Region(), QRegion(0, 0, 50, 50));
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(49, 20), Rgb(clBlack));
    b->OnGetRegion = [](QObject*, QRegion& r, int w, int h) {
        r = QRegion(0, 0, w / 2, h);
    };
    int drawn = 0;
    b->OnOwnerDraw = [&](QObject*, QPainter*, bool, int, int, TColor, TColor) { ++drawn; };
    b->resize(40, 40);
    EXPECT_EQ(b->Region(), QRegion(0, 0, 20, 40));
    testsupport::RenderWidget(*b);
    EXPECT_GE(drawn, 1);
}

TEST(TzcShapeGradBtn, FlatWhenColoursMatchAndTwoBands)
{
    TzcShapeGradBtn b;
    b.setFocusPolicy(Qt::NoFocus);
    b.SetColor(clRed);
    b.SetEndColor(clRed);
    EXPECT_EQ(testsupport::RenderWidget(b).pixel(25, 40), Rgb(clRed));
    b.SetColor(clBlack);
    b.SetEndColor(clWhite);
    b.SetBands(1);
    const QImage img = testsupport::RenderWidget(b); // split at MulDiv(1, 49, 2) = 25
    EXPECT_EQ(img.pixel(25, 24), Rgb(clBlack));
    EXPECT_EQ(img.pixel(25, 25), Rgb(clWhite));
}

TEST(TzcShapeBitColBtn, ThreeImageStrip)
{
    QWidget form;
    auto* b = new TzcShapeBitColBtn(&form);
    b->setFocusPolicy(Qt::NoFocus);
    QImage strip(60, 10, QImage::Format_RGB32);
    for (int k = 0; k < 3; ++k)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                strip.setPixel(k * 20 + x, y, QColor(Qt::GlobalColor(Qt::red + k)).rgb());
    b->SetBitmap(strip);
    b->SetNumberOfBitmaps(3);
    EXPECT_EQ(b->Strip().Up().width(), 20);
    form.show();
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(5, 5), QColor(Qt::red).rgb());
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(25, 25));
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(5, 5), QColor(Qt::blue).rgb());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(25, 25));
    b->setEnabled(false);
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(5, 5), QColor(Qt::green).rgb());
}

TEST(TzcShapeIconColBtn, IconsWithAndWithoutAutoAllIcons)
{
    TzcShapeIconColBtn b;
    EXPECT_EQ(b.size(), QSize(140, 140));
    EXPECT_EQ(b.TextSize()->Rect(), QRect(36, 36, 60, 60));
    QImage icon(8, 8, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    b.SetOnIcon(icon);
    EXPECT_EQ(b.Icons().GlyphDisabled(), icon);
    TzcShapeIconColBtn manual;
    manual.SetAuto(false);
    manual.SetOnIcon(icon);
    EXPECT_TRUE(manual.Icons().GlyphDown().isNull());
    manual.setFocusPolicy(Qt::NoFocus);
    EXPECT_EQ(testsupport::RenderWidget(manual).pixel(4, 4), QColor(Qt::red).rgb());
    manual.setEnabled(false);
    EXPECT_NE(testsupport::RenderWidget(manual).pixel(4, 4), QColor(Qt::red).rgb());
}

TEST(TzShapeBtn, HitsOnlyInsideItsShapeAndPassesTheRestOn)
{
    QWidget form;
    form.resize(100, 100);
    auto* beneath = new TzShapeBtn(&form);
    beneath->resize(50, 50);
    auto* b = new TzShapeBtn(&form);
    b->resize(50, 50);
    b->SetShape(sbUpTriangle);
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    Counter clicks(*b), below(*beneath);
    form.show();

    EXPECT_EQ(form.childAt(25, 40), b);
    EXPECT_EQ(form.childAt(2, 2), beneath); // outside the triangle: the control beneath
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(below.n, 1);
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, QPoint(25, 40));
    EXPECT_EQ(below.n, 1);
    EXPECT_EQ(clicks.n, 1);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicks.n, 1);

    // Released outside: no click; moved back inside before release: click.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(25, 40));
    EXPECT_TRUE(b->Down());
    QTest::mouseMove(b, QPoint(2, 2));
    EXPECT_FALSE(b->Down());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicks.n, 1);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(25, 40));
    QTest::mouseMove(b, QPoint(2, 2));
    QTest::mouseMove(b, QPoint(25, 30));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(25, 30));
    EXPECT_EQ(clicks.n, 2);

    // No keyboard press.
    QTest::keyClick(b, Qt::Key_Space);
    QTest::keyClick(b, Qt::Key_Return);
    EXPECT_EQ(clicks.n, 2);
}

TEST(TzShapeBtn, AcceleratorFollowsShape)
{
    QWidget form;
    auto* b = new TzShapeBtn(&form);
    Counter clicks(*b);
    form.show();
    QApplication::setActiveWindow(&form);
    b->SetShape(sbPlus);
    EXPECT_EQ(b->AcceleratorKey(), QChar('+'));
    QTest::keyClick(&form, Qt::Key_Plus, Qt::AltModifier);
    EXPECT_EQ(clicks.n, 1);
    b->SetAccelKey('k');
    EXPECT_EQ(b->AcceleratorKey(), QChar('k'));
    b->SetShape(sbCircle);
    EXPECT_EQ(b->AcceleratorKey(), QChar(' '));
    QTest::keyClick(&form, Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(clicks.n, 1);
}

TEST(TzShapeBtn, FaceEdgeTransparentAndOwnerDraw)
{
    TzShapeBtn b;
    b.SetColor(clYellow);
    b.SetHigh(clWhite);
    b.SetShadow(clGray);
    QImage img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(0, 0), Rgb(clGray));
    EXPECT_EQ(img.pixel(1, 5), Rgb(clWhite));
    EXPECT_EQ(img.pixel(24, 10), Rgb(clBlack)); // the dark edge on the last column
    EXPECT_EQ(img.pixel(12, 12), Rgb(clYellow));

    b.SetTransparent(true);
    img = testsupport::RenderWidget(b);
    EXPECT_NE(img.pixel(12, 12), Rgb(clYellow)); // nothing of the button is drawn
    EXPECT_NE(img.pixel(0, 0), Rgb(clGray));

    b.SetTransparent(false);
    b.SetShape(sbOwnerDraw);
    EXPECT_EQ(b.Region(), QRegion(0, 0, 24, 24));
    QRegion seen;
    b.OnOwnerDraw = [&](QObject*, QPainter*, bool, int, int, const QRegion& r, TColor, TColor) {
        seen = r;
    };
    testsupport::RenderWidget(b);
    EXPECT_EQ(seen, QRegion(0, 0, 24, 24));
}
