#include "zcomponents/Zcolor.h"
#include "zcomponents/Zcolorbtn.h"
#include "zcomponents/Zlabels.h"
#include "qtsupport/Widgets.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>
#include <QKeyEvent>
#include "Zwait.h"
#include <gtest/gtest.h>
#include <type_traits>
#include <utility>

// The window system's shortcut step (what a key press from the keyboard goes through first).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace {

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

bool Contains(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

// Bounds of the pixels that are neither the ground nor the background.
QRect Ink(const QImage& image, QRgb background)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (c != background && c != qRgb(255, 0, 255))
                r |= QRect(x, y, 1, 1);
        }
    return r;
}

// The widget's own drawing over magenta, without a window background.
QImage RenderBare(QWidget& w)
{
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void Click(QWidget& w)
{
    const QPoint at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    QApplication::sendEvent(&w, &release);
}

QFont BigFont()
{
    QFont f;
    f.setPixelSize(30);
    f.setBold(true);
    return f;
}

} // namespace

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

TEST(TzBigLabel, SizesToItsTextAndWrapsLongCaptions)
{
    QWidget parent;
    TzBigLabel label(&parent);
    EXPECT_TRUE(label.AutoSize());
    EXPECT_FALSE(label.WordWrap());
    label.SetCaption("Short");
    const QFontMetrics metrics(label.font());
    const int flags = Qt::TextExpandTabs | Qt::TextShowMnemonic;
    EXPECT_EQ(label.width(), metrics.boundingRect(QRect(), flags, "Short").width());
    EXPECT_EQ(label.height(), metrics.height());

    label.SetAutoSize(false);
    label.resize(200, 20);
    label.SetAutoSize(true);
    const QString longCaption = QString("lorem ipsum ").repeated(25); // 300 characters
    label.SetCaption(longCaption);
    EXPECT_EQ(label.Caption().size(), 300);
    EXPECT_LE(label.width(), 200);
    EXPECT_GT(label.height(), 5 * metrics.height()); // wrapped although WordWrap is off
    label.SetColor(clWhite);
    const QImage image = testsupport::RenderWidget(label);
    EXPECT_GT(Ink(image, qRgb(255, 255, 255)).bottom(), label.height() - metrics.height());

    TzBigLabel right(&parent);
    right.SetAutoSize(false);
    right.setGeometry(10, 0, 100, 20);
    right.SetAlignment(taRightJustify);
    right.SetCaption("ab");
    right.SetAutoSize(true);
    EXPECT_EQ(right.geometry().right(), 109); // keeps its right edge

    TzBigLabel empty(&parent);
    EXPECT_EQ(empty.height(), metrics.height()); // an empty caption measures as a blank
    int enters = 0;
    empty.OnMouseEnter = [&](QObject*) { ++enters; };
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&empty, &enter);
    EXPECT_EQ(enters, 1);
}

// Both headers in one source file: one alignment type serves labels and buttons.
static_assert(std::is_same_v<decltype(std::declval<const TzBigLabel&>().Alignment()),
                             decltype(std::declval<const TzColorBtn&>().Alignment())>);

TEST(Tz3DLabel, ShadowsOnlyWith3D)
{
    Tz3DLabel label;
    label.SetLabelFont(BigFont());
    label.SetCaption("HH");
    label.SetColor(clWhite);
    label.SetFontColor(clBlack);
    label.SetHighlightColor(clRed);
    label.SetShadowColor(clBlue);
    QImage image = testsupport::RenderWidget(label);
    EXPECT_TRUE(Contains(image, Rgb(clRed)));
    EXPECT_TRUE(Contains(image, Rgb(clBlue)));
    label.SetUseDropShadow(true);
    image = testsupport::RenderWidget(label);
    EXPECT_FALSE(Contains(image, Rgb(clRed)));
    EXPECT_TRUE(Contains(image, Rgb(clBlue)));
    label.SetUse3D(false);
    image = testsupport::RenderWidget(label);
    EXPECT_FALSE(Contains(image, Rgb(clRed)));
    EXPECT_FALSE(Contains(image, Rgb(clBlue)));
    EXPECT_TRUE(Contains(image, qRgb(0, 0, 0)));
    label.setEnabled(false);
    image = testsupport::RenderWidget(label);
    EXPECT_FALSE(Contains(image, qRgb(0, 0, 0)));
    EXPECT_TRUE(Contains(image, Rgb(clGrayText)));
}

TEST(TzcURLLabel, ClickOpensTheAddress)
{
    TzcURLLabel label;
    EXPECT_FALSE(label.Use3D());
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.FontColor(), clGreen);
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    label.SetCaption("Visit us");
    int clicks = 0;
    label.OnClick = [&](QObject*) { ++clicks; };
    Click(label); // no address: only the click event
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(label.LastClickOK());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("orrerytest", &catcher, "Open");
    label.SetURL("orrerytest://vantrel/manual");
    Click(label);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toString(), "orrerytest://vantrel/manual");
    EXPECT_TRUE(label.LastClickOK());
    QDesktopServices::unsetUrlHandler("orrerytest");

    label.SetURL("orrery-nowhere:unopenable");
    Click(label);
    EXPECT_FALSE(label.LastClickOK());
}

TEST(TzcURLLabel, AcceleratorClicksWhenEnabled)
{
    QWidget form;
    auto* label = new TzcURLLabel(&form);
    label->SetCaption("&Visit");
    int clicks = 0;
    label->OnClick = [&](QObject*) { ++clicks; };
    form.show();
    form.activateWindow();
    ASSERT_TRUE(zwait::Until([&] { return form.isActiveWindow(); }));
    auto altV = [&] {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
        if (!qt_sendShortcutOverrideEvent(target, 0, Qt::Key_V, Qt::AltModifier, "v", false, 1)) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::AltModifier, "v");
            QApplication::sendEvent(target, &press);
        }
    };
    altV();
    EXPECT_EQ(clicks, 1);
    label->setEnabled(false);
    altV();
    EXPECT_EQ(clicks, 1);
}

TEST(TzAngleLabel, RotatedTextCentredInASquare)
{
    QWidget parent;
    TzAngleLabel label(&parent);
    label.SetLabelFont(BigFont());
    label.SetCaption("Vantrel");
    label.SetFontColor(clBlack);
    const int side = QFontMetrics(BigFont()).horizontalAdvance("Vantrel") + 16;
    EXPECT_EQ(label.size(), QSize(side, side));
    QImage flat = RenderBare(label);
    const QRect level = Ink(flat, qRgb(255, 0, 255));
    EXPECT_GT(level.width(), level.height());
    label.SetAngle(90);
    label.SetAngle(400); // refused
    EXPECT_EQ(label.Angle(), 90);
    const QImage up = RenderBare(label);
    const QRect ink = Ink(up, qRgb(255, 0, 255));
    EXPECT_GT(ink.height(), ink.width());
    EXPECT_NEAR(ink.center().x(), side / 2, 6);
    EXPECT_NEAR(ink.center().y(), side / 2, 6);
    label.SetTransparent(false);
    label.SetColor(clYellow);
    // The filled box reaches 3.5 pixels beyond the text's ends.
    const int tw = side - 16;
    const QImage boxed = RenderBare(label);
    EXPECT_EQ(boxed.pixel(side / 2, side / 2 - tw / 2 - 2), Rgb(clYellow));
    EXPECT_EQ(boxed.pixel(side / 2, side / 2 - tw / 2 - 6), qRgb(255, 0, 255));
}

TEST(TzMouseSpot, InvisibleWithEvents)
{
    QWidget parent;
    TzMouseSpot spot(&parent);
    EXPECT_EQ(spot.size(), QSize(20, 20));
    int paints = 0, clicks = 0;
    spot.OnParentPaint = [&](QObject*) { ++paints; };
    spot.OnClick = [&](QObject*) { ++clicks; };
    const QImage image = RenderBare(spot);
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 0, 255));
    Click(spot);
    EXPECT_EQ(clicks, 1);
}

#include "Zlabelstest.moc"
