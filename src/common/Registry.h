#pragma once
// One settings exchange in one direction. A window's exchange routine calls the same typed
// operations for load and save: loading returns the stored value or, when missing, the value
// passed in; saving stores the value and returns it unchanged.
//
// Two stores: the caller's INI file (a settings file; the caller saves it), or the user's
// settings file that stands in for the registry key (platform::SettingsFile), with one section
// per sub-key and values typed as the registry types them. Each section is opened on its own: a
// missing section only leaves its own values at their defaults. No call throws.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class IniFile;
class SettingsFile;
}

class CRegistry {
public:
    static constexpr int MaxListItems = 1000;

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
    // Colour 0x00BBGGRR stored as "R,G,B" (low byte first). Loading: an integer value in the
    // registry store is the colour as it is; a text component that does not scan keeps the
    // passed colour's byte; a missing value returns the passed colour unchanged.
    uint32_t ExchangeColor(const std::string& name, uint32_t color);
    // List as comma text; stored as name+"N" and name+"1".. name+count. Loading with a count of
    // 0 or less (or no count) returns the passed text; at most MaxListItems items are read.
    std::string ExchangeStringList(const std::string& name, const std::string& commaText);

    // Registry mode, saving: writes the settings file once when something was stored; the
    // destructor calls it too. False when the save failed (the old file is then left as it
    // was; see LastError()), and always when the file exists but could not be read, so that it
    // is never replaced by what one store wrote. With an INI file it does nothing: the caller
    // saves its file.
    bool Flush();
    const std::string& LastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    bool reading_;
    std::string section_;
};
