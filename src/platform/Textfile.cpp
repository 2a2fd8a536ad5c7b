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

bool ReadFileText(const std::string& path, std::string& text, std::string& errorText,
                  size_t maxSize, FileReadFault* fault)
{
    if (fault)
        *fault = FileReadFault::None;
    // What is not a regular file is not opened at all: opening a pipe waits for a writer, and
    // opening a device may act on it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return FailErrno(path, errno, text, errorText, fault);
    if (!S_ISREG(st.st_mode))
        return FailKind(path, st.st_mode, text, errorText, fault);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return FailErrno(path, errno, text, errorText, fault);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return FailErrno(path, err, text, errorText, fault);
    }
    if (!S_ISREG(st.st_mode)) { // swapped after the first look
        ::close(fd);
        return FailKind(path, st.st_mode, text, errorText, fault);
    }
    if (static_cast<unsigned long long>(st.st_size) > maxSize) {
        ::close(fd);
        return FailSize(path, maxSize, text, errorText, fault);
    }
    text.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
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
        if (text.size() > maxSize) { // grew while being read
            ::close(fd);
            return FailSize(path, maxSize, text, errorText, fault);
        }
    }
    ::close(fd);
    return true;
}

} // namespace platform
