#include "device/Device.h"

#include "common/Registry.h"
#include "device/Unitconst.h"
#include "device/Datarec.h"
#include "device/Var.h"
#include "platform/Serialport.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace {

struct CsrEntry {
    int code;
    const char* text;
};

constexpr CsrEntry CsrTable[] = {
    {0, "OK"},
    {1, "Wrong control mode"},
    {4, "Invalid data range"},
    {9, "Invalid data count"},
    {30, "EE fault"},
    {31, "Invalid preset active"},
    {32, "Auto mode and RF On"},
    {33, "Invalid SDAC selected"},
    {34, "Invalid SDAC channel selected"},
    {35, "Not serial control mode"},
    {36, "Invalid potentiometer selected"},
    {37, "Invalid preset select parameters"},
    {38, "Invalid trajectory count"},
    {39, "Invalid sensor select parameter"},
    {40, "Invalid control mode parameter"},
    {41, "Invalid OstraBus address"},
    {42, "Invalid service log sector"},
    {43, "Invalid select parameter"},
    {44, "Preset mode active"},
    {45, "Trajectories active"},
    {46, "3-rd cap Auto mode"},
    {47, "Motor movement disabled"},
    {48, "Motor already moving"},
    {95, "Motor init off stop"},
    {96, "Unit function pointer"},
    {97, "EEPROM unit host"},
    {98, "Motor init host"},
    {99, "Invalid command"},
};

// Identify replies and the names they are shown by; compared exactly.
struct IdentifyEntry {
    const char* reply;
    const char* name;
};

constexpr IdentifyEntry IdentifyTable[] = {
    {"VANT", "VANT"},
    {"VANTREL Auto Match", "VANTREL Auto Match"},
    {"VANTREL Switch Match", "VANTREL Switch Match"},
};

constexpr int DtrRepeats = 4;

// Reply bytes as a text, ending at the first zero byte.
std::string ReplyText(const uint8_t* bytes, int count)
{
    std::string text;
    for (int i = 0; i < count && bytes[i] != 0; ++i)
        text += static_cast<char>(bytes[i]);
    return text;
}

} // namespace

// --- helpers -------------------------------------------------------------------------------

void CDevice::AppendWord(uint16_t w)
{
    const uint8_t b[2] = {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)};
    AppendBytes(b, 2);
}

void CDevice::AppendU32(uint32_t v)
{
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    AppendBytes(b, 4);
}

void CDevice::AppendPercent(double percent)
{
    AppendWord(ClampToWordRounded(percent * 100.0));
}

uint16_t CDevice::ClampToWordRounded(double value)
{
    if (std::isnan(value) || value <= 0.0)
        return 0;
    const double r = std::floor(value + 0.5);
    return r > 65535.0 ? 65535 : static_cast<uint16_t>(r);
}

uint8_t CDevice::ReadByte()
{
    uint8_t b = 0;
    ReadBytes(&b, 1);
    return b;
}

uint16_t CDevice::ReadWord()
{
    uint8_t b[2] = {};
    ReadBytes(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t CDevice::ReadU32()
{
    uint8_t b[4] = {};
    ReadBytes(b, 4);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

void CDevice::SkipBytes(int count)
{
    uint8_t scratch[8];
    while (count > 0) {
        const int n = count > 8 ? 8 : count;
        ReadBytes(scratch, n);
        count -= n;
    }
}

void CDevice::Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// --- command path --------------------------------------------------------------------------

bool CDevice::IsDemo() const { return demo_ && demo_->IsDemo(); }

CDevice::CDevice() = default;

int CDevice::LinkTransact(int command, bool ignoreCsr)
{
    int result = Transact(command);
    if (ignoreCsr && result > 0)
        result = 0;
    return result;
}

int CDevice::Command(int command, bool ignoreCsr)
{
    if (IsDemo())
        return 0;
    int result = step_ ? step_->Transact(*this, command, ignoreCsr) : LinkTransact(command, ignoreCsr);
    if (ignoreCsr && result > 0)
        result = 0;
    return result;
}

std::string CDevice::CsrText(int csr)
{
    for (const CsrEntry& e : CsrTable)
        if (e.code == csr)
            return e.text;
    return "Unknown CSR";
}

// --- identity ------------------------------------------------------------------------------

int CDevice::Identify()
{
    displayName_.clear();
    if (!IsDemo()) {
        const int result = Command(unitcmd::Identify);
        if (result < 0) {
            modelText_ = "VANT";
            return result;
        }
        modelText_ = ReplyText(Buffer(), ReplyLength());
    }
    for (const IdentifyEntry& e : IdentifyTable) {
        if (modelText_ == e.reply) {
            displayName_ = e.name;
            return 0;
        }
    }
    return 1;
}

int CDevice::ReadUnitNames()
{
    std::string text;
    uint32_t serial = 0;
    int r = 0;
    if ((r = ReadProductId(text)) != 0 || (r = ReadVersionText(text)) != 0 || (r = ReadPin()) != 0)
        return r;
    return ReadSerialNumber(serial);
}

std::string CDevice::CopyDisplayName() const { return IsDemo() ? std::string() : displayName_; }

int CDevice::ReadRfOn()
{
    if (IsDemo())
        return 0;
    const int result = Transact(unitcmd::ReadRfOn);
    if (result < 0)
        return result;
    return ReadByte() & 1;
}

bool CDevice::ProbeDtrCts()
{
    platform::SerialPort* port = LocalPort();
    if (!port || !port->IsOpen())
        return false;
    for (int i = 0; i < DtrRepeats; ++i)
        if (!port->SetDtr(true))
            return false;
    bool ctsHigh = false;
    if (!port->ReadCts(ctsHigh))
        return false;
    for (int i = 0; i < DtrRepeats; ++i)
        if (!port->SetDtr(false))
            return false;
    bool ctsLow = false;
    if (!port->ReadCts(ctsLow))
        return false;
    return ctsHigh == ctsLow;
}

// --- service access and protected operations -----------------------------------------------

int CDevice::SetServiceAccess(bool on)
{
    if (IsDemo() || !IsConnected())
        return 0;
    int result = Transact(unitcmd::AccessOff);
    if (!on || result < 0)
        return result;
    AppendByte(unitconst::AccessByte1);
    result = Transact(unitcmd::AccessCode1);
    if (result < 0)
        return result;
    AppendByte(unitconst::AccessByte2);
    return Transact(unitcmd::AccessCode2);
}

int CDevice::InitMemory(uint8_t parameter)
{
    if (IsDemo())
        return 0;
    int result = SetServiceAccess(true);
    if (result < 0)
        return result;
    AppendByte(parameter);
    result = Command(unitcmd::InitMemory);
    const int off = SetServiceAccess(false);
    return result != 0 ? result : off;
}

int CDevice::ResetServiceLog()
{
    if (IsDemo())
        return 0;
    int result = SetServiceAccess(true);
    if (result < 0)
        return result;
    AppendByte(0);
    result = Command(unitcmd::ResetLogSector);
    if (result < 0)
        return result;
    if (result != 0) {
        // The unit does not reset by sectors: clear each log id.
        for (int id = unitconst::LogIdFirst; id <= unitconst::LogIdLast; ++id) {
            AppendWord(static_cast<uint16_t>(id));
            result = Command(unitcmd::WriteLogId);
            if (result < 0)
                return result;
        }
    } else {
        auto sector = [&](int s) {
            AppendByte(static_cast<uint8_t>(s));
            result = Command(unitcmd::ResetLogSector);
            return result >= 0;
        };
        for (int s = 1; s <= 23; ++s)
            if (!sector(s))
                return result;
        for (int s = 30; s <= 33; ++s)
            if (!sector(s))
                return result;
    }
    const int off = SetServiceAccess(false);
    return off < 0 ? off : result;
}

int CDevice::ApplyPin()
{
    if (IsDemo())
        return 0;
    const int access = SetServiceAccess(true);
    if (access != 0)
        return access;
    const int result = Command(unitcmd::ApplyPin);
    if (result != 0)
        return result;
    return ReplyLength() > 0 && Buffer()[0] != 0 ? 99 : 0;
}

int CDevice::EnterBootMode()
{
    if (IsDemo())
        return 0;
    int result = SetServiceAccess(true);
    if (result < 0)
        return result;
    result = Transact(unitcmd::BootMode);
    Pause(BootModeWaitMs);
    const int off = SetServiceAccess(false);
    return result != 0 ? result : off;
}

int CDevice::ReadPin()
{
    if (IsDemo())
        return 0;
    int result = Command(unitcmd::ReadPin);
    if (result != 0)
        return result;
    pin_ = 0;
    if (ReplyLength() == 4) {
        pin_ = ReadU32();
        return 0;
    }
    // Older units: two option bytes.
    result = Command(unitcmd::ReadPinOld);
    if (result != 0)
        return result;
    const uint8_t options = ReadByte();
    if (options & 0x02)
        pin_ = 0x400;
    else if (options & 0x01)
        pin_ = 0x10001;
    else
        pin_ = 1;
    return 0;
}

int CDevice::WritePin(uint32_t pin)
{
    pin_ = pin;
    if (IsDemo())
        return 0;
    int result = SetServiceAccess(true);
    if (result < 0)
        return result;
    AppendU32(pin);
    result = Command(unitcmd::WritePin);
    const int off = SetServiceAccess(false);
    return result != 0 ? result : off;
}

int CDevice::ReadSerialNumber(uint32_t& serial)
{
    serial = 0;
    if (IsDemo())
        return 0;
    int result = Command(unitcmd::ReadSerialNumber);
    if (result != 0)
        return result;
    if (ReplyLength() == 4) {
        serial = ReadU32();
        serialNumber_ = serial;
        return 0;
    }
    uint32_t halves[2] = {0, 0};
    const uint16_t vars[2] = {unitconst::VarSerialLow, unitconst::VarSerialHigh};
    for (int i = 0; i < 2; ++i) {
        AppendWord(vars[i]);
        result = Command(unitcmd::ReadVariable);
        if (result != 0)
            return result;
        ReadWord(); // the variable number echoed
        halves[i] = ReadWord();
    }
    serial = halves[0] | (halves[1] << 16);
    serialNumber_ = serial;
    return 0;
}

int CDevice::WriteSerialNumber(uint32_t serial)
{
    if (IsDemo())
        return 0;
    int result = SetServiceAccess(true);
    if (result < 0)
        return result;
    AppendByte(4);
    AppendWord(unitconst::VarSerialBlock);
    AppendU32(serial);
    result = Command(unitcmd::WriteVariableBlock);
    int off = SetServiceAccess(false);
    if (result <= 0)
        return result != 0 ? result : off;
    // Refused: write the two halves as single variables.
    result = SetServiceAccess(true);
    if (result < 0)
        return result;
    AppendWord(unitconst::VarSerialLow);
    AppendWord(static_cast<uint16_t>(serial));
    result = Command(unitcmd::WriteVariable);
    if (result == 0) {
        AppendWord(unitconst::VarSerialHigh);
        AppendWord(static_cast<uint16_t>(serial >> 16));
        result = Command(unitcmd::WriteVariable);
    }
    off = SetServiceAccess(false);
    return result != 0 ? result : off;
}

int CDevice::ReadProductId(std::string& id, CVars* vars)
{
    if (IsDemo()) {
        id = unitconst::DemoProductId;
        return 0;
    }
    int result = Command(unitcmd::ReadPartNumber);
    if (result != 0)
        return result;
    uint8_t part[unitconst::PartNumberLength] = {};
    ReadBytes(part, unitconst::PartNumberLength);
    const std::string partNumber = ReplyText(part, unitconst::PartNumberLength);
    result = Command(unitcmd::ReadVariant);
    if (result != 0)
        return result;
    uint8_t variant[3] = {};
    ReadBytes(variant, 3);
    id = partNumber + ReplyText(variant, 1) + "." + ReplyText(variant + 1, 2);
    productId_ = id;

    const bool tenths = partNumber == unitconst::TenthsBiasPart1 || partNumber == unitconst::TenthsBiasPart2;
    dcBiasScale_ = tenths ? 0.1 : 1.0;
    if (tenths && vars)
        vars->Find(varid::DcBias).decimals = 1;
    return 0;
}

int CDevice::ReadVersionText(std::string& text)
{
    if (IsDemo()) {
        text = unitconst::DemoVersionText;
        return 0;
    }
    text.clear();
    const int result = Command(unitcmd::ReadVersion, true);
    if (result != 0)
        return result;
    if (ReplyLength() > 1)
        text = ReplyText(Buffer(), ReplyLength());
    versionText_ = text;
    return 0;
}

// --- model parameters ----------------------------------------------------------------------

void CDevice::LoadModel(CRegistry& store)
{
    CModelParams& m = model_;
    store.SetSection("Model");
    m.freq = store.ExchangeDouble("Freq", m.freq);
    m.lser = store.ExchangeDouble("Lser", m.lser);
    m.lsh = store.ExchangeDouble("Lsh", m.lsh);
    m.cpar = store.ExchangeDouble("Cpar", m.cpar);
    m.cout = store.ExchangeDouble("Cout", m.cout);
    m.tlsh = store.ExchangeDouble("TLsh", m.tlsh);
    m.tcpar = store.ExchangeDouble("TCpar", m.tcpar);
    m.modelType = store.ExchangeInt("ModelType", m.modelType);
    caps_[0].cMin = store.ExchangeDouble("CShMin", caps_[0].cMin);
    caps_[0].cMax = store.ExchangeDouble("CShMax", caps_[0].cMax);
    caps_[1].cMin = store.ExchangeDouble("CSerMin", caps_[1].cMin);
    caps_[1].cMax = store.ExchangeDouble("CSerMax", caps_[1].cMax);
    caps_[2].cMin = store.ExchangeDouble("C3capMin", caps_[2].cMin);
    caps_[2].cMax = store.ExchangeDouble("C3capMax", caps_[2].cMax);
    m.vswrStop = store.ExchangeDouble("vswr_stop", m.vswrStop);
    m.vswrStart = store.ExchangeDouble("vswr_start", m.vswrStart);
    m.rflStop = store.ExchangeInt("rfl_stop", m.rflStop);
    m.rflStart = store.ExchangeInt("rfl_start", m.rflStart);
    m.maxShStep = store.ExchangeDouble("max_sh_step", m.maxShStep);
    m.maxSerStep = store.ExchangeDouble("max_ser_step", m.maxSerStep);
    m.minSerStep = store.ExchangeDouble("min_ser_step", m.minSerStep);
    m.rtoshunt = store.ExchangeDouble("rtoshunt", m.rtoshunt);
    m.xtoshunt = store.ExchangeDouble("xtoshunt", m.xtoshunt);
    m.rtoseries = store.ExchangeDouble("rtoseries", m.rtoseries);
    m.xtoseries = store.ExchangeDouble("xtoseries", m.xtoseries);
    m.algorithm = store.ExchangeInt("algorithm", m.algorithm);
    m.rtarget = store.ExchangeDouble("rtarget", m.rtarget);
    m.xtarget = store.ExchangeDouble("xtarget", m.xtarget);
}
