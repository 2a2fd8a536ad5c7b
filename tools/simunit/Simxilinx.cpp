// The simulated unit's side of loading the logic device: after command 66 was accepted, raw
// blocks of a length byte and that many bytes, each answered by ACK, until the count is in.
#include "device/Unitconst.h"
#include "link/Serialframe.h"
#include "simunit/Simserial.h"

namespace simunit {

void SimSerialServer::StartXilinxLoad(const Request& req, const std::vector<uint8_t>& reply)
{
    if (req.command != unitcmd::StartXilinx || reply.empty() || reply[0] != SimUnit::CsrOk ||
        req.data.size() < 2)
        return;
    xilinxLeft_ = req.data[0] | (req.data[1] << 8);
}

void SimSerialServer::ServeXilinxBlock(uint8_t length)
{
    std::vector<uint8_t> block(length);
    if (length > 0 && !ReadExact(block.data(), length, ByteGapMs)) {
        xilinxLeft_ = 0; // a broken block ends the load; the program's read times out
        return;
    }
    xilinxLeft_ = length >= xilinxLeft_ ? 0 : xilinxLeft_ - length;
    {
        // Recorded before the ACK, so the program never runs ahead of the record.
        std::lock_guard<std::mutex> lock(mutex_);
        xilinxBlocks_.push_back(std::move(block));
    }
    changed_.notify_all();
    WriteAll(&serialframe::Ack, 1);
}

std::vector<std::vector<uint8_t>> SimSerialServer::XilinxBlocks() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return xilinxBlocks_;
}

} // namespace simunit
