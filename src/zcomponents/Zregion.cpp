#include "zcomponents/Zregion.h"

#include "platform/Inifile.h"
#include "platform/Textfile.h"

#include <QApplication>
#include <QBitmap>
#include <QBuffer>
#include <QWidget>
#include <QtEndian>
#include <QtGlobal>

namespace {

constexpr int kHeaderSize = 32;
constexpr std::uint32_t kTypeRectangles = 1;
constexpr int kRectSize = 16;
constexpr int kSizeFieldBytes = 4;
// Region data larger than this is not a region anybody drew.
constexpr std::uint32_t kMaxDataSize = 64u * 1024u * 1024u;
// Coordinates a window shape can have; beyond these a rectangle's size no longer fits an int.
constexpr int kMaxCoordinate = 1 << 24;
bool Plausible(int v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; }

void PutInt(QByteArray& out, std::int32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

std::int32_t GetInt(const QByteArray& in, qsizetype at)
{
    return qFromLittleEndian<std::int32_t>(in.constData() + at);
}

// Restores the normal cursor however the build ends.
struct BusyCursor {
    BusyCursor()
    {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            QApplication::setOverrideCursor(Qt::WaitCursor), active = true;
    }
    ~BusyCursor()
    {
        if (active)
            QApplication::restoreOverrideCursor();
    }
    bool active = false;
};

} // namespace

QByteArray RegionToData(const QRegion& region)
{
    QByteArray out;
    if (region.isEmpty())
        return out;
    const int count = region.rectCount();
    const QRect box = region.boundingRect();
    PutInt(out, kHeaderSize);
    PutInt(out, kTypeRectangles);
    PutInt(out, count);
    PutInt(out, count * kRectSize);
    for (int v : {box.left(), box.top(), box.right() + 1, box.bottom() + 1})
        PutInt(out, v);
    for (const QRect& r : region)
        for (int v : {r.left(), r.top(), r.right() + 1, r.bottom() + 1})
            PutInt(out, v);
    return out;
}

bool RegionFromData(const QByteArray& data, QRegion& region)
{
    region = QRegion();
    if (data.isEmpty())
        return true;
    if (data.size() < kHeaderSize || GetInt(data, 0) != kHeaderSize ||
        std::uint32_t(GetInt(data, 4)) != kTypeRectangles)
        return false;
    const std::int64_t count = GetInt(data, 8);
    if (count < 0 || kHeaderSize + count * kRectSize > data.size())
        return false;
    QRegion built;
    for (std::int64_t i = 0; i < count; ++i) {
        const qsizetype at = kHeaderSize + i * kRectSize;
        const int l = GetInt(data, at), t = GetInt(data, at + 4);
        const int r = GetInt(data, at + 8), b = GetInt(data, at + 12);
        if (r < l || b < t || !Plausible(l) || !Plausible(t) || !Plausible(r) || !Plausible(b))
            return false;
        if (r > l && b > t)
            built += QRect(QPoint(l, t), QPoint(r - 1, b - 1));
    }
    region = built;
    return true;
}

QWidget* OwningForm(QObject* component)
{
    for (QObject* o = component ? component->parent() : nullptr; o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o))
            return w->window();
    throw EzcComponentError("NoForm");
}

// ---- TzcRgn ----

TzcRgn::TzcRgn() = default;

void TzcRgn::Changed(QObject* /*Sender*/)
{
    modified_ = true;
    if (OnChange)
        OnChange(this);
}

void TzcRgn::SetModified(bool value)
{
    if (value)
        Changed(this);
    else
        modified_ = false;
}

void TzcRgn::Assign(const QObject* source)
{
    if (source && !dynamic_cast<const TzcRgn*>(source))
        throw EzcComponentError(QStringLiteral("Cannot assign a %1 to a TzcRgn")
                                    .arg(QString::fromLatin1(source->metaObject()->className()))
                                    .toStdString());
    const auto* other = static_cast<const TzcRgn*>(source);
    data_ = other ? other->data_ : QByteArray();
    Changed(this);
}

bool TzcRgn::LoadFromStream(QIODevice& stream)
{
    const QByteArray sizeField = stream.read(kSizeFieldBytes);
    if (sizeField.size() != kSizeFieldBytes) {
        qWarning("Region data has no size field: region kept");
        return false;
    }
    const std::uint32_t size = qFromLittleEndian<std::uint32_t>(sizeField.constData());
    if (size != 0) {
        QByteArray block;
        QRegion check;
        if (size <= kMaxDataSize)
            block = stream.read(size);
        if (size > kMaxDataSize || block.size() != qsizetype(size) ||
            !RegionFromData(block, check)) {
            qWarning("Region data cut short or damaged (%u bytes stated): region kept", size);
            return false;
        }
        data_ = block;
    }
    Changed(this);
    return true;
}

bool TzcRgn::SaveToStream(QIODevice& stream) const
{
    char size[kSizeFieldBytes];
    qToLittleEndian(std::uint32_t(data_.size()), size);
    return stream.write(size, kSizeFieldBytes) == kSizeFieldBytes &&
           stream.write(data_) == data_.size();
}

bool TzcRgn::LoadFromFile(const QString& fileName)
{
    std::string bytes, error;
    if (!platform::ReadFileText(fileName.toStdString(), bytes, error, kSizeFieldBytes + kMaxDataSize))
        throw std::runtime_error(error);
    QByteArray content = QByteArray::fromStdString(bytes);
    QBuffer file(&content);
    file.open(QIODevice::ReadOnly);
    return LoadFromStream(file);
}

void TzcRgn::SaveToFile(const QString& fileName) const
{
    // Written whole or not at all; a save cut short leaves no temporary file for long, as the
    // next save clears away what an ended process left behind.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    std::string error;
    if (!platform::WriteFileAtomically(fileName.toStdString(), std::string_view(bytes.constData(), size_t(bytes.size())),
                                       error))
        throw std::runtime_error(QStringLiteral("Cannot create file \"%1\". %2")
                                     .arg(fileName, QString::fromStdString(error))
                                     .toStdString());
}

void TzcRgn::SetRgn(const void* data, int size)
{
    data_.clear();
    if (data && size > 0)
        data_ = QByteArray(static_cast<const char*>(data), size);
}

QRegion TzcRgn::Handle() const
{
    QRegion region;
    RegionFromData(data_, region);
    return region;
}

void TzcRgn::SerRgnFromBmp(const QImage& bitmap, TColor TransColor)
{
    if (bitmap.width() <= 0 || bitmap.height() <= 0) {
        Assign(nullptr);
        return;
    }
    BusyCursor busy;
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
    QRegion region;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        int x = 0;
        while (x < rgb.width()) {
            auto transparent = [&](int at) {
                return !IsSystemColor(TransColor) &&
                       (line[at] & 0xFFFFFFu) == (qRgb(RedOf(TransColor), GreenOf(TransColor),
                                                       BlueOf(TransColor)) & 0xFFFFFFu);
            };
            while (x < rgb.width() && transparent(x))
                ++x;
            const int x0 = x;
            while (x < rgb.width() && !transparent(x))
                ++x;
            if (x > x0)
                region += QRect(x0, y, x - x0, 1);
        }
    }
    TzcRgn built;
    const QByteArray data = RegionToData(region);
    built.SetRgn(data.constData(), int(data.size()));
    Assign(&built);
}

QRegion OutlineAtOrigin(const QRegion& region)
{
    return region.translated(-region.boundingRect().topLeft());
}

// ---- TzcFancyShape ----

TzcFancyShape::TzcFancyShape(QObject* owner) : QObject(owner) {}

void TzcFancyShape::SetRgn(const TzcRgn* value)
{
    region_.Assign(value);
    DoUpdate();
}

void TzcFancyShape::SerRgnFromBmp(const QImage& bitmap, TColor TransColor)
{
    region_.SerRgnFromBmp(bitmap, TransColor);
    DoUpdate();
}

void TzcFancyShape::Clear()
{
    SetRgn(nullptr);
}

void TzcFancyShape::Loaded()
{
    loaded_ = true;
    DoUpdate();
}

QRegion TzcFancyShape::Outline(const QRect& whole) const
{
    if (!region_.ExsistData())
        return QRegion(whole);
    return OutlineAtOrigin(region_.Handle());
}

// ---- TzcFancyControl ----

TzcFancyControl::TzcFancyControl(QObject* owner) : TzcFancyShape(owner) {}

void TzcFancyControl::SetControlComponent(QWidget* control)
{
    control_ = control;
    DoUpdate();
}

void TzcFancyControl::DoUpdate()
{
    if (!control_ || !IsLoaded())
        return;
    const QRegion outline = Outline(QRect(0, 0, control_->width(), control_->height()));
    const QRect box = outline.boundingRect();
    control_->setGeometry(control_->x(), control_->y(), box.width(), box.height());
    control_->setMask(outline);
}

// ---- TzcFancyForm ----

TzcFancyForm::TzcFancyForm(QObject* owner) : TzcFancyShape(owner) {}

void TzcFancyForm::DoUpdate()
{
    if (!IsLoaded())
        return;
    QWidget* form = OwningForm(this);
    const QRegion outline = Outline(QRect(QPoint(0, 0), form->contentsRect().size()));
    const QRect box = outline.boundingRect();
    if (!(form->windowFlags() & Qt::FramelessWindowHint)) {
        const bool shown = form->isVisible();
        form->setWindowFlag(Qt::FramelessWindowHint, true);
        if (shown)
            form->show();
    }
    form->setGeometry(form->x(), form->y(), box.width(), box.height());
    form->setMask(outline);
}
