#pragma once
// The X window system for the tests that run the program as a user sees it: an Xvfb of its own,
// with or without a window manager, for as long as the object lives; and, in a test running on
// X, the windows as the X server shows them, in the frames a window manager gave them.
//
// A window manager frames a window some time after the program shows it, and moves it only when
// it gets to the program's request: the waits here wake on the X server's events, never on a
// clock, and each has a hard end.

#include <QGuiApplication>
#include <QAbstractNativeEventFilter>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <string>
#include <vector>

namespace testsupport {

// --- on the X server ----------------------------------------------------------------------------

namespace x {

inline xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

inline xcb_window_t Root(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

// The 32-bit values of a window's property; empty where it has none.
inline std::vector<uint32_t> Cardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    xcb_get_property_reply_t* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 64), nullptr);
    if (r && r->format == 32) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
        values.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return values;
}

// Whether a window manager runs on the display: it names its check window on the root.
inline bool WindowManagerRuns(xcb_connection_t* c)
{
    return !Cardinals(c, Root(c), Atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty();
}

// A window's rectangle on the root, its border included; empty where the server has none.
inline QRect OnRoot(xcb_connection_t* c, xcb_window_t w)
{
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    xcb_translate_coordinates_reply_t* t =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, Root(c), 0, 0), nullptr);
    QRect r;
    if (g && t)
        r = QRect(t->dst_x - g->border_width, t->dst_y - g->border_width, g->width + 2 * g->border_width,
                  g->height + 2 * g->border_width);
    std::free(g);
    std::free(t);
    return r;
}

// The top-level window that holds a window: the frame a window manager put it in, or the window.
inline xcb_window_t TopLevel(xcb_connection_t* c, xcb_window_t w)
{
    for (int depth = 0; depth < 16; ++depth) {
        xcb_query_tree_reply_t* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        if (!r)
            return w;
        const bool top = r->parent == r->root || r->parent == XCB_WINDOW_NONE;
        const xcb_window_t parent = r->parent;
        std::free(r);
        if (top)
            return w;
        w = parent;
    }
    return w;
}

// A window manager sets an unmapped window's frame extents when asked, in its turn: the answer
// comes as a property change on a probe window of the asking connection.
inline xcb_window_t FrameExtentsProbe(xcb_connection_t* c)
{
    const xcb_window_t probe = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, Root(c), -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    return probe;
}

inline void AskFrameExtents(xcb_connection_t* c, xcb_window_t probe)
{
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = probe;
    request.type = Atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(c, 0, Root(c), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(c);
}

// Takes the events the connection has read; true when one of them is the probe's answer.
inline bool ProbeAnswered(xcb_connection_t* c, xcb_window_t probe)
{
    bool answered = false;
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
        answered = answered || ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                                reinterpret_cast<const xcb_property_notify_event_t*>(e)->window == probe);
        std::free(e);
    }
    return answered;
}

} // namespace x

// The application's own connection to the X server; none on another platform.
inline xcb_connection_t* AppConnection()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// A top-level window as the user sees it: its frame with the title bar, and the client area the
// program draws. On X as the X server shows them; elsewhere as Qt has them (a title bar of
// `titleBar` pixels where there is no frame).
struct SShownWindow {
    std::string Name; // its objectName
    QRect Frame;
    QRect Client;
    int TitleBar = 0; // the frame's top edge above the client area
};

inline SShownWindow Shown(QWidget* w, int titleBar)
{
    SShownWindow s;
    s.Name = w->objectName().toStdString();
    if (xcb_connection_t* c = AppConnection()) {
        const auto id = xcb_window_t(w->winId());
        s.Client = x::OnRoot(c, id);
        s.Frame = x::OnRoot(c, x::TopLevel(c, id));
    } else {
        s.Client = w->geometry();
        s.Frame = w->frameGeometry();
    }
    s.TitleBar = s.Client.top() - s.Frame.top();
    if (s.TitleBar <= 0)
        s.TitleBar = titleBar;
    return s;
}

// Whether a shown window is on the screen: exposed, and framed where a window manager runs.
inline bool OnScreen(QWidget* w)
{
    xcb_connection_t* c = AppConnection();
    if (!c)
        return w->isVisible(); // shown at once
    const QWindow* handle = w->windowHandle();
    if (!w->isVisible() || !handle || !handle->isExposed())
        return false;
    const auto id = xcb_window_t(w->winId());
    return !x::WindowManagerRuns(c) ||
           (x::TopLevel(c, id) != id &&
            x::Cardinals(c, id, x::Atom(c, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL).size() == 4);
}

// Runs the event loop until `done` holds, looking again after each event the X server sends the
// application, and as long as until `end` at the most; true when it held. The events are not
// read here: the application's X thread wrote them, and hands them over in ways a race detector
// does not see.
inline bool WaitOnX(const std::function<bool()>& done, std::chrono::steady_clock::time_point end)
{
    if (done())
        return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    QEventLoop loop;
    class TWake : public QAbstractNativeEventFilter {
    public:
        explicit TWake(std::function<void()> wake) : wake_(std::move(wake)) {}
        bool nativeEventFilter(const QByteArray& type, void*, qintptr*) override
        {
            if (type == "xcb_generic_event_t")
                wake_();
            return false;
        }

    private:
        std::function<void()> wake_;
    } wake([&loop, &done] {
        // Once the application has taken the event in.
        QTimer::singleShot(0, &loop, [&loop, &done] {
            if (done())
                loop.quit();
        });
    });
    qApp->installNativeEventFilter(&wake);
    QTimer::singleShot(int(left.count()), &loop, &QEventLoop::quit);
    loop.exec();
    qApp->removeNativeEventFilter(&wake);
    return done();
}

// Where the X server has the windows and their frames now.
inline std::vector<QRect> OnRootNow(xcb_connection_t* c, const std::vector<QWidget*>& windows)
{
    std::vector<QRect> rects;
    for (QWidget* w : windows) {
        const auto id = xcb_window_t(w->winId());
        rects.push_back(x::OnRoot(c, id));
        rects.push_back(x::OnRoot(c, x::TopLevel(c, id)));
    }
    return rects;
}

// Waits until the window manager has answered every request the application made before: it
// answers a request for an unmapped window's frame extents in its turn, by setting them. The
// application's requests have reached the server once it answers one of them; the request for
// the extents then goes on a connection of the test's own, whose events only this thread reads.
inline bool WindowManagerAnswered(xcb_connection_t* app, std::chrono::steady_clock::time_point end)
{
    std::free(xcb_get_input_focus_reply(app, xcb_get_input_focus(app), nullptr));
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> own(xcb_connect(nullptr, nullptr),
                                                                              xcb_disconnect);
    xcb_connection_t* c = own.get();
    if (xcb_connection_has_error(c))
        return false;
    const xcb_window_t probe = x::FrameExtentsProbe(c);
    x::AskFrameExtents(c, probe);
    bool answered = false;
    const auto take = [c, probe, &answered] { answered = x::ProbeAnswered(c, probe) || answered; };
    take();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (!answered && left.count() > 0) {
        // The application's event loop runs meanwhile.
        QEventLoop loop;
        QSocketNotifier readable(xcb_get_file_descriptor(c), QSocketNotifier::Read);
        QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&take, &answered, &loop] {
            take();
            if (answered)
                loop.quit();
        });
        QTimer::singleShot(int(left.count()), &loop, &QEventLoop::quit);
        loop.exec();
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return answered;
}

// How a wait for windows to settle on the screen ended.
enum class Settled {
    Yes,         // each is on the screen where the program last put it
    ManagerLate, // the window manager had not framed them or answered in the time given
    No,          // a window was not shown, or they kept moving from round trip to round trip
    Elsewhere,   // the manager answered, but a window stayed elsewhere than the program last put it
};

inline const char* Text(Settled s)
{
    switch (s) {
    case Settled::Yes: return "settled";
    case Settled::ManagerLate: return "the window manager did not answer in time";
    case Settled::Elsewhere: return "on the screen elsewhere than the program put them, though the window manager answered";
    case Settled::No: break;
    }
    return "not shown, or kept moving while the window manager answered";
}

// Waits, as long as limitMs at the most, until each window is on the screen where the program
// last put it: where the window system has it, its record following both the program's requests
// and the manager's answers. A window manager gets to the program's requests in its own time, and
// the program may answer what it does (a frame other than the one it expected) with new ones:
// settled is when the windows are there and a whole round trip to the manager moved nothing. That
// round trip alone does not tell that the manager has got to every request made before it: a busy
// openbox was seen to answer it while moves the program had asked for hundreds of milliseconds
// earlier were still to come, the windows meanwhile where it had framed them (where the program
// first put them, before it knew the frames' margins). Where the time ran out waiting for the
// manager (to frame a window shown, or to answer), it was late; windows that moved in each of
// MovingRounds round trips it answered keep moving; windows that stay still elsewhere until the
// time runs out, though the manager answers, are elsewhere.
inline Settled WaitSettled(const std::vector<QWidget*>& windows, int limitMs = 30000)
{
    constexpr int MovingRounds = 3;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    const auto allOnScreen = [&windows] {
        return std::all_of(windows.begin(), windows.end(), [](QWidget* w) { return OnScreen(w); });
    };
    if (!WaitOnX(allOnScreen, end))
        return std::all_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); })
                   ? Settled::ManagerLate
                   : Settled::No;
    xcb_connection_t* c = AppConnection();
    if (!c)
        return Settled::Yes;
    const auto wherePut = [&windows, c] {
        return std::all_of(windows.begin(), windows.end(),
                           [c](QWidget* w) { return x::OnRoot(c, xcb_window_t(w->winId())) == w->geometry(); });
    };
    if (!x::WindowManagerRuns(c)) // the server moves a window at once
        return WaitOnX(wherePut, end) ? Settled::Yes : Settled::No;
    for (int moving = 0;;) {
        const std::vector<QRect> before = OnRootNow(c, windows);
        if (!WindowManagerAnswered(c, end))
            return moving >= MovingRounds ? Settled::No : Settled::ManagerLate;
        if (OnRootNow(c, windows) != before) {
            ++moving;
            continue;
        }
        if (allOnScreen() && wherePut())
            return Settled::Yes;
        // Still, and not where the program put them: the manager has requests still to get to.
        if (!WaitOnX([&] { return allOnScreen() && wherePut(); }, end))
            return Settled::Elsewhere;
    }
}

// --- an X server of the test's own --------------------------------------------------------------

// Xvfb on a display of its own with a screen of the size asked for, and with the openbox window
// manager when asked, for as long as the object lives. Missing() names a program that is not
// installed; Error() says why the display did not start.
class VirtualDisplay {
public:
    static constexpr int LimitMs = 60000;
    static constexpr int LastPriority = 10; // a nice value
    enum class Manager { None, Openbox };

    // `openboxConfig`: the text of the window manager's configuration file, where it is to
    // frame windows otherwise than by default.
    explicit VirtualDisplay(int width = 1280, int height = 1024, Manager manager = Manager::None,
                            const std::string& openboxConfig = {})
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        const QString openbox = QStandardPaths::findExecutable("openbox");
        if (xvfb.isEmpty() || (manager == Manager::Openbox && openbox.isEmpty())) {
            missing_ = xvfb.isEmpty() ? "Xvfb is not installed" : "openbox is not installed";
            error_ = missing_;
            return;
        }
        // It names the display it took on its output once it takes connections.
        const QString screen = QString("%1x%2x24").arg(width).arg(height);
        server_.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", screen});
        QByteArray out;
        while (!out.contains('\n') && server_.waitForReadyRead(LimitMs))
            out += server_.readAllStandardOutput();
        if (!out.contains('\n')) {
            error_ = "Xvfb did not start: " + server_.readAllStandardError().toStdString();
            return;
        }
        display_ = ":" + out.trimmed().toStdString();
        if (manager == Manager::Openbox && !StartOpenbox(openbox, openboxConfig))
            display_.clear();
    }
    ~VirtualDisplay()
    {
        for (QProcess* p : {&manager_, &server_}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(LimitMs)) {
                p->kill();
                p->waitForFinished(-1);
            }
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // The window manager gets the processors after every other program, as on a machine busy
    // with other work: it frames windows and answers requests late. True where it runs so.
    bool ManagerComesLast()
    {
        return manager_.state() == QProcess::Running &&
               ::setpriority(PRIO_PROCESS, id_t(manager_.processId()), LastPriority) == 0;
    }

    // ":n", or empty where it did not start.
    const std::string& Display() const { return display_; }
    const std::string& Missing() const { return missing_; }
    const std::string& Error() const { return error_; }

private:
    // Starts the window manager and waits until it manages the screen: it then names its check
    // window on the root.
    bool StartOpenbox(const QString& openbox, const std::string& config)
    {
        xcb_connection_t* c = xcb_connect(display_.c_str(), nullptr);
        const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> hold(c, xcb_disconnect);
        if (xcb_connection_has_error(c)) {
            error_ = "cannot connect to " + display_;
            return false;
        }
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, x::Root(c), XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
        QStringList args{"--sm-disable"};
        if (!config.empty()) {
            const QString file = configDir_.filePath("rc.xml");
            QFile f(file);
            if (!configDir_.isValid() || !f.open(QIODevice::WriteOnly) ||
                f.write(config.data(), qint64(config.size())) != qint64(config.size())) {
                error_ = "cannot write openbox's configuration";
                return false;
            }
            f.close();
            args << "--config-file" << file;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display_));
        manager_.setProcessEnvironment(env);
        manager_.start(openbox, args);
        if (!manager_.waitForStarted(LimitMs)) {
            error_ = "openbox did not start: " + manager_.errorString().toStdString();
            return false;
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(LimitMs);
        while (!x::WindowManagerRuns(c)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || manager_.state() == QProcess::NotRunning) {
                error_ = "openbox did not take the screen: " + manager_.readAllStandardError().toStdString();
                return false;
            }
            // The root's properties change as the manager takes the screen.
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            if (::poll(&fd, 1, int(std::min<long long>(left.count(), 1000))) > 0)
                while (xcb_generic_event_t* e = xcb_poll_for_event(c))
                    std::free(e);
        }
        // It names that window before it is done starting: the windows it finds then it places
        // as they were when it started, whatever they ask meanwhile. Done, it answers a request
        // for a window's frame extents.
        const xcb_window_t probe = x::FrameExtentsProbe(c);
        x::AskFrameExtents(c, probe);
        for (;;) {
            // What the connection has read already, then what comes.
            if (x::ProbeAnswered(c, probe))
                break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || manager_.state() == QProcess::NotRunning) {
                error_ = "openbox did not finish starting";
                return false;
            }
            // A request sent before it took the screen's requests reached no one: asked again.
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            if (::poll(&fd, 1, int(std::min<long long>(left.count(), 1000))) == 0)
                x::AskFrameExtents(c, probe);
        }
        xcb_destroy_window(c, probe);
        xcb_flush(c);
        return true;
    }

    QProcess server_;
    QProcess manager_;
    QTemporaryDir configDir_;
    std::string display_;
    std::string missing_;
    std::string error_;
};

} // namespace testsupport
