#pragma once
// Runs the event loop until a condition holds (checked after every event and every few
// milliseconds), giving up after a generous limit so a broken component fails instead of
// hanging. Conditions, not durations, decide when a test goes on.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace zwait {

inline bool Until(const std::function<bool()>& condition, int limitMs = 20000)
{
    QDeadlineTimer deadline(limitMs);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition() || deadline.hasExpired())
            loop.quit();
    });
    if (condition())
        return true;
    poll.start();
    loop.exec();
    return condition();
}

} // namespace zwait
