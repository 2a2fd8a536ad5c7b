// The logic-device image file on any lines: refused with a reason, or read whole, and its blocks
// cover the bytes exactly with none longer than one block's length byte can say.
#include "fuzz/Fuzzcheck.h"
#include "service/Xilinxfile.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 17)
        return 0;
    std::vector<std::string> lines;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    CXilinxImage image;
    if (!image.Read(lines)) {
        FUZZ_CHECK(!image.Error().empty());
        FUZZ_CHECK(image.Count() == 0);
        return 0;
    }
    FUZZ_CHECK(image.Count() >= 1 && image.Count() <= CXilinxImage::MaxBytes);
    int covered = 0;
    for (const auto& [offset, length] : CXilinxImage::Blocks(image.Count())) {
        FUZZ_CHECK(offset == covered);
        FUZZ_CHECK(length >= 1 && length <= CXilinxImage::MaxBlock);
        covered += length;
    }
    FUZZ_CHECK(covered == image.Count());
    return 0;
}
