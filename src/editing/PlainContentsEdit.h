#pragma once

#include <QPlainTextEdit>

// A memo's contents box: what it copies or drags out is plain text only, the
// characters as they stand (a line break as '\n'), never formatting.
class PlainContentsEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override;
};
