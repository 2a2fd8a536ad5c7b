#pragma once
// The flash library's entry point, as the library and the program both see it. The library
// programs the unit over the serial port with the Intel-hex image it is given, writes a status
// line and a progress figure while it runs, and returns early when the abort byte turns 1.

#ifdef __cplusplus
extern "C" {
#endif

#define FLASH_STATUS_SIZE 128

// port: the port's number; baud: the settings' baud rate (0 when not a number);
// frequencyMHz: the unit's clock; image: the whole file as one NUL-terminated text;
// abortFlag: polled, 1 asks to stop; status: FLASH_STATUS_SIZE bytes, NUL-terminated;
// progress: 0..100. The result is not used.
typedef int (*FlashMainFunction)(int port, int baud, int frequencyMHz, const char* image,
                                 volatile unsigned char* abortFlag, char* status, int* progress);

int FlashDLL_main(int port, int baud, int frequencyMHz, const char* image,
                  volatile unsigned char* abortFlag, char* status, int* progress);

#ifdef __cplusplus
}
#endif
