#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;
class SettingsStore;
struct SettingKey;

// Lets a window whose controls sit at fixed places grow beyond its designed size, up to maximised:
// `growing` (a list) takes all the extra height and the controls below it move down with it, while
// every control takes its share of the extra width, so that side-by-side halves stay halves. The
// designed size stays the default and the smallest. Frames' controls widen with their frame.
class WindowGrowth final : public QObject
{
public:
    // Call once the window has its designed, scaled size; the window owns the object.
    static void allow(QWidget& window, QWidget& growing);

    // A window that remembers the size the user gave it: restoreSize() gives it the size stored
    // under `key` (not below its smallest size nor beyond the screen; a text that is no size counts
    // as none) and returns the size it has then; storeSize() stores its size when it differs from
    // `opened`, the size it was opened with.
    static QSize restoreSize(QWidget& window, const SettingsStore& settings, const SettingKey& key);
    static void storeSize(const QWidget& window, SettingsStore& settings, const SettingKey& key, QSize opened);

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
