#pragma once

#include <QObject>
#include <functional>

class QTimer;

// When unsaved text goes to a restore file while the user types: a few
// seconds after typing pauses, and at the latest some seconds after the first
// change not yet written, so that steady typing reaches the disk as well.
// Never on the keystroke itself, which only restarts a timer.
class RestoreWriteTimer : public QObject
{
    Q_OBJECT
public:
    static constexpr int PauseMs = 2000;
    static constexpr qint64 LongestDelayMs = 10000;

    RestoreWriteTimer(std::function<void()> write, QObject* parent);

    // The text changed.
    void changed();
    // Nothing is due any more (written, saved or dropped).
    void stop();

private:
    QTimer* m_timer;
    std::function<void()> m_write;
    qint64 m_firstChangeMsecs = 0;
};
