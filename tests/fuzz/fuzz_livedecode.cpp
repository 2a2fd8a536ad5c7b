// The live read and its status decoding on any replies. Input: byte 0 picks the unit's PIN
// family; then each command's reply as a length byte and that many bytes.
#include "device/Datarec.h"
#include "device/Device.h"
#include "device/Scriptedstep.h"
#include "fuzz/Fuzzcheck.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    static const uint32_t pins[] = { 0, 0x400, 0xC00, 0x10000, 0x10C00, 0x80000000, 0x40000400, 0x10000000 };
    devicetest::TestDevice device;
    device.SetPin(pins[data[0] % 8]);
    devicetest::ScriptedStep step(device);
    for (size_t at = 1; at < size;) {
        const size_t n = std::min<size_t>(data[at], size - at - 1);
        devicetest::Answer a;
        a.reply.assign(data + at + 1, data + at + 1 + n);
        step.script.push_back(a);
        at += 1 + n;
    }
    CLiveSample s;
    const int rc = device.ReadLive(s);
    if (rc == 0 && s.valid) {
        CDataRec rec;
        device.StoreLive(s, rec);
        for (int id = 30; id <= 45; ++id)
            FUZZ_CHECK(rec.Flag(id) == 0 || rec.Flag(id) == 1);
        for (int id = 1; id <= 23; ++id)
            rec.Value(id);
    }
    return 0;
}
