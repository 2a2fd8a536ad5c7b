#include "panel/Displaylist.h"

#include "panel/Panelist.h"
#include "panel/Panesource.h"

#include <algorithm>
#include <utility>

CDisplayList::CDisplayList(const IPaneSource* source) : source_(source) {}

const std::vector<std::string>& CDisplayList::TypeCaptions()
{
    static const std::vector<std::string> captions = {"Value", "Bar", "Plot", "--Separator--------"};
    return captions;
}

std::string CDisplayList::SeparatorLine()
{
    return std::string(26, '-');
}

std::vector<int> CDisplayList::SelectableIds(int kind) const
{
    std::vector<int> ids;
    if (!source_)
        return ids;
    for (int i = 0;; ++i) {
        int id = source_->Selectable(kind, i);
        if (id < 0)
            break;
        ids.push_back(id);
    }
    return ids;
}

std::vector<int> CDisplayList::AllDisplayIds() const
{
    std::vector<int> all;
    for (int kind = 0; kind <= PlotKind; ++kind)
        for (int id : SelectableIds(kind))
            if (std::find(all.begin(), all.end(), id) == all.end())
                all.push_back(id);
    return all;
}

std::string CDisplayList::TextOf(int itemIndex) const
{
    const CItem* item = pane_ ? pane_->Item(itemIndex) : nullptr;
    if (!item)
        return "";
    if (item->IsSeparator())
        return SeparatorLine();
    std::string type = (item->Kind >= 0 && item->Kind < int(TypeCaptions().size())) ? TypeCaptions()[size_t(item->Kind)]
                                                                                     : "";
    std::string name = source_ ? source_->Var(item->VarId).ShortName : "";
    return type + "\t" + name;
}

int CDisplayList::ShowPane(int itemIndex)
{
    lines_.clear();
    if (pane_)
        for (int i = 0; i < pane_->Count(); ++i)
            lines_.push_back({TextOf(i), false});
    if (itemIndex >= LineCount())
        itemIndex = -1;
    if (itemIndex >= 0) {
        lines_[size_t(itemIndex)].Selected = true;
        return itemIndex;
    }
    if (!lines_.empty()) {
        lines_[0].Selected = true;
        return 0;
    }
    return -1;
}

std::string CDisplayList::LineText(int i) const
{
    return (i >= 0 && i < LineCount()) ? lines_[size_t(i)].Text : "";
}

bool CDisplayList::Selected(int i) const
{
    return i >= 0 && i < LineCount() && lines_[size_t(i)].Selected;
}

void CDisplayList::SetSelected(int i, bool selected)
{
    if (i >= 0 && i < LineCount())
        lines_[size_t(i)].Selected = selected;
}

void CDisplayList::DeselectAll()
{
    for (SLine& l : lines_)
        l.Selected = false;
}

bool CDisplayList::AnySelected() const
{
    return std::any_of(lines_.begin(), lines_.end(), [](const SLine& l) { return l.Selected; });
}

void CDisplayList::Add(int kind, const std::vector<int>& ids)
{
    if (!pane_)
        return;
    DeselectAll();
    auto append = [&](int k, int id) {
        pane_->Add(k, id);
        lines_.push_back({TextOf(pane_->Count() - 1), true});
    };
    if (kind == SeparatorKind) {
        append(SeparatorKind, -1);
        return;
    }
    for (int id : ids)
        if (id >= 0)
            append(kind, id);
}

void CDisplayList::Remove()
{
    if (!pane_)
        return;
    for (int i = 0; i < LineCount();) {
        if (lines_[size_t(i)].Selected) {
            pane_->Delete(i);
            lines_.erase(lines_.begin() + i);
        } else {
            ++i;
        }
    }
}

void CDisplayList::Exchange(int i, int j)
{
    pane_->Swap(i, j);
    std::swap(lines_[size_t(i)], lines_[size_t(j)]);
}

void CDisplayList::MoveUp()
{
    if (!pane_)
        return;
    for (int i = 0; i + 1 < LineCount(); ++i)
        if (!lines_[size_t(i)].Selected && lines_[size_t(i + 1)].Selected)
            Exchange(i, i + 1);
}

void CDisplayList::MoveDown()
{
    if (!pane_)
        return;
    for (int i = LineCount() - 1; i >= 1; --i)
        if (!lines_[size_t(i)].Selected && lines_[size_t(i - 1)].Selected)
            Exchange(i, i - 1);
}

void CDisplayList::ClearPane()
{
    if (!pane_)
        return;
    pane_->Clear();
    lines_.clear();
}

bool CDisplayList::CanMoveUp() const
{
    for (int i = 1; i < LineCount(); ++i)
        if (lines_[size_t(i)].Selected && !lines_[size_t(i - 1)].Selected)
            return true;
    return false;
}

bool CDisplayList::CanMoveDown() const
{
    for (int i = 0; i + 1 < LineCount(); ++i)
        if (lines_[size_t(i)].Selected && !lines_[size_t(i + 1)].Selected)
            return true;
    return false;
}

SDisplayButtons CDisplayList::Buttons(bool locked, int kind, int paneTab, bool anyVariableSelected) const
{
    SDisplayButtons b;
    if (locked)
        return b;
    if (kind == SeparatorKind)
        b.Add = true;
    else if (kind == PlotKind && paneTab == UpperPaneTab)
        b.Add = false; // plot items belong to the lower pane only
    else
        b.Add = anyVariableSelected;
    b.Clear = LineCount() > 0;
    b.Remove = AnySelected();
    b.Up = CanMoveUp();
    b.Down = CanMoveDown();
    b.Default = true;
    return b;
}
