#include "MemoFixtures.h"
#include "StoreFixture.h"
#include "store/MemoStore.h"
#include "tags/TagTable.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

void expectSameTable(const TagTable& loaded, const TagTable& expected)
{
    EXPECT_EQ(loaded.names(), expected.names());
    EXPECT_EQ(loaded.counts(), expected.counts());
    EXPECT_EQ(loaded.totalCount(), expected.totalCount());
    EXPECT_EQ(loaded.trashCount(), expected.trashCount());
}

// Random groups, given as UTF-8 one at a time, load the same table as the
// same groups given as texts: spellings met first, empty names, blanks at
// the ends, Null, bytes that are no UTF-8.
TEST(TagTableLoaderTest, LoadsAsTheListOfGroupsDoes)
{
    const QList<QByteArray> names = {"Work",
                                     "work",
                                     "WORK",
                                     "\xef\xbd\x97\xef\xbd\x8f\xef\xbd\x92\xef\xbd\x8b", // ｗｏｒｋ
                                     "[import]",
                                     "[Import]",
                                     "\xe3\x82\xbf\xe3\x82\xb0", // タグ
                                     "\xc3\x9f",                 // ß
                                     "SS",
                                     "\xf0\x90\x90\x80", // Deseret capital
                                     "\xf0\x90\x90\xa8", // its small letter
                                     "\xe3\x81",         // cut short
                                     "\xff"};
    std::mt19937 random(3);
    for (int round = 0; round < 50; ++round) {
        std::vector<CategoryGroup> groups;
        std::vector<std::pair<QByteArray, int>> utf8Groups;
        const int groupCount = int(random() % 30);
        for (int g = 0; g < groupCount; ++g) {
            const int count = 1 + int(random() % 5);
            if (random() % 8 == 0) {
                groups.push_back({QString(), true, count});
                utf8Groups.emplace_back(QByteArray(), count);
                continue;
            }
            QByteArray tags = QByteArray(int(random() % 2), ' ');
            const int nameCount = int(random() % 4);
            for (int n = 0; n < nameCount; ++n) {
                if (n > 0)
                    tags += QByteArray(1 + int(random() % 3 == 0), ' ');
                tags += names[int(random() % names.size())];
            }
            tags += QByteArray(int(random() % 2), ' ');
            groups.push_back({QString::fromUtf8(tags), false, count});
            utf8Groups.emplace_back(tags.isNull() ? QByteArray("") : tags, count);
        }
        TagTable expected;
        expected.load(groups, round);
        TagTable loaded;
        TagTable::Loader loader(loaded);
        for (const auto& [tags, count] : utf8Groups)
            loader.add(QByteArrayView(tags), count);
        loader.finish(round);
        SCOPED_TRACE(testing::Message() << "round " << round);
        expectSameTable(loaded, expected);
    }
}

class CategoryGroupsTest : public StoreFixture
{
};

// The store's groups, read one at a time from the ordered tag strings, are
// the grouped count's, in its order.
TEST_F(CategoryGroupsTest, TheOrderedTagStringsGiveTheGroupedCount)
{
    for (const QString& tags : {u"b"_s, u"a b"_s, QString(), u""_s, u"a b"_s, u"B"_s, u"\u30bf\u30b0"_s,
                                u"b"_s, QString(), u" a"_s})
        store->insertMemo(u"t"_s, {}, tags, u"2026/01/01 00:00:00"_s);
    const qint64 trashed = store->insertMemo(u"t"_s, {}, u"trashed"_s, u"2026/01/01 00:00:00"_s);
    store->writeMemoTrash(trashed, true);
    // Written by older versions: a yes/no column holding -1, a number as a tag string.
    MemoFixtures::execute(dbPath, "INSERT INTO Memo (Title, Category, IsTrash) VALUES ('o', 'old', -1), "
                                  "('n', 12, 0)");

    const std::vector<CategoryGroup> expected = store->readCategoryGroups();
    std::vector<CategoryGroup> groups;
    store->forEachCategoryGroup([&groups](QByteArrayView category, int count) {
        groups.push_back({QString::fromUtf8(category), category.isNull(), count});
    });
    ASSERT_EQ(groups.size(), expected.size());
    for (size_t i = 0; i < groups.size(); ++i) {
        EXPECT_EQ(groups[i].category, expected[i].category) << i;
        EXPECT_EQ(groups[i].isNull, expected[i].isNull) << i;
        EXPECT_EQ(groups[i].count, expected[i].count) << i;
    }
}

} // namespace
