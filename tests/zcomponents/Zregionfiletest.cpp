// Loading a region file: a named pipe or a folder in place of the file is refused at once with
// a message that says what it is, and the region stays as it was.

#include "zcomponents/Zregion.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(TzcRgnFile, NamedPipeOrFolderIsRefusedWithoutBlocking)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("shape.rgn");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QImage shape(10, 10, QImage::Format_RGB32);
    shape.fill(qRgb(255, 255, 255));
    shape.setPixel(4, 5, qRgb(10, 20, 30));
    TzcRgn rgn;
    rgn.SerRgnFromBmp(shape, clWhite);
    try {
        rgn.LoadFromFile(fifo);
        ADD_FAILURE() << "a named pipe was loaded";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot read \"" + fifo.toStdString() + "\": not a regular file (a named pipe)");
    }
    EXPECT_EQ(rgn.Handle(), QRegion(4, 5, 1, 1));
    EXPECT_THROW(rgn.LoadFromFile(dir.path()), std::runtime_error);
    EXPECT_EQ(rgn.Handle(), QRegion(4, 5, 1, 1));
}

} // namespace
