#pragma once
// Small helpers shared by every layer: message boxes through the installed hooks, number/text
// conversion in the locale's decimal separator, 16-bit clamps and error texts.

#include <cstdint>
#include <string>

// Message helpers: each beeps first. Caption first, text second.
void Beep();
bool AskYesNo(const std::string& caption, const std::string& text);
int ShowWarning(const std::string& caption, const std::string& text);
int ShowMessageBox(const std::string& caption, const std::string& text);

// Fixed-point text with the given number of decimals in the locale's decimal separator.
std::string FloatToText(double value, int decimals);
// The same with the decimal separator given.
std::string FloatToText(double value, int decimals, char decimalSeparator);
// Accepts '.' or the locale's decimal separator; 0 when nothing parses.
double TextToDouble(const std::string& text);
// 0 when the text is not an integer.
int TextToInt(const std::string& text);
// The text without leading and trailing blanks and control characters.
std::string TrimText(const std::string& text);

uint16_t ClampToWord(double value);
uint16_t ClampToWord(int value);

// A stored window position (left or top) pulled back onto a screen of the given width or
// height: never before the screen's start, and at least `margin` pixels of the window on it.
int PositionOnScreen(int position, int screenExtent, int margin);

// Text of the last system error (errno) of the calling thread.
std::string LastWindowsErrorText();
// Text of the last socket error, "[" code "] " text, with errno mapped to the WinSock number.
std::string LastSocketErrorText();
// Text of a given WinSock number, "[" code "] " text.
std::string SocketErrorText(int winsockCode);
// The WinSock number for an errno value (10000 + ... as WinSock numbers them).
int WinsockErrorFromErrno(int err);
