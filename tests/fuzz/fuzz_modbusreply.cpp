// The Modbus/TCP function-23 reply parser on any bytes: what it reports lies inside the frame.
#include "fuzz/Fuzzcheck.h"
#include "link/Modbusframe.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 2048)
        return 0;
    // An exact-size copy, so that a read past the frame is caught by the address sanitizer.
    const std::vector<uint8_t> frame(data, data + size);
    const int n = static_cast<int>(size);
    const modbusframe::Reply r = modbusframe::ParseReply(frame.data(), n);
    if (r.kind == modbusframe::Reply::Data) {
        FUZZ_CHECK(r.dataCount >= 0);
        FUZZ_CHECK(r.dataOffset + r.dataCount <= n);
        FUZZ_CHECK(r.replyLength <= r.dataCount);
        FUZZ_CHECK(r.dataCount <= modbusframe::MaxReplyLengthField);
    }
    if (r.kind == modbusframe::Reply::Exception)
        FUZZ_CHECK(static_cast<int>(r.text.size()) <= n);
    if (n >= 10)
        modbusframe::ReplyAnswers(frame.data(), n, modbusframe::TransactionId(frame.data()), frame[6], frame[9]);
    return 0;
}
