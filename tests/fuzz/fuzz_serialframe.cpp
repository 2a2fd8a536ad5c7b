// One request and what the unit side sends for it over a pseudo-terminal: the input (acknowledgements,
// frames, anything), padded so that no read ever waits for its time-out.
#include "fuzz/Fuzzcheck.h"
#include "link/Ostrabus.h"
#include "link/Serialexchange.h"
#include "link/Serialframe.h"
#include "platform/Serialport.h"

#include <cstdint>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

struct Line {
    int master = -1;
    platform::SerialPort port;
    Line()
    {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios t {};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        if (port.Open(name, 57600, platform::SerialPort::ParityOdd, 0) != 0)
            master = -1;
        close(slave);
    }
    void Drain()
    {
        uint8_t scratch[1024];
        while (read(master, scratch, sizeof scratch) > 0) {
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Line line;
    if (line.master < 0 || size < 1 || size > 1024)
        return 0;
    line.port.Purge();
    line.Drain();
    std::vector<uint8_t> unit(data, data + size);
    unit.resize(size + serialframe::MaxFrameSize, 0);
    if (write(line.master, unit.data(), unit.size()) != static_cast<ssize_t>(unit.size()))
        return 0;
    const uint8_t request[3] = { 1, 2, 3 };
    SSerialRequest req;
    req.address = 2;
    req.command = 161;
    req.data = request;
    req.length = 3;
    req.echoesFirstByte = (size & 1) != 0;
    // What an earlier request left owed and under way, as the input's first byte says.
    static CSerialAccount account;
    if ((data[0] & 0x80) == 0)
        account.Clear();
    uint8_t buffer[serialframe::ReplyBufferSize + 1];
    buffer[serialframe::ReplyBufferSize] = 0xA5; // one byte past the room a reply may use
    int length = -1;
    CPortLine portLine(line.port);
    CSerialExchange exchange(portLine, account, [](uint8_t address, uint8_t, const uint8_t*, int length) {
        FUZZ_CHECK(address < 32 && length >= 0 && length <= serialframe::MaxData);
    });
    const int rc = exchange.Run(req, buffer, length);
    FUZZ_CHECK(rc <= 0);
    FUZZ_CHECK(length >= 0 && length <= serialframe::MaxData);
    FUZZ_CHECK(rc == 0 || length == 0);
    FUZZ_CHECK(buffer[serialframe::ReplyBufferSize] == 0xA5);
    line.Drain();
    return 0;
}
