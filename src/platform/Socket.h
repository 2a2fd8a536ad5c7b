#pragma once
// Client sockets for the network link (TCP stream or UDP datagram, IPv4). Every call that can
// fail returns the errno value of the failure (0 on success) and leaves errno set to it, so the
// caller can map it to the WinSock number of the message it shows.

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace platform {

enum class SocketWait { Ready, Timeout, Error };

// A new socket (datagram when udp, else stream). Returns the descriptor, or -1 with errno set.
int SocketCreate(bool udp);

// Connects fd to the dotted IPv4 address and port. The connect runs non-blocking and is bounded
// by timeoutMs (ETIMEDOUT when it passes); the socket is left blocking afterwards. An address
// that does not parse gives EADDRNOTAVAIL. Returns 0 or the errno value.
int SocketConnect(int fd, const std::string& ip, int port, int timeoutMs);

// Waits until fd is writable (forWrite) or readable, at most timeoutMs (poll, restarted after a
// signal with the time left). On Error, err holds the errno value.
SocketWait SocketWaitReady(int fd, bool forWrite, int timeoutMs, int& err);

// One send call that never raises SIGPIPE. Returns the bytes sent or -1 (errno set). With
// SendNow it does not wait for room in the send buffer (EAGAIN then).
enum SendMode { SendWaiting, SendNow };
ssize_t SocketSend(int fd, const void* data, size_t count, SendMode mode = SendWaiting);
// One receive call. Returns the bytes received, 0 on an orderly close, or -1 (errno set).
ssize_t SocketRecv(int fd, void* data, size_t count);
// Discards the bytes that already wait on fd (at most 64 KiB), without blocking. False when more
// than that waited, so the stream can no longer be trusted to start at a frame.
bool SocketDiscardPending(int fd);
void SocketClose(int fd);

// True when text is a dotted IPv4 address (four decimal parts).
bool IsDottedAddress(const std::string& text);

} // namespace platform
