// The service side's Config page: the unit's configuration saved to a ".cal" file and restored
// from one.

#include "service/ui/Mainserviceside.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "device/Device.h"
#include "panel/Orrery.h"
#include "panel/ui/Status.h"
#include "platform/Inifile.h"
#include "service/Configbackup.h"
#include "service/ui/Configpage.h"
#include "service/ui/Fileask.h"

#include <QCheckBox>
#include <QPushButton>
#include <filesystem>

namespace {

SFileQuery CalQuery(bool save)
{
    SFileQuery q;
    q.Title = save ? calfile::SaveTitle : calfile::OpenTitle;
    q.Filter = calfile::Filter;
    q.Extension = calfile::Extension;
    q.Save = save;
    return q;
}

} // namespace

TRestoreFromFileForm& TMainServiceSide::RestoreForm()
{
    if (!restoreForm_)
        restoreForm_ = new TRestoreFromFileForm(host_.Window());
    return *restoreForm_;
}

void TMainServiceSide::SaveToFileBtnClick()
{
    ClearStatus();
    std::string name;
    if (!AskFile(CalQuery(true), name))
        return;
    // Built in memory; the file is replaced only when every read succeeded.
    platform::IniFile ini;
    int r;
    {
        CRegistry store("", false, &ini);
        r = CConfigBackup(*device_).WriteConfiguration(store, controller_->ProductId());
    }
    if (r != 0) {
        ShowWarning(calfile::SaveCaption, calfile::NotSavedText);
        return;
    }
    if (!ini.SaveAs(name)) {
        ShowWarning(calfile::SaveCaption, "The configuration was not saved:\n" + ini.LastError());
        return;
    }
    ShowMessageBox(calfile::SaveCaption, calfile::CompletedOk);
    Status->CommandAccepted();
}

void TMainServiceSide::RestoreFromFileBtnClick()
{
    ClearStatus();
    TRestoreFromFileForm& form = RestoreForm();
    form.CalCheckBox->setChecked(false);
    form.CfgCheckBox->setChecked(true);
    if (form.exec() != QDialog::Accepted)
        return;
    const bool factory = form.CalCheckBox->isChecked();
    const bool user = form.CfgCheckBox->isChecked();
    if (!factory && !user)
        return;
    if (factory && !controller_->AskPassword(calfile::RestoreCaption, calfile::PasswordPrompt,
                                             calfile::AccessCode))
        return;
    std::string name;
    if (!AskFile(CalQuery(false), name))
        return;
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) { // a pipe, folder or device: the reader says what it is
        ShowWarning(calfile::ConfigCaption, "File  " + name + "  does not exist");
        return;
    }
    platform::IniFile ini;
    if (!ini.Load(name)) {
        ShowWarning(calfile::ConfigCaption, ini.LastError());
        return;
    }
    CConfigBackup::Moves moves;
    moves.MoveCapacitors = [this](double load, double tune) { return host_.MoveCapacitors(load, tune); };
    moves.Move3rdCap = [this](double p) { return host_.Move3rdCap(p); };
    moves.MotorsStillMoving = [this] { return host_.MotorsStillMoving(); };
    CConfigBackup backup(*device_);
    const int r = backup.ReadConfiguration(ini, factory, user, moves);
    host_.ReadAllPages();
    host_.RefreshUnitView();
    // A restore that stopped, that the unit took only in part or whose moves were not
    // confirmed is no accepted command: the status line keeps what its closing box said.
    if (r == 0 && backup.Outcome() == calfile::CompletedOk)
        Status->CommandAccepted();
    else if (!backup.Outcome().empty())
        Status->ShowMessage(backup.Outcome().substr(0, backup.Outcome().find('\n')));
}
