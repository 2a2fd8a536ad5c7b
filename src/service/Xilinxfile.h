#pragma once
// The logic device's image as an ISP text file: a byte count after the file's first ";" and
// the data as "0x.." tokens, separated by line ends, commas and semicolons. Every token takes
// the next byte position from the first line on, the tokens of the count's own line included.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CXilinxImage {
public:
    static constexpr int MaxBytes = 65535;   // the count travels as a 16-bit word
    static constexpr int MaxBlock = 255;     // one block's length travels as one byte
    static constexpr const char* TextEmpty = "File is empty";
    static constexpr const char* TextNoCount = "Bytes count not found";
    static constexpr const char* TextWrongCount = "Wrong bytes count";

    // Reads the file's lines. False with Error() set and nothing kept when the file is refused:
    // empty, no count, a count that is not 1..65535, a token on a data line that is not "0x"
    // and hexadecimal digits, or fewer tokens than the count.
    bool Read(const std::vector<std::string>& lines);

    int Count() const { return static_cast<int>(bytes_.size()); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    const std::string& Error() const { return error_; }

    // Offset and length of each block for n bytes: 255 bytes each, the rest last.
    static std::vector<std::pair<int, int>> Blocks(int n);

private:
    std::vector<uint8_t> bytes_;
    std::string error_;
};
