#include "platform/Textfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* NotRegularText = "not a regular file";

std::string KindText(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return S_ISREG(mode) ? "" : "a special file";
}

bool Fail(const std::string& path, FileReadFault why, const std::string& reason,
          std::string& text, std::string& errorText, FileReadFault* fault)
{
    text.clear();
    errorText = "Cannot read \"" + path + "\": " + reason;
    if (fault)
        *fault = why;
    return false;
}

bool FailErrno(const std::string& path, int err, std::string& text, std::string& errorText,
               FileReadFault* fault)
{
    return Fail(path, err == ENOENT ? FileReadFault::Missing : FileReadFault::System,
                std::strerror(err), text, errorText, fault);
}

bool FailKind(const std::string& path, mode_t mode, std::string& text, std::string& errorText,
              FileReadFault* fault)
{
    return Fail(path, FileReadFault::NotRegular, std::string(NotRegularText) + " (" + KindText(mode) + ")",
                text, errorText, fault);
}

bool FailSize(const std::string& path, size_t maxSize, std::string& text, std::string& errorText,
              FileReadFault* fault)
{
    return Fail(path, FileReadFault::TooLarge,
                "the file is larger than " + std::to_string(maxSize) + " bytes", text, errorText, fault);
}

} // namespace

std::string FileKindText(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? KindText(st.st_mode) : std::string();
}

namespace {

// Opens a regular file for reading without waiting; -1 after setting the failure.
int OpenRegular(const std::string& path, struct stat& st, std::string& text, std::string& errorText,
                FileReadFault* fault)
{
    if (fault)
        *fault = FileReadFault::None;
    // What is not a regular file is not opened at all: opening a pipe waits for a writer, and
    // opening a device may act on it.
    if (::stat(path.c_str(), &st) != 0) {
        FailErrno(path, errno, text, errorText, fault);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        FailKind(path, st.st_mode, text, errorText, fault);
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        FailErrno(path, errno, text, errorText, fault);
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        FailErrno(path, err, text, errorText, fault);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) { // swapped after the first look
        ::close(fd);
        FailKind(path, st.st_mode, text, errorText, fault);
        return -1;
    }
    text.clear();
    return fd;
}

// Reads from fd into text until the end or until text holds more than limit bytes. False after
// setting the failure (the descriptor is closed either way).
bool ReadUpTo(int fd, const std::string& path, size_t limit, std::string& text, std::string& errorText,
              FileReadFault* fault)
{
    char buf[65536];
    while (text.size() <= limit) {
        const size_t room = limit - text.size(); // one byte more tells that the file goes on
        const size_t want = room >= sizeof buf ? sizeof buf : room + 1;
        const ssize_t n = ::read(fd, buf, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return FailErrno(path, err, text, errorText, fault);
        }
        if (n == 0)
            break;
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

} // namespace

bool ReadFileText(const std::string& path, std::string& text, std::string& errorText,
                  size_t maxSize, FileReadFault* fault)
{
    struct stat st {};
    const int fd = OpenRegular(path, st, text, errorText, fault);
    if (fd < 0)
        return false;
    if (static_cast<unsigned long long>(st.st_size) > maxSize) {
        ::close(fd);
        return FailSize(path, maxSize, text, errorText, fault);
    }
    if (!ReadUpTo(fd, path, maxSize, text, errorText, fault))
        return false;
    if (text.size() > maxSize) // grew while being read
        return FailSize(path, maxSize, text, errorText, fault);
    return true;
}

bool ReadFileHead(const std::string& path, std::string& text, std::string& errorText, size_t maxBytes,
                  bool* cut, FileReadFault* fault)
{
    if (cut)
        *cut = false;
    struct stat st {};
    const int fd = OpenRegular(path, st, text, errorText, fault);
    if (fd < 0 || !ReadUpTo(fd, path, maxBytes, text, errorText, fault))
        return false;
    if (text.size() > maxBytes) {
        text.resize(maxBytes);
        if (cut)
            *cut = true;
    }
    return true;
}

} // namespace platform
