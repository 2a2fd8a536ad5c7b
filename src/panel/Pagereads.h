#pragma once
// The read-all of the unit pages: Setup, Trajectories, Tuning and 3 Cap, in that order, stopping
// at the first read that fails. Each page plugs its own read into its slot, with the question
// whether it holds edits not sent yet; an empty slot reads nothing and holds none.

#include <array>
#include <functional>
#include <string>

class CPageReads {
public:
    enum Page { Setup, Trajectories, Tuning, ThirdCap, PageCount };
    using Reader = std::function<int()>;
    using Unsent = std::function<bool()>;

    void Set(Page page, Reader reader, Unsent unsent = nullptr);
    // 0, or the result of the first page read that fails (the rest are not read).
    int ReadAll();
    // The pages whose edits are not sent, by their tab captions: "Setup, Tuning"; "" for none.
    std::string UnsentPages() const;

private:
    std::array<Reader, PageCount> readers_;
    std::array<Unsent, PageCount> unsent_;
};
