#include "panel/Pagereads.h"

namespace {

const char* const PageNames[CPageReads::PageCount] = {"Setup", "Trajectories", "Tuning", "3 Cap"};

} // namespace

void CPageReads::Set(Page page, Reader reader, Unsent unsent)
{
    if (page >= 0 && page < PageCount) {
        readers_[page] = std::move(reader);
        unsent_[page] = std::move(unsent);
    }
}

int CPageReads::ReadAll()
{
    for (const Reader& read : readers_) {
        if (!read)
            continue;
        const int r = read();
        if (r != 0)
            return r;
    }
    return 0;
}

std::string CPageReads::UnsentPages() const
{
    std::string names;
    for (int page = 0; page < PageCount; ++page) {
        if (!unsent_[page] || !unsent_[page]())
            continue;
        if (!names.empty())
            names += ", ";
        names += PageNames[page];
    }
    return names;
}
