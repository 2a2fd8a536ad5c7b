#include "panel/ui/Printimage.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

void PrintWindowImage(QPrinter& printer, const QImage& image)
{
    QPainter p(&printer);
    const QRect page = p.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    p.setViewport(page.x(), page.y(), size.width(), size.height());
    p.setWindow(image.rect());
    p.drawImage(0, 0, image);
}
