// A ".orrery" settings file of any text: loaded through the controller's exchange and the
// sections the main window owns (main settings, variables, both panes), then saved again.
#include "common/Registry.h"
#include "device/Var.h"
#include "fuzz/Fuzzcheck.h"
#include "panel/Mainsettings.h"
#include "panel/Orrery.h"
#include "panel/Panelist.h"
#include "panel/Plotview.h"
#include "panel/Scripted.h"
#include "platform/Inifile.h"
#include "support/Fakepanesource.h"

#include <cstdint>
#include <string_view>

namespace {

void ExchangeOwnSections(CRegistry& store, CMainSettings& main, CVars& vars, CPaneList& pane0, CPaneList& pane1)
{
    CMainSettings::Parts parts;
    parts.Vars = [&](CRegistry& r) { vars.Exchange(r); };
    parts.Pane0 = [&](CRegistry& r) { pane0.Exchange(r, "Pane0"); };
    parts.Pane1 = [&](CRegistry& r) { pane1.Exchange(r, "Pane1"); };
    main.Exchange(store, parts, 1920, 1080);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    ScriptedHooks hooks;
    platform::IniFile ini;
    ini.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    ScriptedView view;
    COrrery controller(view);
    CFakePaneSource source;
    CItemStyle style;
    CPlotView plot;
    CPaneContext ctx { &source, &style, &plot };
    CMainSettings main;
    CVars vars;
    CPaneList pane0(ctx), pane1(ctx);
    if (controller.ExchangeSettings(true, &ini)) {
        CRegistry load("", true, &ini);
        ExchangeOwnSections(load, main, vars, pane0, pane1);
    }
    FUZZ_CHECK(pane0.Count() <= CPaneList::MaxItems && pane1.Count() <= CPaneList::MaxItems);
    platform::IniFile saved;
    controller.ExchangeSettings(false, &saved);
    CRegistry save("", false, &saved);
    ExchangeOwnSections(save, main, vars, pane0, pane1);
    // What was saved loads again.
    platform::IniFile again;
    again.LoadFromText(saved.ToText());
    FUZZ_CHECK(again.ToText() == saved.ToText());
    return 0;
}
