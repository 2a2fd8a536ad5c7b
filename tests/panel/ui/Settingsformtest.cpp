#include "common/Hooks.h"
#include "common/Registry.h"
#include "panel/Panelist.h"
#include "panel/Plotview.h"
#include "panel/Settings.h"
#include "panel/ui/Editdisplay.h"
#include "panel/ui/Hardfault.h"
#include "panel/ui/Settingsform.h"
#include "platform/Inifile.h"
#include "qtsupport/Widgets.h"
#include "support/Fakepanesource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using testsupport::ClickRow;
using testsupport::DoubleClickRow;

class CScriptedHooks : public IMessageHooks {
public:
    int Beeps = 0;
    bool Answer = true;
    std::vector<std::string> Messages;
    void Beep() override { ++Beeps; }
    bool AskYesNo(const std::string&, const std::string& text) override
    {
        Messages.push_back(text);
        return Answer;
    }
    int ShowWarning(const std::string&, const std::string& text) override
    {
        Messages.push_back(text);
        return 0;
    }
    int ShowMessageBox(const std::string&, const std::string& text) override
    {
        Messages.push_back(text);
        return 0;
    }
};

struct Dialogs : ::testing::Test {
    CFakePaneSource source;
    CItemStyle style;
    CPlotView view;
    CPaneList pane0{CPaneContext{&source, &style, &view}};
    CPaneList pane1{CPaneContext{&source, &style, &view}};
    CSettings settings;
    bool locked = false;
    bool traces = false;
    int applied = 0;
    CScriptedHooks hooks;
    TEditDisplayForm edit;
    TSettingsForm form;

    void SetUp() override
    {
        InstallMessageHooks(&hooks);
        TEditDisplayForm::SLinks e;
        e.Source = &source;
        e.Style = &style;
        e.TracesRFOn = &traces;
        e.Locked = [this] { return locked; };
        e.GetPaneList = [this](int i) { return i == 0 ? &pane0 : i == 1 ? &pane1 : nullptr; };
        edit.Bind(e);
        TSettingsForm::SLinks s;
        s.Settings = &settings;
        s.Source = &source;
        s.Locked = [this] { return locked; };
        s.SettingsFileName = [] { return std::string("/tmp/a.orrery"); };
        s.GetPaneList = e.GetPaneList;
        s.Applied = [this] { ++applied; };
        s.EditDisplay = &edit;
        form.Bind(s);
    }
    void TearDown() override { InstallMessageHooks(nullptr); }
};

TEST_F(Dialogs, GeneralAndConnectionPages)
{
    settings.BaudRate = "1234";
    form.FormShow();
    EXPECT_EQ(form.windowTitle(), "Settings - /tmp/a.orrery");
    // Every accelerator of a label leads to its control.
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label->text().contains('&')) {
            EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        }
    }
    EXPECT_TRUE(form.OKBtn->isEnabled());
    testsupport::PressKeyIn(form.InterfaceComboBox, Qt::Key_Down); // "RS485"
    QStringList items;
    for (int i = 0; i < form.BaudComboBox->count(); ++i)
        items << form.BaudComboBox->itemText(i);
    EXPECT_EQ(items, (QStringList{"57600", "38400", "19200", "9600"}));
    EXPECT_EQ(form.BaudComboBox->currentText(), "1234");

    form.CaptionEdit->setText("  My unit \t");
    form.TCPPortEdit->setText("port");
    form.ReadTimerSpinEdit->setValue(2000);
    form.OKBtn->click();
    EXPECT_EQ(settings.Caption, "My unit");
    EXPECT_EQ(form.CaptionEdit->text(), "My unit");
    EXPECT_EQ(settings.TCPPort, 0);
    EXPECT_EQ(settings.ReadTimerInterval, 2000);
    EXPECT_EQ(settings.InterfaceIndex, 1);
    EXPECT_EQ(applied, 1);
}

TEST_F(Dialogs, LockedDialogEditsNothing)
{
    pane0.Add(CItem::Value, 1);
    locked = true;
    form.FormShow();
    EXPECT_FALSE(form.OKBtn->isEnabled());
    for (QPushButton* b : {form.AddBtn, form.RemoveBtn, form.UpBtn, form.DownBtn, form.ClearBtn, form.DefaultDisplayBtn})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    DoubleClickRow(form.TypeListBox, 3);
    form.AddBtn->click();
    EXPECT_EQ(pane0.Count(), 1);
}

TEST_F(Dialogs, DisplayPageEditsThePaneAtOnce)
{
    form.SelectPaneItem(1, 0);
    form.FormShow();
    ClickRow(form.TypeListBox, 2);          // Plot
    ClickRow(form.VarListBox, 2);           // Gamma
    EXPECT_TRUE(form.AddBtn->isEnabled());
    form.AddBtn->click();
    ASSERT_EQ(pane1.Count(), 1);
    EXPECT_EQ(pane1.Item(0)->Text(), "0,2,3");
    EXPECT_EQ(form.SelectionListBox->item(0)->text(), "Plot\tGamma");

    form.PanesTabControl->setCurrentIndex(0);
    ClickRow(form.TypeListBox, 2);
    ClickRow(form.VarListBox, 0);
    EXPECT_FALSE(form.AddBtn->isEnabled()); // plots only on the lower pane

    DoubleClickRow(form.TypeListBox, 3);
    ASSERT_EQ(pane0.Count(), 1);
    EXPECT_TRUE(pane0.Item(0)->IsSeparator());
    EXPECT_EQ(form.SelectionListBox->item(0)->text(), "--------------------------");

    form.ClearBtn->click();
    EXPECT_EQ(pane0.Count(), 0);
    EXPECT_EQ(hooks.Messages.back(), "Do you want to clear Pane 1?");
    EXPECT_FALSE(form.ClearBtn->isEnabled());
    EXPECT_FALSE(form.RemoveBtn->isEnabled());
}

TEST_F(Dialogs, DisplayListsFollowTheCurrentRowMovedByKeys)
{
    form.SelectPaneItem(0, 0);
    form.FormShow();
    auto names = [](QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    };
    ASSERT_EQ(names(form.VarListBox), (QStringList{"R", "X", "Gamma", "Load"}));
    // Down in the type list: "Bar" and its variables, without a click.
    testsupport::PressKeyIn(form.TypeListBox, Qt::Key_Down);
    EXPECT_EQ(form.TypeListBox->currentRow(), 1);
    EXPECT_EQ(names(form.VarListBox), (QStringList{"X", "Gamma", "Load"}));
    // Down in the variable list selects "Gamma"; Add adds exactly that.
    testsupport::PressKeyIn(form.VarListBox, Qt::Key_Down);
    ASSERT_EQ(form.VarListBox->selectedItems().size(), 1);
    EXPECT_EQ(form.VarListBox->selectedItems().front()->text(), "Gamma");
    form.AddBtn->click();
    ASSERT_EQ(pane0.Count(), 1);
    EXPECT_EQ(pane0.Item(0)->Kind, CItem::Bar);
    EXPECT_EQ(pane0.Item(0)->VarId, 3);

    // Up in the type list and add "R" as a value: two lines in the pane.
    testsupport::PressKeyIn(form.TypeListBox, Qt::Key_Up);
    EXPECT_EQ(names(form.VarListBox), (QStringList{"R", "X", "Gamma", "Load"}));
    testsupport::PressKeyIn(form.VarListBox, Qt::Key_Space, " ");
    form.AddBtn->click();
    ASSERT_EQ(pane0.Count(), 2);
    EXPECT_EQ(pane0.Item(1)->VarId, 1);

    // Moving through the pane's lines with the keys shows each line's type and variable.
    form.SelectionListBox->setCurrentRow(1);
    testsupport::PressKeyIn(form.SelectionListBox, Qt::Key_Up);
    EXPECT_EQ(form.SelectionListBox->currentRow(), 0);
    EXPECT_EQ(form.TypeListBox->currentRow(), CItem::Bar);
    ASSERT_EQ(form.VarListBox->selectedItems().size(), 1);
    EXPECT_EQ(form.VarListBox->selectedItems().front()->text(), "Gamma");
    testsupport::PressKeyIn(form.SelectionListBox, Qt::Key_Down);
    EXPECT_EQ(form.TypeListBox->currentRow(), CItem::Value);
    ASSERT_EQ(form.VarListBox->selectedItems().size(), 1);
    EXPECT_EQ(form.VarListBox->selectedItems().front()->text(), "R");
}

TEST_F(Dialogs, DisplaySettingsDialog)
{
    edit.VarIds() = {1, 2, 3};
    edit.CurrentVarId() = 13; // not offered: the first is chosen
    edit.FormShow();
    EXPECT_EQ(edit.VarComboBox->currentText(), "R");
    EXPECT_EQ(edit.CurrentVarId(), 1);
    EXPECT_FALSE(edit.ApplyBtn->isEnabled());
    EXPECT_EQ(edit.MaxEdit->text(), "100");

    edit.MinEdit->setText("abc");
    edit.MaxEdit->setText("2.5");
    edit.PlotSizeSpinEdit->setValue(120);
    edit.TracesRFOnCheckBox->setChecked(true);
    EXPECT_TRUE(edit.ApplyBtn->isEnabled());
    edit.ApplyBtn->click();
    EXPECT_EQ(source.Vars[1].Min, 0);
    EXPECT_EQ(source.Vars[1].Max, 2.5);
    EXPECT_EQ(style.PlotSize, 120);
    EXPECT_TRUE(traces);
    EXPECT_FALSE(edit.ApplyBtn->isEnabled());

    testsupport::PressKeyIn(edit.VarComboBox, Qt::Key_Down); // "X"
    EXPECT_EQ(edit.MinEdit->text(), "-50");

    locked = true;
    edit.FormShow();
    edit.MinEdit->setText("7");
    EXPECT_FALSE(edit.ApplyBtn->isEnabled());
    EXPECT_FALSE(edit.OkBtn->isEnabled());
}

TEST_F(Dialogs, HardFaultWindowBlinksBeepsAndInitsMemory)
{
    THardFaultForm hard;
    int result = 5;
    int calls = 0;
    hard.InitMemory = [&] {
        ++calls;
        return result;
    };
    SHardFault fault;
    ASSERT_TRUE(CFaults::FindHardFault(uint64_t(1) << 62, fault));
    hard.ShowFault(fault);
    EXPECT_TRUE(hard.isVisible());
    EXPECT_TRUE(hard.HardFaultTimer->isActive());
    EXPECT_EQ(hard.HardFaultTimer->interval(), 500);
    EXPECT_FALSE(hard.InitMemBtn->isHidden());
    hard.HardFaultTimerTimer();
    EXPECT_TRUE(hard.Highlighted());
    hard.HardFaultTimerTimer();
    EXPECT_FALSE(hard.Highlighted());
    EXPECT_EQ(hooks.Beeps, 2);

    hard.InitMemBtn->click(); // fails: stays open, no longer blinking
    EXPECT_TRUE(hard.isVisible());
    EXPECT_FALSE(hard.HardFaultTimer->isActive());
    result = 0;
    hard.InitMemBtn->click();
    EXPECT_FALSE(hard.isVisible());
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(hooks.Messages.back(), "Cycle Vantrel power and press Ok");
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(SettingsSection, HeaderOnlyInSettingsFilesAndTheReadTimerClamped)
{
    CSettings settings;
    settings.Caption = "Bench 4";
    platform::IniFile ini;
    {
        CRegistry store("", false, &ini);
        settings.Exchange(store, true);
    }
    EXPECT_EQ(ini.ReadString("Settings", "Header", "-"), "Bench 4");
    {
        CRegistry store("Software\\Quorvane\\Vantrel Orrery", false);
        settings.Exchange(store, false);
    }
    std::string registry = ReadAll(std::getenv("ORRERY_SETTINGS_FILE"));
    EXPECT_NE(registry.find("MaxReadErrors"), std::string::npos);
    EXPECT_EQ(registry.find("Header"), std::string::npos);

    for (auto [stored, loaded] : {std::pair{0, 100}, {50000, 10000}, {-5, 100}, {2500, 2500}}) {
        platform::IniFile file;
        file.WriteInteger("Settings", "ReadTimer", stored);
        CRegistry store("", true, &file);
        CSettings loadedSettings;
        loadedSettings.Exchange(store, true);
        EXPECT_EQ(loadedSettings.ReadTimerInterval, loaded) << stored;
    }
}

} // namespace
