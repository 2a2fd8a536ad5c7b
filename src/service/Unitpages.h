#pragma once
// The data of the unit pages (Setup, Trajectories, Tuning, 3 Cap) as read from the unit, with
// one read and one send routine per page over the device's command wrappers. The pages, the
// read-all of the main window and the configuration backup share them.
//
// Every routine returns the result convention and stops at the first failing command.

#include "device/Device.h"

#include <array>
#include <cstdint>
#include <string>

// The Setup page: identity texts, PIN, serial number, the capacitors' steps and pF ranges, the
// sensors' averaging and power-off level and the four potentiometers. Capacitor index 0 Load,
// 1 Tune, 2 the third capacitor.
struct CSetupData {
    static constexpr int Pots = 4;
    static constexpr int FirstPot = 2; // the unit numbers the page's potentiometers 2..5

    std::string productId;
    std::string versionText;
    uint32_t pin = 1;
    uint32_t serial = 0;
    std::array<int, 3> total{2100, 2100, 2100};
    std::array<int, 3> offset{0, 0, 0};
    std::array<double, 3> cMax{1000, 1000, 1000}; // pF at 100 %
    std::array<double, 3> cMin{0, 0, 0};          // pF at 0 %
    int inPoff = 10;
    int inAver = 0;  // item index 0..3
    int outAver = 0; // the output sensor's, or the third capacitor's sensors'
    std::array<int, Pots> pots{};

    // How far a read got: the last of its steps that succeeded, in the read's order. A read that
    // fails part-way has filled the fields of the steps before the failure, and those only.
    enum ReadStep {
        NothingRead, ProductIdRead, VersionRead, PinRead, SerialRead, StepsRead, RangeRead,
        ThirdStepsRead, ThirdRangeRead, InPoffRead, InAverRead, OutAverRead, PotsRead
    };
    ReadStep read = NothingRead;
    int potsRead = 0; // potentiometers read, in order (a CSR does not stop the read)
};

// Identity, PIN, serial number, steps, ranges, sensors and potentiometers, in the page's order.
// A potentiometer read ends the read only on a link error. data.read tells how far it got.
int ReadSetupData(CDevice& device, CSetupData& data);
// Steps, ranges, sensors and potentiometers (not address, baud, serial number or PIN: those
// ask first). The output sensor's power-off level is always sent as 0.
int SendSetupConfig(CDevice& device, const CSetupData& data);

// The Trajectories page: the four sets, whether the unit keeps per-point delays, the active set
// and the Load and Tune travel limits in percent.
struct CTrajData {
    std::array<CTrajectory, CUnitState::TrajectoryCount> sets{};
    bool perPoint = true;
    int active = 0; // read: the unit's active set; send: the set to activate
    double loadMin = 0, loadMax = 100, tuneMin = 0, tuneMax = 100;
};

int ReadTrajData(CDevice& device, CTrajData& data);
int SendTrajData(CDevice& device, const CTrajData& data);

// The Tuning page: the tuning constants (option1 criterion, option2 hold, option3 integral
// index) and the target impedance.
struct CTuningData {
    CTuning tuning;
    double rTarget = 50.0;
    double xTarget = 0.0;
};

// Also keeps the unit's VSWR and reflected-power pairs in the device's model, so that a later
// send of the other criterion's pair writes what the unit holds. The target read's result is
// not checked.
int ReadTuningData(CDevice& device, CTuningData& data);
int SendTuningData(CDevice& device, const CTuningData& data);

// The 3 Cap page. Nothing is read or sent for a unit without a third capacitor.
struct C3capData {
    double min = 0, max = 100; // percent
    int presetSel = 0;         // 0..3
    std::array<double, CUnitState::ThirdCapPresets> presets{};
    C3capControl control;      // period (timer), gain, max step (x0.01 %), error (x0.001)
    int vlevel = 0;            // V
};

int Read3capData(CDevice& device, C3capData& data);
int Send3capData(CDevice& device, const C3capData& data);
