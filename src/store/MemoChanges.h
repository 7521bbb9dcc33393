#pragma once

#include <QObject>

// Tells every place that shows a memo (the main window, the floating windows)
// that the store wrote it, so that a place without unsaved edits shows the new
// text at once instead of keeping a stale copy that a later save would write
// back. Emitted by the store after each write to a memo's text, tags,
// protection or trash state, within the writer's transaction.
class MemoChanges : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void memoWritten(qint64 id);
};
