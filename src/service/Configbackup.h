#pragma once
// The unit's whole configuration as a calibration backup (an INI file, ".cal"): identity, setup,
// capacitors, sensors, tuning, trajectories, third capacitor, converter trims, potentiometers
// and positions, written from the unit, and restored onto a unit split into a factory part
// (calibration) and a user part (configuration).
//
// One table of rows (section, key, unit command, field of the command, range) drives the
// backup, the restore and the restore's check, so that the three never disagree on a key.
//
// The writer builds the file in memory and the caller saves it only when every read succeeded,
// so a failed save never leaves a half file. The restore sends only values the file holds: a key
// that is missing or does not scan skips the command it belongs to, and is reported. Before the
// first command every value is checked against the range the unit page that edits it applies
// (or the width of its field): one value out of range and nothing is sent. The check covers the
// sections of every kind of unit; which of them are sent follows the PIN the unit will have (the
// file's when the restore writes it, else the unit's as read when the restore starts). A command
// that fails ends the restore with a warning that says how far it got and why.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CDevice;
class CRegistry;

namespace platform {
class IniFile;
}

namespace calfile {
constexpr const char* IdSection = "Vantrel Calibration";
constexpr const char* OrreryDate = "11/16/17";
constexpr const char* Extension = "cal";
constexpr const char* Filter = "Calibration files (*.cal);;All files (*.*)";
constexpr const char* SaveTitle = "Save to File";
constexpr const char* OpenTitle = "Restore from File";
constexpr const char* SaveCaption = "Save to file";
constexpr const char* RestoreCaption = "Restore from file";
constexpr const char* RestoreWarnCaption = "Restore from File";
constexpr const char* ConfigCaption = "Restore configuration";
constexpr const char* CompletedOk = "Completed OK";
constexpr const char* WrongFile = "Wrong Calibration File";
constexpr const char* SkippedText = "Not restored: missing or unreadable in the file:";
constexpr const char* OutOfRangeText = "Nothing was restored: out of range in the file:";
constexpr const char* NotSavedText = "The configuration was not saved: a read from the unit failed.";
constexpr const char* PasswordPrompt = "Enter password and click OK";
// The administrator's access code that a factory restore asks for.
constexpr const char* AccessCode = "vantrel";

// Averaging index (0..3) and the sample count the file holds.
int AverToCount(int index);
int CountToAver(int count);
// A raw VSWR word of the older [Tuning] section to a VSWR.
double OldWordToVswr(int word);
} // namespace calfile

class CConfigBackup {
public:
    // The main window's capacitor moves (with their motor wait).
    struct Moves {
        std::function<int(double, double)> MoveCapacitors;
        std::function<int(double)> Move3rdCap;
        // Whether the last MoveCapacitors ended its wait with a motor still running.
        std::function<bool()> MotorsStillMoving;
    };

    static constexpr int Refused = 1000;

    // A command the unit refused and the restore went on past: its number, the unit's CSR and
    // how many times.
    struct Refusal {
        int command = 0;
        int csr = 0;
        int times = 0;
        bool operator==(const Refusal&) const = default;
    };

    explicit CConfigBackup(CDevice& device) : device_(device) {}

    // Writes every section into the store (save mode). orreryId is the program's product-ID
    // text. 0, or the first failing unit result (the store then holds a partial file that the
    // caller must not save).
    int WriteConfiguration(CRegistry& store, const std::string& orreryId);

    // Restores from the file. factory: calibration; user: configuration. 0, or the first
    // failing result (reported to the user); Refused for a refused file or a value out of range (nothing sent), a
    // serial-number mismatch or a PIN change the user declined (nothing but the mode sent). The
    // restore ends with the file's mode (user part), else mode 2. A restore that sent everything
    // but had commands refused on the way, trajectory sets left unwritten or the motors still
    // moving at the end of their wait returns 0 and closes with a warning that says so; a
    // restore that stops counts the commands the unit took and names what it went on past.
    int ReadConfiguration(const platform::IniFile& file, bool factory, bool user, const Moves& moves);

    // Keys skipped by the last restore ("Section/Key"), missing or not scanning.
    const std::vector<std::string>& Skipped() const { return skipped_; }
    // The commands the unit refused and the last restore went on past (not the one it stopped on).
    const std::vector<Refusal>& Refusals() const { return refusals_; }
    // What the last restore's closing box said ("Completed OK", the refusals, why it stopped);
    // empty when it ended on the user's answer.
    const std::string& Outcome() const { return outcome_; }

private:
    CDevice& device_;
    std::vector<std::string> skipped_;
    std::vector<Refusal> refusals_;
    std::string outcome_;
};
