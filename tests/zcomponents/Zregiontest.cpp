#include "zcomponents/Zregion.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QWidget>
#include <QtEndian>
#include <gtest/gtest.h>
#include <vector>

namespace {

QImage Filled(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QByteArray Streamed(const TzcRgn& rgn)
{
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    EXPECT_TRUE(rgn.SaveToStream(buf));
    return buf.data();
}

bool LoadBytes(TzcRgn& rgn, QByteArray bytes)
{
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    return rgn.LoadFromStream(buf);
}

QByteArray Le32(std::uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

// A region holding the 3 x 2 block at (4, 5) of a 10 x 10 white bitmap.
void BlockRegion(TzcRgn& rgn)
{
    QImage img = Filled(10, 10, qRgb(255, 255, 255));
    for (int y = 5; y < 7; ++y)
        for (int x = 4; x < 7; ++x)
            img.setPixel(x, y, qRgb(10, 20, 30));
    rgn.SerRgnFromBmp(img, clWhite);
}

// A widget that fills itself with one colour.
void Paint(QWidget& w, Qt::GlobalColor colour)
{
    QPalette palette = w.palette();
    palette.setColor(QPalette::Window, colour);
    w.setPalette(palette);
    w.setAutoFillBackground(true);
}

} // namespace

TEST(TzcRgn, FromBitmapHoldsExactlyTheOpaquePixels)
{
    TzcRgn rgn;
    int changes = 0;
    rgn.OnChange = [&](QObject* s) {
        ++changes;
        EXPECT_EQ(s, &rgn);
    };
    BlockRegion(rgn);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(rgn.Modified());
    EXPECT_EQ(rgn.Handle(), QRegion(4, 5, 3, 2));

    // Runs within rows: an L shape and a hole.
    QImage img = Filled(6, 3, qRgb(1, 2, 3));
    img.setPixel(2, 1, qRgb(0, 0, 0));
    rgn.SerRgnFromBmp(img, RgbColor(0, 0, 0));
    EXPECT_EQ(rgn.Handle(), QRegion(0, 0, 6, 3) - QRegion(2, 1, 1, 1));
}

TEST(TzcRgn, NoTransparentPixelOrSystemColourGivesTheWholeBitmap)
{
    TzcRgn rgn;
    rgn.SerRgnFromBmp(Filled(7, 4, qRgb(9, 9, 9)), clWhite);
    EXPECT_EQ(rgn.Handle(), QRegion(0, 0, 7, 4));
    rgn.SerRgnFromBmp(Filled(7, 4, qRgb(192, 192, 192)), clBtnFace);
    EXPECT_EQ(rgn.Handle(), QRegion(0, 0, 7, 4));
}

TEST(TzcRgn, EmptyBitmapEmptiesAndFires)
{
    TzcRgn rgn;
    BlockRegion(rgn);
    int changes = 0;
    rgn.OnChange = [&](QObject*) { ++changes; };
    rgn.SerRgnFromBmp(QImage(), clWhite);
    EXPECT_FALSE(rgn.ExsistData());
    EXPECT_EQ(rgn.Size(), 0u);
    EXPECT_EQ(changes, 1);
}

TEST(TzcRgn, StreamRoundTripAndLayout)
{
    TzcRgn rgn;
    BlockRegion(rgn);
    const QByteArray bytes = Streamed(rgn);
    // size, then header: 32, type 1, one rectangle, 16 bytes, bounds; then the rectangle
    QByteArray want = Le32(48) + Le32(32) + Le32(1) + Le32(1) + Le32(16);
    for (std::uint32_t v : {4u, 5u, 7u, 7u, 4u, 5u, 7u, 7u})
        want += Le32(v);
    EXPECT_EQ(bytes, want);

    TzcRgn back;
    EXPECT_TRUE(LoadBytes(back, bytes));
    EXPECT_EQ(back.Handle(), rgn.Handle());
    EXPECT_EQ(back.Data(), rgn.Data());
}

TEST(TzcRgn, EmptyRegionFileIsFourZerosAndLoadingItKeepsData)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("empty.rgn");
    TzcRgn empty;
    empty.SaveToFile(file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(4, '\0'));

    TzcRgn rgn;
    BlockRegion(rgn);
    EXPECT_TRUE(rgn.LoadFromFile(file));
    EXPECT_EQ(rgn.Handle(), QRegion(4, 5, 3, 2));

    EXPECT_THROW(rgn.LoadFromFile(dir.filePath("missing.rgn")), std::runtime_error);
    EXPECT_EQ(rgn.Handle(), QRegion(4, 5, 3, 2));

    const QString cut = dir.filePath("cut.rgn");
    QFile c(cut);
    ASSERT_TRUE(c.open(QIODevice::WriteOnly));
    c.write(QByteArray(3, '\0'));
    c.close();
    EXPECT_FALSE(rgn.LoadFromFile(cut));
    EXPECT_EQ(rgn.Handle(), QRegion(4, 5, 3, 2));
}

TEST(TzcRgn, TruncatedAndHostileStreamsKeepTheRegionAndFireNothing)
{
    TzcRgn model;
    BlockRegion(model);
    const QByteArray good = Streamed(model);
    const QByteArray data = good.mid(4);

    const std::vector<QByteArray> bad = {
        QByteArray(),                                   // nothing at all
        good.left(2),                                   // size field cut short
        good.left(3),
        good.left(good.size() - 1),                     // data cut short
        Le32(48) + data.left(20),
        Le32(0xFFFFFFFFu) + data,                       // size beyond anything readable
        Le32(0xFFFFFFF0u) + data,                       // size beyond the bytes present
        Le32(8) + data.left(8),                         // shorter than a header
        Le32(48) + Le32(31) + data.mid(4),              // wrong header size
        Le32(48) + data.left(4) + Le32(2) + data.mid(8), // wrong type
        Le32(48) + data.left(8) + Le32(0x7FFFFFFF) + data.mid(12), // count beyond the data
        Le32(48) + data.left(8) + Le32(0xFFFFFFFFu) + data.mid(12), // negative count
        Le32(48) + data.left(32) + Le32(9) + data.mid(36), // left beyond right
        // coordinates no window has (an empty rectangle at the lowest int once overflowed)
        Le32(48) + data.left(32) + Le32(0x80000000u) + Le32(0) + Le32(0x80000000u) + Le32(1),
        Le32(48) + data.left(32) + Le32(0) + Le32(0) + Le32(0x7FFFFFFFu) + Le32(1),
    };
    for (const QByteArray& bytes : bad) {
        TzcRgn rgn;
        BlockRegion(rgn);
        rgn.SetModified(false);
        int changes = 0;
        rgn.OnChange = [&](QObject*) { ++changes; };
        EXPECT_FALSE(LoadBytes(rgn, bytes)) << bytes.toHex().toStdString();
        EXPECT_EQ(rgn.Data(), model.Data()) << bytes.toHex().toStdString();
        EXPECT_EQ(rgn.Handle(), QRegion(4, 5, 3, 2));
        EXPECT_EQ(changes, 0) << bytes.toHex().toStdString();
        EXPECT_FALSE(rgn.Modified());
    }
    // Raw data set directly is checked when it is turned into a region.
    TzcRgn raw;
    const QByteArray junk(20, '\x7f');
    raw.SetRgn(junk.constData(), int(junk.size()));
    EXPECT_TRUE(raw.Handle().isEmpty());
}

TEST(TzcRgn, AssignCopiesEmptiesAndRefusesOtherObjects)
{
    TzcRgn a, b;
    BlockRegion(a);
    b.Assign(&a);
    EXPECT_EQ(b.Handle(), a.Handle());
    b.Assign(nullptr);
    EXPECT_FALSE(b.ExsistData());
    QObject other;
    b.Assign(&a);
    EXPECT_THROW(b.Assign(&other), EzcComponentError);
    EXPECT_EQ(b.Handle(), a.Handle());
}

TEST(TzcFancyControl, CutsAndSizesTheControlAfterLoading)
{
    QWidget parent;
    parent.resize(100, 100);
    Paint(parent, Qt::white);
    auto* control = new QWidget(&parent);
    Paint(*control, Qt::red);
    control->setGeometry(20, 30, 50, 40);
    TzcFancyControl fancy(&parent);
    fancy.SetControlComponent(control);
    // An L of four pixels whose bounding box is the 3 x 2 block at (4, 5).
    QImage img = Filled(10, 10, qRgb(255, 255, 255));
    for (const QPoint at : {QPoint(4, 5), QPoint(5, 5), QPoint(6, 5), QPoint(4, 6)})
        img.setPixel(at, qRgb(10, 20, 30));
    fancy.SerRgnFromBmp(img, clWhite);
    EXPECT_EQ(control->size(), QSize(50, 40)); // nothing before loading
    fancy.Loaded();
    EXPECT_EQ(control->geometry(), QRect(20, 30, 3, 2));
    // The outline moves with the control's origin: the L shows at the control's place.
    const QImage shown = parent.grab().toImage();
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    EXPECT_EQ(shown.pixel(20, 30), red);
    EXPECT_EQ(shown.pixel(22, 30), red);
    EXPECT_EQ(shown.pixel(20, 31), red);
    EXPECT_EQ(shown.pixel(21, 31), white);
    EXPECT_EQ(shown.pixel(22, 31), white);
    EXPECT_EQ(shown.pixel(23, 30), white);
    EXPECT_EQ(shown.pixel(20, 32), white);
    EXPECT_EQ(fancy.Region()->Handle().boundingRect(), QRect(4, 5, 3, 2)); // kept as built

    fancy.Clear();
    EXPECT_EQ(control->mask(), QRegion(0, 0, 3, 2));
    EXPECT_EQ(parent.grab().toImage().pixel(22, 31), red);
    delete control;
    fancy.Clear(); // the control is gone: nothing to do
}

TEST(TzcFancyForm, ShapesItsFormFramelessOrRefusesWithoutOne)
{
    QWidget form;
    form.resize(100, 80);
    TzcFancyForm fancy(&form);
    QImage img = Filled(30, 20, qRgb(255, 0, 255));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            if ((x - 15) * (x - 15) + (y - 10) * (y - 10) < 64)
                img.setPixel(x, y, qRgb(0, 0, 200));
    fancy.SerRgnFromBmp(img, clFuchsia);
    fancy.Loaded();
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    const QRect box = fancy.Region()->Handle().boundingRect();
    EXPECT_EQ(box.topLeft(), QPoint(8, 3));
    EXPECT_EQ(form.size(), box.size());
    // The outline moves with the form's origin.
    EXPECT_EQ(form.mask().boundingRect(), QRect(QPoint(0, 0), box.size()));
    EXPECT_EQ(form.mask(), fancy.Region()->Handle().translated(-8, -3));
    EXPECT_TRUE(form.mask().contains(QPoint(15 - 8, 10 - 3)));
    EXPECT_FALSE(form.mask().contains(QPoint(0, 0)));

    TzcFancyForm orphan(nullptr);
    EXPECT_THROW(orphan.Loaded(), EzcComponentError);
}
