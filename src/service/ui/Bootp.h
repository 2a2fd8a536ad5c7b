#pragma once
// The BootP window: the one client's hardware address and the IP address, subnet mask and
// router it is given; Listen serves BootP requests until Stop, logging every step.

#include "service/Bootpserver.h"

#include <QDialog>

class CRegistry;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

class TBootPForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* Caption = "BootP configuration";
    static constexpr const char* DefaultMAC = "02:00:00:00:00:01";
    static constexpr const char* DefaultIP = "192.168.1.100";
    static constexpr const char* DefaultMask = "255.255.0.0";
    static constexpr const char* DefaultGate = "192.168.1.1";
    static constexpr int PassMs = 100; // the window answers within this while listening

    explicit TBootPForm(QWidget* parent = nullptr);

    QLineEdit* MACEdit = nullptr;
    QLineEdit* IPEdit = nullptr;
    QLineEdit* MaskEdit = nullptr;
    QLineEdit* GateEdit = nullptr;
    QPushButton* ListenBtn = nullptr;
    QToolButton* StopBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QPlainTextEdit* Memo = nullptr;

    // Section "BootP": "IP", "Mask", "Gate", "MAC".
    void ExchangeSettings(CRegistry& store);
    // The ports and reply address the server uses (tests use free ports on loopback).
    void SetPorts(const CBootPPorts& ports) { ports_ = ports; }
    bool Listening() const { return listening_; }

    void FormShow();
    void ListenBtnClick();
    void StopBtnClick() { stop_ = true; }
    void ClearBtnClick();
    void CloseBtnClick() { accept(); }
    // The loop of one Listen: open, serve until Stop or a failure, close.
    void ServeBootP(const CBootPConfig& config);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetControlStates();
    void Log(const std::string& line);

    CBootPPorts ports_;
    bool listening_ = false;
    bool stop_ = false;
};
