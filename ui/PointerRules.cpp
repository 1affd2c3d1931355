#include "ui/PointerRules.h"

#include <QMouseEvent>
#include <QWidget>

namespace {

const char* const handProperty = "ferrandinePointerHand";

bool overChild(const QWidget& widget, QPoint position)
{
    for (const QObject* object : widget.children()) {
        auto* child = qobject_cast<const QWidget*>(object);
        if (child && !child->isWindow() && !child->isHidden() && child->geometry().contains(position))
            return true;
    }
    return false;
}

} // namespace

PointerRules::PointerRules(QWidget& window) : QObject(&window), m_window(window) {}

void PointerRules::handOver(std::initializer_list<QWidget*> widgets)
{
    for (QWidget* widget : widgets) {
        widget->setProperty(handProperty, true);
        watch(widget);
    }
}

void PointerRules::defaultOver(std::initializer_list<QWidget*> widgets)
{
    for (QWidget* widget : widgets) {
        widget->setProperty(handProperty, false);
        watch(widget);
    }
}

void PointerRules::watch(QWidget* widget)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

void PointerRules::setBusy(bool busy)
{
    m_window.setCursor(busy ? QCursor(Qt::WaitCursor) : QCursor(Qt::ArrowCursor));
}

bool PointerRules::isBusy() const
{
    return m_window.cursor().shape() == Qt::WaitCursor;
}

// A mouse move that a child leaves unhandled travels on to its parent: a frame or the background
// only counts when the pointer is over it and not over one of its controls.
bool PointerRules::eventFilter(QObject* watched, QEvent* event)
{
    const bool move = event->type() == QEvent::MouseMove;
    if ((!move && event->type() != QEvent::Enter) || isBusy())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->property(handProperty).toBool()) {
        m_window.setCursor(m_hand);
    } else if (!move || !overChild(*widget, static_cast<QMouseEvent*>(event)->position().toPoint())) {
        if (m_window.cursor().shape() != Qt::ArrowCursor)
            m_window.setCursor(Qt::ArrowCursor);
    }
    return false;
}
