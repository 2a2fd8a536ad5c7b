#include "simunit/Simoptions.h"

#include <charconv>
#include <string_view>

namespace simunit {

namespace {

bool ParseInt(const std::string& text, int low, int high, int& out)
{
    int v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || v < low || v > high)
        return false;
    out = v;
    return true;
}

// A whole text that is a number within [low, high]; NaN is refused.
bool ParseDouble(std::string_view text, double low, double high, double& out)
{
    double v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !(v >= low && v <= high))
        return false;
    out = v;
    return true;
}

bool IsBaud(int b)
{
    for (int ok : { 1200, 2400, 4800, 9600, 19200, 38400, 57600 })
        if (b == ok)
            return true;
    return false;
}

bool IsSerialFault(const std::string& kind)
{
    for (const char* known : SerialFaultKinds)
        if (kind == known)
            return true;
    return false;
}

} // namespace

std::string SimUsage()
{
    return "usage: orrery-simunit [--address N] [--model TEXT] [--baud B] [--pin P] [--load R,X]\n"
           "                      [--fault BIT]... [--auto-tune] [--wander OHM] [--noise]\n"
           "                      [--serial-fault KIND[,EVERY]] [--gateway PORT] [--network-unit PORT]\n"
           "                      [--help]\n"
           "  --address N   OstraBus address of the unit, 1..31 (default 2)\n"
           "  --model TEXT  the unit's identify reply (default VANT)\n"
           "  --baud B      line speed, 1200..57600 (default 9600)\n"
           "  --pin P       configuration word, decimal or 0x hex (default 1; 0x400 third\n"
           "                capacitor, 0x10001 output sensor, 0x200 family 200)\n"
           "  --load R,X    load impedance in ohm (default 25,10)\n"
           "  --fault BIT   set fault bit 0..63 of the status bytes (repeatable)\n"
           "  --auto-tune   start with RF on in Auto mode: the unit tunes its capacitors itself\n"
           "  --wander OHM  the load circles OHM ohm about --load once in 20 s, so the readings\n"
           "                change all the time (0..1000, default 0); its resistance keeps\n"
           "                above 5 ohm, the circle squeezed across where it would reach lower\n"
           "  --noise       the readings fluctuate as a real unit's do (the load measured a\n"
           "                quarter ohm off, the power half a watt); the tuning sees the true load\n"
           "  --serial-fault KIND[,EVERY]  every EVERY-th frame (default 10) on the serial line\n"
           "                gets a fault: late (the reply 700 ms after the ACK), nak-apart (NAK, then\n"
           "                the reply in a write of its own), stray (two stray bytes behind the reply),\n"
           "                after-two (the reply after two time-outs of 500 ms), held (the reply held\n"
           "                back until the next frame starts), twice (the reply, then a copy 0 to 20 ms\n"
           "                after its acknowledgement), busy (ACK and reply together 2.2 to 4\n"
           "                time-outs late), busy-drop (the same after 3 time-outs, the frames heard\n"
           "                meanwhile dropped), dribble (the reply a byte every 40 ms), stream (1.5 s\n"
           "                of frames of command 201, then the reply), nul (1.5 s of NUL bytes, then\n"
           "                the reply), slow (the ACK 425 ms after the request, the reply 425 ms\n"
           "                after the ACK: each within a read time-out of 500 ms)\n"
           "  --gateway PORT       also a gateway on 127.0.0.1:PORT, TCP and UDP (0 = any port)\n"
           "  --network-unit PORT  also a networked unit on 127.0.0.1:PORT (0 = any port)\n"
           "Prints \"unit: <terminal>\" once the unit answers (then \"gateway: 127.0.0.1:PORT\" with\n"
           "the gateway's ports and \"network-unit: 127.0.0.1:PORT\"); stops on SIGINT or SIGTERM.\n";
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--address") {
            if (!value(v))
                return false;
            if (!ParseInt(v, 1, 31, options.address)) {
                error = "bad address: " + v + " (1..31)";
                return false;
            }
        } else if (a == "--model") {
            if (!value(v))
                return false;
            if (v.empty() || v.size() > 255) {
                error = "bad model text";
                return false;
            }
            options.model = v;
        } else if (a == "--baud") {
            if (!value(v))
                return false;
            int b = 0;
            if (!ParseInt(v, 1200, 57600, b) || !IsBaud(b)) {
                error = "bad baud: " + v;
                return false;
            }
            options.baud = b;
        } else if (a == "--gateway" || a == "--network-unit") {
            if (!value(v))
                return false;
            int& port = a == "--gateway" ? options.gatewayPort : options.networkUnitPort;
            if (!ParseInt(v, 0, 65535, port)) {
                error = "bad port: " + v + " (0..65535)";
                return false;
            }
        } else if (a == "--pin") {
            if (!value(v))
                return false;
            const bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
            const char* first = v.data() + (hex ? 2 : 0);
            uint32_t pin = 0;
            const auto res = std::from_chars(first, v.data() + v.size(), pin, hex ? 16 : 10);
            if (res.ec != std::errc() || res.ptr != v.data() + v.size() || first == v.data() + v.size()) {
                error = "bad pin: " + v;
                return false;
            }
            options.pin = pin;
        } else if (a == "--load") {
            if (!value(v))
                return false;
            const size_t comma = v.find(',');
            const std::string_view text(v);
            double r = 0, x = 0;
            if (comma == std::string::npos || !ParseDouble(text.substr(0, comma), 0.0, 10000.0, r)
                || !ParseDouble(text.substr(comma + 1), -10000.0, 10000.0, x)) {
                error = "bad load: " + v + " (R,X in ohm)";
                return false;
            }
            options.loadR = r;
            options.loadX = x;
        } else if (a == "--auto-tune") {
            options.autoTune = true;
        } else if (a == "--wander") {
            if (!value(v))
                return false;
            if (!ParseDouble(v, 0.0, 1000.0, options.wander)) {
                error = "bad wander: " + v + " (0..1000 ohm)";
                return false;
            }
        } else if (a == "--serial-fault") {
            if (!value(v))
                return false;
            const size_t comma = v.find(',');
            const std::string kind = v.substr(0, comma);
            int every = 10;
            if (!IsSerialFault(kind)
                || (comma != std::string::npos && !ParseInt(v.substr(comma + 1), 1, 1000000, every))) {
                error = "bad serial fault: " + v + " (late, nak-apart, stray, after-two, held or twice, then ,EVERY)";
                return false;
            }
            options.serialFault = kind;
            options.serialFaultEvery = every;
        } else if (a == "--noise") {
            options.noise = true;
        } else if (a == "--fault") {
            if (!value(v))
                return false;
            int bit = 0;
            if (!ParseInt(v, 0, 63, bit)) {
                error = "bad fault bit: " + v + " (0..63)";
                return false;
            }
            options.faults |= uint64_t(1) << bit;
        } else {
            error = "unknown option: " + a;
            return false;
        }
    }
    return true;
}

} // namespace simunit
