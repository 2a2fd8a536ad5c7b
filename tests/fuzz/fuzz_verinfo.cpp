// The version-resource reader on any bytes: a file that is not a whole executable with a version
// resource gives none, and nothing is read outside the bytes given.
#include "fuzz/Fuzzcheck.h"
#include "zcomponents/Zverinfo.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const std::vector<uint8_t> exact(data, data + size); // so that a read past the end is caught
    const auto resource = ReadVersionResource(exact.data(), exact.size());
    if (!resource)
        return 0;
    QByteArray value;
    QString text;
    resource->Query(QStringLiteral("\\"), value);
    resource->Query(QStringLiteral("\\VarFileInfo\\Translation"), value);
    resource->QueryString(QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion"), text);
    return 0;
}
