#pragma once

#include "store/Memo.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

// The rows of a memo list, held compactly so that a list of a million memos
// stays small: each row is a fixed record of numbers (ID, the two times
// packed into codes, icon, flags) whose title lives in a shared text pool.
//
// A time stored as "yyyy/MM/dd HH:mm:ss" (years 1970 to 2099), as Quillet
// writes them, is packed into a code whose numeric order is the order of the
// texts; the empty time (also NULL) is code 0, which comes first as "" does.
// Any other text is kept as it is in the pool, so every time reads back
// exactly as stored.
//
// Rows are numbered in the order they were appended. Rows appended in
// ascending ID order (as a list fill reads them) are found by binary search;
// only rows appended out of that order take a hash entry.
class MemoListRows
{
public:
    struct Record
    {
        qint64 id = 0;
        quint32 publishTime = 0; // time code
        quint32 updateTime = 0;  // time code
        quint32 title = 0;       // text pool reference
        qint32 icon = -1;        // -1: no icon
        qint32 rank = 0;         // for the list model: orders rows whose sort keys are equal
        qint16 shownImage = 0;   // for the list model: an image shown whatever the row says
        bool isPass = false;
    };

    MemoListRows();
    MemoListRows(MemoListRows&&) noexcept;
    MemoListRows& operator=(MemoListRows&&) noexcept;
    ~MemoListRows();

    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    Record& operator[](int index)
    {
        return m_records[size_t(index) >> kRecordChunkBits][index & kRecordChunkMask];
    }
    const Record& operator[](int index) const
    {
        return m_records[size_t(index) >> kRecordChunkBits][index & kRecordChunkMask];
    }

    // Appends a row and returns its number.
    int append(const MemoListEntry& row);
    // The same from columns read as UTF-8 (a null view for NULL), decoded as
    // QString::fromUtf8 would.
    int append(qint64 id, QByteArrayView publishTime, QByteArrayView updateTime, QByteArrayView title,
               int icon, bool isPass);

    // Appends every row of `rows` (read after these), taking over its texts.
    void append(MemoListRows&& rows);

    QString publishTime(int index) const { return timeText((*this)[index].publishTime); }
    QString updateTime(int index) const { return timeText((*this)[index].updateTime); }
    QString title(int index) const { return titleView(index).toString(); }
    QStringView titleView(int index) const { return m_texts.view((*this)[index].title); }
    MemoListEntry entry(int index) const;

    // A saved memo's new update time and title.
    void setUpdated(int index, const QString& updateTime, const QString& title);

    // The number of the row of memo `id` appended last, or -1.
    int indexOfId(qint64 id) const;

    // True while every time's code orders it as its text: then comparing codes
    // compares times.
    bool timesArePacked() const { return m_oddTimes.empty(); }
    // Compares two times as their texts compare (QString::compare): <0, 0, >0.
    int compareTimes(quint32 a, quint32 b) const;
    QString timeText(quint32 code) const;

    // Decodes UTF-8 exactly as QString::fromUtf8 does into `out`, which has
    // room for utf8.size() units (never fewer are needed); returns the units
    // written.
    static qsizetype decodeUtf8(QByteArrayView utf8, char16_t* out);

    // Compares two texts as their case-folded forms compare
    // (a.toCaseFolded().compare(b.toCaseFolded())), without building them.
    static int compareCaseFolded(QStringView a, QStringView b);
    // Four UTF-16 units of the case-folded text, from unit `from` on, as one
    // number (zeros after its end): texts whose first units agree up to there
    // and whose numbers differ compare as their numbers. False when the text
    // holds a lone surrogate, whose folding depends on where it stands.
    static bool caseFoldedPrefix(QStringView text, quint64* prefix, int from = 0);

private:
    // Rows and texts live in blocks of 2 MiB, mapped on their own (see
    // MemoListRows.cpp); Block owns one.
    struct BlockRelease
    {
        void operator()(void* block) const;
    };
    template <typename T> using Block = std::unique_ptr<T[], BlockRelease>;
    template <typename T> static Block<T> newBlock(size_t blocksBefore);

    // Texts in large shared blocks; a reference is a block and a position,
    // where the text's length precedes its units. Very long texts are kept
    // apart, one QString each.
    class TextPool
    {
    public:
        quint32 add(QStringView text);
        quint32 addUtf8(QByteArrayView utf8);
        QStringView view(quint32 reference) const;
        // Takes over the texts of `pool`; returns how to change its references.
        std::function<quint32(quint32)> takeOver(TextPool&& pool);

    private:
        // Reserves room for a text of up to `units` units and its length.
        char16_t* reserve(qsizetype units, quint32* reference);
        quint32 addLong(QString text);

        std::vector<Block<char16_t>> m_blocks;
        qsizetype m_used = 0; // units used in the last block
        std::vector<QString> m_long;
    };

    static constexpr int kRecordChunkBits = 16;
    static constexpr int kRecordChunkMask = (1 << kRecordChunkBits) - 1;

    Record& appendRecord(qint64 id);
    quint32 timeCode(QStringView text);
    quint32 timeCodeUtf8(QByteArrayView text);

    std::vector<Block<Record>> m_records;
    int m_size = 0;
    int m_ascendingIds = 0;             // rows 0 .. m_ascendingIds - 1 have ascending IDs
    QHash<qint64, int> m_idsOutOfOrder; // the later rows by ID
    TextPool m_texts;
    std::vector<quint32> m_oddTimes; // pool references of times that are not packed
};
