#include "editing/PlainContentsEdit.h"

#include <QMimeData>

QMimeData* PlainContentsEdit::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    // The selection marks line breaks with U+2029; every other character stays.
    data->setText(textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
    return data;
}
