#pragma once
// What the program knows of the unit, without the link: identity texts, the configuration word
// (PIN), modes, the capacitor records, trajectories, third-capacitor presets, the service-log
// records and the parameters of the matching-network model. CDevice adds the link and the
// commands; the network model, the variable table and the sample records read this state.

#include <array>
#include <cstdint>
#include <string>

// One motor-driven capacitor. Index 0 Load (shunt), 1 Tune (series), 2 the third capacitor.
struct CCapRecord {
    int totalSteps = 2100;
    int stepOffset = 0;
    double position = 0.0; // percent
    double minPosition = 20.0;
    double maxPosition = 80.0;
    double cMin = 0.0;     // pF at 0 percent
    double cMax = 1000.0;  // pF at 100 percent
};

struct CTrajectory {
    static constexpr int Points = 4;
    int lastIndex = 0;
    std::array<double, Points> load{50, 50, 50, 50}; // percent
    std::array<double, Points> tune{50, 50, 50, 50};
    std::array<double, Points> values{0, 0, 0, 0};   // per-point values
};

// The tuning constants and the parameters of the matching-network model.
struct CModelParams {
    double freq = 13.56;   // MHz
    double lser = 1000.0;  // nH
    double lsh = 0.0;      // nH
    double cpar = 0.0;     // pF
    double cout = 0.0;     // pF
    double tlsh = 0.0;     // nH
    double tcpar = 0.0;    // pF
    int modelType = 0;
    double vswrStop = 1.2;
    double vswrStart = 1.4;
    int rflStop = 100;
    int rflStart = 200;
    double maxShStep = 10.0;
    double maxSerStep = 10.0;
    double minSerStep = 0.7;
    double rtoshunt = 0.8;
    double xtoshunt = 0.2;
    double rtoseries = -0.2;
    double xtoseries = 0.8;
    int algorithm = 0;
    double rtarget = 50.0;
    double xtarget = 0.0;
    // The two tuning option bytes that have no settings key.
    int tuneOption2 = 0;
    int tuneOption3 = 3;
};

// Which variables and pane layouts fit the connected unit.
enum class UnitType { Plain, OutputSensor, ThirdCap };

// What names a unit, as last read from it: the model (command 128's reply), the product ID
// (part number and variant), the version text, the PIN (its configuration word) and the serial
// number. A unit that answers with the same of each is the same unit, configured the same.
struct CUnitIdentity {
    std::string model;
    std::string productId;
    std::string versionText;
    uint32_t pin = 0;
    uint32_t serial = 0;
    bool operator==(const CUnitIdentity&) const = default;
};

class CUnitState {
public:
    static constexpr int CapCount = 3;
    static constexpr int TrajectoryCount = 4;
    static constexpr int ThirdCapPresets = 4;
    static constexpr int LogRecords = 10;
    static constexpr int LogSlots = 41; // 164 bytes

    using LogRecord = std::array<uint32_t, LogSlots>;

    // --- PIN tests ------------------------------------------------------------------------
    uint32_t Pin() const { return pin_; }
    uint32_t Family() const;
    bool Has3rdCap() const;
    bool Is3rdCapFixed() const;
    bool HasOutputSensor() const;
    // The same tests of a PIN the unit does not hold yet.
    static bool PinHas3rdCap(uint32_t pin);
    static bool PinHasOutputSensor(uint32_t pin);
    bool IsFamily200() const;
    bool PinBit31() const;
    bool PinBit30() const;
    UnitType Type() const;

    // --- identity ---------------------------------------------------------------------------
    const std::string& ModelText() const { return modelText_; }
    const std::string& DisplayName() const { return displayName_; }
    CUnitIdentity Identity() const { return {modelText_, productId_, versionText_, pin_, serialNumber_}; }

    // --- modes ------------------------------------------------------------------------------
    int Mode() const { return mode_; }
    int PresetMode() const { return presetMode_; }
    int ExtPresetMode() const { return extPresetMode_; }

    // --- capacitors -------------------------------------------------------------------------
    const CCapRecord& Cap(int index) const;
    CCapRecord& Cap(int index);
    double Position(int cap) const;
    // Limits; a fixed third capacitor reads 0 and 100.
    double CapMin(int cap) const;
    double CapMax(int cap) const;
    int CapTotal(int cap) const;
    int CapOffset(int cap) const;
    // Capacitance in pF at a position; 0 for a fixed third capacitor or one without steps.
    double CapToPf(int cap, double percent) const;

    // --- trajectories -----------------------------------------------------------------------
    int ActiveTrajectory() const { return activeTrajectory_; }
    const CTrajectory& Trajectory(int index) const;
    CTrajectory& Trajectory(int index);
    const CTrajectory& TrajectoryPoints() const { return Trajectory(activeTrajectory_); }
    bool PerPointValuesEnabled() const { return perPointValues_ != 0; }

    // --- third capacitor --------------------------------------------------------------------
    int ThirdCapActivePreset() const { return thirdCapActivePreset_; }
    double ThirdCapRatio() const { return thirdCapRatio_; }

    // --- service log ------------------------------------------------------------------------
    int ServiceLogCount() const { return serviceLogCount_; }
    const LogRecord& ServiceLogRecord(int index) const;

    // --- model ------------------------------------------------------------------------------
    const CModelParams& Model() const { return model_; }
    CModelParams& Model() { return model_; }
    double DcBiasScale() const { return dcBiasScale_; }

    // ADC count n at full scale f to the calibration's integer fit (7 .. 59).
    static int AdcFit(int count, double fullScale);

protected:
    std::string modelText_ = "VANT";
    std::string displayName_;
    std::string productId_;   // as last read (ReadProductId)
    std::string versionText_; // as last read (ReadVersionText)
    uint32_t serialNumber_ = 0; // as last read (ReadSerialNumber)
    uint32_t pin_ = 1;
    int mode_ = 2;
    int presetMode_ = 1;
    int extPresetMode_ = 0;
    int activeTrajectory_ = 0;
    std::array<CCapRecord, CapCount> caps_{};
    int serviceLogCount_ = 0;
    std::array<LogRecord, LogRecords> serviceLog_{};
    int thirdCapAuto_ = 0;
    int thirdCapPresetOn_ = 0;
    int thirdCapActivePreset_ = 0;
    std::array<double, ThirdCapPresets> thirdCapPresets_{};
    double thirdCapRatio_ = 0.0;
    double dcBiasScale_ = 1.0;
    std::array<CTrajectory, TrajectoryCount> trajectories_{};
    int perPointValues_ = 1;
    CModelParams model_{};
};
