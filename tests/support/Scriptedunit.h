#pragma once
// A unit of the test's own on a pseudo-terminal: it reads the program's frames on the master side
// and answers each with the bytes a script gives for it. Acknowledgements the program sends are
// kept; Write sends bytes of the test's own at any time.

#include "link/Serialframe.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testsupport {

// Reads the program's frames on the master side of a pseudo-terminal and writes, for the n-th
// request (from 0), what the script gives for it. Acknowledgements the program sends are kept.
class ScriptedUnit {
public:
    struct Request {
        uint8_t command = 0;
        std::vector<uint8_t> data;
    };
    using Script = std::function<std::vector<uint8_t>(int index, const Request& request)>;

    explicit ScriptedUnit(Script script) : script_(std::move(script))
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0
            && ::ptsname_r(master_, name, sizeof name) == 0) {
            path_ = name;
            // Held open so that the terminal outlives the program's closes.
            hold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        }
        if (::pipe2(stop_, O_CLOEXEC) == 0 && hold_ >= 0)
            thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedUnit()
    {
        if (thread_.joinable()) {
            const uint8_t b = 1;
            [[maybe_unused]] const ssize_t n = ::write(stop_[1], &b, 1);
            thread_.join();
        }
        for (int fd : { master_, hold_, stop_[0], stop_[1] })
            if (fd >= 0)
                ::close(fd);
    }
    bool Ok() const { return thread_.joinable(); }
    const std::string& Path() const { return path_; }
    std::vector<uint8_t> Acks() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return acks_;
    }
    // Called on the unit's thread with each acknowledgement or NAK the program sends, before
    // the unit reads on.
    void OnHandshake(std::function<void(uint8_t)> react)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        react_ = std::move(react);
    }
    // Bytes of the unit's own, from any thread; false when they could not all be written.
    bool Write(const std::vector<uint8_t>& bytes)
    {
        std::lock_guard<std::mutex> lock(writeMutex_);
        return !bytes.empty() && ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // A bounded wait until n requests were heard.
    bool WaitForRequests(int n) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return heard_ >= n; });
    }
    bool WaitForAcks(size_t n) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return acks_.size() >= n; });
    }

private:
    // One byte, or false when stopped.
    bool ReadByte(uint8_t& b)
    {
        for (;;) {
            pollfd fds[2] = { { master_, POLLIN, 0 }, { stop_[0], POLLIN, 0 } };
            if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN))
                return false;
            if ((fds[0].revents & POLLIN) && ::read(master_, &b, 1) == 1)
                return true;
        }
    }
    void Serve()
    {
        int index = 0;
        uint8_t first = 0;
        while (ReadByte(first)) {
            if (first == serialframe::Ack || first == serialframe::Nak) {
                std::function<void(uint8_t)> react;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    acks_.push_back(first);
                    react = react_;
                }
                changed_.notify_all();
                if (react)
                    react(first);
                continue;
            }
            Request req;
            uint8_t b = 0;
            if (!ReadByte(req.command))
                return;
            int length = first & 7;
            if (length == serialframe::ShortLengthLimit) {
                if (!ReadByte(b))
                    return;
                length = b;
            }
            for (int i = 0; i < length; ++i) {
                if (!ReadByte(b))
                    return;
                req.data.push_back(b);
            }
            if (!ReadByte(b)) // the checksum
                return;
            const std::vector<uint8_t> out = script_(index++, req);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++heard_;
            }
            changed_.notify_all();
            if (!out.empty() && !Write(out))
                return;
        }
    }

    Script script_;
    int master_ = -1;
    int hold_ = -1;
    int stop_[2] = { -1, -1 };
    std::string path_;
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<uint8_t> acks_;
    int heard_ = 0;
    std::function<void(uint8_t)> react_;
    std::mutex writeMutex_;
};

} // namespace testsupport
