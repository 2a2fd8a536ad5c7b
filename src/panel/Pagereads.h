#pragma once
// The read-all of the unit pages: Setup, Trajectories, Tuning and 3 Cap, in that order, stopping
// at the first read that fails. Each page plugs its own read into its slot; until a page does,
// its slot reads what that page would put into the device object (the configuration word,
// capacitor steps, ranges and limits, trajectories, third-capacitor settings), so the control
// notebook and the unit type are right after a connection.

#include <array>
#include <functional>

class CDevice;

class CPageReads {
public:
    enum Page { Setup, Trajectories, Tuning, ThirdCap, PageCount };
    using Reader = std::function<int()>;

    explicit CPageReads(CDevice& device);
    // A page's own read; an empty reader puts the stand-in back.
    void Set(Page page, Reader reader);
    // 0, or the result of the first page read that fails (the rest are not read).
    int ReadAll();

    // The stand-in reads.
    static int ReadUnitSetup(CDevice& device);
    static int ReadTrajectories(CDevice& device);
    static int Read3Cap(CDevice& device);

private:
    CDevice& device_;
    std::array<Reader, PageCount> readers_;
};
