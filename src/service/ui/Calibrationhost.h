#pragma once
// What a calibration dialog needs of the page that opens it: the unit, the page's status
// operations around a command, and word that the dialog closed (the page then gives its
// openers back). The page hands itself to the dialog as this, so that a dialog knows no page.

#include <string>

class CDevice;

// What a calibration dialog's failed read did not get.
inline constexpr const char* CalibrationNotRead = "Calibration";

class ICalibrationHost {
public:
    virtual CDevice& Device() const = 0;
    // Clears the status message before a command; shows that the unit accepted one.
    virtual void ClearStatus() = 0;
    virtual void CommandAccepted() = 0;
    // The end of a read: "Command accepted", or the failure with what was not read.
    virtual void ReadDone(const std::string& notRead) = 0;
    virtual void CalibrationClosed() = 0;

protected:
    ~ICalibrationHost() = default;
};
