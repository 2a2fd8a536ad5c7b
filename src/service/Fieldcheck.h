#pragma once
// Checks the texts of a unit page before anything is sent: each field must parse completely, be
// whole where the unit stores a whole number, and lie in the range the unit's word can carry.
// The first bad field stops the check; its message names the field.

#include <cstdint>
#include <string>

// Rounds half away from zero (2.5 -> 3, -2.5 -> -3); not a number gives 0.
long long RoundHalfAway(double value);
// The shortest decimal text that reads back as the same double ("12.5", "1000").
std::string ShortestText(double value);
// Strict conversions: the whole text (blanks around it allowed) must be the number.
bool ParseInt(const std::string& text, long long& value);
bool ParseDouble(const std::string& text, double& value); // '.' or the locale's separator
bool ParseHex(const std::string& text, uint32_t& value);  // 1 to 8 hexadecimal digits

// The warning for a page whose field did not pass its check (captioned "Send"): the field's
// message and that nothing was sent.
void RefuseSend(const std::string& error);

class CFieldCheck {
public:
    // A whole number in lo..hi.
    bool Int(const std::string& field, const std::string& text, long long lo, long long hi, int& out);
    bool UInt32(const std::string& field, const std::string& text, uint32_t& out);
    // A number in lo..hi.
    bool Double(const std::string& field, const std::string& text, double lo, double hi, double& out);
    bool Hex32(const std::string& field, const std::string& text, uint32_t& out);

    bool Ok() const { return error_.empty(); }
    // "<field>: <what is wrong>", empty while every field was good.
    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& field, const std::string& text, const std::string& rule);
    std::string error_;
};
