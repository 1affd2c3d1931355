#include "base/EventPump.h"

#include "base/UiServices.h"

void EventPump::run()
{
    if (m_sinceLast.isValid() && m_sinceLast.elapsed() < m_intervalMs)
        return;
    m_ui.processEvents();
    m_sinceLast.start();
}
