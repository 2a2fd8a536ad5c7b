// The status frame's panels, driven by its tick and rendered into images.
#include "panel/Scripted.h"
#include "panel/ui/Status.h"
#include "support/Connectscript.h"
#include "zcomponents/Zgauge.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>

using testsupport::ScriptedController;

namespace {

QLabel* Panel(TStatusFrame& frame, const char* name) { return frame.findChild<QLabel*>(name); }

QColor CentreOf(QWidget* widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32);
    widget->render(&image);
    return image.pixelColor(image.width() / 2, 2);
}

struct Fixture {
    ScriptedController controller;
    TStatusFrame frame;
    Fixture()
    {
        frame.SetContext(&controller);
        frame.resize(700, 22);
        frame.show();
        QApplication::processEvents();
    }
};

} // namespace

TEST(StatusFrame, PanelsByName)
{
    Fixture f;
    for (const char* name : {"RemotePanel", "PortPanel", "CommPanel", "CommImage", "InfoPanel", "ErrorPanel", "LogPanel",
                             "LogImage"})
        EXPECT_NE(f.frame.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_NE(f.frame.findChild<TzGauge*>("ProgressBar"), nullptr);
    EXPECT_EQ(f.frame.StatusTimer()->interval(), 250);
    EXPECT_FALSE(f.frame.StatusTimer()->isActive()); // started by the controller's start-up
    EXPECT_TRUE(f.frame.ProgressBar()->isHidden());
    EXPECT_EQ(f.frame.ProgressBar()->geometry(), Panel(f.frame, "PortPanel")->geometry());
}

TEST(StatusFrame, ConnectionTextsAndDoubleClick)
{
    Fixture f;
    f.controller.link.hasPort = true;
    f.controller.link.connected = true;
    f.controller.link.portName = "/dev/ttyUSB0";
    f.controller.link.baud = 9600;
    f.controller.link.unitAddress = 2;
    f.frame.UpdateConnection(connmode::Local);
    QLabel* port = Panel(f.frame, "PortPanel");
    EXPECT_EQ(port->text(), "/dev/ttyUSB0");
    EXPECT_EQ(port->toolTip(), "Connected to /dev/ttyUSB0, 9600, Addr 2");
    EXPECT_EQ(Panel(f.frame, "CommPanel")->toolTip(), port->toolTip());
    EXPECT_TRUE(Panel(f.frame, "RemotePanel")->isHidden());

    f.controller.demo = true;
    f.frame.UpdateConnection(connmode::Network);
    EXPECT_EQ(port->text(), "Demo");

    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(3, 3), port->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &dbl);
    QMouseEvent dblLog(QEvent::MouseButtonDblClick, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(f.frame.findChild<QWidget*>("LogImage"), &dblLog);
    EXPECT_EQ(f.controller.calls, (std::vector<std::string>{"dialog", "logging"}));
}

TEST(StatusFrame, MessagesBlinkInTheErrorPanel)
{
    Fixture f;
    f.controller.link.hasPort = true;
    f.controller.link.connected = true;
    f.frame.UpdateConnection(connmode::Local);
    QLabel* error = Panel(f.frame, "ErrorPanel");

    f.frame.ShowCommandResult(-3, 255);
    EXPECT_EQ(error->text(), "Cmd 255: Time-out");
    EXPECT_EQ(CentreOf(error), QColor(192, 192, 192));
    f.frame.StatusTimerTimer();
    EXPECT_EQ(CentreOf(error), QColor(0, 255, 255)); // aqua
    f.frame.StatusTimerTimer();
    EXPECT_EQ(CentreOf(error), QColor(192, 192, 192));

    f.frame.ShowCommandResult(9, 17);
    EXPECT_EQ(error->text(), "Cmd 17: CSR code 9");
    f.frame.ClearMessage();
    f.frame.CommandAccepted();
    EXPECT_EQ(error->text(), "Command accepted");
    for (int i = 0; i < 21; ++i)
        f.frame.StatusTimerTimer();
    EXPECT_EQ(error->text(), "Read timer is Off");
}

TEST(StatusFrame, FailedCommandsBeepExceptTheAutoFindingProbes)
{
    Fixture f;
    ScriptedHooks hooks;
    f.controller.link.hasPort = true;
    f.controller.link.connected = true;
    f.frame.UpdateConnection(connmode::Local);
    f.frame.ShowCommandResult(-3, 128);
    EXPECT_EQ(hooks.beeps, 1);
    f.frame.ShowCommandResult(0, 128);
    EXPECT_EQ(hooks.beeps, 1);

    f.controller.autoFinding = true; // the search's window is up
    f.frame.ShowCommandResult(-3, 128);
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(Panel(f.frame, "ErrorPanel")->text(), "Cmd 128: Time-out"); // still shown
}

TEST(StatusFrame, DisconnectedPortPanelBlinksAndIndicatorDraws)
{
    Fixture f;
    f.frame.UpdateConnection(connmode::Local);
    QLabel* port = Panel(f.frame, "PortPanel");
    f.frame.StatusTimerTimer();
    EXPECT_EQ(CentreOf(port), QColor(0, 255, 255));
    f.frame.StatusTimerTimer();
    EXPECT_EQ(CentreOf(port), QColor(192, 192, 192));
    auto* image = f.frame.findChild<QLabel*>("CommImage");
    EXPECT_EQ(image->pixmap().toImage(), TStatusFrame::CommPicture(3).toImage());

    f.controller.link.hasPort = true;
    f.controller.link.connected = true;
    f.frame.UpdateConnection(connmode::Local);
    f.frame.SetCommState(2);
    EXPECT_EQ(image->pixmap().toImage(), TStatusFrame::CommPicture(2).toImage());
}

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

TEST(StatusFrame, MarksAndResultsDrawAtOnceOnlyWhenTheyChangeThePicture)
{
    Fixture f;
    f.controller.link.hasPort = true;
    f.controller.link.connected = true;
    f.frame.UpdateConnection(connmode::Local);
    QApplication::processEvents();
    PaintCounter comm(f.frame.findChild<QLabel*>("CommImage"));
    PaintCounter error(Panel(f.frame, "ErrorPanel"));

    // A poll's three transactions: the busy mark is drawn at once, once.
    for (int command : {161, 255, 254}) {
        f.frame.SetCommState(1);
        f.frame.ShowCommandResult(0, command);
    }
    EXPECT_EQ(comm.paints, 1);
    EXPECT_EQ(error.paints, 0); // nothing to show, nothing drawn

    // A failure is drawn at once, mark and text.
    f.controller.mainUnit.error = "Time-out";
    f.frame.SetCommState(1);
    f.frame.ShowCommandResult(-3, 255);
    f.frame.SetCommState(2);
    EXPECT_EQ(comm.paints, 2);
    EXPECT_GE(error.paints, 1);
    EXPECT_FALSE(Panel(f.frame, "ErrorPanel")->text().isEmpty());
}
