#include "tags/TagTable.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

using Row = TagTable::CategoryRow;

static CategoryGroup group(const QString& category, int count)
{
    return CategoryGroup{category, false, count};
}

static CategoryGroup nullGroup(int count)
{
    return CategoryGroup{QString(), true, count};
}

static std::string describe(const std::vector<Row>& rows)
{
    std::string text;
    for (const Row& row : rows)
        text += std::to_string(row.id) + ":" + row.name.toStdString() + "=" + std::to_string(row.count) + " ";
    return text;
}

// The four pseudo rows with the given counts.
static std::vector<Row> pseudoRows(int total, int trash, int find, int import)
{
    return {
        {1, u"[ALL]"_s, total}, {2, u"[Trash]"_s, trash}, {3, u"[Find]"_s, find}, {4, u"[Import]"_s, import}};
}

static std::vector<Row> operator+(std::vector<Row> rows, const std::vector<Row>& more)
{
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

TEST(TagTableTest, NewTableHoldsOnlyImport)
{
    const TagTable table;
    EXPECT_EQ(table.names(), QStringList{u"[Import]"_s});
    EXPECT_EQ(table.counts(), QList<int>{0});
    EXPECT_EQ(describe(table.rows()), describe(pseudoRows(0, 0, 0, 0)));
}

TEST(TagTableTest, LoadCountsEveryNameOfEachGroup)
{
    struct Case
    {
        const char* name;
        std::vector<CategoryGroup> groups;
        int trash;
        QStringList names;
        QList<int> counts;
        std::vector<Row> rows;
    };
    const Case cases[] = {
        {"empty database", {}, 0, {u"[Import]"_s}, {0}, pseudoRows(0, 0, 0, 0)},
        {"two blanks give an empty name, counted but not shown; b keeps ID 7",
         {group(u"a  b"_s, 1)},
         0,
         {u"[Import]"_s, u"a"_s, u""_s, u"b"_s},
         {0, 1, 1, 1},
         pseudoRows(1, 0, 0, 0) + std::vector<Row>{{5, u"a"_s, 1}, {7, u"b"_s, 1}}},
        {"names differing in case share the row of the first met",
         {group(u"Work"_s, 1), group(u"work"_s, 1)},
         0,
         {u"[Import]"_s, u"Work"_s},
         {0, 2},
         pseudoRows(2, 0, 0, 0) + std::vector<Row>{{5, u"Work"_s, 2}}},
        {"a tag twice in one string counts twice",
         {group(u"Work Work"_s, 1)},
         0,
         {u"[Import]"_s, u"Work"_s},
         {0, 2},
         pseudoRows(1, 0, 0, 0) + std::vector<Row>{{5, u"Work"_s, 2}}},
        {"[Import] feeds row 4 in any letter case, without a row of its own",
         {group(u"[Import] x"_s, 2), group(u"[IMPORT]"_s, 1)},
         0,
         {u"[Import]"_s, u"x"_s},
         {3, 2},
         pseudoRows(3, 0, 0, 3) + std::vector<Row>{{5, u"x"_s, 2}}},
        {"a group adds its count to each of its names; Null and empty groups only to the total",
         {nullGroup(3), group(u"a b"_s, 5), group(u""_s, 1), group(u"  b  "_s, 2)},
         4,
         {u"[Import]"_s, u"a"_s, u"b"_s},
         {0, 5, 7},
         pseudoRows(11, 4, 0, 0) + std::vector<Row>{{5, u"a"_s, 5}, {6, u"b"_s, 7}}},
        {"names appear in the order the groups arrive",
         {group(u"z"_s, 1), group(u"m a"_s, 1), group(u"a z"_s, 1)},
         0,
         {u"[Import]"_s, u"z"_s, u"m"_s, u"a"_s},
         {0, 2, 1, 2},
         pseudoRows(3, 0, 0, 0) + std::vector<Row>{{5, u"z"_s, 2}, {6, u"m"_s, 1}, {7, u"a"_s, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagTable table;
        table.load(c.groups, c.trash);
        EXPECT_EQ(table.names(), c.names);
        EXPECT_EQ(table.counts(), c.counts);
        EXPECT_EQ(describe(table.rows()), describe(c.rows));
    }
}

TEST(TagTableTest, LoadReplacesTheTableButKeepsTheFindResult)
{
    TagTable table;
    table.load({group(u"old"_s, 4)}, 1);
    table.updateTagCounts(QString(), u"extra"_s);
    table.setFindResult({12, 7, 30});
    table.load({group(u"New"_s, 2)}, 5);

    EXPECT_EQ(table.names(), (QStringList{u"[Import]"_s, u"New"_s}));
    EXPECT_EQ(table.counts(), (QList<int>{0, 2}));
    EXPECT_EQ(table.findCatIndex(u"old"), -1);
    EXPECT_EQ(table.findCatIndex(u"extra"), -1);
    EXPECT_EQ(table.findCatIndex(u"new"), 1);
    EXPECT_EQ(table.findIds(), (QList<qint64>{12, 7, 30}));
    EXPECT_EQ(describe(table.rows()), describe(pseudoRows(2, 5, 3, 0) + std::vector<Row>{{5, u"New"_s, 2}}));
}

TEST(TagTableTest, FindCatIndexIgnoresCaseLikeQtTextComparison)
{
    const QStringList names = {
        u"Work"_s,
        u""_s,
        u"\u00c9t\u00e9"_s,
        u"stra\u00dfe"_s,
        u"\u03c3\u03bf\u03c6\u03cc\u03c2"_s,
        u"\u212a"_s,                   // Kelvin sign
        u"\U00010400"_s,               // Deseret capital long I (outside the BMP)
        u"\uff37\uff4f\uff52\uff4b"_s, // full-width "Work"
    };
    TagTable table;
    table.load({group(names.join(u' '), 1)}, 0);
    ASSERT_EQ(table.names().size(), names.size() + 1);

    // Indexes: [Import] 0, Work 1, "" 2, Été 3, straße 4, σοφός 5, Kelvin sign 6,
    // Deseret long I 7, full-width Work 8.
    struct Case
    {
        QString probe;
        int index;
    };
    const Case cases[] = {
        {u"[import]"_s, 0},    {u"[IMPORT]"_s, 0},
        {u"[Import] "_s, -1},  {u""_s, 2},
        {u" "_s, -1},          {u"work"_s, 1},
        {u"WORK"_s, 1},        {u"works"_s, -1},
        {u"wor"_s, -1},        {u"\u00e9T\u00c9"_s, 3},
        {u"STRASSE"_s, -1},    // ß is one letter, not "ss"
        {u"STRA\u1e9e"_s, -1}, // nor is capital sharp s its upper case
        {u"STRA\u00dfE"_s, 4}, {u"\u03a3\u039f\u03a6\u038c\u03a3"_s, 5}, // final sigma folds like sigma
        {u"k"_s, 6},           {u"K"_s, 6},
        {u"\U00010428"_s, 7},  {u"\uff57\uff4f\uff52\uff4b"_s, 8}, // full-width "work"
        {u"missing"_s, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.probe.toStdString());
        EXPECT_EQ(table.findCatIndex(c.probe), c.index);
    }
}

TEST(TagTableTest, UpdateTagCountsAdjustsOneMemo)
{
    struct Case
    {
        const char* name;
        QString oldTags;
        QString newTags;
        QStringList names;
        QList<int> counts;
    };
    // Starting table: [Import] 1, p 2, Work 3, x 1.
    const QStringList start = {u"[Import]"_s, u"p"_s, u"Work"_s, u"x"_s};
    const Case cases[] = {
        {"new memo with p and a new q", QString(), u"p q"_s, start + QStringList{u"q"_s}, {1, 3, 3, 1, 1}},
        {"last carrier of x loses it: x stays at 0", u"x p"_s, u"p"_s, start, {1, 2, 3, 0}},
        {"letter case of a new name does not matter", u"p"_s, u"WORK p"_s, start, {1, 2, 4, 1}},
        {"unknown old names are ignored", u"gone p"_s, QString(), start, {1, 1, 3, 1}},
        {"to and from [Import]", u"[Import]"_s, u"[import] x"_s, start, {1, 2, 3, 2}},
        {"duplicates count twice both ways", u"p p"_s, u"x x"_s, start, {1, 0, 3, 3}},
        {"an empty name in the new string is appended but has no row",
         QString(),
         u"a  b"_s,
         start + QStringList{u"a"_s, u""_s, u"b"_s},
         {1, 2, 3, 1, 1, 1, 1}},
        {"nothing to nothing", QString(), u"   "_s, start, {1, 2, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagTable table;
        table.load({group(u"p Work"_s, 2), group(u"[Import] x work"_s, 1)}, 6);
        table.updateTagCounts(c.oldTags, c.newTags);
        EXPECT_EQ(table.names(), c.names);
        EXPECT_EQ(table.counts(), c.counts);
        EXPECT_EQ(table.totalCount(), 3);
        EXPECT_EQ(table.trashCount(), 6);
        for (qsizetype i = 0; i < c.names.size(); ++i)
            EXPECT_EQ(table.findCatIndex(c.names[i]), i) << c.names[i].toStdString();
    }
}

TEST(TagTableTest, NameAtCountZeroKeepsItsRow)
{
    TagTable table;
    table.load({group(u"x"_s, 1), group(u"y"_s, 1)}, 0);
    table.updateTagCounts(u"x"_s, QString());
    table.addToTotal(-1);
    EXPECT_EQ(describe(table.rows()),
              describe(pseudoRows(1, 0, 0, 0) + std::vector<Row>{{5, u"x"_s, 0}, {6, u"y"_s, 1}}));
}

TEST(TagTableTest, CatNamesJoinedStartsWithImportAndKeepsEmptyNames)
{
    TagTable table;
    EXPECT_EQ(table.catNamesJoined(), u"[Import]"_s);
    table.load({group(u"a  b"_s, 1), group(u"[Import] c"_s, 1)}, 0);
    EXPECT_EQ(table.catNamesJoined(), u"[Import] a  b c"_s);
}

TEST(TagTableTest, RowToSelectFollowsTheRememberedName)
{
    TagTable table;
    table.load({group(u"a  b"_s, 1), group(u"Work"_s, 1)}, 0); // [Import], a, "", b, Work
    struct Case
    {
        QString remembered;
        int rowId;
    };
    const Case cases[] = {
        {u"b"_s, 7},        {u"Work"_s, 8},    {u"work"_s, 1}, // tag rows match case-sensitively
        {u"[ALL]"_s, 1},    {u"[Trash]"_s, 2}, {u"[Find]"_s, 3}, {u"[Import]"_s, 4},
        {u"[import]"_s, 1}, {u"gone"_s, 1},    {QString(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remembered.toStdString());
        EXPECT_EQ(table.rowIdToSelect(c.remembered), c.rowId);
    }
}
