#include "search/TagSearch.h"

#include "store/MemoStore.h"
#include "tags/TagString.h"

#include <QStringDecoder>

TagSearch::TagSearch(const SearchRequest& request)
    : m_tags(request.tags), m_tagJoin(request.tagJoin), m_wordJoin(request.wordJoin),
      m_searchTitles(request.searchTitles)
{
    // An empty text gives no words at all; otherwise every single blank
    // separates two words, empty ones included.
    if (!request.words.isEmpty()) {
        for (const QString& word : request.words.split(u' ')) {
            Word compiled;
            compiled.empty = word.isEmpty();
            if (!compiled.empty)
                compiled.matcher = std::make_unique<FoldedMatcher>(foldForSearch(word));
            m_words.push_back(std::move(compiled));
        }
    }
}

bool TagSearch::matches(const MemoSearchRow& row)
{
    return tagsHold(row.category) && wordsHold(row.title, row.body);
}

bool TagSearch::tagsHold(QByteArrayView category)
{
    if (m_tags.isEmpty())
        return true;
    if (category.isNull())
        return false;
    // The tag string as UTF-16 in a buffer that is kept, for the tag table's
    // own whole-tag test.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const qsizetype needed = decoder.requiredSpace(category.size());
    if (qsizetype(m_category.size()) < needed)
        m_category.resize(size_t(needed));
    const QChar* end = decoder.appendToBuffer(m_category.data(), category);
    const QStringView tags(m_category.data(), end - m_category.data());
    for (const QString& tag : std::as_const(m_tags)) {
        const bool held = holdsTag(tags, tag);
        if (m_tagJoin == SearchJoin::Or && held)
            return true;
        if (m_tagJoin == SearchJoin::And && !held)
            return false;
    }
    return m_tagJoin == SearchJoin::And;
}

bool TagSearch::wordsHold(QByteArrayView title, QByteArrayView body)
{
    if (m_words.empty())
        return true;
    m_titleFolded = false;
    m_bodyFolded = false;
    for (const Word& word : m_words) {
        const bool found = wordFound(word, title, body);
        if (m_wordJoin == SearchJoin::Or && found)
            return true;
        if (m_wordJoin == SearchJoin::And && !found)
            return false;
    }
    return m_wordJoin == SearchJoin::And;
}

bool TagSearch::wordFound(const Word& word, QByteArrayView title, QByteArrayView body)
{
    if (word.empty)
        return true;
    // A Null title or body contains nothing.
    if (m_searchTitles && !title.isNull()) {
        if (!m_titleFolded) {
            m_title.assignUtf8(title);
            m_titleFolded = true;
        }
        if (word.matcher->indexIn(m_title.view()) >= 0)
            return true;
    }
    if (body.isNull())
        return false;
    if (!m_bodyFolded) {
        m_body.assignUtf8(body);
        m_bodyFolded = true;
    }
    return word.matcher->indexIn(m_body.view()) >= 0;
}

QList<qint64> RunTagSearch(MemoStore& store, const SearchRequest& request)
{
    TagSearch search(request);
    QList<qint64> found;
    store.forEachSearchRow([&](const MemoSearchRow& row) {
        if (search.matches(row))
            found.append(row.id);
    });
    return found;
}
