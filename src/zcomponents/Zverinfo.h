#pragma once
// TzcVerInfo: reads the version resource of a PE executable (by default the running program's
// own file) and offers its standard strings and file flags. The reader checks every size and
// offset inside the file: a file that is not PE, has no version resource, or is truncated or
// malformed has no version information.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

// A version resource taken out of an executable image, queried by path as the platform does:
// "\" (the fixed file information), "\VarFileInfo\Translation",
// "\StringFileInfo\<language and code page>\<name>". Keys compare without regard to case.
class TVersionResource {
public:
    explicit TVersionResource(QByteArray block) : block_(std::move(block)) {}

    // The value bytes at the path; false when the path does not exist.
    bool Query(const QString& path, QByteArray& value) const;
    // A string value at the path (up to its first zero); false when the path does not exist.
    bool QueryString(const QString& path, QString& value) const;
    // The file-flags word of the fixed file information (0 without a valid one).
    std::uint32_t FileFlags() const;
    const QByteArray& Block() const { return block_; }

private:
    QByteArray block_;
};

// The version resource of a PE image held in memory; none for anything else.
std::optional<TVersionResource> ReadVersionResource(const std::uint8_t* data, std::size_t size);

// The name of a Windows language id ("English (United States)" for 0x0409); empty when unknown.
QString VerLanguageName(std::uint32_t languageId);

class TzcVerInfo : public QObject {
public:
    explicit TzcVerInfo(QObject* owner = nullptr);

    // Reads the file (after the owner has set the properties).
    void Loaded();

    QString VerFile() const { return verFile_; }
    // Stores the file name and reads the file again; empty means the running program.
    void SetVerFile(const QString& name);

    bool ExistVerInfo() const { return resource_.has_value(); }
    QString CompanyName() const { return GetNonStandardString("CompanyName"); }
    QString FileDescription() const { return GetNonStandardString("FileDescription"); }
    QString FileVersion() const { return GetNonStandardString("FileVersion"); }
    QString InternalName() const { return GetNonStandardString("InternalName"); }
    QString LegalCopyright() const { return GetNonStandardString("LegalCopyright"); }
    QString OriginalFileName() const { return GetNonStandardString("OriginalFileName"); }
    QString ProductName() const { return GetNonStandardString("ProductName"); }
    QString ProductVersion() const { return GetNonStandardString("ProductVersion"); }
    QString LegalTrademarks() const { return GetNonStandardString("LegalTrademarks"); }
    QString PrivateBuild() const { return GetNonStandardString("PrivateBuild"); }
    QString SpecialBuild() const { return GetNonStandardString("SpecialBuild"); }
    QString Comments() const { return GetNonStandardString("Comments"); }
    // Any string entry of the first translation.
    QString GetNonStandardString(const QString& name) const;

    // Language and code page of the first translation, four lower-case hexadecimal digits.
    QString LocaleID() const;
    QString CodePage() const;
    QString Language() const;

    bool IS_DEBUG() const { return flags_ & 0x01u; }
    bool IS_PRERELEASE() const { return flags_ & 0x02u; }
    bool IS_PATCHED() const { return flags_ & 0x04u; }
    bool IS_PRIVATEBUILD() const { return flags_ & 0x08u; }
    bool IS_INFOINFERRED() const { return flags_ & 0x10u; }
    bool IS_SPECIALBUILD() const { return flags_ & 0x20u; }

private:
    void DoTheFile();
    bool Translation(std::uint32_t& language, std::uint32_t& codePage) const;

    std::optional<TVersionResource> resource_;
    std::uint32_t flags_ = 0;
    QString verFile_;
};
