#include "panel/ui/About.h"

#include "panel/Version.h"
#include "zcomponents/Zwidgets.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutForm");
    setWindowTitle("About  Orrery");
    auto* layout = new QVBoxLayout(this);

    ProductName = new QLabel(orrery::ProgramTitle, this);
    ProductName->setObjectName("ProductName");
    QFont f = ProductName->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    ProductName->setFont(f);
    layout->addWidget(ProductName);

    ProductIdLabel = new QLabel(QString::fromStdString(orrery::ProductIdText()), this);
    ProductIdLabel->setObjectName("ProductIdLabel");
    layout->addWidget(ProductIdLabel);

    BuildDateLabel = new QLabel(QString("Built ") + __DATE__, this);
    BuildDateLabel->setObjectName("BuildDateLabel");
    layout->addWidget(BuildDateLabel);

    WWWLabel = new QLabel(WebAddress, this);
    WWWLabel->setObjectName("WWWLabel");
    WWWLabel->setCursor(Qt::PointingHandCursor);
    WWWLabel->setStyleSheet("color: blue; text-decoration: underline;");
    WWWLabel->installEventFilter(this);
    layout->addWidget(WWWLabel);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void TAboutForm::SetProductId(const std::string& productId)
{
    ProductIdLabel->setText(QString::fromStdString(productId));
}

void TAboutForm::WWWLabelClick() { QDesktopServices::openUrl(QUrl(WWWLabel->text())); }

bool TAboutForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == WWWLabel && event->type() == QEvent::MouseButtonRelease) {
        WWWLabelClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this); // not on the main window, as a dialog with a parent would be
}
