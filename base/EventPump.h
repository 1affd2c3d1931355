#pragma once

#include <QElapsedTimer>

class UiServices;

// Lets pending window events run from inside a long loop without letting them dominate it: the
// first call always lets them run, later calls only when at least `intervalMs` have passed since
// the last time. A loop calls run() at each point where the window should stay responsive.
class EventPump
{
public:
    static constexpr int DefaultIntervalMs = 20;

    explicit EventPump(UiServices& ui, int intervalMs = DefaultIntervalMs)
        : m_ui(ui), m_intervalMs(intervalMs)
    {}

    void run();

private:
    UiServices& m_ui;
    int m_intervalMs;
    QElapsedTimer m_sinceLast;
};
