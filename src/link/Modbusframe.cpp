#include "link/Modbusframe.h"

#include <cstring>

namespace modbusframe {

namespace {

void PutWord(uint8_t* p, int value)
{
    p[0] = static_cast<uint8_t>((value >> 8) & 0xFF);
    p[1] = static_cast<uint8_t>(value & 0xFF);
}

} // namespace

int BuildRequest(uint8_t* frame, int capacity, uint8_t unitId, uint8_t command,
                 const uint8_t* data, int dataLength, uint16_t transactionId)
{
    if (dataLength < 0 || dataLength > 255)
        return 0;
    const int words = (dataLength + 3) / 2;
    const int registerBytes = 2 * words;
    const int size = registerBytes + RequestHeaderSize;
    if (size > capacity)
        return 0;
    std::memset(frame, 0, static_cast<size_t>(size));
    PutWord(frame + 0, transactionId);    // transaction id
    PutWord(frame + 2, 0);                // protocol id
    PutWord(frame + 4, size - HeaderSize); // B + 13: every byte after the length field
    frame[6] = unitId;
    frame[7] = FunctionReadWrite;
    PutWord(frame + 8, RegisterAddress);  // read start
    PutWord(frame + 10, 0);               // read quantity
    PutWord(frame + 12, RegisterAddress); // write start
    PutWord(frame + 14, words);           // write quantity
    frame[16] = static_cast<uint8_t>(registerBytes);
    frame[17] = command;
    frame[18] = static_cast<uint8_t>(dataLength);
    if (dataLength > 0)
        std::memcpy(frame + RequestHeaderSize, data, static_cast<size_t>(dataLength));
    return size;
}

uint16_t TransactionId(const uint8_t* header)
{
    return static_cast<uint16_t>((header[0] << 8) | header[1]);
}

int LengthField(const uint8_t* header)
{
    return (header[4] << 8) | header[5];
}

bool LengthFieldPlausible(int length)
{
    return length >= 2 && length <= MaxReplyLengthField;
}

Reply ParseReply(const uint8_t* frame, int size)
{
    Reply r;
    if (size < HeaderSize + 2)
        return r;
    const int length = LengthField(frame);
    if (!LengthFieldPlausible(length) || size < HeaderSize + length)
        return r;
    const int end = HeaderSize + length;
    if (frame[7] == FunctionException) {
        r.kind = Reply::Exception;
        r.exceptionCode = end > 8 ? frame[8] : 0;
        for (int i = 9; i < end && frame[i] != 0; ++i)
            r.text.push_back(static_cast<char>(frame[i]));
        return r;
    }
    const int count = length - 5;
    if (count < 0)
        return r;
    r.dataCount = count;
    r.replyLength = frame[10];
    if (r.replyLength > count)
        return Reply{};
    r.kind = Reply::Data;
    return r;
}

bool CarriesTransaction(const uint8_t* frame, int size, uint16_t transactionId)
{
    return size >= 2 && TransactionId(frame) == transactionId;
}

bool ReplyAnswers(const uint8_t* frame, int size, uint16_t transactionId, uint8_t unitId,
                  uint8_t command)
{
    constexpr int CommandOffset = 9;
    if (size < HeaderSize + 2)
        return false;
    if (TransactionId(frame) != transactionId || frame[2] != 0 || frame[3] != 0 || frame[6] != unitId)
        return false;
    if (frame[7] == FunctionException)
        return true;
    return frame[7] == FunctionReadWrite && size > CommandOffset && frame[CommandOffset] == command;
}

} // namespace modbusframe
