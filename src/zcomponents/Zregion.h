#pragma once
// Irregular window outlines taken from a bitmap. TzcRgn holds an outline as region data (a
// 32-byte header followed by its rectangles, the layout the region files and form streams
// carry), builds it from a bitmap and a transparent colour, and reads and writes it.
// TzcFancyForm gives its form that outline, TzcFancyControl a chosen control.

#include "platform/Color.h"
#include "zcomponents/Std2.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <stdexcept>

class QIODevice;

// A component used where it needs an owning form and has none ("NoForm"), or an object given
// to an assignment that cannot take it.
class EzcComponentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Region data of a region: header (size 32, type 1, rectangle count, rectangle bytes, bounding
// box) and the rectangles, each as left, top, right, bottom; 32-bit little-endian throughout.
QByteArray RegionToData(const QRegion& region);
// The region of region data; false (and an empty region) for data whose header, count or size
// does not hold together.
bool RegionFromData(const QByteArray& data, QRegion& region);

// The outline a widget takes from a region: moved so that its bounding box starts at the
// widget's origin, where the widget's own size (the box's) puts it.
QRegion OutlineAtOrigin(const QRegion& region);

// The window (top-level widget) that owns a component through its parents; throws
// EzcComponentError "NoForm" when there is none.
QWidget* OwningForm(QObject* component);

class TzcRgn : public QObject {
public:
    TzcRgn();

    // The region data block; empty when the region is empty.
    const QByteArray& Data() const { return data_; }
    std::uint32_t Size() const { return std::uint32_t(data_.size()); }
    bool ExsistData() const { return !data_.isEmpty(); }

    bool Modified() const { return modified_; }
    void SetModified(bool value);
    // Marks the region changed and fires OnChange.
    void Changed(QObject* Sender);

    // Copies another region (null empties this one), then Changed. Any other object throws
    // EzcComponentError and changes nothing.
    void Assign(const QObject* source);

    // Reads the 4-byte size and that many bytes of region data, then Changed. A size of 0 keeps
    // the current data. A stream that is cut short or data that does not hold together keeps
    // the region as it was, fires nothing, logs a warning and answers false.
    bool LoadFromStream(QIODevice& stream);
    // Writes the 4-byte size, then the data.
    bool SaveToStream(QIODevice& stream) const;
    // The form stream's "Data" property reads and writes through the stream routines.
    bool ReadData(QIODevice& stream) { return LoadFromStream(stream); }
    bool WriteData(QIODevice& stream) const { return SaveToStream(stream); }
    // Reads a region file; a file that cannot be opened throws std::runtime_error and keeps the
    // data.
    bool LoadFromFile(const QString& fileName);
    // Writes a region file whole (temporary file, then rename); throws std::runtime_error when
    // it cannot be written.
    void SaveToFile(const QString& fileName) const;

    // Replaces the data with a copy of size bytes (nothing when data is null). No Changed.
    void SetRgn(const void* data, int size);

    // The region the data describes (empty for no data).
    QRegion Handle() const;

    // Builds the region of every pixel of the bitmap whose colour differs from TransColor (a
    // system colour matches no pixel); an empty bitmap empties the region.
    void SerRgnFromBmp(const QImage& bitmap, TColor TransColor);

    TNotifyEvent OnChange;

private:
    QByteArray data_;
    bool modified_ = false;
};

// Shared part of the two shaped-window components: the owned region, the loaded flag and the
// setters that update the shape.
class TzcFancyShape : public QObject {
public:
    explicit TzcFancyShape(QObject* owner);

    TzcRgn* Region() { return &region_; }
    // Copies the given region (null empties it), then updates.
    void SetRgn(const TzcRgn* value);
    void SerRgnFromBmp(const QImage& bitmap, TColor TransColor);
    void Clear();
    // The owner has finished setting properties: from now on the shape is applied.
    void Loaded();
    bool IsLoaded() const { return loaded_; }

    virtual void DoUpdate() = 0;

protected:
    // The outline to give a widget: the region moved so that its bounding box starts at the
    // widget's origin (the widget takes the box's size), or the given rectangle when it has
    // none.
    QRegion Outline(const QRect& whole) const;

private:
    TzcRgn region_;
    bool loaded_ = false;
};

// Cuts a chosen control to the region and sizes it to the region's bounding box.
class TzcFancyControl : public TzcFancyShape {
public:
    explicit TzcFancyControl(QObject* owner = nullptr);

    QWidget* ControlComponent() const { return control_; }
    void SetControlComponent(QWidget* control);

    void DoUpdate() override;

private:
    QPointer<QWidget> control_;
};

// Cuts the owning form to the region, frameless, sized to the region's bounding box.
class TzcFancyForm : public TzcFancyShape {
public:
    explicit TzcFancyForm(QObject* owner);

    void DoUpdate() override;
};
