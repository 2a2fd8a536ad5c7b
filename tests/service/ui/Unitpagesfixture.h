#pragma once
// The main window connected to the simulated unit over a pseudo-terminal, with the unit's
// requests recorded, scripted message boxes and the count-down window at hand. The read timer
// is stopped after connecting so that only the pages talk to the unit; the Setup page is read
// once, which tells the program the unit's type.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Orrery.h"
#include "panel/ui/Delay.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Status.h"
#include "platform/Settingsfile.h"
#include "simunit/Simcommandset.h"
#include "simunit/Simrecorder.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace unitpagestest {

using simunit::SimUnitData;
using Cmds = std::vector<int>;

// Types into an edit as a user does: focus, select all, one key press per character.
inline void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    for (QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &key);
    }
}

inline bool Blue(const QPushButton* b) { return b->palette().color(QPalette::ButtonText) == QColor(0, 0, 255); }

class UnitPagesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey("Software\\Quorvane\\Vantrel Orrery").c_str());
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        state = simunit::InstallDeviceCommands(sim.Unit());
        Unit([](SimUnitData& d) { d.motorSpeed = 0; });
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine({}, dir.Path());
        form->Controller()->SetVersionText("D.00");
        TMainServiceSide::Forms forms;
        forms.Delay = &delay;
        side->SetForms(forms);
        form->SetForms({});
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->Controller()->StartupDone());
    }
    void TearDown() override
    {
        recorder.reset();
        form->Device()->ClosePort();
        side.reset();
        form.reset();
    }
    template <typename F> void Unit(F&& f) { state->With([&](SimUnitData& d) { f(d); }); }
    void Connect(uint32_t pin = 1)
    {
        Unit([pin](SimUnitData& d) { d.pin = pin; });
        form->Controller()->Settings().BaudRate = "9600";
        form->SetPortText(sim.Path());
        form->ConnectBar->ConnectBtn()->click();
        ASSERT_TRUE(form->Device()->IsConnected());
        form->Controller()->SetReadTimer(false);
        // What the main window's read of all unit pages starts with: the unit's type.
        ASSERT_EQ(side->ReadSetup(), 0);
        form->UpdateControls();
        recorder = std::make_unique<simunit::SimRecorder>(sim.Unit());
    }
    Cmds Sent() const { return recorder->CommandsWithoutAccess(); }
    // From now on the unit leaves the one request after the nth answer to a command unanswered
    // (or answers it with the fault given). The watcher takes the recorder's place until
    // cleared with sim.Unit().SetWatcher({}).
    void FaultAfterAnswer(int command, int nth,
                          simunit::SimSerialServer::Fault fault = simunit::SimSerialServer::Fault::Stall)
    {
        recorder.reset();
        auto seen = std::make_shared<int>(0);
        sim.Unit().SetWatcher([this, command, nth, fault, seen](int c, const std::vector<uint8_t>&) -> uint8_t {
            if (c == command && ++*seen == nth)
                sim.Server().SetFault(fault, 1); // the next request
            return 0;
        });
    }
    std::string StatusText() const { return form->Status->State().ErrorText(); }
    // The messages of a kind shown since the last clear.
    std::vector<ShownMessage> Shown(const std::string& kind) const
    {
        std::vector<ShownMessage> out;
        for (const ShownMessage& m : hooks.shown)
            if (m.kind == kind)
                out.push_back(m);
        return out;
    }

    testsupport::TempDir dir;
    testsupport::SimPty sim;
    std::shared_ptr<simunit::SimState> state;
    std::unique_ptr<simunit::SimRecorder> recorder;
    ScriptedHooks hooks;
    CData data;
    TDelayForm delay;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

} // namespace unitpagestest
