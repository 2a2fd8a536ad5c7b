// The BootP window: Listen serves a request on loopback (free ports injected) until Stop, the
// control states while listening, a refused address field, and section "BootP" both ways.

#include "common/Registry.h"
#include "panel/Scripted.h"
#include "platform/Inifile.h"
#include "qtsupport/Widgets.h"
#include "service/ui/Bootp.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// A port that was free a moment ago.
int FreePort()
{
    platform::UdpSocket s;
    s.Open();
    s.Bind(0);
    return s.LocalPort();
}

TEST(BootPForm, ListenAnswersTheClientUntilStop)
{
    ScriptedHooks hooks;
    TBootPForm form;
    platform::UdpSocket client;
    ASSERT_EQ(client.Open(), 0);
    ASSERT_EQ(client.Bind(0), 0);
    CBootPPorts ports;
    ports.server = FreePort();
    ports.client = client.LocalPort();
    form.SetPorts(ports);
    form.MACEdit->setText("2:1a:b:3:4:5");
    form.show();
    EXPECT_FALSE(form.StopBtn->isEnabled());
    EXPECT_TRUE(form.Memo->toPlainText().startsWith("Host name: ") ||
                form.Memo->toPlainText().startsWith("Error getting local host name"));

    std::vector<uint8_t> request(300, 0);
    request[0] = 1;
    const uint8_t mac[6] = {0x02, 0x1A, 0x0B, 0x03, 0x04, 0x05};
    std::memcpy(request.data() + 28, mac, 6);
    bool statesWhileListening = false;
    QTimer look;
    int step = 0;
    QObject::connect(&look, &QTimer::timeout, [&] {
        const QString memo = form.Memo->toPlainText();
        if (step == 0 && memo == "Listening...") {
            statesWhileListening = form.StopBtn->isEnabled() && !form.ListenBtn->isEnabled() &&
                                   !form.CloseBtn->isEnabled() && !form.IPEdit->isEnabled();
            client.Send(request.data(), request.size(), "127.0.0.1", ports.server, 0);
            step = 1;
        } else if (step == 1 && memo.contains("IP=")) {
            form.StopBtn->click();
            step = 2;
        }
    });
    look.start(5);
    form.ListenBtn->click(); // returns after Stop
    look.stop();
    EXPECT_TRUE(statesWhileListening);
    const QStringList lines = form.Memo->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 8) << form.Memo->toPlainText().toStdString();
    EXPECT_EQ(lines[0], "Listening...");
    EXPECT_TRUE(lines[2].startsWith("Received from 127.0.0.1  Port "));
    EXPECT_EQ(lines[3], "MAC=02:1A:0B:03:04:05");
    EXPECT_EQ(lines[5], "Sent to 255.255.255.255  Port " + QString::number(ports.client) + " :");
    EXPECT_EQ(lines[6], "IP=192.168.1.100  Mask=255.255.0.0  Gate=192.168.1.1");
    EXPECT_EQ(lines[7], "...Stop");
    std::vector<uint8_t> reply(1024);
    int err = 0;
    ASSERT_EQ(client.WaitReadable(5000, err), platform::SocketWait::Ready);
    platform::DatagramSource from;
    ASSERT_EQ(client.Receive(reply.data(), reply.size(), from), 300);
    EXPECT_EQ(reply[0], 2);
    EXPECT_EQ((std::vector<uint8_t>(reply.begin() + 16, reply.begin() + 20)),
              (std::vector<uint8_t>{192, 168, 1, 100}));
    EXPECT_TRUE(form.ListenBtn->isEnabled());
    EXPECT_FALSE(form.StopBtn->isEnabled());
    EXPECT_TRUE(hooks.shown.empty());
}

TEST(BootPForm, AddressAbove255IsRefusedAndNothingListens)
{
    ScriptedHooks hooks;
    TBootPForm form;
    form.show();
    form.GateEdit->setText("192.168.1.256");
    form.Memo->clear();
    form.ListenBtn->click();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "BootP configuration");
    EXPECT_EQ(hooks.shown[0].text, "Default gateway: \"192.168.1.256\": 256 is above 255");
    EXPECT_FALSE(form.Listening());
    EXPECT_TRUE(form.Memo->toPlainText().isEmpty());
}

TEST(BootPForm, BindRefusedIsLoggedAndTheWindowReturnsToIdle)
{
    ScriptedHooks hooks;
    platform::UdpSocket holder;
    ASSERT_EQ(holder.Open(), 0);
    ASSERT_EQ(holder.Bind(0), 0);
    TBootPForm form;
    CBootPPorts ports;
    ports.server = holder.LocalPort();
    form.SetPorts(ports);
    form.show();
    form.ListenBtn->click();
    const QStringList lines = form.Memo->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], "Bind error");
    EXPECT_EQ(lines[2], "[10048] Address already in use");
    EXPECT_EQ(lines[4], "...Stop");
    EXPECT_TRUE(form.ListenBtn->isEnabled());
}

TEST(BootPForm, SettingsSectionBothWays)
{
    platform::IniFile ini;
    {
        TBootPForm form;
        form.IPEdit->setText("10.1.2.3");
        form.MACEdit->setText("00:11:22:33:44:55");
        CRegistry save("", false, &ini);
        form.ExchangeSettings(save);
    }
    TBootPForm form;
    CRegistry load("", true, &ini);
    form.ExchangeSettings(load);
    EXPECT_EQ(form.IPEdit->text(), "10.1.2.3");
    EXPECT_EQ(form.MACEdit->text(), "00:11:22:33:44:55");
    EXPECT_EQ(form.MaskEdit->text(), "255.255.0.0");
    EXPECT_EQ(form.GateEdit->text(), "192.168.1.1");
}

} // namespace
