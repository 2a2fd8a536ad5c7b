#include "zcomponents/Zhint.h"

#include "zcomponents/Zcolor.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>

namespace {

constexpr int Margin3D = 6;
constexpr int MarginFlat = 4;
constexpr int CursorGap = 4;
constexpr int CursorBelow = 24;
constexpr int ScreenInset = 8;
constexpr int MinDiv = 1, kMaxDiv = 10;
constexpr int MinMove = 2, kMaxMove = 20;

TzHintWindow* gHintWindow = nullptr;

int Margin()
{
    return HintStyle().Use3D ? Margin3D : MarginFlat;
}

int TextFlags()
{
    return Qt::TextExpandTabs | (HintStyle().MultiLine ? Qt::TextWordWrap : 0);
}

QSize ScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(800, 600);
}

// Routes the application's tool tips to the hint window and closes it on the closing messages.
class HintRouter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->toolTip().isEmpty())
                return false;
            const auto* help = static_cast<QHelpEvent*>(event);
            TzHintWindow::Instance().ActivateHint(QRect(help->globalPos(), QSize()), widget->toolTip());
            return true;
        }
        TzHintWindow* window = gHintWindow;
        if (window && window->isVisible() && watched->isWidgetType() && watched != window &&
            window->IsHintMsg(event))
            window->hide();
        return false;
    }
};

QPointer<HintRouter>& Router()
{
    static QPointer<HintRouter> router;
    return router;
}

} // namespace

QPoint PlaceHint(QPoint anchor, QSize size, TzHintPos position, QSize screen)
{
    int x = anchor.x(), y = anchor.y();
    switch (position) {
    case hpLeftAbove: x -= size.width() + CursorGap; y -= size.height() + CursorGap; break;
    case hpLeftUnder: x -= size.width() + CursorGap; y += CursorBelow; break;
    case hpRightAbove: x += CursorGap; y -= size.height() + CursorGap; break;
    case hpRightUnder: x += CursorGap; y += CursorBelow; break;
    case hpNormal: break;
    }
    if (y + size.height() + ScreenInset > screen.height())
        y = screen.height() - size.height() - ScreenInset;
    if (x + size.width() + ScreenInset > screen.width())
        x = screen.width() - size.width() - ScreenInset;
    return {std::max(x, ScreenInset), std::max(y, ScreenInset)};
}

TzHintWindow::TzHintWindow() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TzHintWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TzHintWindow& TzHintWindow::Instance()
{
    // Made on first use and kept for the application's life, as the application's own is.
    if (!gHintWindow)
        gHintWindow = new TzHintWindow;
    return *gHintWindow;
}

void TzHintWindow::ActivateHint(const QRect& rect, const QString& text)
{
    ActivateHintAt(rect, text, QCursor::pos(), ScreenSize());
}

void TzHintWindow::ActivateHintAt(const QRect& rect, const QString& text, QPoint cursor, QSize screen)
{
    THintStyle& style = HintStyle();
    bool canShow = true;
    QString shown = text;
    if (style.OnHintShow)
        style.OnHintShow(shown, canShow);
    if (!canShow)
        return;
    setFont(style.Font);
    moves_ = 0;
    const int margin = Margin();
    const int part = std::clamp<int>(style.PartOfScreen, MinDiv, kMaxDiv);
    const QRect limit(0, 0, std::max(screen.width() / part - 2 * margin, 1), 0);
    const QRect extent = QFontMetrics(style.Font).boundingRect(limit, TextFlags(), shown);
    setWindowTitle(shown);
    const QSize size(extent.width() + 2 * margin, extent.height() + 2 * margin);
    resize(size);
    const QPoint anchor = style.HintPosition == hpNormal ? rect.topLeft() : cursor;
    move(PlaceHint(anchor, size, style.HintPosition, screen));
    show();
    raise();
    update();
}

bool TzHintWindow::IsHintMsg(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        if (++moves_ > HintStyle().MoveBeforeOff) {
            moves_ = 0;
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        return true;
    default:
        return false;
    }
}

void TzHintWindow::paintEvent(QPaintEvent*)
{
    const THintStyle& style = HintStyle();
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, QToolTip::palette().color(QPalette::ToolTipBase));
    const int right = r.right(), bottom = r.bottom(), left = r.left(), top = r.top();
    if (style.Use3D) {
        p.setPen(Qt::black);
        p.drawLine(right, top, right, bottom);
        p.drawLine(right, bottom, left, bottom);
        p.setPen(ColorToQColor(style.ShadowColor));
        p.drawLine(left, bottom - 1, left, top);
        p.drawLine(left, top, right - 1, top);
        p.drawLine(right - 1, top + 1, right - 1, bottom - 1);
        p.drawLine(right - 1, bottom - 1, left + 1, bottom - 1);
        p.setPen(ColorToQColor(style.HighLightColor));
        p.drawLine(left + 1, bottom - 2, left + 1, top + 1);
        p.drawLine(left + 1, top + 1, right - 2, top + 1);
    } else {
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    const int margin = Margin();
    p.setFont(style.Font);
    p.setPen(ColorToQColor(style.FontColor));
    p.drawText(r.adjusted(margin, margin, -margin, -margin), TextFlags(), windowTitle());
    if (style.OnHintPaint)
        style.OnHintPaint(this);
}

TzHint::TzHint(QObject* owner) : QObject(owner)
{
    ResetHintStyle();
}

void TzHint::Loaded()
{
    UpDate();
}

void TzHint::UpDate()
{
    if (Router() || !QCoreApplication::instance())
        return;
    Router() = new HintRouter;
    Router()->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(Router());
}

bool TzHint::Installed()
{
    return Router();
}

namespace {

// Stores a changed setting in the shared record; answers whether it changed.
template <class T> bool StoreSetting(T THintStyle::*field, T value)
{
    if (HintStyle().*field == value)
        return false;
    HintStyle().*field = value;
    return true;
}

} // namespace

void TzHint::SetHighLight(TColor c)
{
    if (StoreSetting(&THintStyle::HighLightColor, c))
        UpDate();
}

void TzHint::SetShadow(TColor c)
{
    if (StoreSetting(&THintStyle::ShadowColor, c))
        UpDate();
}

void TzHint::SetPos(TzHintPos p)
{
    if (StoreSetting(&THintStyle::HintPosition, p))
        UpDate();
}

void TzHint::SetDiv(TzHintDiv d)
{
    if (d >= MinDiv && d <= kMaxDiv && StoreSetting(&THintStyle::PartOfScreen, d))
        UpDate();
}

void TzHint::SetMov(TzMoveDist d)
{
    if (d >= MinMove && d <= kMaxMove && StoreSetting(&THintStyle::MoveBeforeOff, d))
        UpDate();
}

void TzHint::SetMulti(bool b)
{
    if (StoreSetting(&THintStyle::MultiLine, b))
        UpDate();
}

void TzHint::Set3D(bool b)
{
    if (StoreSetting(&THintStyle::Use3D, b))
        UpDate();
}

void TzHint::SetOnPaint(TNotifyEvent e)
{
    HintStyle().OnHintPaint = std::move(e);
    UpDate();
}

void TzHint::SetOnShowHint(THintShowEvent e)
{
    HintStyle().OnHintShow = std::move(e);
    UpDate();
}

void TzHint::SetFont(const QFont& font, TColor color)
{
    HintStyle().Font = font;
    HintStyle().FontColor = color;
    UpDate();
}
