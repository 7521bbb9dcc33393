#pragma once

#include "app/Clock.h"

// A clock that stands still until the test moves it.
class FixedClock final : public Clock
{
public:
    QDateTime time = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0));
    QDateTime now() const override { return time; }
    void advanceSeconds(qint64 seconds) { time = time.addSecs(seconds); }
};
