#pragma once
// The read-all of the unit pages: Setup, Trajectories, Tuning and 3 Cap, in that order, stopping
// at the first read that fails. Each page plugs its own read into its slot; an empty slot reads
// nothing.

#include <array>
#include <functional>

class CPageReads {
public:
    enum Page { Setup, Trajectories, Tuning, ThirdCap, PageCount };
    using Reader = std::function<int()>;

    void Set(Page page, Reader reader);
    // 0, or the result of the first page read that fails (the rest are not read).
    int ReadAll();

private:
    std::array<Reader, PageCount> readers_;
};
