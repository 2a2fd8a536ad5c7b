#include "panel/ui/Settingsform.h"

#include "common/Commatext.h"
#include "common/Helpers.h"
#include "panel/Panelist.h"
#include "panel/Panesource.h"
#include "panel/Settings.h"
#include "panel/Settingsrules.h"
#include "panel/ui/Editdisplay.h"
#include "platform/Color.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

using R = CSettingsRules;

QStringList Split(const std::string& commaText)
{
    QStringList list;
    for (const std::string& s : CommaTextToList(commaText))
        list << QString::fromStdString(s);
    return list;
}

} // namespace

TSettingsForm::TSettingsForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("SettingsForm");
    setWindowTitle("Settings");
    PageControl = NewNamed<QTabWidget>(this, "PageControl");
    PageControl->addTab(CreateGeneralPage(), "General");
    PageControl->addTab(CreateConnectionPage(), "Connection");
    PageControl->addTab(CreateDisplayPage(), "Display");

    OKBtn = NewNamedButton(this, "OKBtn", "OK");
    OKBtn->setDefault(true);
    CancelBtn = NewNamedButton(this, "CancelBtn", "Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);
    setFixedSize(560, 420);
    ConnectHandlers();
}

QWidget* TSettingsForm::CreateGeneralPage()
{
    auto* general = NewNamed<QWidget>(nullptr, "GeneralPage");
    auto* timerGroup = new QGroupBox("Read timer", general);
    ReadTimerSpinEdit = NewNamedSpin(timerGroup, "ReadTimerSpinEdit", R::MinReadTimer, R::MaxReadTimer, R::ReadTimerStep);
    UseMaxReadErrorsCheckBox = NewNamed<QCheckBox>(timerGroup, "UseMaxReadErrorsCheckBox", "&Stop after");
    MaxReadErrorsSpinEdit = NewNamedSpin(timerGroup, "MaxReadErrorsSpinEdit", R::MinMaxReadErrors, R::MaxMaxReadErrors);
    MaxReadErrorsSpinEdit->setAutoFillBackground(true);
    auto* timerForm = new QGridLayout(timerGroup);
    auto* intervalLabel = new QLabel("&Update interval (ms)", timerGroup);
    intervalLabel->setBuddy(ReadTimerSpinEdit);
    auto* errorsLabel = new QLabel("communication &errors", timerGroup);
    errorsLabel->setBuddy(MaxReadErrorsSpinEdit);
    timerForm->addWidget(intervalLabel, 0, 0);
    timerForm->addWidget(ReadTimerSpinEdit, 0, 1);
    timerForm->addWidget(UseMaxReadErrorsCheckBox, 1, 0);
    timerForm->addWidget(MaxReadErrorsSpinEdit, 1, 1);
    timerForm->addWidget(errorsLabel, 1, 2);
    CaptionEdit = NewNamed<QLineEdit>(general, "CaptionEdit");
    ConnectAtStartupCheckBox = NewNamed<QCheckBox>(general, "ConnectAtStartupCheckBox", "Connect at startup");
    ConnectAtStartupCheckBox->setVisible(false);
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(timerGroup);
    auto* captionRow = new QFormLayout;
    captionRow->addRow("Orrery &caption", CaptionEdit);
    generalLayout->addLayout(captionRow);
    generalLayout->addWidget(ConnectAtStartupCheckBox);
    generalLayout->addStretch();
    return general;
}

QWidget* TSettingsForm::CreateConnectionPage()
{
    auto* connection = NewNamed<QWidget>(nullptr, "ConnectionPage");
    connectionPage_ = connection;
    auto* comGroup = new QGroupBox("Com port", connection);
    BaudComboBox = NewNamed<QComboBox>(comGroup, "BaudComboBox");
    BaudComboBox->setEditable(true);
    BaudComboBox->addItems({"19200", "9600", "4800", "1200"});
    AddrSpinEdit = NewNamedSpin(comGroup, "AddrSpinEdit", R::MinAddr, R::MaxAddr);
    TimeoutSpinEdit = NewNamedSpin(comGroup, "TimeoutSpinEdit", R::MinTimeout, R::MaxTimeout, 100);
    InterfaceComboBox = NewNamed<QComboBox>(comGroup, "InterfaceComboBox");
    InterfaceComboBox->addItems({"RS232", "RS485"});
    InterfaceComboBox->setCurrentIndex(0);
    AutoFindingCheckBox = NewNamed<QCheckBox>(comGroup, "AutoFindingCheckBox", "&Enable auto find");
    auto* comForm = new QFormLayout(comGroup);
    comForm->addRow("&Baud rate", BaudComboBox);
    comForm->addRow("Ostra Bus &address", AddrSpinEdit);
    comForm->addRow("Orrery &timeout (ms)", TimeoutSpinEdit);
    comForm->addRow("&Interface", InterfaceComboBox);
    comForm->addRow(AutoFindingCheckBox);
    auto* netGroup = new QGroupBox("Network", connection);
    TCPPortEdit = NewNamed<QLineEdit>(netGroup, "TCPPortEdit", "502");
    UnitNumberSpinEdit = NewNamedSpin(netGroup, "UnitNumberSpinEdit", 0, R::MaxUnitNumber);
    ProtocolComboBox = NewNamed<QComboBox>(netGroup, "ProtocolComboBox");
    ProtocolComboBox->addItem("Modbus");
    ProtocolComboBox->setVisible(false);
    TransportComboBox = NewNamed<QComboBox>(netGroup, "TransportComboBox");
    TransportComboBox->addItems({"TCP", "UDP"});
    TransportComboBox->setVisible(false);
    auto* netForm = new QFormLayout(netGroup);
    netForm->addRow("&Port", TCPPortEdit);
    netForm->addRow("&Unit ID", UnitNumberSpinEdit);
    auto* connectionLayout = new QVBoxLayout(connection);
    connectionLayout->addWidget(comGroup);
    connectionLayout->addWidget(netGroup);
    connectionLayout->addStretch();
    return connection;
}

QWidget* TSettingsForm::CreateDisplayPage()
{
    auto* display = NewNamed<QWidget>(nullptr, "DisplayPage");
    TypeListBox = NewNamed<QListWidget>(display, "TypeListBox");
    for (const std::string& caption : CDisplayList::TypeCaptions())
        TypeListBox->addItem(QString::fromStdString(caption));
    VarListBox = NewNamed<QListWidget>(display, "VarListBox");
    VarListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PanesTabControl = NewNamed<QTabBar>(display, "PanesTabControl");
    PanesTabControl->addTab("Pane 1");
    PanesTabControl->addTab("Pane 2");
    SelectionListBox = NewNamed<QListWidget>(display, "SelectionListBox");
    SelectionListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    AddBtn = NewNamedButton(display, "AddBtn", "Add ->");
    RemoveBtn = NewNamedButton(display, "RemoveBtn", "<- Remove");
    UpBtn = NewNamedButton(display, "UpBtn", "Move Up");
    DownBtn = NewNamedButton(display, "DownBtn", "Move Down");
    ClearBtn = NewNamedButton(display, "ClearBtn", "Clear");
    EditDisplayBtn = NewNamedButton(display, "EditDisplayBtn", "Edit...");
    DefaultDisplayBtn = NewNamedButton(display, "DefaultDisplayBtn", "Set default");
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Type", display));
    left->addWidget(TypeListBox);
    left->addWidget(new QLabel("Variable", display));
    left->addWidget(VarListBox, 1);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    for (QPushButton* b : {AddBtn, RemoveBtn, UpBtn, DownBtn, ClearBtn, EditDisplayBtn, DefaultDisplayBtn})
        middle->addWidget(b);
    middle->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(PanesTabControl);
    right->addWidget(SelectionListBox, 1);
    auto* displayLayout = new QHBoxLayout(display);
    displayLayout->addLayout(left);
    displayLayout->addLayout(middle);
    displayLayout->addLayout(right, 1);
    return display;
}

void TSettingsForm::ConnectHandlers()
{
    connect(OKBtn, &QPushButton::clicked, this, &TSettingsForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(UseMaxReadErrorsCheckBox, &QCheckBox::clicked, this, &TSettingsForm::UseMaxReadErrorsCheckBoxClick);
    connect(InterfaceComboBox, &QComboBox::activated, this, &TSettingsForm::InterfaceComboBoxChange);
    // The lists follow the current row, whether a click or a key moved it.
    connect(TypeListBox, &QListWidget::currentRowChanged, this, &TSettingsForm::FillVarListBox);
    connect(TypeListBox, &QListWidget::itemDoubleClicked, this, &TSettingsForm::TypeListBoxDblClick);
    connect(VarListBox, &QListWidget::itemSelectionChanged, this, &TSettingsForm::VarListBoxClick);
    connect(VarListBox, &QListWidget::itemDoubleClicked, this, &TSettingsForm::AddBtnClick);
    connect(AddBtn, &QPushButton::clicked, this, &TSettingsForm::AddBtnClick);
    connect(RemoveBtn, &QPushButton::clicked, this, &TSettingsForm::RemoveBtnClick);
    connect(UpBtn, &QPushButton::clicked, this, &TSettingsForm::UpBtnClick);
    connect(DownBtn, &QPushButton::clicked, this, &TSettingsForm::DownBtnClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TSettingsForm::ClearBtnClick);
    connect(EditDisplayBtn, &QPushButton::clicked, this, &TSettingsForm::EditDisplayBtnClick);
    connect(DefaultDisplayBtn, &QPushButton::clicked, this, &TSettingsForm::DefaultDisplayBtnClick);
    connect(PanesTabControl, &QTabBar::currentChanged, this, &TSettingsForm::PanesTabControlChange);
    connect(SelectionListBox, &QListWidget::itemClicked, this, &TSettingsForm::SelectionListBoxClick);
    connect(SelectionListBox, &QListWidget::currentRowChanged, this, [this] {
        if (!syncing_)
            SelectionListBoxClick();
    });
    connect(SelectionListBox, &QListWidget::itemSelectionChanged, this, [this] {
        SyncSelectionFromList();
        UpdateButtons();
    });
}

void TSettingsForm::Bind(const SLinks& links)
{
    links_ = links;
    display_ = CDisplayList(links.Source);
}

bool TSettingsForm::Locked() const
{
    return links_.Locked && links_.Locked();
}

int TSettingsForm::Kind() const
{
    return std::max(0, TypeListBox->currentRow());
}

CPaneList* TSettingsForm::CurrentPane() const
{
    return links_.GetPaneList ? links_.GetPaneList(PanesTabControl->currentIndex()) : nullptr;
}

void TSettingsForm::SelectPaneItem(int pane, int item)
{
    if (pane >= 0)
        PanesTabControl->setCurrentIndex(pane);
    if (links_.Settings)
        links_.Settings->CurrentItem = item;
    PageControl->setCurrentIndex(2);
}

void TSettingsForm::SelectConnectionPage() { PageControl->setCurrentWidget(connectionPage_); }

void TSettingsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this); // not on the main window, as a dialog with a parent would be
    FormShow();
}

void TSettingsForm::SetBaudItems(int interfaceIndex)
{
    QString typed = BaudComboBox->currentText();
    BaudComboBox->clear();
    if (links_.Settings)
        BaudComboBox->addItems(Split(links_.Settings->BaudLists[interfaceIndex == 1 ? 1 : 0]));
    BaudComboBox->setEditText(typed);
}

void TSettingsForm::FormShow()
{
    if (CSettings* s = links_.Settings) {
        ReadTimerSpinEdit->setValue(R::ClampReadTimer(s->ReadTimerInterval));
        MaxReadErrorsSpinEdit->setValue(s->MaxReadErrors);
        UseMaxReadErrorsCheckBox->setChecked(s->UseMaxReadErrors);
        UseMaxReadErrorsCheckBoxClick();
        CaptionEdit->setText(QString::fromStdString(s->Caption));
        ConnectAtStartupCheckBox->setChecked(s->ConnectAtStartup);
        AutoFindingCheckBox->setChecked(s->AutoFinding);
        InterfaceComboBox->setCurrentIndex(s->InterfaceIndex >= 0 && s->InterfaceIndex <= 1 ? s->InterfaceIndex : -1);
        BaudComboBox->setEditText(QString::fromStdString(s->BaudRate));
        SetBaudItems(s->InterfaceIndex);
        BaudComboBox->setEditText(QString::fromStdString(s->BaudRate));
        TimeoutSpinEdit->setValue(s->Timeout);
        AddrSpinEdit->setValue(s->Addr);
        TCPPortEdit->setText(QString::number(s->TCPPort));
        UnitNumberSpinEdit->setValue(s->UnitNumber);
        TransportComboBox->setCurrentIndex(s->Transport == 1 ? 1 : 0);
    }
    OKBtn->setEnabled(!Locked());
    setWindowTitle(QString::fromStdString(R::Caption(links_.SettingsFileName ? links_.SettingsFileName() : "")));

    TypeListBox->setCurrentRow(0);
    FillVarListBox();
    ShowPane(links_.Settings ? links_.Settings->CurrentItem : 0);
    UpdateButtons();
}

void TSettingsForm::OKBtnClick()
{
    if (CSettings* s = links_.Settings) {
        s->ReadTimerInterval = ReadTimerSpinEdit->value();
        s->MaxReadErrors = MaxReadErrorsSpinEdit->value();
        s->UseMaxReadErrors = UseMaxReadErrorsCheckBox->isChecked();
        std::string caption = R::TrimCaption(CaptionEdit->text().toStdString());
        CaptionEdit->setText(QString::fromStdString(caption));
        s->Caption = caption;
        s->ConnectAtStartup = ConnectAtStartupCheckBox->isChecked();
        s->AutoFinding = AutoFindingCheckBox->isChecked();
        s->BaudRate = BaudComboBox->currentText().toStdString();
        s->Addr = AddrSpinEdit->value();
        s->Timeout = TimeoutSpinEdit->value();
        s->TCPPort = TextToInt(TCPPortEdit->text().toStdString());
        s->UnitNumber = UnitNumberSpinEdit->value();
        if (InterfaceComboBox->currentIndex() >= 0)
            s->InterfaceIndex = InterfaceComboBox->currentIndex();
    }
    if (links_.Applied)
        links_.Applied();
    accept();
}

void TSettingsForm::UseMaxReadErrorsCheckBoxClick()
{
    bool on = UseMaxReadErrorsCheckBox->isChecked();
    MaxReadErrorsSpinEdit->setEnabled(on);
    QPalette p = MaxReadErrorsSpinEdit->palette();
    p.setColor(QPalette::Base, ColorToQColor(on ? clWindow : clBtnFace));
    MaxReadErrorsSpinEdit->setPalette(p);
}

void TSettingsForm::InterfaceComboBoxChange()
{
    SetBaudItems(InterfaceComboBox->currentIndex());
}

void TSettingsForm::FillVarListBox()
{
    VarListBox->clear();
    for (int id : display_.SelectableIds(Kind()))
        VarListBox->addItem(QString::fromStdString(links_.Source ? links_.Source->Var(id).ShortName : ""));
    if (VarListBox->count() > 0)
        VarListBox->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    UpdateButtons();
}

std::vector<int> TSettingsForm::SelectedVarIds() const
{
    std::vector<int> ids = display_.SelectableIds(Kind());
    std::vector<int> selected;
    for (int row = 0; row < VarListBox->count() && row < int(ids.size()); ++row)
        if (VarListBox->item(row)->isSelected())
            selected.push_back(ids[size_t(row)]);
    return selected;
}

void TSettingsForm::SyncSelectionToList()
{
    syncing_ = true;
    SelectionListBox->clear();
    for (int i = 0; i < display_.LineCount(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(display_.LineText(i)), SelectionListBox);
        item->setSelected(display_.Selected(i));
    }
    syncing_ = false;
}

void TSettingsForm::SyncSelectionFromList()
{
    if (syncing_)
        return;
    for (int i = 0; i < SelectionListBox->count(); ++i)
        display_.SetSelected(i, SelectionListBox->item(i)->isSelected());
}

void TSettingsForm::ShowPane(int itemIndex)
{
    display_.SetPane(CurrentPane());
    int shown = display_.ShowPane(itemIndex);
    SyncSelectionToList();
    if (shown >= 0) {
        SelectionListBox->setCurrentRow(shown, QItemSelectionModel::NoUpdate);
        SelectionListBox->scrollToItem(SelectionListBox->item(shown));
    }
    ShowItem(shown);
}

void TSettingsForm::ShowItem(int i)
{
    CPaneList* pane = CurrentPane();
    const CItem* item = pane ? pane->Item(i) : nullptr;
    if (!item)
        return;
    TypeListBox->setCurrentRow(std::clamp(item->Kind, 0, CDisplayList::SeparatorKind));
    FillVarListBox();
    std::vector<int> ids = display_.SelectableIds(Kind());
    for (int row = 0; row < int(ids.size()) && row < VarListBox->count(); ++row)
        VarListBox->item(row)->setSelected(ids[size_t(row)] == item->VarId);
}

void TSettingsForm::TypeListBoxDblClick()
{
    if (!Locked() && Kind() == CDisplayList::SeparatorKind)
        AddBtnClick();
}

void TSettingsForm::VarListBoxClick()
{
    UpdateButtons();
}

void TSettingsForm::AddBtnClick()
{
    bool anyVar = !VarListBox->selectedItems().isEmpty();
    if (!display_.Buttons(Locked(), Kind(), PanesTabControl->currentIndex(), anyVar).Add)
        return;
    display_.Add(Kind(), SelectedVarIds());
    SyncSelectionToList();
    UpdateButtons();
}

void TSettingsForm::RemoveBtnClick()
{
    display_.Remove();
    SyncSelectionToList();
    UpdateButtons();
}

void TSettingsForm::UpBtnClick()
{
    display_.MoveUp();
    SyncSelectionToList();
    UpdateButtons();
}

void TSettingsForm::DownBtnClick()
{
    display_.MoveDown();
    SyncSelectionToList();
    UpdateButtons();
}

void TSettingsForm::ClearBtnClick()
{
    if (!AskYesNo("Clear", R::ClearQuestion(PanesTabControl->currentIndex())))
        return;
    display_.ClearPane();
    SyncSelectionToList();
    UpdateButtons();
}

void TSettingsForm::EditDisplayBtnClick()
{
    if (!links_.EditDisplay)
        return;
    std::vector<int> selected = SelectedVarIds();
    links_.EditDisplay->VarIds() = display_.AllDisplayIds();
    links_.EditDisplay->CurrentVarId() = selected.empty() ? -1 : selected.front();
    links_.EditDisplay->exec();
    links_.EditDisplay->VarIds().clear();
}

void TSettingsForm::DefaultDisplayBtnClick()
{
    if (!AskYesNo("SetDefault", "Set default display settings?"))
        return;
    if (links_.SetDefaultDisplay)
        links_.SetDefaultDisplay();
    for (int i = 0; i < 2; ++i)
        if (CPaneList* pane = links_.GetPaneList ? links_.GetPaneList(i) : nullptr)
            pane->Remeasure();
    ShowPane(links_.Settings ? links_.Settings->CurrentItem : 0);
    UpdateButtons();
}

void TSettingsForm::PanesTabControlChange()
{
    ShowPane(0);
    UpdateButtons();
}

void TSettingsForm::SelectionListBoxClick()
{
    VarListBox->clearSelection();
    SyncSelectionFromList();
    ShowItem(SelectionListBox->currentRow());
    UpdateButtons();
}

void TSettingsForm::UpdateButtons()
{
    bool anyVar = !VarListBox->selectedItems().isEmpty();
    SDisplayButtons b = display_.Buttons(Locked(), Kind(), PanesTabControl->currentIndex(), anyVar);
    AddBtn->setEnabled(b.Add);
    RemoveBtn->setEnabled(b.Remove);
    UpBtn->setEnabled(b.Up);
    DownBtn->setEnabled(b.Down);
    ClearBtn->setEnabled(b.Clear);
    DefaultDisplayBtn->setEnabled(b.Default);
}
