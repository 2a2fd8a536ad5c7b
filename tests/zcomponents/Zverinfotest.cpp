#include "zcomponents/Zverinfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <random>
#include <string>
#include <vector>

namespace {

using Buf = std::vector<std::uint8_t>;

void Put16(Buf& b, std::size_t at, std::uint32_t v)
{
    if (b.size() < at + 2)
        b.resize(at + 2);
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

void Put32(Buf& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

void Pad4(Buf& b)
{
    while (b.size() % 4)
        b.push_back(0);
}

// One node of a version tree: length, value length, type, key, value, children.
Buf Node(const std::u16string& key, const Buf& value, bool text, const std::vector<Buf>& children)
{
    Buf b(6, 0);
    for (char16_t c : key + u'\0') {
        b.push_back(std::uint8_t(c));
        b.push_back(std::uint8_t(c >> 8));
    }
    Pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const Buf& c : children) {
        Pad4(b);
        b.insert(b.end(), c.begin(), c.end());
    }
    Put16(b, 0, std::uint32_t(b.size()));
    Put16(b, 2, std::uint32_t(text ? value.size() / 2 : value.size()));
    Put16(b, 4, text ? 1 : 0);
    return b;
}

Buf Text(const std::u16string& s)
{
    Buf b;
    for (char16_t c : s + u'\0') {
        b.push_back(std::uint8_t(c));
        b.push_back(std::uint8_t(c >> 8));
    }
    return b;
}

Buf VersionBlock(std::uint32_t flags)
{
    Buf fixed(52, 0);
    Put32(fixed, 0, 0xFEEF04BD);
    Put32(fixed, 28, flags);
    Buf translation;
    Put16(translation, 0, 0x0409);
    Put16(translation, 2, 0x04E4);
    const Buf strings = Node(u"StringFileInfo", {}, true,
                             {Node(u"040904E4", {}, true,
                                   {Node(u"CompanyName", Text(u"Quorvane"), true, {}),
                                    Node(u"FileVersion", Text(u"1.2.3.4"), true, {}),
                                    Node(u"Custom", Text(u"own"), true, {})})});
    const Buf vars = Node(u"VarFileInfo", {}, true, {Node(u"Translation", translation, false, {})});
    return Node(u"VS_VERSION_INFO", fixed, false, {strings, vars});
}

// A PE32 image with one resource section holding the version block; the offsets of interest.
struct Pe {
    Buf bytes;
    std::size_t dataEntryAt = 0;
    std::size_t sectionAt = 0;
};

Pe BuildPe(std::uint32_t flags)
{
    constexpr std::size_t peAt = 0x40, optAt = peAt + 24, optSize = 224;
    constexpr std::size_t sectionAt = optAt + optSize, rawAt = 0x200;
    constexpr std::uint32_t va = 0x1000;
    Pe pe;
    Buf& b = pe.bytes;
    b.assign(rawAt, 0);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, peAt);
    Put32(b, peAt, 0x4550);
    Put16(b, peAt + 4, 0x14C);
    Put16(b, peAt + 6, 1);
    Put16(b, peAt + 20, optSize);
    Put16(b, optAt, 0x10B);
    Put32(b, optAt + 92, 16);
    // Resource section: three directory levels, a data entry, then the block.
    Buf r;
    auto directory = [&](std::uint32_t id, std::uint32_t target) {
        const std::size_t at = r.size();
        r.resize(at + 24, 0);
        Put16(r, at + 14, 1);
        Put32(r, at + 16, id);
        Put32(r, at + 20, target);
    };
    directory(16, 0x80000000u | 24);
    directory(1, 0x80000000u | 48);
    directory(0x409, 72);
    const Buf block = VersionBlock(flags);
    pe.dataEntryAt = rawAt + r.size();
    r.resize(72 + 16, 0);
    Put32(r, 72, va + 88);
    Put32(r, 76, std::uint32_t(block.size()));
    r.insert(r.end(), block.begin(), block.end());
    Put32(b, optAt + 96 + 16, va);
    Put32(b, optAt + 96 + 20, std::uint32_t(r.size()));
    pe.sectionAt = sectionAt;
    std::memcpy(&b[sectionAt], ".rsrc", 5);
    Put32(b, sectionAt + 8, std::uint32_t(r.size()));
    Put32(b, sectionAt + 12, va);
    Put32(b, sectionAt + 16, std::uint32_t(r.size()));
    Put32(b, sectionAt + 20, rawAt);
    b.insert(b.end(), r.begin(), r.end());
    return pe;
}

QString WriteFile(const QTemporaryDir& dir, const char* name, const Buf& bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

bool Readable(const Buf& b)
{
    return ReadVersionResource(b.data(), b.size()).has_value();
}

} // namespace

TEST(TzcVerInfo, ReadsStringsFlagsAndTranslation)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "tool.exe", BuildPe(0x01 | 0x08 | 0x20).bytes);
    TzcVerInfo info;
    info.SetVerFile(path);
    ASSERT_TRUE(info.ExistVerInfo());
    EXPECT_EQ(info.CompanyName(), "Quorvane");
    EXPECT_EQ(info.FileVersion(), "1.2.3.4");
    EXPECT_EQ(info.GetNonStandardString("custom"), "own");
    EXPECT_EQ(info.ProductName(), "");
    EXPECT_EQ(info.LocaleID(), "0409");
    EXPECT_EQ(info.CodePage(), "04e4");
    EXPECT_EQ(info.Language(), "English (United States)");
    EXPECT_TRUE(info.IS_DEBUG());
    EXPECT_FALSE(info.IS_PRERELEASE());
    EXPECT_FALSE(info.IS_PATCHED());
    EXPECT_TRUE(info.IS_PRIVATEBUILD());
    EXPECT_FALSE(info.IS_INFOINFERRED());
    EXPECT_TRUE(info.IS_SPECIALBUILD());
}

TEST(TzcVerInfo, FilesWithoutVersionInformation)
{
    QTemporaryDir dir;
    TzcVerInfo info;
    info.Loaded(); // the running program: not a PE file
    EXPECT_FALSE(info.ExistVerInfo());
    EXPECT_EQ(info.Language(), "");
    EXPECT_EQ(info.LocaleID(), "");
    info.SetVerFile(WriteFile(dir, "good.exe", BuildPe(1).bytes));
    ASSERT_TRUE(info.ExistVerInfo());
    info.SetVerFile(dir.filePath("missing.exe"));
    EXPECT_FALSE(info.ExistVerInfo());
    EXPECT_FALSE(info.IS_DEBUG());
    EXPECT_EQ(info.CompanyName(), "");

    const Pe pe = BuildPe(1);
    Buf truncated(pe.bytes.begin(), pe.bytes.end() - 40);
    info.SetVerFile(WriteFile(dir, "truncated.exe", truncated));
    EXPECT_FALSE(info.ExistVerInfo());

    // A named pipe in place of the file is passed over at once.
    info.SetVerFile(WriteFile(dir, "good.exe", BuildPe(1).bytes));
    ASSERT_TRUE(info.ExistVerInfo());
    const QString fifo = dir.filePath("pipe.exe");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    info.SetVerFile(fifo);
    EXPECT_FALSE(info.ExistVerInfo());
}

TEST(VersionReader, OffsetsPastTheEndAreRefused)
{
    const Pe pe = BuildPe(0);
    ASSERT_TRUE(Readable(pe.bytes));
    auto with32 = [&](std::size_t at, std::uint32_t v) {
        Buf b = pe.bytes;
        Put32(b, at, v);
        return b;
    };
    EXPECT_FALSE(Readable(with32(0x3C, 0xFFFFFFF0u)));           // PE header offset
    EXPECT_FALSE(Readable(with32(pe.dataEntryAt, 0x7FFFFFFFu)));   // data RVA
    EXPECT_FALSE(Readable(with32(pe.dataEntryAt + 4, 0x10000000u))); // data size
    EXPECT_FALSE(Readable(with32(pe.sectionAt + 20, 0xFFFFFF00u))); // raw data offset
    Buf manyEntries = with32(0x200 + 12, 0xFFFF0000u); // entry count past the end,
    Put32(manyEntries, 0x200 + 16, 17);                 // and no version type among them
    EXPECT_FALSE(Readable(manyEntries));
    EXPECT_FALSE(Readable(with32(0x200 + 20, 0x80000000u | 0x7FFFFF00u))); // subdirectory
    for (std::size_t n = 0; n < pe.bytes.size(); n += 7)
        EXPECT_FALSE(Readable(Buf(pe.bytes.begin(), pe.bytes.begin() + std::ptrdiff_t(n)))) << n;
    EXPECT_FALSE(ReadVersionResource(nullptr, 0).has_value());
}

TEST(VersionReader, MutatedImagesNeverReadOutside)
{
    const Pe pe = BuildPe(0x3F);
    std::mt19937 rng(4711);
    int readable = 0;
    for (int i = 0; i < 4000; ++i) {
        Buf b = pe.bytes;
        const int edits = 1 + int(rng() % 8);
        for (int k = 0; k < edits; ++k) {
            // Most edits land in the resource section, where the tree lives.
            const std::size_t at = rng() % 3 && b.size() > 0x200 ? 0x200 + rng() % (b.size() - 0x200) : rng() % b.size();
            switch (rng() % 4) {
            case 0: b[at] = std::uint8_t(rng()); break;
            case 1: b[at] ^= std::uint8_t(1u << (rng() % 8)); break;
            case 2: b[at] = rng() % 2 ? 0xFF : 0x00; break;
            default: b.resize(at); break;
            }
            if (b.empty())
                break;
        }
        // A copy sized exactly, so the sanitizer sees any read past the end.
        auto exact = std::make_unique<std::uint8_t[]>(b.size() + 1);
        std::copy(b.begin(), b.end(), exact.get());
        const auto res = ReadVersionResource(exact.get(), b.size());
        if (!res)
            continue;
        ++readable;
        QString s;
        res->QueryString("\\StringFileInfo\\040904e4\\CompanyName", s);
        QByteArray v;
        res->Query("\\VarFileInfo\\Translation", v);
        (void)res->FileFlags();
    }
    EXPECT_GT(readable, 0);
}
