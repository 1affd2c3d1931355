#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

// Lets a window whose controls sit at fixed places grow beyond its designed size, up to maximised:
// `growing` (a list) takes all the extra height and the controls below it move down with it, while
// every control takes its share of the extra width, so that side-by-side halves stay halves. The
// designed size stays the default and the smallest. Frames' controls widen with their frame.
class WindowGrowth final : public QObject
{
public:
    // Call once the window has its designed, scaled size; the window owns the object.
    static void allow(QWidget& window, QWidget& growing);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowGrowth(QWidget& window, QWidget& growing);
    void place();

    struct Designed
    {
        QPointer<QWidget> widget;
        QRect place;
        bool inFrame;
    };

    QWidget& m_window;
    QWidget& m_growing;
    QSize m_size;
    int m_growingBottom;
    std::vector<Designed> m_controls;
};
