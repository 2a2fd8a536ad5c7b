#include "link/Gethostbyname.h"

#include <arpa/inet.h>
#include <climits>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

bool LookUp(const std::string& host, std::string& address)
{
    if (host.empty())
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr)
        return false;
    bool ok = false;
    for (addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET || ai->ai_addr == nullptr)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr) {
            address = text;
            ok = true;
        }
        break;
    }
    freeaddrinfo(list);
    return ok;
}

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

} // namespace

bool CGetHostByName::ResolveIPv4(const std::string& host, std::string& address)
{
    if (SameName(host, LocalHostSite)) {
        address = LoopbackAddress;
        return true;
    }
    if (SameName(host, MyComputerSite)) {
        char name[HOST_NAME_MAX + 1] = {};
        if (gethostname(name, sizeof name - 1) != 0 || !LookUp(name, address))
            address = LoopbackAddress;
        return true;
    }
    return LookUp(host, address);
}

CGetHostByName::CGetHostByName(std::string host, Resolver resolver)
    : shared_(std::make_shared<Shared>()), host_(std::move(host)), resolver_(std::move(resolver))
{
    if (!resolver_)
        resolver_ = &CGetHostByName::ResolveIPv4;
}

CGetHostByName::~CGetHostByName() { Abandon(); }

void CGetHostByName::Start()
{
    if (started_)
        return;
    started_ = true;
    // The thread owns a reference to the result block and copies of what it needs, so it never
    // touches this object, which the window may free before the lookup returns.
    std::thread([shared = shared_, host = host_, resolver = resolver_]() {
        std::string address;
        const bool ok = resolver(host, address);
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (!shared->abandoned) {
            shared->address = ok ? address : std::string();
            shared->result = ok ? Resolved : Failed;
        }
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
}

int CGetHostByName::Result() const
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->result;
}

std::string CGetHostByName::Address() const
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->address;
}

void CGetHostByName::Abandon()
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->result == Waiting)
        shared_->abandoned = true;
}

void CGetHostByName::WaitFinished() const
{
    if (!started_)
        return;
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->done.wait(lock, [this] { return shared_->finished; });
}

bool CGetHostByName::Finished() const
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->finished;
}
