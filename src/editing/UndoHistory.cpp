#include "editing/UndoHistory.h"

#include <algorithm>
#include <cstring>

// Length of the common prefix of a and b, both at least `length` long. Compares in
// blocks with memcmp first, so that a long unchanged text is passed over quickly.
static qsizetype commonPrefix(const QChar* a, const QChar* b, qsizetype length)
{
    constexpr qsizetype Block = 64;
    qsizetype i = 0;
    while (i + Block <= length && std::memcmp(a + i, b + i, Block * sizeof(QChar)) == 0)
        i += Block;
    while (i < length && a[i] == b[i])
        ++i;
    return i;
}

// Length of the common suffix of a[0, aLength) and b[0, bLength), at most `limit`.
static qsizetype commonSuffix(const QChar* a, qsizetype aLength, const QChar* b, qsizetype bLength,
                              qsizetype limit)
{
    constexpr qsizetype Block = 64;
    qsizetype n = 0;
    while (n + Block <= limit &&
           std::memcmp(a + aLength - n - Block, b + bLength - n - Block, Block * sizeof(QChar)) == 0)
        n += Block;
    while (n < limit && a[aLength - n - 1] == b[bLength - n - 1])
        ++n;
    return n;
}

UndoHistory::UndoHistory()
{
    reset(QString(), 0);
}

void UndoHistory::reset(const QString& text, int caret)
{
    // Swap with fresh containers so that a long history gives its memory back.
    std::vector<Entry>{Entry{0, 0, 0, 0, caret}}.swap(m_entries);
    m_changeTexts = QString();
    m_lastText = text;
    m_current = 1;
}

void UndoHistory::record(const QString& newText, int caret)
{
    const QChar* oldData = m_lastText.constData();
    const QChar* newData = newText.constData();
    const qsizetype oldSize = m_lastText.size();
    const qsizetype newSize = newText.size();

    qsizetype prefix = commonPrefix(oldData, newData, std::min(oldSize, newSize));
    // Keep the changed range off the middle of a surrogate pair, so that an edit
    // never leaves half a character in the box: the common parts give up the
    // half that touches the range.
    if (prefix > 0 && oldData[prefix - 1].isHighSurrogate())
        --prefix;
    qsizetype suffix = commonSuffix(oldData, oldSize, newData, newSize, std::min(oldSize, newSize) - prefix);
    if (suffix > 0 && oldData[oldSize - suffix].isLowSurrogate())
        --suffix;

    Entry entry;
    entry.textOffset = m_changeTexts.size();
    entry.position = static_cast<int>(prefix);
    entry.removedLength = static_cast<int>(oldSize - prefix - suffix);
    entry.insertedLength = static_cast<int>(newSize - prefix - suffix);
    entry.caret = caret;
    m_changeTexts.append(oldData + prefix, entry.removedLength);
    m_changeTexts.append(newData + prefix, entry.insertedLength);
    m_entries.push_back(entry);

    m_lastText = newText; // shares the caller's data; no copy of the text
    m_current = count();
}

std::optional<UndoHistory::TextEdit> UndoHistory::undo()
{
    if (m_current <= 1)
        return std::nullopt;
    const Entry& undone = m_entries[m_current - 1];
    const Entry& shown = m_entries[m_current - 2];
    --m_current;
    return TextEdit{undone.position, undone.insertedLength,
                    m_changeTexts.mid(undone.textOffset, undone.removedLength), shown.caret};
}

std::optional<UndoHistory::TextEdit> UndoHistory::redo()
{
    if (m_current >= count())
        return std::nullopt;
    ++m_current;
    const Entry& redone = m_entries[m_current - 1];
    return TextEdit{redone.position, redone.removedLength,
                    m_changeTexts.mid(redone.textOffset + redone.removedLength, redone.insertedLength),
                    redone.caret};
}

QString UndoHistory::currentText() const
{
    // Walk back from the last entry, undoing each change after the current one.
    QString text = m_lastText;
    for (int k = count(); k > m_current; --k) {
        const Entry& entry = m_entries[size_t(k - 1)];
        text.replace(entry.position, entry.insertedLength,
                     QStringView(m_changeTexts).mid(entry.textOffset, entry.removedLength).toString());
    }
    return text;
}

qsizetype UndoHistory::memoryBytes() const
{
    // A string's heap block: its capacity plus the terminating null and a header.
    const auto stringBytes = [](const QString& s) -> qsizetype {
        return s.isNull() ? 0 : (s.capacity() + 1) * qsizetype(sizeof(QChar)) + 16;
    };
    return qsizetype(sizeof(*this)) + qsizetype(m_entries.capacity() * sizeof(Entry)) +
           stringBytes(m_changeTexts) + stringBytes(m_lastText);
}
