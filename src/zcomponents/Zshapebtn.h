#pragma once
// TzShapeBtn: a window-less push button whose outline is one of thirty shapes. The outline
// decides where the mouse hits it (clicks outside the shape reach whatever lies beneath), the
// face is filled through it and the edge follows it. It takes no focus and no keyboard press;
// an accelerator key (Alt with the key) clicks it.

#include "zcomponents/Zbuttonbase.h"

#include <QRegion>

class TzShapeBtn : public TzEdgedButton {
public:
    explicit TzShapeBtn(QWidget* parent = nullptr);

    sbType Shape() const { return shape_; }
    // The plus and minus shapes take their sign as accelerator; any other shape removes it.
    void SetShape(sbType s);
    // A blank removes the accelerator.
    QChar AcceleratorKey() const;
    void SetAccelKey(QChar key);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool b);

    // The outline for the current size (see TzcShapeColorBtn); OnGetRegion serves sbOwnerDraw.
    virtual QRegion RgnFromShape();
    const QRegion& Region() const { return region_; }

    TsbGetRegEvent OnGetRegion;
    TsbDrawEvent OnOwnerDraw;

protected:
    int ButtonKind() const override;
    bool PointInside(const QPoint& p) const override;
    void StateChanged() override;
    void PaintButton(QPainter& canvas) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void SetAcceleratorText(const QString& text);

    sbType shape_ = sbRectangle;
    QString accelerator_ = QStringLiteral(" ");
    bool transparent_ = false;
    QRegion region_;
    int shortcutId_ = 0;
};
