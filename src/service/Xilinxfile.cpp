#include "service/Xilinxfile.h"

#include <cctype>

namespace {

constexpr const char* Separators = "\n\r,;";

// The tokens of one line, as strtok splits them (runs of separators give no empty token).
std::vector<std::string> Tokens(const std::string& line)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t start = line.find_first_not_of(Separators, pos);
        if (start == std::string::npos)
            break;
        size_t end = line.find_first_of(Separators, start);
        if (end == std::string::npos)
            end = line.size();
        out.push_back(line.substr(start, end - start));
        pos = end;
    }
    return out;
}

// "0x" and hexadecimal digits, blanks around allowed; the value's low 8 bits.
bool ScanToken(const std::string& token, uint8_t& value)
{
    size_t b = 0, e = token.size();
    while (b < e && std::isspace(static_cast<unsigned char>(token[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(token[e - 1])))
        --e;
    if (e - b < 3 || token[b] != '0' || token[b + 1] != 'x')
        return false;
    unsigned v = 0;
    for (size_t i = b + 2; i < e; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        if (!std::isxdigit(c))
            return false;
        const unsigned d = std::isdigit(c) ? c - '0' : (std::tolower(c) - 'a' + 10);
        v = ((v << 4) | d) & 0xFF;
    }
    value = static_cast<uint8_t>(v);
    return true;
}

// "%d" from pos: blanks, an optional sign, digits. False when no digit follows or the value
// does not fit.
bool ScanCount(const std::string& text, size_t pos, long& value)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
        return false;
    long v = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        v = v * 10 + (text[pos++] - '0');
        if (v > 1000000000L)
            v = 1000000000L; // far beyond any count: stays refused
    }
    value = negative ? -v : v;
    return true;
}

} // namespace

bool CXilinxImage::Read(const std::vector<std::string>& lines)
{
    bytes_.clear();
    error_.clear();
    auto refuse = [this](const std::string& text) {
        bytes_.clear();
        error_ = text;
        return false;
    };
    if (lines.empty())
        return refuse(TextEmpty);

    // The count: after the first ";" of the whole text and the two characters behind it.
    int countLine = -1;
    size_t column = 0;
    for (size_t i = 0; i < lines.size() && countLine < 0; ++i) {
        const size_t p = lines[i].find(';');
        if (p != std::string::npos) {
            countLine = static_cast<int>(i);
            column = p;
        }
    }
    if (countLine < 0)
        return refuse(TextNoCount);
    // The whole text joins the lines with CR LF; the two skipped characters may be those.
    std::string text;
    for (size_t i = static_cast<size_t>(countLine); i < lines.size() && i < static_cast<size_t>(countLine) + 2; ++i)
        text += lines[i] + "\r\n";
    long count = 0;
    if (!ScanCount(text, column + 3, count) || count <= 0 || count > MaxBytes)
        return refuse(TextWrongCount);

    bytes_.assign(static_cast<size_t>(count), 0);
    size_t i = 0;
    for (size_t line = 0; line < lines.size() && i < bytes_.size(); ++line) {
        for (const std::string& token : Tokens(lines[line])) {
            if (i >= bytes_.size())
                break;
            uint8_t v = 0;
            // The count's own line is not data: its tokens keep their places as zeros.
            if (!ScanToken(token, v) && static_cast<int>(line) != countLine)
                return refuse("Wrong data in line " + std::to_string(line + 1) + ": \"" + token + "\"");
            bytes_[i++] = v;
        }
    }
    if (i < bytes_.size())
        return refuse("The file holds " + std::to_string(i) + " of " + std::to_string(count) + " bytes");
    return true;
}

std::vector<std::pair<int, int>> CXilinxImage::Blocks(int n)
{
    std::vector<std::pair<int, int>> out;
    for (int offset = 0; offset < n; offset += MaxBlock)
        out.emplace_back(offset, n - offset < MaxBlock ? n - offset : MaxBlock);
    return out;
}
