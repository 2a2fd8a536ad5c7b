#pragma once
// Loading the logic device: the image file checked whole first, then service access, command
// 66 with the byte count and the bytes in blocks of at most 255, each acknowledged by the unit.
// Messages go through the message helpers (caption "Xilinx"); the status line and the wait
// after loading through the view.

#include <string>
#include <vector>

class CDevice;

class IXilinxView {
public:
    virtual ~IXilinxView() = default;
    virtual void ShowStatusMessage(const std::string& text) = 0;
    virtual void ClearStatusMessage() = 0;
    // The delay window, modal, for ms milliseconds.
    virtual void WaitForUnit(int ms) = 0;
};

class CXilinxProgrammer {
public:
    static constexpr const char* Caption = "Xilinx";
    static constexpr const char* FileFilter = "ISP files (*.isp)|*.isp|All files (*.*)|*.*";
    static constexpr int WaitAfterLoadMs = 6000;
    static constexpr int NotImplemented = 99;

    // Everything after the file was chosen: its lines, read already. Returns 0 after a load,
    // else the first failing result (1 for a refused file or a No).
    static int Run(CDevice& device, const std::vector<std::string>& lines, IXilinxView& view);
};
