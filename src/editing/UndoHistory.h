#pragma once

#include <QString>

#include <optional>
#include <vector>

// The undo history of one edit box: a list of entries (the box's text and caret
// after each recorded change), of which the box shows entry current(). Recording
// always appends after the last entry, also when the box shows an earlier one, so
// undone entries stay in the history.
//
// Only the last entry's text is held whole; every other entry is stored as the
// difference from the entry before it (common prefix and suffix removed), so the
// memory grows with the size of the changes, not with the text size times the
// number of changes. Undo and redo hand back that difference as an edit to apply
// to the text the box shows.
class UndoHistory
{
public:
    // Replace the removeLength characters at position by insertText, then put the
    // caret at caret. Edits never start or end between the halves of a surrogate pair.
    struct TextEdit
    {
        int position;
        int removeLength;
        QString insertText;
        int caret;
    };

    UndoHistory();

    // One entry: the box's present text and caret.
    void reset(const QString& text, int caret);
    // Appends the box's whole text after a change as the new last entry and makes it current.
    void record(const QString& newText, int caret);
    // Steps to the previous entry; nullopt (and no change) at the first entry.
    std::optional<TextEdit> undo();
    // Steps to the next entry; nullopt (and no change) at the last entry.
    std::optional<TextEdit> redo();

    int count() const { return static_cast<int>(m_entries.size()); }
    int current() const { return m_current; }
    // The text of the last entry (the one record() diffs against).
    const QString& lastText() const { return m_lastText; }
    // The text of the current entry: the text the box is meant to show.
    QString currentText() const;

    // An estimate of the bytes the history holds: the stored texts' capacities
    // plus the per-entry bookkeeping.
    qsizetype memoryBytes() const;

private:
    // Entry k (k >= 2) turned the text of entry k - 1 into its own text by replacing
    // removedLength characters at position by insertedLength characters. Both
    // texts live in m_changeTexts from textOffset on, removed text first.
    struct Entry
    {
        qsizetype textOffset = 0;
        int position = 0;
        int removedLength = 0;
        int insertedLength = 0;
        int caret = 0;
    };

    std::vector<Entry> m_entries; // m_entries[k - 1] is entry k
    QString m_changeTexts;        // the removed and inserted texts of all entries, appended
    QString m_lastText;
    int m_current = 1;
};
