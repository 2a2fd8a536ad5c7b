#pragma once
// The simulated unit's state behind its command set: identity, PIN, serial number, modes,
// capacitors that move toward their commanded positions over time, limits, trajectories, tuning
// constants, sensor and calibration words, a service log of ten sectors, live readings from the
// matching-network model for a configurable load, and status bytes with settable faults.
//
// Handlers and tests reach the data under one lock: state.With([](SimUnitData& d) { ... }).
//
// Lock order: the unit's lock (SimUnit::Mutex, which its transports hold while a handler runs)
// before the state's. A handler takes the state inside the unit's lock; nothing that holds the
// state takes the unit's lock, so no call on the SimUnit (Address(), SetAddress(), ...) is made
// inside With().

#include "device/Unitstate.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace simunit {

struct SimCap {
    double position = 50.0; // percent
    double target = 50.0;
    int totalSteps = 2100;
    int stepOffset = 0;
    uint16_t minWord = 2000; // percent x 100
    uint16_t maxWord = 8000;
    uint16_t cMax = 1000;    // pF
    uint16_t cMin = 0;
};

struct SimTrajectory {
    uint8_t last = 0;
    std::array<uint16_t, 4> load{5000, 5000, 5000, 5000};
    std::array<uint16_t, 4> tune{5000, 5000, 5000, 5000};
    std::array<uint8_t, 4> values{};
};

struct SimUnitData {
    // Identity.
    uint32_t pin = 1;
    bool pinAs32Bits = true;        // false: answers 169 with two bytes (older unit)
    uint8_t olderPinOptions = 0;    // the first byte of 153 on older units
    uint32_t serialNumber = 123456;
    bool serialAsVariables = false; // true: 231 answers one byte, variables 1010/1011 hold it
    std::string partNumber = "VT10000";
    char variant = 'A';
    std::string revision = "01";
    std::string versionText = "Sim 1.00";
    bool rangeSupported = true;     // false: 166 answers one byte
    bool perPointSupported = true;  // false: 170 answers one byte
    bool newerServiceLog = true;    // the probe answers 99 and records come by 251/252
    bool logBySectors = true;       // false: 114 refuses and ids 500..537 are cleared one by one
    int logRecordLength = 79;       // 55, 59, 71, 75 or 79 on newer units
    uint8_t logCount = 2;           // the count byte: the active sector when below 10
    uint8_t bootMode = 0;
    int memoryInits = 0;
    std::array<uint32_t, 10> logSectorStamp{};
    int logResets = 0;              // sector or id clears seen

    // Service access: 69, then 67 and 68 with the access bytes.
    int accessStep = 0;             // 2 = open
    bool AccessOpen() const { return accessStep == 2; }

    // Modes (0 Manual, 1 Auto, 2 Serial, 3 Preset). In Auto mode with RF on the unit tunes:
    // every live read takes one step of its tuning rule toward the target impedance.
    static constexpr uint8_t ModeAuto = 1;
    uint8_t mode = 2;
    uint8_t presetMode = 0;
    uint8_t extPresetMode = 0;
    bool rfOn = false;
    bool motorsEnabled = true;
    uint8_t address = 2;
    int baud = 9600;
    uint16_t xilinxWord = 0;

    // Capacitors, moving at motorSpeed percent per second (0 or below: at once).
    std::array<SimCap, 3> caps{};
    double motorSpeed = 25.0;
    std::chrono::steady_clock::time_point lastMove = std::chrono::steady_clock::now();

    // Trajectories 1..4.
    std::array<SimTrajectory, 4> trajectories{};
    uint8_t activeTrajectory = 1;

    // Tuning: twelve words and three option bytes; the target words.
    std::array<int16_t, 12> tuningWords{8, 28, 100, 200, 1000, 0, 1000, 70, 819, 204, -204, 819};
    std::array<uint8_t, 3> tuningOptions{0, 0, 3};
    int16_t targetR = 1024;
    int16_t targetX = 0;

    // Sensors and converters.
    std::array<std::array<uint16_t, 8>, 2> sensorCal{};
    std::array<uint8_t, 2> sensorAver{};
    std::array<uint16_t, 2> sensorPoff{};
    std::array<std::array<uint16_t, 2>, 8> sdac{};
    std::array<uint16_t, 8> maxCh{};
    std::array<std::array<uint16_t, 3>, 8> sadc{};
    std::array<uint8_t, 8> pots{};
    std::array<uint16_t, 4> inputAdc{100, 200, 300, 400};

    // Third capacitor.
    uint16_t ratio3 = 1000;
    uint8_t aver3 = 0;
    std::array<int16_t, 4> presets3{};
    std::array<uint16_t, 6> sensorCal3{};
    uint8_t presetSel3 = 0; // 0..3
    uint8_t auto3 = 0;
    uint8_t presetOn3 = 0;
    std::array<uint16_t, 4> control3{};
    uint16_t vlevel3 = 0;

    // Live readings: the load the network sees, the forward power while RF is on, and fixed
    // readings. liveWords replaces every computed word; liveReplyLength and statusReplyLength
    // change the reply forms.
    double loadR = 25.0;
    double loadX = 10.0;
    // Above 0: the load circles this many ohm about loadR, loadX once every WanderPeriod; its
    // resistance keeps above WanderMinOhm (or at loadR where that is lower).
    double wander = 0.0;
    static constexpr double WanderPeriodS = 20.0;
    static constexpr double WanderMinOhm = 5.0;
    // The readings fluctuate: R and X by up to NoiseOhm, the power by up to NoiseWatt.
    bool noise = false;
    static constexpr double NoiseOhm = 0.25;
    static constexpr double NoiseWatt = 0.5;
    mutable uint32_t noiseState = 1;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    double forwardPower = 100.0;
    int16_t temp = 300, rfPeak = 1200, dcBias = 250, rfCap = 40;
    int16_t outLoadGammaWord = 0;
    std::optional<std::array<int16_t, 15>> liveWords;
    int liveReplyLength = 30;
    int statusReplyLength = 8;
    uint64_t faults = 0;  // the 64-bit fault word of command 254
    CModelParams model{};  // the network the live readings come from

    // The load now: loadR, loadX, moved round its circle when it wanders.
    std::pair<double, double> Load() const;
    // Advances the motors to now; true while any of them moves.
    bool MoveMotors();
    // One step of the tuning rule (Auto mode, RF on, Load and Tune idle): new motor targets.
    void TuneStep();
    uint8_t MotorStatus();
    // A fluctuation in [-1, 1) when the readings are noisy, else 0.
    double Noise() const;
    // The fifteen live words for the current state.
    std::array<int16_t, 15> LiveWords() const;
    uint16_t StatusWord(double gamma) const;
    // Finishes every move at once.
    void Settle();
};

class SimState {
public:
    template <typename F>
    auto With(F&& f)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        return f(data_);
    }

private:
    std::recursive_mutex mutex_;
    SimUnitData data_;
};

} // namespace simunit
