#pragma once
// Answers modal dialogs as a user would: each step waits for the dialog of its objectName to be
// the active modal window, then acts on it (clicks, types). A step that returns false is tried
// again on the next look (for a dialog that must reach a state first). No sleeps: the driver
// looks on a short timer of the running event loop.

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>

namespace testsupport {

class ModalDriver : public QObject {
public:
    using Action = std::function<bool(QWidget*)>;

    ModalDriver()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
        timer_.start();
    }
    // When a dialog named objectName is the modal window, action(dialog).
    ModalDriver& Then(const std::string& objectName, Action action)
    {
        steps_.push_back({objectName, std::move(action)});
        return *this;
    }
    bool Done() const { return steps_.empty(); }
    // The names of the modal windows seen, in order (each once per showing).
    const std::vector<std::string>& Seen() const { return seen_; }

private:
    void Look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != last_) {
            last_ = modal;
            if (modal)
                seen_.push_back(modal->objectName().toStdString());
        }
        if (steps_.empty() || !modal || modal->objectName().toStdString() != steps_.front().name)
            return;
        if (steps_.front().action(modal))
            steps_.pop_front();
    }

    struct Step {
        std::string name;
        Action action;
    };
    QTimer timer_;
    std::deque<Step> steps_;
    std::vector<std::string> seen_;
    QWidget* last_ = nullptr;
};

} // namespace testsupport
