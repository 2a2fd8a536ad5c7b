#include "link/ui/Autofinding.h"

#include "link/ui/Connectbar.h"
#include "zcomponents/Zgauge.h"
#include "zcomponents/Zwidgets.h"

#include <QCoreApplication>
#include <QPainter>
#include <QStackedLayout>

void PlaceOverButton(QWidget* window, const QWidget* button)
{
    if (!button)
        return;
    window->setFixedSize(button->size());
    window->move(button->mapToGlobal(QPoint(0, 0)));
}

QIcon StopIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::darkRed);
    p.setBrush(QColor(220, 0, 0));
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
    return QIcon(pm);
}

class TAutoFindingForm::View : public IAutoFindView {
public:
    explicit View(TAutoFindingForm& form) : form_(form) {}
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    bool StopRequested() override { return form_.stopBtn_->isChecked() || form_.stop1Btn_->isChecked(); }
    void ShowGauge(int maximum) override
    {
        if (form_.gauge_ && maximum > 0)
            form_.gauge_->SetMax(maximum);
    }
    void SetGauge(int value, const std::string& caption) override
    {
        if (!form_.gauge_)
            return;
        form_.gauge_->SetValue(value);
        form_.gauge_->SetCaption(QString::fromStdString(caption));
    }
    void HideGauge() override
    {
        if (form_.gauge_)
            form_.gauge_->hide();
    }

private:
    TAutoFindingForm& form_;
};

TAutoFindingForm::TAutoFindingForm(IConnectionController* controller, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), controller_(controller)
{
    setObjectName("AutoFindingForm");
    auto* layout = new QStackedLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stopBtn_ = NewNamed<QToolButton>(this, "StopBtn");
    stopBtn_->setIcon(StopIcon());
    stopBtn_->setToolTip("Stop auto finding");
    stopBtn_->setCheckable(true);
    stop1Btn_ = NewNamedButton(this, "Stop1Btn", "Stop");
    stop1Btn_->setCheckable(true);
    layout->addWidget(stopBtn_);
    layout->addWidget(stop1Btn_);
    timer_.setObjectName("Timer");
    timer_.setInterval(TimerIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { TimerTimer(); });
}

void TAutoFindingForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TAutoFindingForm::FormShow()
{
    QWidget* anchor = fromConnectBar_ ? (bar_ ? static_cast<QWidget*>(bar_->ConnectBtn()) : nullptr) : dialogButton_;
    PlaceOverButton(this, anchor);
    auto* layout = static_cast<QStackedLayout*>(this->layout());
    // Both looks start up: a stop pressed in the other look last time must not end this search.
    stopBtn_->setChecked(false);
    stop1Btn_->setChecked(false);
    layout->setCurrentWidget(ActiveStopButton());
    if (gauge_) {
        gauge_->SetCaption(QString());
        gauge_->SetValue(0);
        gauge_->show();
    }
    timer_.start();
}

QAbstractButton* TAutoFindingForm::ActiveStopButton() const
{
    return fromConnectBar_ ? static_cast<QAbstractButton*>(stopBtn_) : stop1Btn_;
}

void TAutoFindingForm::reject()
{
    ActiveStopButton()->setChecked(true);
}

void TAutoFindingForm::TimerTimer()
{
    timer_.stop();
    if (!controller_) {
        done(CAutoFind::NotFound);
        return;
    }
    const ConnectionSettings settings = controller_->Settings();
    AutoFindParams params;
    params.portList = controller_->Link().portList;
    params.bauds = settings.baudRates;
    params.skipCurrentPort = firstTryFailed_;
    params.currentPort = bar_ ? bar_->PortText() : std::string();
    params.currentBaud = settings.baudText;
    params.readTimeoutMs = settings.readTimeoutMs;
    params.unitAddress = settings.unitAddress;
    View view(*this);
    const AutoFindResult result = CAutoFind::Run(params, controller_->MainUnit(), view);
    if (result.result == CAutoFind::Found) {
        if (bar_)
            bar_->SetPortText(result.port);
        controller_->SetBaudText(result.baud);
    }
    done(result.result);
}
