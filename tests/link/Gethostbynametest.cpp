// Host lookups on their own thread: real resolution of localhost, a failing name, and a lookup
// given up while the resolver still blocks.
#include "link/Gethostbyname.h"

#include <future>
#include <memory>
#include <gtest/gtest.h>

TEST(GetHostByName, LocalhostResolves)
{
    CGetHostByName lookup("localhost");
    EXPECT_EQ(lookup.Result(), CGetHostByName::Waiting);
    lookup.Start();
    lookup.WaitFinished();
    EXPECT_EQ(lookup.Result(), CGetHostByName::Resolved);
    EXPECT_EQ(lookup.Address(), "127.0.0.1");
}

TEST(GetHostByName, BadNamesFail)
{
    for (const char* name : {"no-such-host.invalid", "Local Host", ""}) {
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
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> finishedFuture = finished->get_future();
    {
        CGetHostByName lookup("slow.example", [released, finished](const std::string&, std::string& address) {
            released.wait();
            address = "10.9.8.7";
            finished->set_value();
            return true;
        });
        lookup.Start();
    } // the window closes: the lookup is abandoned and its owner is gone
    release.set_value();
    finishedFuture.wait(); // the thread runs on safely (ASan would catch a write into freed memory)
}
