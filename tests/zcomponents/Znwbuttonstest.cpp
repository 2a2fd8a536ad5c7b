#include "zcomponents/Znwbuttons.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zcolor.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

// A parent that paints a fixed colour, for what shows behind transparent buttons.
class Ground : public QWidget {
public:
    QColor color = QColor(0x20, 0x40, 0x60);
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), color); }
};

QImage RenderAt(QWidget& parent, const QWidget& child)
{
    QImage all = testsupport::RenderWidget(parent);
    return all.copy(child.geometry());
}

} // namespace

TEST(TzNWColorBtn, NoFocusNoKeysAndTheMousePress)
{
    QWidget form;
    auto* b = new TzNWColorBtn(&form);
    EXPECT_EQ(b->size(), QSize(89, 33));
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    form.show();
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(b->hasFocus());
    QTest::mouseMove(b, QPoint(200, 10));
    EXPECT_FALSE(b->Down());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(b, Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
}

TEST(TzNWColorBtn, FrameMovementAndOffsets)
{
    QWidget form;
    auto* b = new TzNWColorBtn(&form);
    b->SetColor(clYellow);
    b->SetHigh(clWhite);
    b->SetShadow(clGray);
    form.show();
    QImage img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(0, 0), Rgb(clGray));
    EXPECT_EQ(img.pixel(88, 32), Rgb(clBlack));

    b->SetFrame(false);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(0, 0), Rgb(clYellow)); // no edge, also when pressed
    EXPECT_EQ(img.pixel(88, 32), Rgb(clYellow));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
    b->SetFrame(true);

    // The caption moves with Movement, stays put without it; the edge still shows pressed.
    b->SetCaption("II");
    b->SetLeftOffSet(4);
    b->SetTopOffSet(4);
    b->SetAlign(taLeftJustify);
    b->SetHorzAlign(zbha_Top);
    auto firstInk = [&](const QImage& im) {
        QRect box;
        for (int x = 2; x < 80; ++x)
            for (int y = 2; y < 30; ++y)
                if (im.pixel(x, y) != Rgb(clYellow))
                    box |= QRect(x, y, 1, 1);
        return box.topLeft();
    };
    const QPoint rest = firstInk(testsupport::RenderWidget(*b));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(50, 10));
    const QPoint moved = firstInk(testsupport::RenderWidget(*b));
    EXPECT_EQ(moved, rest + QPoint(1, 1));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(50, 10));
    b->SetMove(false);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(50, 10));
    img = testsupport::RenderWidget(*b);
    EXPECT_EQ(firstInk(img), rest);
    EXPECT_EQ(img.pixel(1, 1), Rgb(clBlack));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(50, 10));
}

TEST(TzNWColorBtn, TransparentShowsTheParentAndGlassLightensIt)
{
    Ground ground;
    ground.resize(120, 60);
    auto* b = new TzNWColorBtn(&ground);
    b->SetFrame(false);
    b->SetTransparent(true);
    QImage img = RenderAt(ground, *b);
    EXPECT_EQ(img.pixel(40, 3), ground.color.rgb());
    b->SetGlass(255);
    img = RenderAt(ground, *b);
    EXPECT_EQ(img.pixel(40, 3), qRgb(255, 255, 255));
    b->SetGlass(0x0F);
    img = RenderAt(ground, *b);
    EXPECT_EQ(img.pixel(40, 3), qRgb(0x2F, 0x4F, 0x6F));
    EXPECT_EQ(Grey(RgbColor(10, 20, 31)), RgbColor(20, 20, 20) | 0x02000000u);
}

TEST(TzNWBitColBtn, PictureBesideTheCaptionWithMargin)
{
    QWidget form;
    auto* b = new TzNWBitColBtn(&form);
    b->SetColor(clWhite);
    QImage strip(10, 8, QImage::Format_RGB32);
    strip.fill(qRgb(0, 255, 0));
    strip.setPixel(5, 4, qRgb(255, 0, 0));
    b->SetTransColor(RgbColor(0, 255, 0));
    b->SetBitmap(strip);
    form.show();
    // x = GlyphMargin 5, y = (32 - 8) / 2 + 1 = 13
    QImage img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(5 + 5, 13 + 4), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(5, 13), Rgb(clWhite)); // transparent green left out
    b->SetBitWhere(z_BWRight);
    img = testsupport::RenderWidget(*b);
    EXPECT_EQ(img.pixel(88 - 10 - 5 + 5, 13 + 4), qRgb(255, 0, 0));
    b->SetGlyphMargin(8);
    b->SetBitWhere(z_BWLeft);
    EXPECT_EQ(testsupport::RenderWidget(*b).pixel(8 + 5, 13 + 4), qRgb(255, 0, 0));
}

TEST(TzNWIconColBtn, IconsAndSize)
{
    TzNWIconColBtn b;
    EXPECT_EQ(b.size(), QSize(140, 44));
    QImage icon(6, 6, QImage::Format_ARGB32);
    icon.fill(Qt::blue);
    b.SetDownIcon(icon);
    EXPECT_EQ(b.Icons().GlyphEnabled(), icon);
    EXPECT_EQ(testsupport::RenderWidget(b).pixel(5 + 2, (43 - 6) / 2 + 1 + 2),
              QColor(Qt::blue).rgb());
}
