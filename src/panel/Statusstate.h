#pragma once
// The status bar's rules without the widgets: the communication and logging indicators, the
// message panel with its hold and blink, the panel that blinks while disconnected, and the
// connection captions and hints. The frame calls Tick every 250 ms and shows the outputs.

#include "link/Connectcontroller.h"
#include "platform/Color.h"

#include <cstdint>
#include <string>

class CStatusState {
public:
    static constexpr TColor Silver = clSilver;
    static constexpr TColor Aqua = clAqua; // the highlight colour
    static constexpr TColor Lime = clLime;

    // Communication indicator states and pictures.
    static constexpr int CommIdle = 0;
    static constexpr int CommBusy = 1;
    static constexpr int CommError = 2;
    static constexpr int CommDisconnected = 3;
    static constexpr int CommGatewayNoPort = 4;

    static constexpr int BusyTicks = 1;
    static constexpr int ErrorTicks = 5;
    static constexpr int MessageHoldTicks = 20;
    static constexpr int ErrorBlinkTicks = 6;

    // Message states besides link errors (below 0) and CSR codes (above 0).
    static constexpr int MessageNone = 0;
    static constexpr int MessageText = 1;
    static constexpr int MessageAccepted = 2;

    static constexpr const char* AcceptedText = "Command accepted";
    static constexpr const char* ReadTimerOffText = "Read timer is Off";
    static constexpr const char* DemoText = "Demo";
    static constexpr const char* DisconnectedText = "Disconnected";

    // What a tick looks at.
    struct Environment {
        bool demo = false;
        bool connected = false;          // the link reaches a unit
        bool readTimerOn = false;        // the main window's read timer
        bool autoFindingVisible = false;
        bool gateway = false;            // a gateway socket is open
        int connMode = connmode::Local;
    };

    void SetCommState(int state);
    // Whether polling stopped with the unit's readings lost: then the idle picture, which
    // stands for a link whose readings are the unit's, shows as the error picture.
    void SetReadingsLost(bool lost);
    bool ReadingsLost() const { return readingsLost_; }
    void SetLogState(int state);
    void SetErrorText(const std::string& text);
    void ClearMessage();
    void ShowMessage(const std::string& text);
    void CommandAccepted();
    // The end of a read of the unit's values: "Command accepted" when no command failed since
    // the message was last cleared; else the first failure, with what was not read ("" when
    // everything was), held as a message that later answers do not clear.
    void ReadDone(const std::string& notRead);
    static std::string ReadFailedText(const std::string& failure, const std::string& notRead);
    // linkError: the link's last error text (used when result < 0); csrText: the device's text
    // of the CSR code (used when result > 0). True when the caller should beep.
    bool ShowCommandResult(int result, int command, const std::string& linkError, const std::string& csrText);
    // A failed command as the panel shows it: "Cmd <command>: " and the link error, or "CSR " and
    // the CSR text.
    static std::string CommandResultText(int command, int result, const std::string& linkError,
                                         const std::string& csrText);
    void Tick(const Environment& env);
    void UpdateConnection(int mode, bool demo, const LinkState& link);
    // The hints of an open link: the port's "Connected to <port>, <baud>, Addr <address>", the
    // site's "Connected to <address>" with the host name looked up.
    static std::string PortHintOf(const LinkState& link);
    static std::string RemoteHintOf(const LinkState& link);

    // --- state fields -------------------------------------------------------------------
    int CommTicks() const { return commTicks_; }
    int CommState() const { return commState_; }
    int ShownCommImage() const { return shownCommImage_; }
    int LogBlink() const { return logBlink_; }
    int ShownLogImage() const { return shownLogImage_; }
    int LogState() const { return logState_; }
    int MessageState() const { return messageState_; }
    int MessageHold() const { return messageHold_; }
    int ErrorBlink() const { return errorBlink_; }

    // --- what the panels show -----------------------------------------------------------
    const std::string& ErrorText() const { return errorText_; }
    TColor ErrorColor() const { return errorColor_; }
    TColor PortColor() const { return portColor_; }
    TColor RemoteColor() const { return remoteColor_; }
    const std::string& PortCaption() const { return portCaption_; }
    const std::string& PortHint() const { return portHint_; }
    const std::string& RemoteCaption() const { return remoteCaption_; }
    const std::string& RemoteHint() const { return remoteHint_; }
    const std::string& CommHint() const { return commHint_; }
    bool PortVisible() const { return portVisible_; }
    bool RemoteVisible() const { return remoteVisible_; }
    void SetRemoteCaption(const std::string& text) { remoteCaption_ = text; }
    // Number of times each picture was changed (the frame draws only then).
    int CommDraws() const { return commDraws_; }

private:
    void RedrawComm();
    // Idle once the link is up.
    void ShowLinkUp();
    void RedrawLog();
    static TColor Toggled(TColor colour) { return colour == Aqua ? Silver : Aqua; }

    int commTicks_ = 0;
    int commState_ = CommDisconnected;
    int shownCommImage_ = -1;
    int logBlink_ = 0;
    int shownLogImage_ = -1;
    int logState_ = 0;
    int messageState_ = MessageNone;
    int messageHold_ = 0;
    int errorBlink_ = 0;
    bool readingsLost_ = false;

    std::string errorText_;
    std::string firstFailure_; // the first failed command's text since the message was cleared
    TColor errorColor_ = Silver;
    TColor portColor_ = Silver;
    TColor remoteColor_ = Silver;
    std::string portCaption_;
    std::string portHint_;
    std::string remoteCaption_ = "My Computer";
    std::string remoteHint_;
    std::string commHint_;
    bool portVisible_ = true;
    bool remoteVisible_ = true;
    int commDraws_ = 0;
};
