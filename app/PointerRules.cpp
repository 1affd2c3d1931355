#include "app/PointerRules.h"

#include <QEvent>
#include <QWidget>

namespace {

const char* const handProperty = "ferrandinePointerHand";

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

bool PointerRules::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) && !isBusy()) {
        if (watched->property(handProperty).toBool())
            m_window.setCursor(m_hand);
        else if (m_window.cursor().shape() != Qt::ArrowCursor)
            m_window.setCursor(Qt::ArrowCursor);
    }
    return false;
}
