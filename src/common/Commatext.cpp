#include "common/Commatext.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char Delimiter = ',';
constexpr char kQuote = '"';

bool NeedsQuotes(const std::string& item)
{
    for (char c : item) {
        if (static_cast<unsigned char>(c) <= ' ' || c == kQuote || c == Delimiter)
            return true;
    }
    return false;
}

} // namespace

std::vector<std::string> CommaTextToList(const std::string& text)
{
    std::vector<std::string> items;
    const size_t n = text.size();
    size_t p = 0;
    auto skipBlanks = [&] {
        while (p < n && static_cast<unsigned char>(text[p]) <= ' ')
            ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string item;
        if (text[p] == kQuote) {
            ++p;
            while (p < n) {
                if (text[p] == kQuote) {
                    if (p + 1 < n && text[p + 1] == kQuote) {
                        item += kQuote;
                        p += 2;
                        continue;
                    }
                    ++p; // closing quote
                    break;
                }
                item += text[p++];
            }
        } else {
            const size_t start = p;
            while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != Delimiter)
                ++p;
            item.assign(text, start, p - start);
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (p < n && text[p] == Delimiter) {
            if (p + 1 == n)
                items.emplace_back();
            ++p;
            skipBlanks();
        }
    }
    return items;
}

std::string ListToCommaText(const std::vector<std::string>& items)
{
    if (items.size() == 1 && items[0].empty())
        return std::string(2, kQuote);
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += Delimiter;
        const std::string& item = items[i];
        if (!NeedsQuotes(item)) {
            text += item;
            continue;
        }
        text += kQuote;
        for (char c : item) {
            if (c == kQuote)
                text += kQuote;
            text += c;
        }
        text += kQuote;
    }
    return text;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool ListHoldsIgnoringCase(const std::vector<std::string>& items, const std::string& name)
{
    return std::any_of(items.begin(), items.end(),
                       [&](const std::string& item) { return SameIgnoringCase(item, name); });
}
