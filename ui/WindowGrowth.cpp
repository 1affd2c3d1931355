#include "ui/WindowGrowth.h"

#include "base/Failure.h"
#include "settings/SettingsStore.h"

#include <QEvent>
#include <QGroupBox>
#include <QRegularExpression>
#include <QScreen>
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

QSize WindowGrowth::restoreSize(QWidget& window, const SettingsStore& settings, const SettingKey& key)
{
    static const QRegularExpression spelled(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    QRegularExpressionMatch size;
    try {
        size = spelled.match(settings.read(key));
    } catch (const Failure&) {
        return window.size(); // an unreadable store has its say when the main window loads
    }
    if (size.hasMatch()) {
        const QSize screen = window.screen()->availableGeometry().size();
        window.resize(QSize(size.captured(1).toInt(), size.captured(2).toInt())
                          .expandedTo(window.minimumSize())
                          .boundedTo(screen.expandedTo(window.minimumSize())));
    }
    return window.size();
}

void WindowGrowth::storeSize(const QWidget& window, SettingsStore& settings, const SettingKey& key, QSize opened)
{
    if (window.size() == opened)
        return;
    try {
        settings.write(key, QStringLiteral("%1x%2").arg(window.width()).arg(window.height()));
    } catch (const Failure&) {
        // A size not kept is no reason to keep the window from closing.
    }
}
