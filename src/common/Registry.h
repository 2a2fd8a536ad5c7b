#pragma once
// One settings exchange in one direction. A window's exchange routine calls the same typed
// operations for load and save: loading returns the stored value or, when missing, the value
// passed in; saving stores the value and returns it unchanged.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class IniFile;
class SettingsFile;
}

class CRegistry {
public:
    // With an INI file: exchange with it (the caller keeps ownership). Otherwise, with an empty
    // key path, every call does nothing; else the user's settings store under that key path.
    CRegistry(const std::string& keyPath, bool reading, platform::IniFile* ini = nullptr);
    virtual ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    bool Reading() const { return reading_; }

    void SetSection(const std::string& section);
    const std::string& Section() const { return section_; }
    bool SectionExists() const;
    void ClearSection();
    void ClearAllSections();

    int ExchangeInt(const std::string& name, int value);
    bool ExchangeBool(const std::string& name, bool value);
    double ExchangeDouble(const std::string& name, double value);
    std::string ExchangeString(const std::string& name, const std::string& value);
    // Colour 0x00BBGGRR stored as "R,G,B" (low byte first).
    uint32_t ExchangeColor(const std::string& name, uint32_t color);
    // List as comma text; stored as name+"N" and name+"1".. name+count.
    std::string ExchangeStringList(const std::string& name, const std::string& commaText);

    // Saves a store opened for saving; called by the destructor too. False when the save failed.
    bool Flush();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    bool reading_;
    std::string section_;
};
