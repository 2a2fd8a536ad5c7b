#pragma once
// The auto-test window's rules without the window: when each tool-bar action is enabled, what
// a step does with its row (the move, the dwell and the status text), the settings dialog's
// texts, and the message for lines of a table file that were not loaded.

#include <cstdint>
#include <string>
#include <vector>

// The three auto-test settings (section "Model").
struct SAutoTestMode {
    enum { ModeContinuous = 0, ModeCycles = 1, ModeTime = 2 };
    int Mode = ModeContinuous;
    int Cycles = 999;
    double Minutes = 10.0;
};

enum class EAutoTestAction { Open, Save, Plus, Minus, Delete, Run, Stop, Settings };

// What the step routine does with one row.
struct SAutoTestStep {
    bool Valid = false;   // all three cells are numbers; else nothing moves and nothing waits
    double Load = 0;      // percent
    double Tune = 0;
    int64_t DelayMs = 0;  // the dwell after the move, 0 .. MaxDelayMs
    bool ShowStatus = false;
    std::string Status;
};

class CAutoTestRules {
public:
    static constexpr const char* Caption = "Auto-test";
    static constexpr const char* RunningWarning = "Auto-test is running";
    static constexpr const char* ClearQuestion = "Clear the table?";
    static constexpr const char* OpenErrorCaption = "Open error";
    static constexpr const char* FileFilter =
        "Comma-separated (*.csv);;Text (*.txt);;All files (*.*)";
    static constexpr const char* FileExtension = "csv";
    // The longest run time in minutes mode and the longest dwell of one row, in ms: far beyond
    // any run, far below where the 64-bit sums could overflow.
    static constexpr int64_t MaxRunMs = int64_t(1) << 53;
    static constexpr int64_t MaxDelayMs = MaxRunMs;
    static constexpr int64_t MsPerMinute = 60000;

    // selectedRow is the top row of the grid's selection, rowCount the grid's RowCount.
    static bool Enabled(EAutoTestAction action, bool running, int selectedRow, int rowCount);

    // Seconds to the dwell in ms: negative counts as 0, truncated toward zero, at most
    // MaxDelayMs.
    static int64_t DelayMs(double seconds);
    // Minutes to ms, truncated toward zero and held to +-MaxRunMs.
    static int64_t RunMs(double minutes);
    // The step for a row's cells with the run's mode, cycles left and ms left.
    static SAutoTestStep Step(const std::string& time, const std::string& load,
                              const std::string& tune, int mode, int cyclesLeft, int64_t msLeft);

    // Settings dialog: the texts shown and the values taken on OK.
    static std::string CyclesText(int cycles) { return std::to_string(cycles); }
    static std::string MinutesText(double minutes);
    static SAutoTestMode FromDialog(int radioIndex, const std::string& cycles,
                                    const std::string& minutes);

    // The warning after a table load that skipped lines (empty when none were skipped).
    static std::string RejectedLinesText(const std::vector<int>& lines);
};
