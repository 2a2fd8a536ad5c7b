#pragma once
// A most-recently-used list kept as comma text, newest first, at most MaxEntries names.
// Names compare without regard to letter case.

#include <string>
#include <vector>

class CRecentList {
public:
    static constexpr int MaxEntries = 13;

    // Replaces the list; a longer list is cut to MaxEntries.
    void SetCommaText(const std::string& commaText);
    std::string CommaText() const;
    const std::vector<std::string>& Items() const { return items_; }
    bool Empty() const { return items_.empty(); }

    // Puts the name on top, dropping any other spelling of it and the oldest entry when full.
    void Push(const std::string& name);

private:
    std::vector<std::string> items_;
};
