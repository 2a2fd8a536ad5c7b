#pragma once
// A serial line rate that is not one of the standard termios rates (14400, 28800, 56000, ...),
// set through the kernel's arbitrary-rate interface. Kept apart from the termios code: the two
// interfaces' headers cannot be included together.

namespace platform {

// Sets the input and output rate of an open terminal to `baud`; 0, or the errno value of the
// refusal (a device that cannot run at that rate).
int SetArbitraryBaud(int fd, int baud);

} // namespace platform
