#include "ui/WindowGrowth.h"

#include <QEvent>
#include <QGroupBox>
#include <QWidget>

void WindowGrowth::allow(QWidget& window, QWidget& growing)
{
    window.installEventFilter(new WindowGrowth(window, growing));
}

WindowGrowth::WindowGrowth(QWidget& window, QWidget& growing)
    : QObject(&window), m_window(window), m_growing(growing), m_size(window.size()),
      m_growingBottom(growing.geometry().bottom())
{
    for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        m_controls.push_back({control, control->geometry(), false});
        if (qobject_cast<QGroupBox*>(control)) {
            for (QWidget* inner : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                m_controls.push_back({inner, inner->geometry(), true});
        }
    }
    window.setMinimumSize(m_size);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window.setWindowFlag(Qt::WindowMaximizeButtonHint);
}

bool WindowGrowth::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Resize)
        place();
    return QObject::eventFilter(watched, event);
}

void WindowGrowth::place()
{
    const double widthFactor = double(m_window.width()) / m_size.width();
    const int extraHeight = m_window.height() - m_size.height();
    const auto across = [widthFactor](int x) { return qRound(x * widthFactor); };
    for (const Designed& control : m_controls) {
        if (!control.widget)
            continue;
        QRect place = control.place;
        // Both edges scale, so that neighbours stay side by side without gaps.
        const int left = across(place.left());
        place.setWidth(across(place.left() + place.width()) - left);
        place.moveLeft(left);
        if (!control.inFrame) {
            if (control.widget == &m_growing)
                place.setHeight(place.height() + extraHeight);
            else if (place.top() > m_growingBottom)
                place.translate(0, extraHeight);
        }
        control.widget->setGeometry(place);
    }
}
