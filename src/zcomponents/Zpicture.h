#pragma once
// Pictures and fills the collection's buttons share: a glyph strip split into its state images
// (with the embossed disabled image made from the first), a set of three state icons that fill
// each other in, the banded colour gradient of a face, and where a picture and the caption go.

#include "platform/Color.h"
#include "zcomponents/Mystd.h"
#include "zcomponents/Std2.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

// A strip of one to four images side by side: up, disabled, down, mouse-over.
class TzGlyphStrip {
public:
    const QImage& Glyph() const { return glyph_; }
    void SetGlyph(const QImage& strip) { glyph_ = strip; }
    tBitNumber NumGlyphs() const { return numGlyphs_; }
    // Values outside 1..4 are refused (false) and change nothing.
    bool SetNumGlyphs(int n);
    TColor TransparentColor() const { return transparentColor_; }
    // Stores the colour and stops taking it from the picture.
    void SetTransparentColor(TColor c);
    bool AutoBackColor() const { return autoBackColor_; }
    void SetAutoBackColor(bool b) { autoBackColor_ = b; }

    // Splits the strip into the state images; face is the colour the made disabled image is
    // laid on. With AutoBackColor the transparent colour is taken from the up image.
    void SplitBitmap(const QColor& face);
    // Takes the transparent colour from the up image's bottom-left pixel when AutoBackColor.
    void PickTransparent();

    const QImage& Up() const { return up_; }
    const QImage& Down() const { return down_; }
    const QImage& Disabled() const { return disabled_; }
    const QImage& MouseOver() const { return mouseOver_; }
    // The image of a state: down, else disabled, else mouse-over under the pointer, else up.
    const QImage& Current(bool down, bool enabled, bool mouseIn) const;

private:
    QImage glyph_;
    tBitNumber numGlyphs_ = 1;
    TColor transparentColor_ = clBlack;
    bool autoBackColor_ = false;
    QImage up_, down_, disabled_, mouseOver_;
};

// The embossed look of a picture for a disabled button: every pixel that is not white is drawn
// in the highlight colour one pixel right and down, then in the shadow colour in place, on a
// picture filled with the face colour.
QImage MakeDisabledImage(const QImage& up, const QColor& face);

// Enabled, disabled and down icons.
class TzIconSet {
public:
    const QImage& GlyphEnabled() const { return enabled_; }
    const QImage& GlyphDisabled() const { return disabled_; }
    const QImage& GlyphDown() const { return down_; }
    void SetOnIcon(const QImage& icon);
    void SetOffIcon(const QImage& icon);
    void SetDownIcon(const QImage& icon);
    bool AutoAllIcons() const { return autoAllIcons_; }
    void SetAuto(bool b) { autoAllIcons_ = b; }

    // With AutoAllIcons, empty icons are filled from the others (disabled and down from
    // enabled, enabled and down from disabled, disabled and enabled from down, in that order).
    void SetIcons();
    // The icon of a state: down, else disabled, else enabled.
    const QImage& Current(bool down, bool enabled) const;

private:
    QImage enabled_, disabled_, down_;
    bool autoAllIcons_ = true;
};

// Start components and spans of a gradient from one colour to another.
struct TzGradColors {
    int start[3] = {0, 0, 0};
    int span[3] = {0, 0, 0};
    // The colour of band i of n.
    QColor Band(int i, int n) const;
};
TzGradColors ColorSet(const QColor& from, const QColor& to);

// Fills a face of the given size with the gradient from one colour to the other in bands,
// everything moved by off pixels (1 when pressed). Equal colours, a band count below 1, a face
// too small for centred bands and the directions without a banding rule give a plain face.
void PaintGradient(QPainter& p, const QSize& size, gradType fill, const QColor& from,
                   const QColor& to, int bands, int off);

// Where a picture beside a caption goes and how much room the caption keeps.
struct TzPicturePlace {
    QPoint at;
    QRect caption;
};
// margin: distance of the picture from its side; shiftX/shiftY: moved by one pixel (pressed);
// narrowBy: pixels the caption gives up on the picture's side.
TzPicturePlace PlacePicture(const QSize& control, const QSize& picture, tBitWhere where,
                            int margin, bool shiftX, bool shiftY, QRect caption, int narrowBy);
