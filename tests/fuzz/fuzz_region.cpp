// The region stream of a shaped window on any bytes: data that does not hold together gives an
// empty region; a region that loads saves to the same stream and loads again the same.
#include "fuzz/Fuzzcheck.h"
#include "zcomponents/Zregion.h"

#include <QBuffer>
#include <QByteArray>
#include <QRegion>
#include <QtGlobal>
#include <cstdint>

namespace {
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    static const auto previous = qInstallMessageHandler(Quiet); // the warnings of refused data
    (void)previous;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    TzcRgn rgn;
    if (!rgn.LoadFromStream(in)) {
        FUZZ_CHECK(!rgn.ExsistData());
        return 0;
    }
    const QRegion region = rgn.Handle();
    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    FUZZ_CHECK(rgn.SaveToStream(out));
    out.close();
    QBuffer again(&saved);
    again.open(QIODevice::ReadOnly);
    TzcRgn copy;
    FUZZ_CHECK(copy.LoadFromStream(again));
    FUZZ_CHECK(copy.Handle() == region);
    return 0;
}
