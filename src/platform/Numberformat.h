#pragma once
// The decimal and list separators of the user's locale, read once per call from the C locale
// (localeconv). Tests install a fixed format. Parsing in this program never depends on the
// process locale: conversions use these separators explicitly.

namespace platform {

class NumberFormat {
public:
    // The list separator follows the decimal: ';' where the decimal is ',', else ','.
    explicit NumberFormat(char decimal = '.');
    NumberFormat(char decimal, char list);

    char DecimalSeparator() const { return decimal_; }
    char ListSeparator() const { return list_; }

    // The format of the process's current C locale.
    static NumberFormat FromLocale();
    // The installed format, else the locale's.
    static NumberFormat Current();
    static void Install(const NumberFormat& format);
    static void Uninstall();

private:
    char decimal_;
    char list_;
};

} // namespace platform
