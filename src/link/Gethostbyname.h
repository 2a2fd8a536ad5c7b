#pragma once
// Resolves a host name to a dotted IPv4 address on a thread of its own, so that the site-finding
// window can poll for the answer and the user can give up while the lookup blocks.
//
// The answer goes into a result block that the thread and the caller share; the thread keeps
// the block alive until it ends. A lookup that was abandoned writes nothing, even when the
// resolver returns later: the abandon and the write take the same lock.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class CGetHostByName {
public:
    static constexpr int Waiting = 0;
    static constexpr int Resolved = 1;
    static constexpr int Failed = -1;

    // The site list's fixed entries: the loopback address, and this machine by its own name
    // (the loopback address when that name does not resolve). Matched without regard to case.
    static constexpr const char* LocalHostSite = "Local Host";
    static constexpr const char* MyComputerSite = "My Computer";
    static constexpr const char* LoopbackAddress = "127.0.0.1";

    // Looks a name up; true and the dotted IPv4 text of the first address on success.
    using Resolver = std::function<bool(const std::string& host, std::string& address)>;
    static bool ResolveIPv4(const std::string& host, std::string& address);

    // Created suspended; Start runs the lookup. Without a resolver, ResolveIPv4 is used.
    explicit CGetHostByName(std::string host, Resolver resolver = {});
    ~CGetHostByName(); // abandons a lookup that is still running (never waits for it)
    CGetHostByName(const CGetHostByName&) = delete;
    CGetHostByName& operator=(const CGetHostByName&) = delete;

    void Start();
    // Waiting, Resolved or Failed. A lookup abandoned before its answer stays Waiting.
    int Result() const;
    // The address; valid once Result() is Resolved.
    std::string Address() const;
    // Gives the lookup up: nothing it finds later is written.
    void Abandon();
    // Blocks until the thread has ended (for tests and orderly shut-down).
    void WaitFinished() const;
    bool Finished() const;

private:
    struct Shared {
        mutable std::mutex mutex;
        mutable std::condition_variable done;
        bool abandoned = false;
        bool finished = false;
        int result = Waiting;
        std::string address;
    };
    std::shared_ptr<Shared> shared_;
    std::string host_;
    Resolver resolver_;
    bool started_ = false;
};
