#include "common/Helpers.h"

#include "common/Hooks.h"
#include "platform/Numberformat.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

// --- message helpers ---------------------------------------------------------------------

void Beep()
{
    if (IMessageHooks* hooks = MessageHooks())
        hooks->Beep();
}

bool AskYesNo(const std::string& caption, const std::string& text)
{
    Beep();
    IMessageHooks* hooks = MessageHooks();
    return hooks ? hooks->AskYesNo(caption, text) : false;
}

int ShowWarning(const std::string& caption, const std::string& text)
{
    Beep();
    IMessageHooks* hooks = MessageHooks();
    return hooks ? hooks->ShowWarning(caption, text) : 0;
}

int ShowMessageBox(const std::string& caption, const std::string& text)
{
    Beep();
    IMessageHooks* hooks = MessageHooks();
    return hooks ? hooks->ShowMessageBox(caption, text) : 0;
}

// --- conversions -------------------------------------------------------------------------

namespace {

constexpr int MaxDecimals = 18;

// The "C" locale for parsing, whatever the process locale is.
locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

} // namespace

std::string FloatToText(double value, int decimals)
{
    return FloatToText(value, decimals, platform::NumberFormat::Current().DecimalSeparator());
}

std::string FloatToText(double value, int decimals, char sep)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > MaxDecimals)
        decimals = MaxDecimals;
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (res.ec != std::errc())
        return "0";
    std::string text(buf, res.ptr);
    if (sep != '.') {
        for (char& c : text)
            if (c == '.')
                c = sep;
    }
    return text;
}

double TextToDouble(const std::string& text)
{
    std::string s = text;
    const char sep = platform::NumberFormat::Current().DecimalSeparator();
    if (sep != '.') {
        for (char& c : s)
            if (c == sep)
                c = '.';
    }
    // "%lg" semantics: leading blanks skipped, the longest number prefix counts.
    const locale_t c = CLocale();
    if (c == static_cast<locale_t>(nullptr))
        return 0.0;
    char* end = nullptr;
    const double v = strtod_l(s.c_str(), &end, c);
    if (end == s.c_str())
        return 0.0;
    return v;
}

int TextToInt(const std::string& text)
{
    const char* b = text.data();
    const char* e = b + text.size();
    while (b < e && (*b == ' ' || *b == '\t'))
        ++b;
    while (e > b && (e[-1] == ' ' || e[-1] == '\t'))
        --e;
    if (b < e && *b == '+')
        ++b;
    int v = 0;
    const auto res = std::from_chars(b, e, v, 10);
    if (res.ec != std::errc() || res.ptr != e)
        return 0;
    return v;
}

uint16_t ClampToWord(double value)
{
    if (std::isnan(value) || value < 0.0)
        return 0;
    if (value > 65535.0)
        return 65535;
    return static_cast<uint16_t>(value); // truncated toward zero
}

int PositionOnScreen(int position, int screenExtent, int margin)
{
    return std::max(0, std::min(position, screenExtent - margin));
}

uint16_t ClampToWord(int value)
{
    if (value < 0)
        return 0;
    if (value > 65535)
        return 65535;
    return static_cast<uint16_t>(value);
}

// --- error texts -------------------------------------------------------------------------

std::string LastWindowsErrorText()
{
    const int err = errno;
    char buf[256];
    const char* text = strerror_r(err, buf, sizeof buf);
    return text ? std::string(text) : std::string("Unknown error");
}

namespace {

struct SocketText {
    int code;
    const char* text;
};

constexpr SocketText SocketTexts[] = {
    { 10004, "Interrupted system call" },
    { 10009, "Bad file number" },
    { 10013, "Permission denied" },
    { 10014, "Bad address" },
    { 10022, "Invalid argument" },
    { 10024, "Too many open files" },
    { 10035, "Operation would block" },
    { 10036, "Operation now in progress" },
    { 10037, "Operation already in progress" },
    { 10038, "Socket operation on non-socket" },
    { 10039, "Destination address required" },
    { 10040, "Message too long" },
    { 10041, "Protocol wrong type for socket" },
    { 10042, "Bad protocol option" },
    { 10043, "Protocol not supported" },
    { 10044, "Socket type not supported" },
    { 10045, "Operation not supported on socket" },
    { 10046, "Protocol family not supported" },
    { 10047, "Address family not supported by protocol family" },
    { 10048, "Address already in use" },
    { 10049, "Cannot assign requested address" },
    { 10050, "Network is down" },
    { 10051, "Network is unreachable" },
    { 10052, "Network dropped connection on reset" },
    { 10053, "Software causes connection abort" },
    { 10054, "Connection reset by peer" },
    { 10055, "No buffer space available" },
    { 10056, "Socket is already connected" },
    { 10057, "Socket is not connected" },
    { 10058, "Can't send after socket shutdown" },
    { 10059, "Too many references, can't splice" },
    { 10060, "Connection timed out" },
    { 10061, "No server application running" },
    { 10062, "Too many levels of symbolic links" },
    { 10063, "File name too long" },
    { 10064, "Host is down" },
    { 10065, "No route to host" },
    { 10066, "Directory not empty" },
    { 10067, "Too many processes" },
    { 10068, "Too many users" },
    { 10069, "Disc Quota Exceeded" },
    { 10070, "Stale NFS file handle" },
    { 10071, "Too many levels of remote in path" },
    { 10091, "Network SubSystem is unavailable" },
    { 10092, "WINSOCK DLL Version out of range" },
    { 10093, "Successful WSASTARTUP not yet performed" },
    { 11001, "Host not found" },
    { 11002, "Non-Authoritative Host not found" },
    { 11003, "Non-Recoverable errors: FORMERR, REFUSED, NOTIMP" },
    { 11004, "Valid name, no data record of requested" },
};

struct ErrnoCode {
    int err;
    int code;
};

constexpr ErrnoCode ErrnoCodes[] = {
    { EINTR, 10004 },          { EBADF, 10009 },           { EACCES, 10013 },
    { EPERM, 10013 },          { EFAULT, 10014 },          { EINVAL, 10022 },
    { EMFILE, 10024 },         { ENFILE, 10024 },          { EWOULDBLOCK, 10035 },
    { EINPROGRESS, 10036 },    { EALREADY, 10037 },        { ENOTSOCK, 10038 },
    { EDESTADDRREQ, 10039 },   { EMSGSIZE, 10040 },        { EPROTOTYPE, 10041 },
    { ENOPROTOOPT, 10042 },    { EPROTONOSUPPORT, 10043 }, { ESOCKTNOSUPPORT, 10044 },
    { EOPNOTSUPP, 10045 },     { EPFNOSUPPORT, 10046 },    { EAFNOSUPPORT, 10047 },
    { EADDRINUSE, 10048 },     { EADDRNOTAVAIL, 10049 },   { ENETDOWN, 10050 },
    { ENETUNREACH, 10051 },    { ENETRESET, 10052 },       { ECONNABORTED, 10053 },
    { ECONNRESET, 10054 },     { ENOBUFS, 10055 },         { ENOMEM, 10055 },
    { EISCONN, 10056 },        { ENOTCONN, 10057 },        { ESHUTDOWN, 10058 },
    { EPIPE, 10058 },          { ETOOMANYREFS, 10059 },    { ETIMEDOUT, 10060 },
    { ECONNREFUSED, 10061 },   { ELOOP, 10062 },           { ENAMETOOLONG, 10063 },
    { EHOSTDOWN, 10064 },      { EHOSTUNREACH, 10065 },    { ENOTEMPTY, 10066 },
    { EUSERS, 10068 },         { EDQUOT, 10069 },          { ESTALE, 10070 },
    { EREMOTE, 10071 },
};

} // namespace

int WinsockErrorFromErrno(int err)
{
    if (err == 0)
        return 0;
    for (const auto& e : ErrnoCodes)
        if (e.err == err)
            return e.code;
    return err; // no WinSock counterpart: the number stays, the text is "Unknown error"
}

std::string SocketErrorText(int winsockCode)
{
    const char* text = "Unknown error";
    for (const auto& e : SocketTexts)
        if (e.code == winsockCode) {
            text = e.text;
            break;
        }
    std::string result;
    result.reserve(16 + std::strlen(text));
    result += '[';
    result += std::to_string(winsockCode);
    result += "] ";
    result += text;
    return result;
}

std::string LastSocketErrorText()
{
    return SocketErrorText(WinsockErrorFromErrno(errno));
}

std::string TrimText(const std::string& text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t b = 0, e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}
