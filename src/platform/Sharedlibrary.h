#pragma once
// A shared library loaded at run time (dlopen) and the address of one of its functions.

#include <string>
#include <vector>

namespace platform {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary() { Close(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Tries each candidate in order (a path, or a bare name searched on the library path);
    // false with the loader's text for each candidate that failed.
    bool Open(const std::vector<std::string>& candidates, std::string& error);
    // The function's address, or nullptr with the loader's text.
    void* Symbol(const char* name, std::string& error) const;
    const std::string& LoadedFrom() const { return loadedFrom_; }
    bool IsOpen() const { return handle_ != nullptr; }
    void Close();

private:
    void* handle_ = nullptr;
    std::string loadedFrom_;
};

} // namespace platform
