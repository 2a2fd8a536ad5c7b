#include "platform/Portlist.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace platform {

namespace fs = std::filesystem;

namespace {

bool StartsWithThenDigits(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Splits "ttyS10" into ("ttyS", 10) for natural ordering.
std::pair<std::string, long> SortKey(const std::string& name)
{
    size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1])))
        --i;
    const long n = i < name.size() ? std::stol(name.substr(i)) : -1;
    return { name.substr(0, i), n };
}

} // namespace

PortList::PortList(std::string sysRoot, std::string devDir)
    : sysRoot_(std::move(sysRoot)), devDir_(std::move(devDir))
{
}

bool PortList::IsRealPort(const std::string& name) const
{
    if (StartsWithThenDigits(name, "ttyUSB") || StartsWithThenDigits(name, "ttyACM"))
        return true;
    if (!StartsWithThenDigits(name, "ttyS"))
        return false;
    // A built-in port counts only with a device and a UART type other than 0 (none).
    std::error_code ec;
    const fs::path entry = fs::path(sysRoot_) / name;
    if (!fs::exists(entry / "device", ec))
        return false;
    std::ifstream type(entry / "type");
    int uart = 0;
    if (!(type >> uart))
        return false;
    return uart != 0;
}

std::vector<std::string> PortList::Ports() const
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(sysRoot_, ec);
    if (ec)
        return { (fs::path(devDir_) / "ttyS0").string(), (fs::path(devDir_) / "ttyS1").string() };
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (IsRealPort(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return SortKey(a) < SortKey(b); });
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const auto& n : names)
        paths.push_back((fs::path(devDir_) / n).string());
    return paths;
}

std::string PortList::CommaText() const
{
    std::string text;
    for (const auto& p : Ports()) {
        if (!text.empty())
            text += ',';
        text += p;
    }
    return text;
}

} // namespace platform
