#include "panel/Pagereads.h"

void CPageReads::Set(Page page, Reader reader)
{
    if (page >= 0 && page < PageCount)
        readers_[page] = std::move(reader);
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
