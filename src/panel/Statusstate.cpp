#include "panel/Statusstate.h"

void CStatusState::SetCommState(int state)
{
    if (state == CommDisconnected || state == CommGatewayNoPort) {
        commState_ = state; // the picture follows on the next tick
        return;
    }
    if ((state == CommBusy || state == CommError) &&
        (commState_ == CommDisconnected || commState_ == CommGatewayNoPort))
        return;
    if (state == CommBusy && commState_ == CommError)
        return; // busy never hides an error
    if (state < CommIdle || state > CommError)
        return;
    commState_ = state;
    commTicks_ = state == CommError ? ErrorTicks : state == CommBusy ? BusyTicks : 0;
    RedrawComm();
}

void CStatusState::RedrawComm()
{
    int picture = commState_;
    if (commState_ == CommBusy && commTicks_ == 0) {
        commState_ = CommIdle;
        picture = CommIdle;
    } else if (commState_ == CommError) {
        if (commTicks_ == 0) {
            commState_ = CommIdle;
            picture = CommIdle;
        } else {
            picture = (commTicks_ % 2) ? CommError : CommIdle;
        }
    }
    if (picture == CommIdle && readingsLost_)
        picture = CommError;
    if (picture != shownCommImage_) {
        shownCommImage_ = picture;
        ++commDraws_;
    }
}

void CStatusState::SetReadingsLost(bool lost)
{
    readingsLost_ = lost;
    RedrawComm();
}

void CStatusState::RedrawLog()
{
    int picture = 0;
    if (logState_ == 1)
        picture = 2 - logBlink_;
    else if (logState_ == 2)
        picture = logBlink_ + 2;
    shownLogImage_ = picture;
}

void CStatusState::SetLogState(int state)
{
    logState_ = state;
    logBlink_ = state == 1 ? 1 : state == 2 ? 3 : 0;
}

void CStatusState::SetErrorText(const std::string& text)
{
    errorText_ = text;
    errorColor_ = Silver;
}

void CStatusState::ClearMessage()
{
    firstFailure_.clear();
    SetErrorText("");
    messageState_ = MessageNone;
    messageHold_ = 0;
}

void CStatusState::ShowMessage(const std::string& text)
{
    SetErrorText(text);
    messageState_ = MessageText;
    errorBlink_ = ErrorBlinkTicks;
    messageHold_ = MessageHoldTicks;
}

void CStatusState::CommandAccepted()
{
    if (messageState_ != MessageNone)
        return;
    SetErrorText(AcceptedText);
    messageState_ = MessageAccepted;
    messageHold_ = MessageHoldTicks;
}

void CStatusState::ReadDone(const std::string& notRead)
{
    if (firstFailure_.empty() && notRead.empty()) {
        CommandAccepted();
        return;
    }
    ShowMessage(ReadFailedText(firstFailure_, notRead));
}

std::string CStatusState::ReadFailedText(const std::string& failure, const std::string& notRead)
{
    if (notRead.empty())
        return failure;
    const std::string what = "Not read: " + notRead;
    return failure.empty() ? what : failure + ". " + what;
}

std::string CStatusState::CommandResultText(int command, int result, const std::string& linkError,
                                            const std::string& csrText)
{
    return "Cmd " + std::to_string(command) + ": " + (result < 0 ? linkError : "CSR " + csrText);
}

bool CStatusState::ShowCommandResult(int result, int command, const std::string& linkError,
                                     const std::string& csrText)
{
    std::string text;
    if (result != 0) {
        text = CommandResultText(command, result, linkError, csrText);
        if (firstFailure_.empty())
            firstFailure_ = text;
        messageHold_ = MessageHoldTicks;
        errorBlink_ = ErrorBlinkTicks;
    } else if (messageState_ >= 0) {
        return false; // a held message, "Command accepted" or a CSR message stays
    }
    SetErrorText(text);
    messageState_ = result;
    return result != 0;
}

void CStatusState::Tick(const Environment& env)
{
    RedrawComm();
    if (commTicks_ > 0)
        --commTicks_;

    RedrawLog();
    if (logState_ == 1)
        logBlink_ = logBlink_ ? 0 : 1;
    else if (logBlink_ > 0)
        --logBlink_;

    if (env.demo) {
        portColor_ = portColor_ == Lime ? Silver : Lime;
        return;
    }

    if (errorBlink_ > 0) {
        --errorBlink_;
        errorColor_ = (errorBlink_ % 2) ? Aqua : Silver;
    }

    if (env.connected && !env.readTimerOn) {
        if (messageHold_ == 0) {
            messageHold_ = -1;
            errorText_ = ReadTimerOffText;
            errorColor_ = Aqua;
        } else if (messageHold_ > 0) {
            --messageHold_;
        } else if (messageHold_ == -1) {
            errorColor_ = Silver;
            messageHold_ = 0;
        }
    }

    if (!env.connected) {
        const bool portBlinks = env.connMode == connmode::Local ||
                                (env.connMode == connmode::Gateway && env.gateway);
        if (portBlinks)
            portColor_ = env.autoFindingVisible ? Silver : Toggled(portColor_);
        else
            remoteColor_ = Toggled(remoteColor_);
    }
}

void CStatusState::UpdateConnection(int mode, bool demo, const LinkState& link)
{
    portVisible_ = demo || mode == connmode::Local || link.gateway;
    remoteVisible_ = !demo && mode != connmode::Local;
    portColor_ = Silver;
    remoteColor_ = Silver;

    if (demo) {
        portCaption_ = DemoText;
        SetCommState(CommDisconnected);
    } else {
        if (!link.socketOpen) {
            remoteCaption_ = DisconnectedText;
            remoteHint_ = DisconnectedText;
        } else {
            remoteCaption_ = link.site;
            remoteHint_ = RemoteHintOf(link);
        }

        if (link.directNetwork) {
            ShowLinkUp();
            portHint_.clear();
        } else if (link.hasPort) {
            portCaption_ = link.portName;
            portHint_ = PortHintOf(link);
            ShowLinkUp();
        } else {
            portCaption_ = DisconnectedText;
            portHint_ = DisconnectedText;
            SetCommState(link.gateway ? CommGatewayNoPort : CommDisconnected);
        }
    }
    commHint_ = link.directNetwork ? remoteHint_ : portHint_;
}

void CStatusState::ShowLinkUp()
{
    // A command's busy or error mark that is still showing is the link's latest news: a
    // refresh of the connection texts leaves it to run out.
    if (commState_ == CommBusy || commState_ == CommError)
        return;
    SetCommState(CommIdle);
}

std::string CStatusState::PortHintOf(const LinkState& link)
{
    return "Connected to " + link.portName + ", " + std::to_string(link.baud) + ", Addr " +
           std::to_string(link.unitAddress);
}

std::string CStatusState::RemoteHintOf(const LinkState& link)
{
    std::string hint = "Connected to " + link.ipAddress;
    if (!link.hostName.empty())
        hint += " (" + link.hostName + ")";
    return hint;
}
