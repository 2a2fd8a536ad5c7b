#include "platform/Sharedlibrary.h"

#include <dlfcn.h>

namespace platform {

bool SharedLibrary::Open(const std::vector<std::string>& candidates, std::string& error)
{
    Close();
    error.clear();
    for (const std::string& c : candidates) {
        handle_ = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_) {
            loadedFrom_ = c;
            error.clear();
            return true;
        }
        const char* why = dlerror();
        if (!error.empty())
            error += "\n";
        error += why ? why : c + ": cannot be loaded";
    }
    return false;
}

void* SharedLibrary::Symbol(const char* name, std::string& error) const
{
    if (!handle_) {
        error = "no library loaded";
        return nullptr;
    }
    dlerror();
    void* address = dlsym(handle_, name);
    if (!address) {
        const char* why = dlerror();
        error = why ? why : std::string(name) + " not found";
    }
    return address;
}

void SharedLibrary::Close()
{
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
    loadedFrom_.clear();
}

} // namespace platform
