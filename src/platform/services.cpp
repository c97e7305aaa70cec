#include "services.h"

#include <QThread>

namespace platform {

void ThreadPause::sleep(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

QDate SystemClock::today() const
{
    return m_fixed ? *m_fixed : QDate::currentDate();
}

} // namespace platform
