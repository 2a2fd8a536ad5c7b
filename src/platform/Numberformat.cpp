#include "platform/Numberformat.h"

#include <clocale>
#include <mutex>
#include <optional>

namespace platform {

namespace {
std::mutex g_mutex;
std::optional<NumberFormat> g_installed;
} // namespace

NumberFormat::NumberFormat(char decimal)
    : decimal_(decimal), list_(decimal == ',' ? ';' : ',')
{
}

NumberFormat::NumberFormat(char decimal, char list) : decimal_(decimal), list_(list) {}

NumberFormat NumberFormat::FromLocale()
{
    const lconv* lc = std::localeconv();
    char decimal = '.';
    // A separator of more than one byte (not ASCII) is not usable in a byte text: keep '.'.
    if (lc && lc->decimal_point && lc->decimal_point[0] != '\0' && lc->decimal_point[1] == '\0'
        && static_cast<unsigned char>(lc->decimal_point[0]) < 0x80)
        decimal = lc->decimal_point[0];
    return NumberFormat(decimal);
}

NumberFormat NumberFormat::Current()
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_installed)
            return *g_installed;
    }
    return FromLocale();
}

void NumberFormat::Install(const NumberFormat& format)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_installed = format;
}

void NumberFormat::Uninstall()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_installed.reset();
}

} // namespace platform
