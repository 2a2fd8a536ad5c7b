#include "panel/Readingspanes.h"

#include "device/Unitstate.h"
#include "device/Var.h"

CReadingsPanes::CReadingsPanes(CVars& vars, const CData& data, const CUnitState& unit,
                               const CItemStyle& style, CPlotView& view)
    : unit_(unit), source_(vars, data, &unit)
{
    const CPaneContext context{&source_, &style, &view};
    for (auto& list : lists_)
        list = std::make_unique<CPaneList>(context);
}

CPaneList* CReadingsPanes::Get(int pane) const
{
    return pane >= 0 && pane < PaneCount ? lists_[pane].get() : nullptr;
}

void CReadingsPanes::SetDefault()
{
    lists_[0]->Clear();
    if (IPaneHost* host = lists_[0]->Host())
        host->SetPaneWidth(DefaultPaneWidth);
    lists_[1]->Clear();
    for (const CLayoutEntry& e : CVars::DefaultLayout(unit_.Type()))
        if (CPaneList* list = Get(e.pane))
            list->Add(e.kind, e.var);
}

void CReadingsPanes::RefreshAllItems(bool force)
{
    lists_[0]->RefreshAll(force);
    if (lists_[1]->RefreshAll(force))
        lists_[1]->RefreshAll(force);
}

void CReadingsPanes::RefreshPlots(bool force)
{
    lists_[0]->RefreshPlots(force);
    if (lists_[1]->RefreshPlots(force))
        lists_[1]->RefreshPlots(force);
}

void CReadingsPanes::ApplyValues()
{
    for (auto& list : lists_)
        list->ApplyValues();
}

bool CReadingsPanes::ApplyPlots()
{
    lists_[0]->ApplyPlots();
    if (!lists_[1]->ApplyPlots())
        return false;
    lists_[1]->RefreshPlots(false);
    return true;
}

void CReadingsPanes::Validate()
{
    for (auto& list : lists_)
        list->Validate();
    RefreshAllItems(true);
}

void CReadingsPanes::Remeasure()
{
    for (auto& list : lists_)
        list->Remeasure();
}

void CReadingsPanes::Exchange(CRegistry& store, int pane)
{
    if (CPaneList* list = Get(pane))
        list->Exchange(store, Section(pane));
}

std::string CReadingsPanes::Section(int pane)
{
    return "Pane" + std::to_string(pane);
}
