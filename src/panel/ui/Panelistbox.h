#pragma once
// A readings pane on screen: an owner-drawn list of pane items of different heights with a
// vertical scroll bar. The items draw into a back buffer, in full when the layout changes and
// incrementally on every poll; the widget shows the buffer.

#include "panel/Panelist.h"
#include "panel/ui/Itempainter.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <memory>
#include <vector>

class TPaneListBox : public QAbstractScrollArea, public IPaneHost {
    Q_OBJECT
public:
    explicit TPaneListBox(QWidget* parent = nullptr);
    ~TPaneListBox() override;

    // Shows list (not owned; nullptr detaches) and becomes its host.
    void Attach(CPaneList* list);
    CPaneList* PaneList() const { return list_; }

    // The entry at a point of the viewport, -1 for none.
    int ItemAt(const QPoint& pos) const;
    // Rectangle of entry i in viewport coordinates (empty when there is no such entry).
    QRect ItemRect(int i) const;
    // The back buffer with everything drawn so far.
    const QImage& Buffer();
    // Drawn over a copy of the buffer at every paint (the history plot's marker lines); an
    // empty one draws nothing.
    void SetOverlay(std::function<void(QImage&)> overlay);

    // IPaneHost
    void ItemsChanged() override;
    IItemCanvas* ItemCanvas(int index, SRect& rect) override;
    void ItemsPainted() override;
    int PaneWidth() const override;
    void SetPaneWidth(int width) override;

    QSize sizeHint() const override;

signals:
    // The user double-clicked entry index (-1: below the last entry).
    void ItemDoubleClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Layout();
    void DrawAll();
    TItemPainter& Painter();
    void EndPainter();

    CPaneList* list_ = nullptr;
    std::vector<int> tops_; // top of every entry in content coordinates, then the total height
    QImage buffer_;
    // Open from the first item drawn until the buffer is drawn anew or handed out: a poll
    // draws values and plot columns in two passes, and beginning a painter on the image costs
    // more than either.
    std::unique_ptr<TItemPainter> painter_;
    SItemTextCache textCache_;
    QRect dirty_; // drawn on since the last update of the screen
    int preferredWidth_ = 0;
    std::function<void(QImage&)> overlay_;
};
