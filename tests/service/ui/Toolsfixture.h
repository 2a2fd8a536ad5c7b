#pragma once
// The main window as the program starts it, with the windows a test hands it, for the tests of
// the tuning model and auto-test windows.

#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "platform/Settingsfile.h"

#include <QCoreApplication>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace toolstest {

// A main window on the given store, the settings store cleared first.
inline std::unique_ptr<TMainForm> NewMainForm(CData& data, const std::string& dir)
{
    std::remove(platform::SettingsFile::PathForKey("Software\\Quorvane\\Vantrel Orrery").c_str());
    auto form = std::make_unique<TMainForm>();
    form->SetData(&data);
    form->SetCommandLine({}, dir);
    form->Controller()->SetVersionText("D.00");
    return form;
}

// The service side on the main window, as the program makes it.
inline std::unique_ptr<TMainServiceSide> NewServiceSide(TMainForm& form)
{
    return std::make_unique<TMainServiceSide>(form);
}

// Hands the windows over (the service side's first, as the program does), shows the main window
// and runs its start-up; true when it finished.
inline bool Start(TMainForm& form, TMainServiceSide& side, const TMainForm::Forms& forms,
                  const TMainServiceSide::Forms& serviceForms)
{
    side.SetForms(serviceForms);
    form.SetForms(forms);
    form.show();
    QCoreApplication::processEvents();
    return form.Controller()->StartupDone();
}

} // namespace toolstest
