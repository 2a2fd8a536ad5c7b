#pragma once
// The program's communication and read-timer settings (the values the settings dialog edits)
// and their exchange with section "Settings" of the settings store.

#include <string>

class CRegistry;

class CSettings {
public:
    static constexpr const char* Section = "Settings";
    // Baud lists of the two interfaces (index 0 RS232, 1 RS485), comma text.
    static constexpr const char* BaudListRS232 = "19200,9600,4800,1200";
    static constexpr const char* BaudListRS485 = "57600,38400,19200,9600";
    static constexpr int DefaultReadTimerInterval = 1000;

    std::string BaudLists[2] = {BaudListRS232, BaudListRS485};
    int CurrentItem = 0;          // pane item selected when the Display page is filled
    int MaxReadErrors = 5;        // consecutive read errors that stop the read timer
    bool UseMaxReadErrors = true; // whether that limit applies
    std::string BaudRate = "19200";
    int Timeout = 500; // link read time-out, ms
    int Addr = 1;      // OstraBus unit address (the main window sets 2 when first shown)
    bool AutoFinding = false;
    int TCPPort = 502;
    int UnitNumber = 0; // Modbus unit id
    int Transport = 0;  // 0 TCP, 1 UDP; not exchanged
    bool ConnectAtStartup = false; // stored only; nothing acts on it
    std::string Caption;           // the user's caption text ("Header" in settings files)

    // Held by controls of the windows; kept here so the exchange needs no window.
    int ReadTimerInterval = DefaultReadTimerInterval; // ms, the main window's read timer
    int InterfaceIndex = 0;                           // 0 RS232, 1 RS485

    // Consecutive failed reads after which the readings count as lost, whether or not they stop
    // the read timer: the error limit as the settings dialog can hold it (1 to 1000).
    int ReadsLostAfter() const;
    // Baud rate as a number, 0 when the text is not one.
    int BaudRateValue() const;
    // The baud list of the current interface (the RS232 list for an index out of range).
    const std::string& CurrentBaudList() const;

    // One routine for both directions. "Header" is exchanged only with a settings file.
    void Exchange(CRegistry& store, bool settingsFile);
};
