#pragma once
// The rules of the main window's control notebook: which control page a unit gets, which mode
// and preset buttons are down, what each mode, preset and ratio button sends, the capacitor track
// bars' scale, the values the spin buttons and position-edit keys ask for, and the capacitor move
// that polls the motors until they stop (or a time-out). The window only wires controls to this.

#include <cstdint>
#include <functional>

class CDataRec;
class CDevice;
class CUnitState;

namespace capscale {
constexpr int TrackMax = 10000;
constexpr int TrackPage = 1000;
constexpr int TrackLine = 100;
constexpr int TrackTicks = 1000;
// The top of a track bar is 100 %.
int TrackFromPercent(double percent); // truncated
double PercentFromTrack(int track);
// The selection marks the allowed range: start from the upper limit, end from the lower.
int SelectionStart(double upperPercent);
int SelectionEnd(double lowerPercent);
} // namespace capscale

// Capacitor indices and the third capacitor's ratio range.
namespace capindex {
constexpr int Load = 0;
constexpr int Tune = 1;
constexpr int Third = 2;
} // namespace capindex

enum class ControlPage { ThirdCap, Corvina, IO, Plain };

// Which buttons are down, from the status flags of the latest sample. Without a sample that is
// the unit's (the readings were lost) none is: CControlButtons{} shows no mode or preset as the
// unit's.
struct CControlButtons {
    bool autoMode = false;  // Auto buttons (flag 30)
    bool manual = false;    // Manual buttons (flag 31)
    bool serial = false;    // Serial buttons (flag 32)
    bool notAuto = false;   // NotAutoBtn (flag 42)
    bool presetOnPlain = false;    // PresetOnBtn, PresetOnBtn2: preset on, not external
    bool presetOn = false;         // PresetOnBtn1, PresetOnBtn3: preset on
    bool presetOff = false;        // every Preset Off button
    bool extPresetOn = false;      // ExtPresetOnBtn, ExtPresetOnBtn2
    bool thirdCapAuto = false;      // _3capAutoBtn (flag 37)
    bool thirdCapSerial = false;    // _3capSerialBtn (flag 37 clear)
    bool thirdCapPresetOn = false;  // _3capPresetOnBtn (flag 39)
    bool thirdCapPresetOff = false; // _3capPresetOffBtn (flag 39 clear)
};

// Mode numbers the mode buttons send.
namespace ctrlmode {
constexpr int Manual = 0;
constexpr int Auto = 1;
constexpr int Serial = 2;
constexpr int NotAuto = 3;
} // namespace ctrlmode

// Keys a position edit acts on.
enum class PosKey { Enter, Up, Down, PageUp, PageDown, Home, End };

// What a track-bar change asks of the window.
enum class TrackAction {
    Ignore,     // a move is in progress
    ShowDrag,   // dragging: only that capacitor's edit and read-out follow
    Send,       // a drag ended: send the move, then refresh the panel
    Restore,    // not a drag (keys, a click on the groove): nothing sent, back to the unit
};

class CCapControls {
public:
    static constexpr int MoveTimeoutMs = 20000;
    static constexpr int MotorMask = 3;
    static constexpr double RatioMax = 32.0;
    static constexpr int CapCountShown = 3; // Load, Tune, third capacitor

    explicit CCapControls(CDevice& device);

    static ControlPage SelectPage(const CUnitState& unit);
    static CControlButtons Buttons(const CDataRec& latest);

    // The commands of the mode and preset buttons; each returns the device result.
    int SetMode(int mode);
    int SetPreset(bool on, bool external);
    int Set3capMode(bool autoMode);
    int Set3capPreset(bool on);
    // The ratio clamped to 0..32, written and read back; 0 or the first failing result.
    int SetRatio(double ratio);
    static double ClampRatio(double ratio);

    // Milliseconds of a steady clock; tests give their own.
    void SetClock(std::function<int64_t()> now) { now_ = std::move(now); }
    // Called after each position read of a move, to show Load and Tune at once.
    void SetMoveProgress(std::function<void()> show) { progress_ = std::move(show); }
    // Moves Load and Tune and polls the motors until they stop, a read fails or the time-out
    // passes. Returns the move's result (0 accepted) or the failing poll result.
    int MoveCapacitors(double loadPercent, double tunePercent);
    // True when the last MoveCapacitors ended at the time-out with a motor still running.
    bool TimedOut() const { return timedOut_; }
    // 3rd capacitor: write, read back. 0 or the first failing result.
    int Move3rdCap(double percent);
    double ClampTo3capLimits(double percent) const;

    // The value a position-edit key asks for, from the edit's value v and the step s.
    static double KeyValue(PosKey key, double v, double step);

    // The update guards.
    bool MovingCaps() const { return movingCaps_; }
    bool TrackDragged() const { return trackDragged_; }
    // A track bar changed; mouseDown while its left button is held on it.
    TrackAction TrackChange(bool mouseDown);
    // After the move of a Send is out.
    void TrackSent() { trackDragged_ = false; }

private:
    CDevice& device_;
    std::function<int64_t()> now_;
    std::function<void()> progress_;
    bool movingCaps_ = false;
    bool trackDragged_ = false;
    bool timedOut_ = false;
};
