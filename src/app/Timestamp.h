#pragma once

#include <QDateTime>
#include <QString>

// Memo times are stored as local time text "YYYY/MM/DD hh:nn:ss" so that text
// order is time order.
QString formatTimestamp(const QDateTime& time);
