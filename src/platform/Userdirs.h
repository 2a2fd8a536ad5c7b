#pragma once
// The user's folders as the desktop's base-directory conventions name them.

#include <string>

namespace platform {

// The folder an XDG variable names ("XDG_CONFIG_HOME", "XDG_DATA_HOME"); when it is unset or
// not absolute, the home folder followed by '/' and the default (".config", ".local/share").
std::string XdgFolder(const char* variable, const char* defaultUnderHome);

} // namespace platform
