#pragma once
// The Modbus/TCP function-23 frame that carries one OstraBus request to a gateway or a networked
// unit, and the parsing of its reply. Pure functions: no socket, no state.

#include <cstdint>
#include <string>

namespace modbusframe {

constexpr int HeaderSize = 6;             // transaction id, protocol id, length
constexpr int RequestHeaderSize = 19;     // up to and including the OstraBus data length byte
constexpr int ReplyDataOffset = 11;       // first reply data byte
constexpr uint8_t FunctionReadWrite = 0x17;
constexpr uint8_t FunctionException = 0x97;
constexpr uint8_t ExceptionBusy = 6;
constexpr uint16_t RegisterAddress = 0xFFFF;
constexpr int MaxFrameSize = 1024;        // a whole reply frame fits the link's buffer
constexpr int MaxReplyLengthField = MaxFrameSize - HeaderSize; // 1018

// Writes the request frame into frame (capacity bytes): header, command, n, data and zero
// filler. Returns the frame size, or 0 when n is negative, above 255 or the frame does not fit.
int BuildRequest(uint8_t* frame, int capacity, uint8_t unitId, uint8_t command,
                 const uint8_t* data, int dataLength, uint16_t transactionId = 0);

// The transaction id of a frame's header.
uint16_t TransactionId(const uint8_t* header);

// The length field of a 6-byte header.
int LengthField(const uint8_t* header);

// True when a length field can start a reply at all (1..1018); anything else is a wrong length.
bool LengthFieldPlausible(int length);

struct Reply {
    enum Kind { Data, Exception, WrongLength } kind = WrongLength;
    int dataOffset = ReplyDataOffset; // Data: first data byte in the frame
    int dataCount = 0;                // Data: bytes carried (L - 5)
    int replyLength = 0;              // Data: the OstraBus reply length byte
    int exceptionCode = 0;            // Exception
    std::string text;                 // Exception: the error text, bounded by the frame
};

// Parses a received reply frame of size bytes. Only bytes inside the frame (6 + L, and within
// size) are ever read. A frame shorter than its length field, a data count below 0 and a reply
// length byte beyond the data carried are WrongLength.
Reply ParseReply(const uint8_t* frame, int size);

// True when a received frame carries the transaction id (its first two bytes): a reply to that
// request, well formed or not.
bool CarriesTransaction(const uint8_t* frame, int size, uint16_t transactionId);

// True when a whole reply frame (at least 8 bytes) answers the request that was sent: the same
// transaction id, protocol 0, the same unit id, and a data reply echoes the command (an exception
// reply carries no command). A reply that fails this belongs to another request.
bool ReplyAnswers(const uint8_t* frame, int size, uint16_t transactionId, uint8_t unitId,
                  uint8_t command);

} // namespace modbusframe
