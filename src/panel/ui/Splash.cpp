#include "panel/ui/Splash.h"

#include "panel/Version.h"
#include "zcomponents/Zwidgets.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The splash picture: the product name on a dark field.
QPixmap SplashPicture()
{
    QPixmap pixmap(360, 160);
    pixmap.fill(QColor(0x20, 0x30, 0x50));
    QPainter p(&pixmap);
    p.setPen(QColor(0xE0, 0xE8, 0xFF));
    QFont f = p.font();
    f.setPointSize(20);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pixmap.rect().adjusted(0, 0, 0, -30), Qt::AlignCenter, orrery::ProgramTitle);
    f.setPointSize(9);
    f.setBold(false);
    p.setFont(f);
    p.drawText(pixmap.rect().adjusted(0, 60, 0, 0), Qt::AlignCenter,
               QString::fromStdString(orrery::ProductIdText()));
    return pixmap;
}

} // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog)
{
    setObjectName("SplashForm");
    setAttribute(Qt::WA_DeleteOnClose);
    Image = new QLabel(this);
    Image->setObjectName("Image");
    Image->setPixmap(SplashPicture());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image);
    SplashTimer = new QTimer(this);
    SplashTimer->setObjectName("SplashTimer");
    SplashTimer->setInterval(SplashInterval);
    connect(SplashTimer, &QTimer::timeout, this, &TSplashForm::SplashTimerTimer);
}

void TSplashForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    adjustSize();
    CentreOnScreen(this);
    SplashTimer->start();
}

void TSplashForm::mousePressEvent(QMouseEvent* event)
{
    QDialog::mousePressEvent(event);
    ImageClick();
}

void TSplashForm::SplashTimerTimer()
{
    SplashTimer->stop();
    close();
}

void TSplashForm::ImageClick() { SplashTimerTimer(); }
