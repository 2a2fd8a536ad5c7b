#pragma once
// The site-finding window: lies over the site button while the site's host name is looked up
// on a thread of its own. Modal result 1 found, 2 stopped, 3 not found.

#include "link/Gethostbyname.h"
#include "link/Connectcontroller.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <memory>

class TIPFindForm : public QDialog {
public:
    static constexpr int TimerIntervalMs = 100;

    explicit TIPFindForm(IConnectionController* controller, QWidget* parent = nullptr);
    ~TIPFindForm() override;

    // The connect bar's and the connection dialog's site buttons.
    void SetButtons(QWidget* barButton, QWidget* dialogButton);
    void SetFromConnectBar(bool fromConnectBar) { fromConnectBar_ = fromConnectBar; }
    // Replaces the system resolver (tests).
    void SetResolver(CGetHostByName::Resolver resolver) { resolver_ = std::move(resolver); }

    void FormShow();
    void IPFindTimerTimer();
    void StopBtnClick();
    // Escape or closing the window acts as the stop buttons.
    void reject() override;
    QTimer* IPFindTimer() { return &timer_; }
    // The running lookup (nullptr before the first showing).
    CGetHostByName* Lookup() const { return lookup_.get(); }
    QToolButton* StopBtn() const { return stopBtn_; }
    QPushButton* Stop1Btn() const { return stop1Btn_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    IConnectionController* controller_;
    QWidget* barButton_ = nullptr;
    QWidget* dialogButton_ = nullptr;
    bool fromConnectBar_ = true;
    CGetHostByName::Resolver resolver_;
    std::unique_ptr<CGetHostByName> lookup_;
    QToolButton* stopBtn_;
    QPushButton* stop1Btn_;
    QTimer timer_;
};
