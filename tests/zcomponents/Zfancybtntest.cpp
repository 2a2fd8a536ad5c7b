#include "zcomponents/Zfancybtn.h"
#include "qtsupport/Widgets.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void RectRegion(TzcRgn& rgn, int x, int y, int w, int h)
{
    QImage img(x + w, y + h, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            img.setPixel(i, j, qRgb(0, 0, 0));
    rgn.SerRgnFromBmp(img, clWhite);
}

} // namespace

TEST(TzcFancyButton, WithoutRegionsItStaysARectangle)
{
    QWidget form;
    auto* b = new TzcFancyButton(&form);
    b->Loaded();
    form.show();
    EXPECT_EQ(b->size(), QSize(89, 33));
    EXPECT_EQ(b->Outline(), QRegion(0, 0, 89, 33));
    EXPECT_EQ(b->TextSizeDown()->Rect(), QRect(3, 3, 84, 28));
    EXPECT_EQ(b->TextSize(TzcFancyButton::fbUp)->Rect(), QRect(2, 2, 84, 28));
}

TEST(TzcFancyButton, StateRegionsShapeTheButtonAndTheUpRegionStandsIn)
{
    QWidget form;
    form.resize(200, 100);
    auto* b = new TzcFancyButton(&form);
    b->setFocusPolicy(Qt::NoFocus);
    TzcRgn up, down;
    RectRegion(up, 0, 0, 60, 20);
    RectRegion(down, 0, 0, 40, 30);
    b->SetBtnRgn(TzcFancyButton::fbUp, &up);
    EXPECT_EQ(b->size(), QSize(89, 33)); // nothing is shaped before loading
    b->Loaded();
    form.show();
    EXPECT_EQ(b->size(), QSize(60, 20));
    EXPECT_EQ(b->CurrentState(), TzcFancyButton::fbUp);
    b->setEnabled(false);
    EXPECT_EQ(b->CurrentState(), TzcFancyButton::fbDisabled);
    EXPECT_EQ(b->size(), QSize(60, 20)); // only the up region: every state uses it
    b->setEnabled(true);

    b->SetBtnRgn(TzcFancyButton::fbDown, &down);
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(b->size(), QSize(40, 30));
    // Dragged outside its region: drawn up; back: drawn down; released outside: no click.
    QTest::mouseMove(b, QPoint(45, 25));
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->size(), QSize(60, 20));
    QTest::mouseMove(b, QPoint(10, 10));
    EXPECT_TRUE(b->Down());
    QTest::mouseMove(b, QPoint(55, 25));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(55, 25));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
}

TEST(TzcFancyButton, ARegionAwayFromTheCornerShowsWholeAndTakesClicksWhole)
{
    // A 60 x 40 bitmap whose black block (20, 10)-(50, 30) is the outline: the control becomes
    // the block's 30 x 20 and shows all of it, and a click anywhere on it is one; the same for
    // each kind of skinned button.
    QImage bitmap(60, 40, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    for (int y = 10; y < 30; ++y)
        for (int x = 20; x < 50; ++x)
            bitmap.setPixel(x, y, qRgb(0, 0, 0));
    TzcRgn outline;
    outline.SerRgnFromBmp(bitmap, clWhite);
    ASSERT_EQ(outline.Handle().boundingRect(), QRect(20, 10, 30, 20));

    enum Kind { Push, Check, Radio };
    for (const Kind kind : {Push, Check, Radio}) {
        SCOPED_TRACE(kind);
        QWidget form;
        form.resize(120, 80);
        QPalette white = form.palette();
        white.setColor(QPalette::Window, Qt::white);
        form.setPalette(white);
        form.setAutoFillBackground(true);
        TzcFancyBase* b = nullptr;
        if (kind == Push) {
            auto* push = new TzcFancyButton(&form);
            push->SetBtnRgn(TzcFancyButton::fbUp, &outline);
            b = push;
        } else if (kind == Check) {
            auto* check = new TzcFancyCheckBox(&form);
            check->SetBtnRgn(TzcFancyCustomBtn::fcPlain, &outline);
            b = check;
        } else {
            auto* radio = new TzcFancyRadioButton(&form);
            radio->SetBtnRgn(TzcFancyCustomBtn::fcPlain, &outline);
            b = radio;
        }
        b->setFocusPolicy(Qt::NoFocus);
        b->SetColor(clNavy);
        b->move(10, 20);
        int clicks = 0;
        b->OnClick = [&](QObject*) { ++clicks; };
        b->Loaded();
        form.show();
        EXPECT_EQ(b->geometry(), QRect(10, 20, 30, 20));

        const QImage shown = form.grab().toImage();
        int navy = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.pixel(x, y) == qRgb(0, 0, 128)) {
                    ++navy;
                    EXPECT_TRUE(b->geometry().contains(x, y)) << x << "," << y;
                }
        EXPECT_EQ(navy, 600);

        // The corner the outline once left out and the far corner both take the click.
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(clicks, 1);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(27, 17));
        EXPECT_EQ(clicks, kind == Radio ? 1 : 2); // a checked radio button stays as it is
    }
}

TEST(TzcFancyButton, GlyphAndDisabledCaption)
{
    TzcFancyButton b;
    b.setFocusPolicy(Qt::NoFocus);
    b.SetColor(clNavy);
    QImage glyph(10, 10, QImage::Format_RGB32);
    glyph.fill(qRgb(0, 255, 0));
    glyph.setPixel(3, 3, qRgb(255, 0, 0));
    b.SetGlyphUp(glyph);
    b.SetTransparentColor(RgbColor(0, 255, 0));
    b.OffsetGlyph(TzcFancyButton::fbUp)->SetLeft(20);
    b.Loaded();
    QImage img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(23, 3), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(20, 0), qRgb(0, 0, 128)); // transparent green shows the face

    b.SetCaption("MMMMMM");
    b.setEnabled(false);
    img = testsupport::RenderWidget(b);
    bool grey = false, white = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            grey |= img.pixel(x, y) == qRgb(128, 128, 128);
            white |= img.pixel(x, y) == qRgb(255, 255, 255);
        }
    EXPECT_TRUE(grey);
    EXPECT_TRUE(white);
}

TEST(TzcFancyButton, SpaceAndDialogKeys)
{
    QWidget form;
    auto* ok = new TzcFancyButton(&form);
    auto* cancel = new TzcFancyButton(&form);
    cancel->move(0, 40);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    int okClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](QObject*) { ++okClicks; };
    cancel->OnClick = [&](QObject*) { ++cancelClicks; };
    form.show();
    QApplication::setActiveWindow(&form);
    form.setFocus();
    QTest::keyClick(&form, Qt::Key_Return);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 1);
    cancel->setFocus();
    QTest::keyClick(&form, Qt::Key_Return); // the focused button is now the active one
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 2);
    QTest::keyPress(cancel, Qt::Key_Space);
    EXPECT_TRUE(cancel->Down());
    QTest::keyRelease(cancel, Qt::Key_Space);
    EXPECT_EQ(cancelClicks, 3);
}

TEST(TzcFancyCheckBox, ClicksCycleThroughGrayed)
{
    QWidget form;
    auto* box = new TzcFancyCheckBox(&form);
    box->SetAllowGrayed(true);
    box->Loaded();
    int clicks = 0;
    box->OnClick = [&](QObject*) { ++clicks; };
    form.show();
    QApplication::setActiveWindow(&form);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_EQ(box->CurrentState(), TzcFancyCustomBtn::fcFocusedGrayed);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_TRUE(box->Checked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(clicks, 3);
    box->SetAllowGrayed(false);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(box->State(), cbChecked);
    QTest::keyClick(box, Qt::Key_Return); // Enter does not toggle a check box
    EXPECT_EQ(box->State(), cbChecked);
    box->SetState(cbChecked); // no change, no click
    EXPECT_EQ(clicks, 4);
    box->clearFocus();
    EXPECT_EQ(box->CurrentState(), TzcFancyCustomBtn::fcChecked);
    EXPECT_EQ(box->TextSizeChecked()->Rect(), QRect(1, 1, 89, 33));
    EXPECT_EQ(box->TextSize()->Rect(), QRect(0, 0, 89, 33));
    EXPECT_EQ(box->TextSizeGrayed()->Rect(), QRect(0, 0, 89, 33));
}

TEST(TzcFancyRadioButton, GroupsByParentAndGroupIndex)
{
    QWidget form;
    auto* a = new TzcFancyRadioButton(&form);
    auto* b = new TzcFancyRadioButton(&form);
    auto* c = new TzcFancyRadioButton(&form);
    c->SetGroupIndex(1);
    b->move(0, 40);
    c->move(0, 80);
    form.show();
    c->SetChecked(true);
    EXPECT_EQ(c->focusPolicy(), Qt::StrongFocus);
    a->SetChecked(true);
    EXPECT_TRUE(a->Checked());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(a->focusPolicy(), Qt::ClickFocus);
    EXPECT_TRUE(c->Checked()); // another group index
}
