#include "tags/TagTable.h"

#include "tags/MemoListRows.h"
#include "tags/TagString.h"

#include <algorithm>

// The lookup key of a name: every code point case-folded on its own, which is the
// same folding QString::compare uses with Qt::CaseInsensitive, so two names have
// the same key exactly when they compare equal ignoring case.
static QString foldedKey(QStringView name)
{
    QString key;
    key.reserve(name.size());
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < size && name[i + 1].isLowSurrogate()) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, name[i + 1]));
            key.append(QStringView(QChar::fromUcs4(folded)));
            ++i;
        } else {
            key.append(QChar(static_cast<char16_t>(QChar::toCaseFolded(c.unicode()))));
        }
    }
    return key;
}

TagTable::TagTable()
{
    clearNames();
}

void TagTable::clearNames()
{
    m_names = QStringList{importName()};
    m_counts = QList<int>{0};
    m_indexByKey.clear();
    m_indexByKey.insert(foldedKey(importName()), 0);
}

int TagTable::entryOfName(const QString& name)
{
    QString key = foldedKey(name);
    const auto it = m_indexByKey.constFind(key);
    if (it != m_indexByKey.constEnd())
        return it.value();
    // Most names are their own folded key: the key then shares the name's text.
    if (key == name)
        key = name;
    m_indexByKey.insert(key, static_cast<int>(m_names.size()));
    m_names.append(name);
    m_counts.append(0);
    return static_cast<int>(m_names.size()) - 1;
}

void TagTable::addName(const QString& name, int count)
{
    m_counts[entryOfName(name)] += count;
}

void TagTable::load(const std::vector<CategoryGroup>& groups, int trashCount)
{
    clearNames();
    m_totalCount = 0;
    for (const CategoryGroup& group : groups) {
        if (!group.isNull) {
            for (const QString& name : splitTags(group.category))
                addName(name, group.count);
        }
        m_totalCount += group.count;
    }
    m_trashCount = trashCount;
}

TagTable::Loader::Loader(TagTable& table) : m_table(table)
{
    m_table.clearNames();
}

void TagTable::Loader::add(QByteArrayView tagString, int count)
{
    // Decoded into one buffer, not into a string per group.
    if (m_decoded.size() < size_t(tagString.size()))
        m_decoded.resize(size_t(tagString.size()));
    const qsizetype length = MemoListRows::decodeUtf8(tagString, m_decoded.data());
    m_total += count;
    if (tagString.isNull())
        return;
    const QStringView tags(m_decoded.data(), length);
    // As splitTags(): trimmed of blanks, split at each blank, empty names kept.
    qsizetype from = 0;
    qsizetype to = tags.size();
    while (from < to && tags[from] == u' ')
        ++from;
    while (to > from && tags[to - 1] == u' ')
        --to;
    if (from == to)
        return;
    for (;;) {
        qsizetype end = from;
        while (end < to && tags[end] != u' ')
            ++end;
        const QStringView name = tags.sliced(from, end - from);
        // Looked up through a string over the text itself, without a copy.
        const QString spelling =
            QString::fromRawData(reinterpret_cast<const QChar*>(name.utf16()), name.size());
        int entry = m_indexBySpelling.value(spelling, -1);
        if (entry < 0) {
            const QString copy = name.toString();
            entry = m_table.entryOfName(copy);
            m_indexBySpelling.insert(copy, entry);
        }
        m_table.m_counts[entry] += count;
        if (end == to)
            break;
        from = end + 1;
    }
}

void TagTable::Loader::finish(int trashCount)
{
    m_table.m_totalCount = m_total;
    m_table.m_trashCount = trashCount;
}

int TagTable::findCatIndex(QStringView name) const
{
    return m_indexByKey.value(foldedKey(name), -1);
}

void TagTable::updateTagCounts(const QString& oldTags, const QString& newTags)
{
    for (const QString& name : splitTags(oldTags)) {
        const int index = findCatIndex(name);
        if (index != -1)
            --m_counts[index];
    }
    for (const QString& name : splitTags(newTags))
        addName(name, 1);
}

QString TagTable::catNamesJoined() const
{
    return m_names.join(u' ');
}

void TagTable::addToCount(int index, int delta)
{
    if (index >= 0 && index < m_counts.size())
        m_counts[index] += delta;
}

std::vector<TagTable::CategoryRow> TagTable::rows() const
{
    std::vector<CategoryRow> rows;
    rows.reserve(m_names.size() + 3);
    rows.push_back({AllRowId, allName(), m_totalCount});
    rows.push_back({TrashRowId, trashName(), m_trashCount});
    rows.push_back({FindRowId, findName(), findCount()});
    rows.push_back({ImportRowId, importName(), m_counts[0]});
    for (qsizetype i = 1; i < m_names.size(); ++i) {
        if (!m_names[i].isEmpty())
            rows.push_back({rowIdOfIndex(static_cast<int>(i)), m_names[i], m_counts[i]});
    }
    return rows;
}

int TagTable::rowIdToSelect(const QString& rememberedName) const
{
    // Names are unique ignoring case, so the only candidate for an exact match is
    // the entry the case-insensitive lookup finds; entry 0 is the "[Import]" row.
    const int index = findCatIndex(rememberedName);
    if (index >= 1 && !rememberedName.isEmpty() && m_names[index] == rememberedName)
        return rowIdOfIndex(index);
    if (rememberedName == trashName())
        return TrashRowId;
    if (rememberedName == findName())
        return FindRowId;
    if (rememberedName == importName())
        return ImportRowId;
    return AllRowId;
}

void TagTable::setFindResult(QList<qint64> ids)
{
    m_findIds = std::move(ids);
    m_findTrashed = 0;
}

void TagTable::noteTrashMove(qint64 id, bool inTrash)
{
    if (std::binary_search(m_findIds.cbegin(), m_findIds.cend(), id))
        m_findTrashed += inTrash ? 1 : -1;
}
