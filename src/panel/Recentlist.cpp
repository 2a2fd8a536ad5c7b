#include "panel/Recentlist.h"

#include "common/Commatext.h"

#include <algorithm>

std::string CRecentList::CommaText() const { return ListToCommaText(items_); }

void CRecentList::SetCommaText(const std::string& commaText)
{
    items_ = CommaTextToList(commaText);
    if (items_.size() > static_cast<size_t>(MaxEntries))
        items_.resize(MaxEntries);
}

void CRecentList::Push(const std::string& name)
{
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&](const std::string& s) { return SameIgnoringCase(s, name); }),
                 items_.end());
    if (items_.size() > static_cast<size_t>(MaxEntries - 1))
        items_.resize(MaxEntries - 1);
    items_.insert(items_.begin(), name);
}
