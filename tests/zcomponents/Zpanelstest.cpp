#include "zcomponents/Zpanels.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QWheelEvent>
#include "Zwait.h"
#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

void Mouse(QWidget& w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

// Drags a widget by the given distance with the left button, as a user does.
void Drag(QWidget& w, QPoint by)
{
    const QPoint at(5, 5), g = w.mapToGlobal(at);
    Mouse(w, QEvent::MouseButtonPress, at, g, Qt::LeftButton);
    Mouse(w, QEvent::MouseMove, at + by / 2, g + by / 2, Qt::LeftButton);
    Mouse(w, QEvent::MouseMove, at + by, g + by, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, at + by, g + by, Qt::NoButton);
}

struct PanelScene {
    QWidget window;
    QWidget* container = new QWidget(&window);
    TzMovePanel* panel = new TzMovePanel(container);
    PanelScene()
    {
        window.resize(400, 300);
        container->setGeometry(0, 0, 300, 200);
        panel->setGeometry(50, 40, 60, 30);
        window.show();
    }
};

} // namespace

TEST(TzMovePanel, DraggedStaysInsideItsParent)
{
    PanelScene s;
    int updates = 0;
    s.panel->OnBeforeUpdate = [&](QObject*, int&, int&, int&, int&) { ++updates; };
    const QPoint g = s.panel->mapToGlobal(QPoint(5, 5));
    Mouse(*s.panel, QEvent::MouseButtonPress, {5, 5}, g, Qt::LeftButton);
    EXPECT_TRUE(s.panel->Dragging());
    Mouse(*s.panel, QEvent::MouseMove, {15, 25}, g + QPoint(10, 20), Qt::LeftButton);
    EXPECT_EQ(s.panel->FocusRect(), QRect(s.panel->mapToGlobal(QPoint(10, 20)), QSize(60, 30)));
    EXPECT_EQ(s.panel->pos(), QPoint(50, 40)); // only the focus rectangle moves
    Mouse(*s.panel, QEvent::MouseButtonRelease, {15, 25}, g + QPoint(10, 20), Qt::NoButton);
    EXPECT_FALSE(s.panel->Dragging());
    EXPECT_EQ(s.panel->pos(), QPoint(60, 60));
    EXPECT_EQ(updates, 1);

    Drag(*s.panel, {500, 0}); // past the right edge: one pixel inside
    EXPECT_EQ(s.panel->x(), 300 - 60 - 1);
    Drag(*s.panel, {-1000, -1000});
    EXPECT_EQ(s.panel->pos(), QPoint(0, 0));
    s.panel->OnBeforeUpdate = [](QObject*, int& l, int& t, int& w, int&) {
        l = 7;
        t = 8;
        w = 20;
    };
    Drag(*s.panel, {3, 3});
    EXPECT_EQ(s.panel->geometry(), QRect(7, 8, 20, 30));
}

TEST(TzMovePanel, StickToAnEdge)
{
    PanelScene s;
    s.panel->SetStick(stRight);
    EXPECT_EQ(s.panel->geometry(), QRect(240, 40, 60, 30));
    EXPECT_EQ(s.panel->Align(), alNone);
    s.panel->SetOldStyle(false);
    EXPECT_EQ(s.panel->Align(), alRight);
    EXPECT_EQ(s.panel->geometry(), QRect(240, 0, 60, 200));
    s.container->resize(320, 100);
    EXPECT_EQ(s.panel->geometry(), QRect(260, 0, 60, 100));
    s.panel->SetStick(stBoth);
    EXPECT_EQ(s.panel->Align(), alTop);
    EXPECT_EQ(s.panel->geometry().topLeft(), QPoint(0, 0));
    s.panel->SetOldStyle(true);
    s.panel->SetStick(stBottom);
    EXPECT_EQ(s.panel->y(), 100 - s.panel->height());
}

TEST(TzTabListbox, TabStopsAndScrollRange)
{
    TzTabListbox list;
    list.resize(120, 100);
    EXPECT_EQ(list.TabStops(), QList<int>{32});
    list.SetTabStops({10, 20}); // empty list: ignored
    EXPECT_EQ(list.TabStops(), QList<int>{32});
    list.addItem("a\tb");
    list.Loaded();
    EXPECT_EQ(list.TabStops(), (QList<int>{25, 50, 75, 100, 125, 150, 175, 200}));
    const int shortExtent = list.HorizontalExtent();
    EXPECT_EQ(shortExtent, list.GetLBStringLength("a\tb"));
    try {
        list.SetTabStops({40, 30});
        FAIL() << "descending tab stops accepted";
    } catch (const EzTabListboxError& e) {
        EXPECT_STREQ(e.what(), "TabError");
    }
    EXPECT_EQ(list.TabStops().size(), 8);
    // A tab jumps to the next stop: "a\tb" is as wide as the stop plus "b" and the "Z" margin.
    const QFontMetrics m(list.font());
    EXPECT_EQ(shortExtent, 25 + m.horizontalAdvance("b") + m.horizontalAdvance("Z"));

    list.addItem("\t\t\t\t\t\t\t\tsome long last column text");
    const int longExtent = list.HorizontalExtent();
    EXPECT_GT(longExtent, 200);
    list.show();
    QApplication::processEvents();
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    list.SetSizeAfterDel(false);
    delete list.takeItem(1);
    EXPECT_EQ(list.HorizontalExtent(), longExtent);
    list.addItem("\t\t\t\t\t\t\t\tsome long last column text");
    list.SetSizeAfterDel(true);
    delete list.takeItem(1);
    EXPECT_EQ(list.HorizontalExtent(), shortExtent);

    std::vector<int> previous;
    list.setCurrentRow(0);
    list.OnChange = [&](QObject*, int p) { previous.push_back(p); };
    list.addItem("x");
    list.setCurrentRow(1);
    list.setCurrentRow(1);
    list.setCurrentRow(0);
    EXPECT_EQ(previous, (std::vector<int>{0, 1}));

    QStandardItemModel model(1, 3);
    QTableView table;
    table.setModel(&model);
    table.horizontalHeader()->resizeSection(0, 40);
    table.horizontalHeader()->resizeSection(1, 30);
    table.horizontalHeader()->resizeSection(2, 50);
    list.SetfromHeaderControl(*table.horizontalHeader());
    EXPECT_EQ(list.TabStops(), (QList<int>{40, 70, 120}));
    list.SetFromHeader({10, 15});
    EXPECT_EQ(list.TabStops(), (QList<int>{10, 25}));
}

TEST(TzTitleBar, HidesCaptionAndMovesByTheClientArea)
{
    QWidget form;
    form.resize(200, 150);
    form.show();
    QObject component(&form);
    TzTitleBar bar(&component);
    EXPECT_TRUE(bar.ShowTitleBar());
    int changes = 0;
    bar.OnChange = [&](QObject*) { ++changes; };
    bar.SetTitleBarOnFormShow(false);
    bar.Loaded();
    EXPECT_FALSE(bar.IsShowTitleBar());
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_LT(form.height(), 150);

    const QPoint before = form.pos();
    const QPoint g = form.mapToGlobal(QPoint(20, 20));
    Mouse(form, QEvent::MouseButtonPress, {20, 20}, g, Qt::LeftButton);
    Mouse(form, QEvent::MouseMove, {20, 20}, g + QPoint(30, 12), Qt::LeftButton);
    Mouse(form, QEvent::MouseButtonRelease, {20, 20}, g + QPoint(30, 12), Qt::NoButton);
    EXPECT_EQ(form.pos(), before + QPoint(30, 12));

    bar.SetTitleBar(true);
    EXPECT_TRUE(bar.IsShowTitleBar());
    EXPECT_EQ(form.height(), 150);
    EXPECT_EQ(changes, 2);

    QWidget frameless(nullptr, Qt::FramelessWindowHint);
    TzTitleBar none(&frameless);
    EXPECT_EQ(none.BorderStyle(), bsNone);
    none.SetTitleBar(true);
    EXPECT_EQ(frameless.windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);

    QObject loose;
    EXPECT_THROW(TzTitleBar{&loose}, EComponentError);
}

TEST(PanelRoutines, DialogUnits)
{
    EXPECT_EQ(PixelsToDlgUnitsX(DlgUnitsToPixelsX(400)), 400 - 400 % 1);
    EXPECT_GT(DlgUnitsToPixelsY(8), 0);
    EXPECT_GT(AverageCharWidth(QApplication::font()), 1.0);
    EXPECT_FALSE(IsPrevius());
}

TEST(TzTabListbox, AutoFocusOnEnterAndScrollEvents)
{
    QWidget form;
    auto* other = new QLineEdit(&form);
    auto* list = new TzTabListbox(&form);
    list->setGeometry(0, 30, 100, 60);
    for (int i = 0; i < 40; ++i)
        list->addItem(QString("line %1").arg(i));
    form.resize(120, 100);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(zwait::Until([&] { return form.isActiveWindow(); }));
    other->setFocus();
    int enters = 0;
    list->OnMouseEnter = [&](QObject*) { ++enters; };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 35), QPointF(5, 35));
    QApplication::sendEvent(list, &enter);
    EXPECT_EQ(enters, 1);
    EXPECT_FALSE(list->hasFocus());
    list->SetAutoFocus(true);
    QApplication::sendEvent(list, &enter);
    EXPECT_TRUE(list->hasFocus());

    std::vector<std::pair<int, int>> scrolls;
    list->OnScroll = [&](QObject*, int, int bar, int position) { scrolls.emplace_back(bar, position); };
    QWheelEvent wheel(QPointF(10, 10), list->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->viewport(), &wheel);
    ASSERT_FALSE(scrolls.empty());
    EXPECT_EQ(scrolls.back().first, 1);
    EXPECT_GT(scrolls.back().second, 0);
}
