#include "zcomponents/Zverinfo.h"

#include "platform/Textfile.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr std::uint16_t DosMagic = 0x5A4D;     // "MZ"
constexpr std::uint32_t PeMagic = 0x00004550;  // "PE\0\0"
constexpr std::size_t DosNewHeaderAt = 0x3C;
constexpr std::size_t CoffSize = 20;
constexpr std::uint16_t Pe32 = 0x10B;
constexpr std::uint16_t Pe32Plus = 0x20B;
constexpr std::size_t RvaCountAt32 = 92, kRvaCountAt64 = 108;
constexpr std::size_t DirectoriesAt32 = 96, kDirectoriesAt64 = 112;
constexpr std::uint32_t ResourceDirectory = 2;
constexpr std::size_t SectionHeaderSize = 40;
constexpr std::size_t ResourceDirSize = 16;
constexpr std::size_t ResourceEntrySize = 8;
constexpr std::size_t ResourceDataEntrySize = 16;
constexpr std::uint32_t RtVersion = 16;
constexpr std::uint32_t SubdirectoryBit = 0x80000000u;
constexpr std::uint32_t FixedSignature = 0xFEEF04BDu;
constexpr std::size_t FixedInfoSize = 52;
constexpr std::size_t FileFlagsAt = 28;
constexpr std::size_t NodeHeader = 6;
constexpr std::uint16_t TextValue = 1;
constexpr std::size_t kMaxFileSize = 256 * 1024 * 1024;
constexpr int MaxPath = 255;

// Bounds-checked little-endian reads from a byte range.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Size() const { return size_; }
    bool Has(std::size_t at, std::size_t n) const { return at <= size_ && n <= size_ - at; }
    bool U16(std::size_t at, std::uint16_t& v) const
    {
        if (!Has(at, 2))
            return false;
        v = std::uint16_t(data_[at] | (data_[at + 1] << 8));
        return true;
    }
    bool U32(std::size_t at, std::uint32_t& v) const
    {
        if (!Has(at, 4))
            return false;
        v = std::uint32_t(data_[at]) | (std::uint32_t(data_[at + 1]) << 8) |
            (std::uint32_t(data_[at + 2]) << 16) | (std::uint32_t(data_[at + 3]) << 24);
        return true;
    }
    const std::uint8_t* At(std::size_t at) const { return data_ + at; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

struct Section {
    std::uint32_t va, virtualSize, rawSize, rawAt;
};

// The file offset of a relative virtual address, with at least `need` bytes behind it.
bool RvaToOffset(const Bytes& file, const std::vector<Section>& sections, std::uint32_t rva,
                 std::size_t need, std::size_t& offset)
{
    for (const Section& s : sections) {
        const std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva < s.va || std::uint64_t(rva) - s.va >= extent)
            continue;
        const std::uint64_t delta = rva - s.va;
        if (delta + need > s.rawSize)
            return false;
        const std::uint64_t at = std::uint64_t(s.rawAt) + delta;
        if (!file.Has(std::size_t(at), need))
            return false;
        offset = std::size_t(at);
        return true;
    }
    return false;
}

// One entry of a resource directory: its id (or name offset) and data offset.
bool DirectoryEntry(const Bytes& res, std::size_t dirAt, bool wantId, std::uint32_t id,
                    std::uint32_t& target)
{
    std::uint16_t named = 0, ids = 0;
    if (!res.U16(dirAt + 12, named) || !res.U16(dirAt + 14, ids))
        return false;
    const std::size_t count = std::size_t(named) + ids;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = dirAt + ResourceDirSize + i * ResourceEntrySize;
        std::uint32_t name = 0, data = 0;
        if (!res.U32(at, name) || !res.U32(at + 4, data))
            return false;
        if (!wantId || ((name & SubdirectoryBit) == 0 && name == id)) {
            target = data;
            return true;
        }
    }
    return false;
}

std::optional<QByteArray> FindVersionBlock(const Bytes& file)
{
    std::uint16_t magic = 0;
    std::uint32_t peAt = 0, peMagic = 0;
    if (!file.U16(0, magic) || magic != DosMagic || !file.U32(DosNewHeaderAt, peAt) ||
        !file.U32(peAt, peMagic) || peMagic != PeMagic)
        return std::nullopt;
    const std::size_t coffAt = std::size_t(peAt) + 4;
    std::uint16_t sectionCount = 0, optionalSize = 0, optMagic = 0;
    if (!file.U16(coffAt + 2, sectionCount) || !file.U16(coffAt + 16, optionalSize))
        return std::nullopt;
    const std::size_t optAt = coffAt + CoffSize;
    if (!file.U16(optAt, optMagic) || (optMagic != Pe32 && optMagic != Pe32Plus))
        return std::nullopt;
    const bool plus = optMagic == Pe32Plus;
    std::uint32_t rvaCount = 0, rsrcRva = 0, rsrcSize = 0;
    const std::size_t dirsAt = optAt + (plus ? kDirectoriesAt64 : DirectoriesAt32);
    const std::size_t resDirAt = dirsAt + ResourceDirectory * 8;
    if (!file.U32(optAt + (plus ? kRvaCountAt64 : RvaCountAt32), rvaCount) ||
        rvaCount <= ResourceDirectory || resDirAt + 8 > optAt + optionalSize ||
        !file.U32(resDirAt, rsrcRva) || !file.U32(resDirAt + 4, rsrcSize) || rsrcSize == 0)
        return std::nullopt;

    std::vector<Section> sections;
    const std::size_t sectionsAt = optAt + optionalSize;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = sectionsAt + i * SectionHeaderSize;
        Section s{};
        if (!file.U32(at + 8, s.virtualSize) || !file.U32(at + 12, s.va) ||
            !file.U32(at + 16, s.rawSize) || !file.U32(at + 20, s.rawAt))
            return std::nullopt;
        sections.push_back(s);
    }
    // The resource area: as much of the directory's size as the file holds.
    std::size_t rsrcAt = 0;
    if (!RvaToOffset(file, sections, rsrcRva, ResourceDirSize, rsrcAt))
        return std::nullopt;
    const Bytes res(file.At(rsrcAt), std::min<std::size_t>(rsrcSize, file.Size() - rsrcAt));

    std::uint32_t typeDir = 0, nameDir = 0, langEntry = 0;
    if (!DirectoryEntry(res, 0, true, RtVersion, typeDir) || !(typeDir & SubdirectoryBit) ||
        !DirectoryEntry(res, typeDir & ~SubdirectoryBit, false, 0, nameDir) ||
        !(nameDir & SubdirectoryBit) ||
        !DirectoryEntry(res, nameDir & ~SubdirectoryBit, false, 0, langEntry) ||
        (langEntry & SubdirectoryBit))
        return std::nullopt;
    std::uint32_t dataRva = 0, dataSize = 0;
    if (!res.Has(langEntry, ResourceDataEntrySize) || !res.U32(langEntry, dataRva) ||
        !res.U32(langEntry + 4, dataSize) || dataSize < NodeHeader)
        return std::nullopt;
    std::size_t dataAt = 0;
    if (!RvaToOffset(file, sections, dataRva, dataSize, dataAt))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(file.At(dataAt)), qsizetype(dataSize));
}

std::size_t Align4(std::size_t v)
{
    return (v + 3) & ~std::size_t(3);
}

// One node of the version tree: key, value range and children range, all within the block.
struct Node {
    QString key;
    std::size_t valueAt = 0, valueSize = 0;
    std::size_t childrenAt = 0, end = 0;
    bool text = false;
};

bool ParseNode(const Bytes& b, std::size_t at, std::size_t limit, Node& node)
{
    std::uint16_t length = 0, valueLength = 0, type = 0;
    if (!b.U16(at, length) || !b.U16(at + 2, valueLength) || !b.U16(at + 4, type) ||
        length < NodeHeader || length > limit - at)
        return false;
    node.end = at + length;
    node.key.clear();
    std::size_t p = at + NodeHeader;
    for (;; p += 2) {
        std::uint16_t ch = 0;
        if (p + 2 > node.end || !b.U16(p, ch))
            return false;
        if (ch == 0)
            break;
        node.key += QChar(ch);
    }
    node.text = type == TextValue;
    node.valueAt = std::min(Align4(p + 2), node.end);
    const std::size_t bytes = node.text ? std::size_t(valueLength) * 2 : valueLength;
    node.valueSize = std::min(bytes, node.end - node.valueAt);
    node.childrenAt = std::min(Align4(node.valueAt + node.valueSize), node.end);
    return true;
}

} // namespace

bool TVersionResource::Query(const QString& path, QByteArray& value) const
{
    const Bytes b(reinterpret_cast<const std::uint8_t*>(block_.constData()), std::size_t(block_.size()));
    Node node;
    if (!ParseNode(b, 0, b.Size(), node))
        return false;
    const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool found = false;
        Node child;
        for (std::size_t at = node.childrenAt; at + NodeHeader <= node.end;) {
            if (!ParseNode(b, at, node.end, child))
                return false;
            if (child.key.compare(part, Qt::CaseInsensitive) == 0) {
                found = true;
                break;
            }
            at = Align4(child.end);
        }
        if (!found)
            return false;
        node = child;
    }
    value = block_.mid(qsizetype(node.valueAt), qsizetype(node.valueSize));
    return true;
}

bool TVersionResource::QueryString(const QString& path, QString& value) const
{
    QByteArray bytes;
    if (!Query(path, bytes))
        return false;
    value.clear();
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto ch = char16_t(std::uint8_t(bytes[i]) | (std::uint8_t(bytes[i + 1]) << 8));
        if (ch == 0)
            break;
        value += QChar(ch);
    }
    return true;
}

std::uint32_t TVersionResource::FileFlags() const
{
    QByteArray fixed;
    if (!Query(QStringLiteral("\\"), fixed) || std::size_t(fixed.size()) < FixedInfoSize)
        return 0;
    const Bytes b(reinterpret_cast<const std::uint8_t*>(fixed.constData()), std::size_t(fixed.size()));
    std::uint32_t signature = 0, flags = 0;
    if (!b.U32(0, signature) || signature != FixedSignature || !b.U32(FileFlagsAt, flags))
        return 0;
    return flags;
}

std::optional<TVersionResource> ReadVersionResource(const std::uint8_t* data, std::size_t size)
{
    if (!data)
        return std::nullopt;
    std::optional<QByteArray> block = FindVersionBlock(Bytes(data, size));
    if (!block)
        return std::nullopt;
    TVersionResource resource(std::move(*block));
    QByteArray root;
    if (!resource.Query(QStringLiteral("\\"), root))
        return std::nullopt;
    return resource;
}

QString VerLanguageName(std::uint32_t languageId)
{
    static const std::pair<std::uint16_t, const char*> kNames[] = {
        {0x0000, "Language Neutral"},         {0x0401, "Arabic (Saudi Arabia)"},
        {0x0404, "Chinese (Taiwan)"},         {0x0405, "Czech (Czech Republic)"},
        {0x0406, "Danish (Denmark)"},         {0x0407, "German (Germany)"},
        {0x0408, "Greek (Greece)"},           {0x0409, "English (United States)"},
        {0x040A, "Spanish (Traditional Sort)"}, {0x040B, "Finnish (Finland)"},
        {0x040C, "French (France)"},          {0x040E, "Hungarian (Hungary)"},
        {0x0410, "Italian (Italy)"},          {0x0411, "Japanese (Japan)"},
        {0x0412, "Korean (Korea)"},           {0x0413, "Dutch (Netherlands)"},
        {0x0414, "Norwegian, Bokmal (Norway)"}, {0x0415, "Polish (Poland)"},
        {0x0416, "Portuguese (Brazil)"},      {0x0419, "Russian (Russia)"},
        {0x041D, "Swedish (Sweden)"},         {0x041F, "Turkish (Turkey)"},
        {0x0800, "Language Neutral"},         {0x0804, "Chinese (PRC)"},
        {0x0807, "German (Switzerland)"},     {0x0809, "English (United Kingdom)"},
        {0x0816, "Portuguese (Portugal)"},    {0x0C07, "German (Austria)"},
    };
    for (const auto& [id, name] : kNames)
        if (id == languageId)
            return QString::fromLatin1(name);
    return {};
}

TzcVerInfo::TzcVerInfo(QObject* owner) : QObject(owner) {}

void TzcVerInfo::Loaded()
{
    DoTheFile();
}

void TzcVerInfo::SetVerFile(const QString& name)
{
    verFile_ = name;
    DoTheFile();
}

void TzcVerInfo::DoTheFile()
{
    resource_.reset();
    flags_ = 0;
    const QString name = verFile_.isEmpty() ? QCoreApplication::applicationFilePath() : verFile_;
    std::string bytes, error;
    // A file that cannot be read (a pipe, a folder, too large) has no version information.
    if (!platform::ReadFileText(name.toStdString(), bytes, error, kMaxFileSize))
        return;
    resource_ = ReadVersionResource(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (resource_)
        flags_ = resource_->FileFlags();
}

bool TzcVerInfo::Translation(std::uint32_t& language, std::uint32_t& codePage) const
{
    QByteArray value;
    if (!resource_ || !resource_->Query(QStringLiteral("\\VarFileInfo\\Translation"), value) ||
        value.size() < 4)
        return false;
    language = std::uint8_t(value[0]) | (std::uint32_t(std::uint8_t(value[1])) << 8);
    codePage = std::uint8_t(value[2]) | (std::uint32_t(std::uint8_t(value[3])) << 8);
    return true;
}

QString TzcVerInfo::GetNonStandardString(const QString& name) const
{
    std::uint32_t language = 0, codePage = 0;
    if (!Translation(language, codePage))
        return {};
    const QString path = (QStringLiteral("\\StringFileInfo\\%1\\").arg(language * 65536u + codePage, 8, 16, QLatin1Char('0')) + name).left(MaxPath);
    QString value;
    resource_->QueryString(path, value);
    return value;
}

QString TzcVerInfo::LocaleID() const
{
    std::uint32_t language = 0, codePage = 0;
    return Translation(language, codePage) ? QStringLiteral("%1").arg(language, 4, 16, QLatin1Char('0')) : QString();
}

QString TzcVerInfo::CodePage() const
{
    std::uint32_t language = 0, codePage = 0;
    return Translation(language, codePage) ? QStringLiteral("%1").arg(codePage, 4, 16, QLatin1Char('0')) : QString();
}

QString TzcVerInfo::Language() const
{
    std::uint32_t language = 0, codePage = 0;
    return Translation(language, codePage) ? VerLanguageName(language) : QString();
}
