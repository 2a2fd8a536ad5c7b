#include "panel/Pagereads.h"

#include "device/Device.h"

#include <initializer_list>

namespace {

// Runs the reads in order; the first non-zero result ends.
int Chain(std::initializer_list<std::function<int()>> reads)
{
    for (const auto& read : reads) {
        const int r = read();
        if (r != 0)
            return r;
    }
    return 0;
}

} // namespace

CPageReads::CPageReads(CDevice& device) : device_(device)
{
    for (int p = 0; p < PageCount; ++p)
        Set(static_cast<Page>(p), nullptr);
}

void CPageReads::Set(Page page, Reader reader)
{
    if (page < 0 || page >= PageCount)
        return;
    if (!reader) {
        CDevice& d = device_;
        switch (page) {
        case Setup: reader = [&d] { return ReadUnitSetup(d); }; break;
        case Trajectories: reader = [&d] { return ReadTrajectories(d); }; break;
        case ThirdCap: reader = [&d] { return Read3Cap(d); }; break;
        default: reader = [] { return 0; }; break;
        }
    }
    readers_[page] = std::move(reader);
}

int CPageReads::ReadAll()
{
    for (const Reader& read : readers_) {
        const int r = read();
        if (r != 0)
            return r;
    }
    return 0;
}

int CPageReads::ReadUnitSetup(CDevice& d)
{
    const int r = Chain({[&] { return d.ReadPin(); }, [&] { return d.ReadCapSteps(); },
                         [&] { return d.ReadCapRange(); }});
    if (r != 0 || !d.Has3rdCap())
        return r;
    return Chain({[&] { return d.Read3capSteps(); }, [&] { return d.Read3capRange(); }});
}

int CPageReads::ReadTrajectories(CDevice& d)
{
    return Chain({[&] { return d.ReadTrajectories(); }, [&] { return d.ReadTrajectory(); },
                  [&] { return d.ReadCapLimits(); }});
}

int CPageReads::Read3Cap(CDevice& d)
{
    if (!d.Has3rdCap())
        return 0;
    double ratio = 0.0;
    return Chain({[&] { return d.Read3capLimits(); }, [&] { return d.Read3capPresetSel(); },
                  [&] { return d.Read3capRatio(ratio); }, [&] { return d.Read3capPosition(); }});
}
