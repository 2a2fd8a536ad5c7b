#include "panel/Panelist.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "panel/Panesource.h"

#include <utility>

CPaneList::CPaneList(const CPaneContext& context, IPaneHost* host) : context_(context), host_(host) {}

CPaneList::~CPaneList() = default;

void CPaneList::SetHost(IPaneHost* host)
{
    host_ = host;
    Changed();
}

CItem* CPaneList::Item(int i) const
{
    return (i >= 0 && i < Count()) ? items_[size_t(i)].get() : nullptr;
}

CItem* CPaneList::Add(int kind, int varId)
{
    items_.push_back(std::make_unique<CItem>(kind, varId));
    Changed();
    return items_.back().get();
}

void CPaneList::AddItem(std::unique_ptr<CItem> item)
{
    if (!item)
        return;
    items_.push_back(std::move(item));
    Changed();
}

void CPaneList::Delete(int i)
{
    if (i < 0 || i >= Count())
        return;
    items_.erase(items_.begin() + i);
    Changed();
}

void CPaneList::Swap(int i, int j)
{
    if (i < 0 || j < 0 || i >= Count() || j >= Count() || i == j)
        return;
    std::swap(items_[size_t(i)], items_[size_t(j)]);
    Changed();
}

void CPaneList::Clear()
{
    items_.clear();
    Changed();
}

void CPaneList::Remeasure()
{
    Changed();
    RefreshAll(true);
}

void CPaneList::Changed()
{
    if (host_)
        host_->ItemsChanged();
}

template <class Fn> bool CPaneList::ForEachShown(Fn fn)
{
    if (!host_)
        return false;
    bool result = false;
    for (int i = 0; i < Count(); ++i) {
        SRect r;
        if (IItemCanvas* canvas = host_->ItemCanvas(i, r))
            result |= fn(*items_[size_t(i)], *canvas, r);
    }
    host_->ItemsPainted();
    return result;
}

bool CPaneList::RefreshAll(bool force)
{
    return ForEachShown([&](CItem& item, IItemCanvas& c, const SRect& r) {
        return item.Paint(c, r, force, context_);
    });
}

bool CPaneList::RefreshPlots(bool force)
{
    return ForEachShown([&](CItem& item, IItemCanvas& c, const SRect& r) {
        return item.IsPlot() && item.Paint(c, r, force, context_);
    });
}

void CPaneList::ApplyValues()
{
    ForEachShown([&](CItem& item, IItemCanvas& c, const SRect& r) {
        return !item.IsPlot() && item.Apply(c, r, true, context_);
    });
}

bool CPaneList::ApplyPlots()
{
    bool scrolled = false;
    ForEachShown([&](CItem& item, IItemCanvas& c, const SRect& r) {
        // After a scroll every plot is repainted in full by the caller.
        if (item.IsPlot() && !scrolled)
            scrolled = item.Apply(c, r, true, context_);
        return false;
    });
    return scrolled;
}

void CPaneList::Validate()
{
    bool changed = false;
    bool lastKeptSeparator = false;
    for (size_t i = 0; i < items_.size();) {
        const CItem& item = *items_[i];
        bool keep;
        if (item.IsSeparator())
            keep = !lastKeptSeparator;
        else
            keep = context_.Source && context_.Source->IsSelectable(item.Kind, item.VarId);
        if (!keep) {
            items_.erase(items_.begin() + long(i));
            changed = true;
            continue;
        }
        lastKeptSeparator = item.IsSeparator();
        ++i;
    }
    if (changed)
        Changed();
}

void CPaneList::Exchange(CRegistry& store, const std::string& section)
{
    store.SetSection(section);
    int width = host_ ? host_->PaneWidth() : width_;
    if (!store.Reading()) {
        store.ClearSection();
        for (int i = 0; i < Count(); ++i)
            store.ExchangeString("Item" + std::to_string(i), items_[size_t(i)]->Text());
        store.ExchangeInt("Width", width);
        return;
    }
    if (!store.SectionExists())
        return;
    items_.clear();
    for (int n = 0; n < MaxItems; ++n) {
        std::string text = store.ExchangeString("Item" + std::to_string(n), "");
        if (text.empty())
            break;
        auto item = std::make_unique<CItem>();
        CItem::EParse parsed = item->Parse(text);
        if (parsed == CItem::BadVersion) {
            ShowWarning("", InvalidVersionText);
            break;
        }
        if (parsed == CItem::Parsed)
            items_.push_back(std::move(item));
        // A value that does not parse is skipped; the items after it still load.
    }
    Changed();
    width = store.ExchangeInt("Width", width);
    if (host_)
        host_->SetPaneWidth(width);
    else
        width_ = width;
}
