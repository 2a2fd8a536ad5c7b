// Host lookups on their own thread: real resolution of localhost and the site list's fixed
// names, a failing name, and a lookup given up while the resolver still blocks.
#include "link/Gethostbyname.h"

#include <climits>
#include <future>
#include <memory>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(GetHostByName, LocalhostResolves)
{
    CGetHostByName lookup("localhost");
    EXPECT_EQ(lookup.Result(), CGetHostByName::Waiting);
    lookup.Start();
    lookup.WaitFinished();
    EXPECT_EQ(lookup.Result(), CGetHostByName::Resolved);
    EXPECT_EQ(lookup.Address(), "127.0.0.1");
}

TEST(GetHostByName, FixedSiteNamesResolve)
{
    std::string address;
    EXPECT_TRUE(CGetHostByName::ResolveIPv4("Local Host", address));
    EXPECT_EQ(address, "127.0.0.1");
    address.clear();
    EXPECT_TRUE(CGetHostByName::ResolveIPv4("local host", address));
    EXPECT_EQ(address, "127.0.0.1");

    // "My Computer" is this machine by its own name, or the loopback address when that name
    // does not resolve.
    char name[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
    std::string own;
    if (!CGetHostByName::ResolveIPv4(name, own))
        own = "127.0.0.1";
    CGetHostByName lookup("My Computer");
    lookup.Start();
    lookup.WaitFinished();
    EXPECT_EQ(lookup.Result(), CGetHostByName::Resolved);
    EXPECT_EQ(lookup.Address(), own);
}

TEST(GetHostByName, BadNamesFail)
{
    for (const char* name : {"no-such-host.invalid", "Local  Host", ""}) {
        CGetHostByName lookup(name);
        lookup.Start();
        lookup.WaitFinished();
        EXPECT_EQ(lookup.Result(), CGetHostByName::Failed) << name;
        EXPECT_EQ(lookup.Address(), "") << name;
    }
}

TEST(GetHostByName, AbandonedLookupWritesNothing)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> entered;
    auto lookup = std::make_unique<CGetHostByName>("slow.example", [&](const std::string&, std::string& address) {
        entered.set_value();
        released.wait();
        address = "10.9.8.7";
        return true;
    });
    lookup->Start();
    entered.get_future().wait(); // the resolver is blocking now
    lookup->Abandon();
    EXPECT_EQ(lookup->Result(), CGetHostByName::Waiting);
    release.set_value();
    lookup->WaitFinished();
    EXPECT_EQ(lookup->Result(), CGetHostByName::Waiting);
    EXPECT_EQ(lookup->Address(), "");
}

TEST(GetHostByName, OwnerFreedBeforeLookupEnds)
{
    // The thread's copy of the resolver holds a token; the token's end tells that the thread has
    // let go of everything it held.
    struct Token {
        std::promise<void> gone;
        ~Token() { gone.set_value(); }
    };
    auto token = std::make_shared<Token>();
    std::future<void> tokenGone = token->gone.get_future();
    std::weak_ptr<Token> watch = token;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto seenHost = std::make_shared<std::promise<std::string>>();
    std::future<std::string> seen = seenHost->get_future();
    {
        CGetHostByName lookup("slow.example",
                              [released, seenHost, token = std::move(token)](const std::string& host, std::string& address) {
                                  seenHost->set_value(host);
                                  released.wait();
                                  address = "10.9.8.7";
                                  return true;
                              });
        lookup.Start();
        // The lookup is running: the owner still gets no answer.
        EXPECT_EQ(seen.get(), "slow.example");
        EXPECT_EQ(lookup.Result(), CGetHostByName::Waiting);
    } // the window closes: the lookup is abandoned and its owner is gone
    EXPECT_FALSE(watch.expired()); // the thread still holds its copy
    release.set_value();
    tokenGone.wait(); // the thread ends and frees its copy (ASan catches a write into freed memory)
    EXPECT_TRUE(watch.expired());
}
