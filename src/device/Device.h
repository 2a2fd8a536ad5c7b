#pragma once
// The connected matching unit: the link (COstraBus) and what the program knows of the unit
// (CUnitState), with every unit command. Each command operation returns the result convention:
// below 0 a link error (text in LastError()), 0 accepted, above 0 the unit's CSR.
//
// In demo mode nothing is sent: a write stores its value and returns 0, a read returns the
// stored value (or a fixed demo value) and 0.

#include "device/Devicehooks.h"
#include "device/Unitstate.h"
#include "link/Ostrabus.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class CDataRec;
class CRegistry;
class CVars;

// One live sample as the unit reports it, scaled.
struct CLiveSample {
    bool valid = true;     // false: the unit's live reply had the wrong length
    uint32_t status = 0;   // the 16 bits of the status word
    std::array<uint32_t, 2> statusBytes{}; // the eight status bytes, byte 0 lowest
    double r = 0, x = 0, gamma = 0, power = 0;
    double w4 = 0, w5 = 0, w6 = 0, w7 = 0; // by family: ratio/I1/I2/3rd cap or R/X/Gamma/P load
    double load = 0, tune = 0;             // percent
    double temp = 0, rfPeak = 0, dcBias = 0, rfCap = 0;
};

// The tuning constants as the unit's tuning command carries them.
struct CTuning {
    double stop = 1.2;  // VSWR
    double start = 1.4; // VSWR
    int rflStop = 100;
    int rflStart = 200;
    double maxShStep = 10, minShStep = 0, maxSerStep = 10, minSerStep = 0.7;
    double magToSh = 0.8, phaseToSh = 0.2, magToSer = -0.2, phaseToSer = 0.8;
    int option1 = 0; // "algorithm"
    int option2 = 0;
    int option3 = 3;
};

struct C3capSensorCal {
    int i1off = 0, i2off = 0, voff = 0, i1scale = 0, i2scale = 0, vscale = 0;
};

struct C3capControl {
    int timer = 0;
    int gain = 0; // signed
    int maxStep = 0;
    int error = 0;
};

class CDevice : public COstraBus, public CUnitState {
public:
    static constexpr int WaitAskMs = 10000;   // WaitMotors asks after this long
    static constexpr int ResetPauseMs = 100;
    static constexpr int BootModeWaitMs = 500;
    static constexpr int XilinxReadTries = 10;

    CDevice();
    ~CDevice() override = default;

    // --- the controller's hooks -------------------------------------------------------------
    void SetTransactStep(ITransactStep* step) { step_ = step; }
    ITransactStep* TransactStep() const { return step_; }
    void SetDemoFlag(IDemoFlag* demo) { demo_ = demo; }
    void SetModelLoad(IModelLoad* load) { modelLoad_ = load; }

    // --- command path -----------------------------------------------------------------------
    bool IsDemo() const;
    // Runs the request built in the buffer through the controller's step (or the link).
    int Command(int command, bool ignoreCsr = false);
    // The link transaction itself, with a CSR folded to 0 when ignoreCsr: what a step runs.
    int LinkTransact(int command, bool ignoreCsr);
    static std::string CsrText(int csr);

    // --- identity and access ----------------------------------------------------------------
    // 0 known model, 1 unknown model (its reply kept as the model text), below 0 link error.
    // Command 128 runs through the controller's step like every command, so a unit that does
    // not answer shows in the status frame.
    int Identify();
    // What names the unit besides its model, read afresh into Identity(): the product ID (130,
    // 198), the version text (132), the PIN (169) and the serial number (231). 0, or the first
    // failing result (the rest are not read).
    int ReadUnitNames();
    // The display name; empty in demo mode.
    std::string CopyDisplayName() const;
    // 1 RF on, 0 off, below 0 link error.
    int ReadRfOn();
    // True when the local port's CTS does not follow DTR (no loop-back plug).
    bool ProbeDtrCts();
    int SetServiceAccess(bool on);
    int InitMemory(uint8_t parameter);
    int ResetServiceLog();
    // 0, 99 when the unit refuses, or the access result.
    int ApplyPin();
    int EnterBootMode();
    int ReadPin();
    int WritePin(uint32_t pin);
    int ReadSerialNumber(uint32_t& serial);
    int WriteSerialNumber(uint32_t serial);
    // The 11-character product ID: part number, variant, ".", revision. With vars, DC Bias is
    // shown with 1 decimal on units that report it in tenths.
    int ReadProductId(std::string& id, CVars* vars = nullptr);
    int ReadVersionText(std::string& text);
    // Exchanges section "Model" of the settings store (one routine for load and save).
    void LoadModel(CRegistry& store);

    // --- modes and presets ------------------------------------------------------------------
    int SetMode(int mode);
    int ReadMode(int& mode);
    int SetPresetMode(int mode);
    int ReadPresetMode(int& mode);
    int SetExtPresetMode(int mode, bool ignoreCsr);
    int ReadExtPresetMode(int& mode);

    // --- capacitors and motors --------------------------------------------------------------
    int MoveCaps(double loadPercent, double tunePercent);
    int ReadPositions();
    int ResetCaps();
    // The motor status byte AND mask (>= 0), or a link error.
    int MotorStatus(int mask);
    // Polls the motor status until the motors stop (mask 3, or 7 with the extra bit).
    int WaitMotors(bool extraBit = false);
    int EnableMotors(bool enable);
    int WriteCapLimits(double loadMin, double tuneMin, double loadMax, double tuneMax);
    int ReadCapLimits();
    int WriteCapSteps(int loadTotal, int tuneTotal, int loadOffset, int tuneOffset);
    int ReadCapSteps();
    int WriteCapRange(double loadCMax, double tuneCMax, double loadCMin, double tuneCMin);
    int ReadCapRange();
    struct CapWordPair; // one of the three pairs above, as it travels

    // --- trajectories -----------------------------------------------------------------------
    // Writes the four stored trajectories (edit them through Trajectory(i)), in order, up to
    // the first the unit does not take.
    int WriteTrajectories();
    // One stored trajectory (0..3): its points; the delays of its points (nothing to send
    // when the unit has none).
    int WriteTrajectoryPoints(int index);
    int WriteTrajectoryDelays(int index);
    int ReadTrajectories();
    int SelectTrajectory(int index);
    int ReadTrajectory();
    void SetPerPointValuesEnabled(bool on) { perPointValues_ = on ? 1 : 0; }

    // --- tuning and target ------------------------------------------------------------------
    int WriteTuning(const CTuning& t);
    int ReadTuning(CTuning& t);
    int WriteTarget(double r, double x);
    int ReadTarget(double& r, double& x);
    // VSWR to the unit's word and back.
    static int16_t VswrToWord(double vswr);
    static double WordToVswr(int16_t word);

    // --- sensors, converters, potentiometers ------------------------------------------------
    int WriteSensorCal(int sensor, const std::array<uint16_t, 8>& words);
    int ReadSensorCal(int sensor, std::array<uint16_t, 8>& words);
    int SetSensorAver(int sensor, int aver);
    int ReadSensorAver(int sensor, int& aver);
    int SetSensorPoff(int sensor, int offset);
    int ReadSensorPoff(int sensor, int& offset);
    int MeasureInputAdc(int selector, std::array<uint16_t, 4>& words);
    int MeasureInput(int selector, double& r, double& x, double& ratio, int& raw);
    int WriteSdac(int channel, int w1, int w2);
    int ReadSdac(int channel, int& w1, int& w2);
    int WriteMaxCh(int channel, int w);
    int ReadMaxCh(int channel, int& w);
    int WriteSadc(int channel, int w1, int w2, int w3);
    int ReadSadc(int channel, int& w1, int& w2, int& w3);
    int SetPot(int pot, int value);
    int ReadPot(int pot, int& value);

    // --- third capacitor (only when Has3rdCap; the range ones not when Is3rdCapFixed) -------
    int Write3capPosition(double percent); // 1 and nothing sent without a third capacitor
    int Read3capPosition();
    int Write3capSteps(int total, int offset);
    int Read3capSteps();
    int Write3capLimits(double minPercent, double maxPercent);
    int Read3capLimits();
    int Write3capRatio(double ratio);
    int Read3capRatio(double& ratio);
    int Write3capAver(int aver);
    int Read3capAver(int& aver);
    int Write3capPresetN(int index, double value);
    int Read3capPresetN(int index, double& value);
    int Write3capSensorCal(const C3capSensorCal& cal);
    int Read3capSensorCal(C3capSensorCal& cal);
    int Write3capPresetSel(int index);
    int Read3capPresetSel();
    int Set3capMode(int autoMode);
    int Set3capPresetOn(int on);
    int Write3capControl(const C3capControl& c);
    int Read3capControl(C3capControl& c);
    int Write3capRange(double cMax, double cMin);
    int Read3capRange();
    int Write3capVLevel(int level);
    int Read3capVLevel(int& level);
    int Measure3capSensors(double& ratio, double& i1, double& i2);
    int Measure3capAdc(std::array<uint16_t, 4>& words);

    // --- identity and service ---------------------------------------------------------------
    int SetAddress(int address);
    int SetBaudRate(int baud);
    int ReadServiceLog();
    int StartXilinx(int word);
    // Sends one block of the logic-device image straight to the local port (no framing).
    int SendXilinxBlock(const uint8_t* data, int length);

    // --- live read --------------------------------------------------------------------------
    int ReadLive(CLiveSample& s);
    int SimulateLive(CLiveSample& s);
    // Stores a live sample into a record by variable id, as the readings update does.
    void StoreLive(const CLiveSample& s, CDataRec& rec) const;

protected:
    void AppendWord(uint16_t w);
    void AppendShort(int16_t w) { AppendWord(static_cast<uint16_t>(w)); }
    void AppendU32(uint32_t v);
    // round(percent x 100), saturated to a word.
    void AppendPercent(double percent);
    // floor(value + 0.5) saturated to 0..65535; not a number gives 0.
    static uint16_t ClampToWordRounded(double value);
    uint8_t ReadByte();
    uint16_t ReadWord();
    int16_t ReadShort() { return static_cast<int16_t>(ReadWord()); }
    uint32_t ReadU32();
    void SkipBytes(int count);
    // Whether a third-capacitor command may be sent (the range ones need a movable one).
    bool ThirdCapAllowed(bool range) const;
    // Appends the request's data and runs the command; in demo mode sends nothing and gives 0,
    // so that the caller stores the value as the unit would have taken it.
    int SendUnlessDemo(int command, const std::function<void()>& appendData, bool ignoreCsr = false);
    // What one read of the unit does around its command. A step left empty does nothing.
    struct ReadSteps {
        std::function<void()> request{}; // appends the request's data
        std::function<void()> decode{};  // takes the values out of the reply the unit accepted
        std::function<void()> demo{};    // in demo mode, in place of the command: the values held
        bool ignoreCsr = false;
    };
    // The one shape of a read: in demo mode sends nothing, runs steps.demo and gives 0; else
    // appends the request, runs the command and, when it gives 0, decodes the reply. Gives the
    // command's result.
    int ReadUnlessDemo(int command, const ReadSteps& steps);
    // A read whose request is one byte (a sensor, channel, potentiometer or selector) that the
    // reply starts with again: skips that byte and decodes the rest.
    int ReadEchoed(int command, uint8_t index, const std::function<void()>& decode, bool ignoreCsr = false);
    // Runs 95 (unless demo) with a selector and the data appendData adds.
    int Send3cap(uint8_t selector, const std::function<void()>& appendData);
    // Reads 165 with a selector, as ReadEchoed; gives 0 and sends nothing where the unit has no
    // such third capacitor (ThirdCapAllowed(range)).
    int Read3cap(bool range, uint8_t selector, const std::function<void()>& decode);
    // Writes or reads one pair of load and tune settings (four words) and stores it.
    int WriteCapWords(const CapWordPair& pair, const std::array<double, 4>& values);
    int ReadCapWords(const CapWordPair& pair);
    static void Pause(int ms);
    // The clock WaitMotors measures its asking interval with.
    virtual std::chrono::steady_clock::time_point Now() const { return std::chrono::steady_clock::now(); }

private:
    ITransactStep* step_ = nullptr;
    IDemoFlag* demo_ = nullptr;
    IModelLoad* modelLoad_ = nullptr;
};
