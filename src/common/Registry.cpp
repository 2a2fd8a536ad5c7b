#include "common/Registry.h"

#include "common/Commatext.h"
#include "platform/Inifile.h"
#include "platform/Settingsfile.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr const char* CountSuffix = "N";
constexpr size_t DoubleSize = sizeof(double);
static_assert(DoubleSize == 8);

// The double's 8 bytes, least significant first, as the registry holds them.
std::vector<uint8_t> DoubleToBytes(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::vector<uint8_t> bytes(DoubleSize);
    for (size_t i = 0; i < DoubleSize; ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    return bytes;
}

double BytesToDouble(const std::vector<uint8_t>& bytes)
{
    uint64_t bits = 0;
    for (size_t i = 0; i < DoubleSize; ++i)
        bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// One "%d" of the colour text: optional blanks, a sign and digits. The number is taken modulo
// 256 as it is read, so any length of digits is safe.
bool ScanByte(const std::string& text, size_t& pos, uint8_t& byte)
{
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        negative = text[pos++] == '-';
    unsigned value = 0;
    const size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        value = (value * 10 + static_cast<unsigned>(text[pos++] - '0')) & 0xFF;
    if (pos == start)
        return false;
    byte = static_cast<uint8_t>(negative ? (256 - value) & 0xFF : value);
    return true;
}

} // namespace

struct CRegistry::Impl {
    enum class Mode { Inactive, Ini, Settings };
    Mode mode = Mode::Inactive;
    platform::IniFile* ini = nullptr;
    std::unique_ptr<platform::SettingsFile> settings;
    bool keyOpen = false; // settings mode: the current section is open
    bool dirty = false;   // settings mode: something was stored since the last save
    bool unreadable = false; // settings mode: the file exists but could not be read
    std::string error;

    std::optional<platform::RegistryValue> Read(const std::string& section, const std::string& name) const
    {
        if (!keyOpen)
            return std::nullopt;
        return settings->ReadValue(section, name);
    }
};

CRegistry::CRegistry(const std::string& keyPath, bool reading, platform::IniFile* ini)
    : impl_(std::make_unique<Impl>())
    , reading_(reading)
{
    if (ini) {
        impl_->mode = Impl::Mode::Ini;
        impl_->ini = ini;
    } else if (!keyPath.empty()) {
        impl_->mode = Impl::Mode::Settings;
        impl_->settings = std::make_unique<platform::SettingsFile>(keyPath);
        impl_->error = impl_->settings->LastError();
        impl_->unreadable = !impl_->error.empty();
        impl_->keyOpen = true; // the key itself; values there are simply missing until saved
    }
}

CRegistry::~CRegistry()
{
    Flush();
}

const std::string& CRegistry::LastError() const
{
    return impl_->error;
}

bool CRegistry::Flush()
{
    if (impl_->mode != Impl::Mode::Settings || reading_ || !impl_->dirty)
        return true;
    // Writing what this store holds would drop every setting the file kept.
    if (impl_->unreadable)
        return false;
    if (!impl_->settings->Save()) {
        impl_->error = impl_->settings->LastError();
        return false; // still dirty: the destructor tries once more
    }
    impl_->dirty = false;
    impl_->error.clear();
    return true;
}

void CRegistry::SetSection(const std::string& section)
{
    section_ = section;
    if (impl_->mode != Impl::Mode::Settings)
        return;
    // Every section is opened on its own, so one missing section never disables the others.
    if (reading_) {
        impl_->keyOpen = impl_->settings->KeyExists(section);
    } else {
        impl_->keyOpen = impl_->settings->CreateKey(section);
        impl_->dirty = impl_->dirty || impl_->keyOpen;
    }
}

bool CRegistry::SectionExists() const
{
    switch (impl_->mode) {
    case Impl::Mode::Ini: return impl_->ini->SectionExists(section_);
    case Impl::Mode::Settings: return impl_->keyOpen;
    case Impl::Mode::Inactive: break;
    }
    return false;
}

void CRegistry::ClearSection()
{
    if (reading_)
        return;
    if (impl_->mode == Impl::Mode::Ini) {
        impl_->ini->EraseSection(section_);
    } else if (impl_->mode == Impl::Mode::Settings && impl_->keyOpen) {
        impl_->settings->DeleteValues(section_);
        impl_->dirty = true;
    }
}

void CRegistry::ClearAllSections()
{
    if (reading_ || impl_->mode != Impl::Mode::Ini)
        return;
    for (const std::string& section : impl_->ini->Sections())
        impl_->ini->EraseSection(section);
}

int CRegistry::ExchangeInt(const std::string& name, int value)
{
    if (impl_->mode == Impl::Mode::Ini) {
        if (reading_)
            return impl_->ini->ReadInteger(section_, name, value);
        impl_->ini->WriteInteger(section_, name, value);
    } else if (impl_->mode == Impl::Mode::Settings && impl_->keyOpen) {
        if (reading_) {
            const auto stored = impl_->Read(section_, name);
            return stored && stored->type == platform::RegistryValue::Type::Dword
                ? static_cast<int>(stored->dword)
                : value;
        }
        impl_->dirty |= impl_->settings->WriteDword(section_, name, static_cast<uint32_t>(value));
    }
    return value;
}

bool CRegistry::ExchangeBool(const std::string& name, bool value)
{
    if (impl_->mode == Impl::Mode::Ini) {
        if (reading_)
            return impl_->ini->ReadBool(section_, name, value);
        impl_->ini->WriteBool(section_, name, value);
        return value;
    }
    // The registry keeps a boolean as the integer 0 or 1.
    return ExchangeInt(name, value ? 1 : 0) != 0;
}

double CRegistry::ExchangeDouble(const std::string& name, double value)
{
    if (impl_->mode == Impl::Mode::Ini) {
        if (reading_)
            return impl_->ini->ReadFloat(section_, name, value);
        impl_->ini->WriteFloat(section_, name, value);
    } else if (impl_->mode == Impl::Mode::Settings && impl_->keyOpen) {
        if (reading_) {
            const auto stored = impl_->Read(section_, name);
            return stored && stored->type == platform::RegistryValue::Type::Binary
                    && stored->bytes.size() == DoubleSize
                ? BytesToDouble(stored->bytes)
                : value;
        }
        impl_->dirty |= impl_->settings->WriteBinary(section_, name, DoubleToBytes(value));
    }
    return value;
}

std::string CRegistry::ExchangeString(const std::string& name, const std::string& value)
{
    if (impl_->mode == Impl::Mode::Ini) {
        if (reading_)
            return impl_->ini->ReadString(section_, name, value);
        impl_->ini->WriteString(section_, name, value);
    } else if (impl_->mode == Impl::Mode::Settings && impl_->keyOpen) {
        if (reading_) {
            const auto stored = impl_->Read(section_, name);
            return stored && stored->type == platform::RegistryValue::Type::String ? stored->text
                                                                                     : value;
        }
        impl_->dirty |= impl_->settings->WriteString(section_, name, value);
    }
    return value;
}

uint32_t CRegistry::ExchangeColor(const std::string& name, uint32_t color)
{
    if (impl_->mode == Impl::Mode::Inactive)
        return color;
    if (reading_) {
        if (impl_->mode == Impl::Mode::Settings) {
            const auto stored = impl_->Read(section_, name);
            if (!stored)
                return color;
            if (stored->type == platform::RegistryValue::Type::Dword)
                return stored->dword;
        } else if (!impl_->ini->ValueExists(section_, name)) {
            return color;
        }
    }
    uint8_t bytes[3] = { static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
        static_cast<uint8_t>(color >> 16) };
    const std::string text = ExchangeString(name,
        std::to_string(bytes[0]) + "," + std::to_string(bytes[1]) + "," + std::to_string(bytes[2]));
    if (!reading_)
        return color;
    // "%d,%d,%d": scanning stops at the first component that does not match.
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',')
                break;
            ++pos;
        }
        if (!ScanByte(text, pos, bytes[i]))
            break;
    }
    return bytes[0] | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16);
}

std::string CRegistry::ExchangeStringList(const std::string& name, const std::string& commaText)
{
    if (!reading_) {
        const std::vector<std::string> items = CommaTextToList(commaText);
        ExchangeInt(name + CountSuffix, static_cast<int>(items.size()));
        for (size_t i = 0; i < items.size(); ++i)
            ExchangeString(name + std::to_string(i + 1), items[i]);
        return commaText;
    }
    int count = ExchangeInt(name + CountSuffix, 0);
    if (count <= 0)
        return commaText;
    // The count comes from a file: a damaged one must not make the load run for ever.
    if (count > MaxListItems)
        count = MaxListItems;
    std::vector<std::string> items;
    for (int i = 1; i <= count; ++i)
        items.push_back(ExchangeString(name + std::to_string(i), ""));
    return ListToCommaText(items);
}
