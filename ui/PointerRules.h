#pragma once

#include <QCursor>
#include <QObject>

#include <initializer_list>

class QWidget;

// The mouse pointer of one window. The pointer is a property of the whole window: moving over one
// of the "hand" widgets (the push buttons) gives the window the hand cursor, moving over one of the
// "default" widgets (background, frames, some text boxes) gives it the default pointer, and other
// widgets change nothing. While the busy pointer shows, moving changes nothing.
class PointerRules final : public QObject
{
public:
    explicit PointerRules(QWidget& window);

    // The window's custom hand cursor (the pointing hand until HAND-M.CUR has been loaded).
    void setHandCursor(const QCursor& cursor) { m_hand = cursor; }
    const QCursor& handCursor() const { return m_hand; }

    void handOver(std::initializer_list<QWidget*> widgets);
    void defaultOver(std::initializer_list<QWidget*> widgets);

    // The busy (hourglass) pointer on, or the default pointer back.
    void setBusy(bool busy);
    bool isBusy() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* widget);

    QWidget& m_window;
    QCursor m_hand{Qt::PointingHandCursor};
};
