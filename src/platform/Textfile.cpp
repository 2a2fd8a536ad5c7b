#include "platform/Textfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool Fail(const std::string& path, const std::string& reason, std::string& text,
          std::string& errorText)
{
    text.clear();
    errorText = "Cannot read \"" + path + "\": " + reason;
    return false;
}

} // namespace

bool ReadFileText(const std::string& path, std::string& text, std::string& errorText,
                  size_t maxSize)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(path, std::strerror(errno), text, errorText);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        ::close(fd);
        return Fail(path, S_ISDIR(st.st_mode) ? "it is a folder" : std::strerror(err), text,
                    errorText);
    }
    if (static_cast<unsigned long long>(st.st_size) > maxSize) {
        ::close(fd);
        return Fail(path, "the file is too large", text, errorText);
    }
    text.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return Fail(path, std::strerror(err), text, errorText);
        }
        if (n == 0)
            break; // the file shrank while being read
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    ::close(fd);
    return true;
}

} // namespace platform
