#pragma once
// TzcShapeColorBtn: a push button whose window is cut to one of thirty outlines, with a flat
// face in its colour, a two-pixel edge that follows the outline and a caption in a set
// rectangle. TzcShapeGradBtn, TzcShapeBitColBtn and TzcShapeIconColBtn change only what lies on
// the face: a banded gradient, an image of a glyph strip, one of three icons.

#include "zcomponents/Mystd.h"
#include "zcomponents/Zbuttonbase.h"
#include "zcomponents/Zpicturebtn.h"

#include <QRegion>

class TzcShapeColorBtn : public TzEdgedButton {
public:
    explicit TzcShapeColorBtn(QWidget* parent = nullptr);

    sbType Shape() const { return shape_; }
    void SetShape(sbType s);
    TzcTextSize* TextSize() { return &textSize_; }
    void SetTextSize(const TzcTextSize& value);
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool b);
    TzcFanceDefLook DefaultLook() const { return defaultLook_; }
    void SetDefaultLook(TzcFanceDefLook look);

    // The outline for a size: one of the fixed outlines, or OnGetRegion's for sbOwnerDraw (the
    // rectangle when it gives none).
    virtual QRegion RgnFromShape(int W, int H);
    // The current outline (the window is cut to it).
    const QRegion& Region() const { return region_; }

    TsbGetRegEvent OnGetRegion;
    TsbShapeDrawEvent OnOwnerDraw;

protected:
    int ButtonKind() const override;
    bool PointInside(const QPoint& p) const override;
    void StateChanged() override;
    void PaintButton(QPainter& canvas) override;
    // What lies on the face: the caption and the focus rectangle. Faces that show more draw it
    // first and end with this.
    virtual void PaintLook(QPainter& canvas);
    void resizeEvent(QResizeEvent* e) override;

private:
    TzcTextSize textSize_;
    bool showFocus_ = true;
    TzcFanceDefLook defaultLook_ = dlfBold;
    sbType shape_ = sbRectangle;
    QRegion region_;
};

class TzcShapeGradBtn : public TzGradientButton<TzcShapeColorBtn> {
public:
    explicit TzcShapeGradBtn(QWidget* parent = nullptr);

protected:
    void PaintLook(QPainter& canvas) override;
};

class TzcShapeBitColBtn : public TzStripButton<TzcShapeColorBtn> {
public:
    explicit TzcShapeBitColBtn(QWidget* parent = nullptr);

    TzcBmpOffset* OffsetGlyph() { return &offset_; }
    void SetOffsetGlyph(const TzcBmpOffset& value);

protected:
    void PaintLook(QPainter& canvas) override;

private:
    TzcBmpOffset offset_;
};

class TzcShapeIconColBtn : public TzIconButton<TzcShapeColorBtn> {
public:
    explicit TzcShapeIconColBtn(QWidget* parent = nullptr);

    TzcBmpOffset* OffsetIcon() { return &offset_; }
    void SetOffsetIcon(const TzcBmpOffset& value);

protected:
    void PaintLook(QPainter& canvas) override;

private:
    TzcBmpOffset offset_;
};
