#include "editing/RestoreWriteTimer.h"

#include <QDateTime>
#include <QTimer>

RestoreWriteTimer::RestoreWriteTimer(std::function<void()> write, QObject* parent)
    : QObject(parent), m_timer(new QTimer(this)), m_write(std::move(write))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { m_write(); });
}

void RestoreWriteTimer::changed()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_timer->isActive())
        m_firstChangeMsecs = now;
    if (now - m_firstChangeMsecs >= LongestDelayMs) {
        m_timer->stop();
        m_write();
        return;
    }
    m_timer->start(PauseMs);
}

void RestoreWriteTimer::stop()
{
    m_timer->stop();
}
