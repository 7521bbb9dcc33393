// The bulk tag commands, driven through the window's menu actions with
// scripted answers, against a real database.
#include "MainWindowFixture.h"
#include "store/MemoStore.h"

#include <QLineEdit>
#include <QTest>

namespace {

using namespace Qt::Literals::StringLiterals;

class TagCommandsTest : public MainWindowFixture
{
protected:
    QString tagsOf(qint64 id) { return window->store().readMemo(id)->category; }
};

TEST_F(TagCommandsTest, AddingTagsToSelectedMemosCountsThemAtOnce)
{
    const qint64 mywork = addMemo(u"a"_s, u"mywork"_s);
    const qint64 upper = addMemo(u"b"_s, u"Work"_s);
    const qint64 none = addMemo(u"c"_s, QString());
    const qint64 untouched = addMemo(u"d"_s, u"other"_s);
    open();
    selectMemos({mywork, upper, none});
    prompt.tagChoices = {u"work  x"_s};
    triggerAction("popAddTag");

    // The dialog starts from the tag box and lists every known name.
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].kind, ScriptedPrompt::Kind::Tags);
    EXPECT_EQ(prompt.shown[0].text, u"mywork"_s);
    EXPECT_EQ(prompt.lastTagNames, (QStringList{u"[Import]"_s, u"Work"_s, u"mywork"_s, u"other"_s}));
    EXPECT_EQ(tagsOf(mywork), u"mywork work x"_s);
    EXPECT_EQ(tagsOf(upper), u"Work x"_s);
    EXPECT_EQ(tagsOf(none), u"work x"_s);
    EXPECT_EQ(tagsOf(untouched), u"other"_s);
    const QStringList rows = categoryRows();
    EXPECT_EQ(rows, (QStringList{u"1 [ALL] 4"_s, u"2 [Trash] 0"_s, u"3 [Find] 0"_s, u"4 [Import] 0"_s,
                                 u"5 Work 3"_s, u"6 mywork 1"_s, u"7 other 1"_s, u"8 x 3"_s}));
    EXPECT_EQ(countsByName(rows), countsByName(recountedCategoryRows()));

    // A cancelled dialog changes nothing.
    selectMemos({untouched});
    prompt.tagChoices = {QString()};
    triggerAction("popAddTag");
    EXPECT_EQ(tagsOf(untouched), u"other"_s);
}

TEST_F(TagCommandsTest, CommandsOnSelectedMemosWithTheCurrentTag)
{
    const qint64 middle = addMemo(u"a"_s, u"a x b"_s);
    const qint64 first = addMemo(u"b"_s, u"x b"_s);
    const qint64 mix = addMemo(u"c"_s, u"mix x"_s);
    open();
    const QString question = u"タグ「x」を消去します。本当に実行しますか？"_s;

    // Under [ALL] and [Find] the commands on the current tag do nothing.
    for (const QString& category : {u"[ALL]"_s, u"[Find]"_s}) {
        chooseCategory(category);
        triggerAction("mnuSelectMemoAll");
        triggerAction("popDeleteTag");
        triggerAction("popReplaceTag");
    }
    EXPECT_TRUE(prompt.shown.isEmpty());

    chooseCategory(u"x"_s);
    triggerAction("mnuSelectMemoAll");
    prompt.answers = {PromptAnswer::No};
    triggerAction("popDeleteTag");
    EXPECT_EQ(tagsOf(first), u"x b"_s);
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("popDeleteTag");
    EXPECT_EQ(prompt.messageTexts(), QStringList(2, question));
    EXPECT_EQ(prompt.shown.last().buttons, PromptButtons::YesNo);
    EXPECT_EQ(tagsOf(middle), u"a  b"_s);
    EXPECT_EQ(tagsOf(first), u"b"_s);
    EXPECT_EQ(tagsOf(mix), u"mix"_s);
    const QStringList afterDelete = categoryRows();
    // The row stays, with count 0, until the next rebuild.
    EXPECT_TRUE(afterDelete.contains(u"6 x 0"_s)) << afterDelete.join(u'|').toStdString();
    EXPECT_EQ(countsByName(afterDelete), countsByName(recountedCategoryRows()));

    // Replacing: the tag goes and the chosen ones come.
    const qint64 other = addMemo(u"d"_s, u"y q"_s);
    window->LoadCategoryCounts();
    window->CatList_Add();
    chooseCategory(u"y"_s);
    triggerAction("mnuSelectMemoAll");
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    prompt.tagChoices = {u"p q"_s};
    triggerAction("popReplaceTag");
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"タグ「y」を消去し、次で指定するタグに置き換えます。本当に実行しますか？"_s});
    EXPECT_EQ(tagsOf(other), u"q p"_s);
    EXPECT_EQ(countsByName(categoryRows()), countsByName(recountedCategoryRows()));
}

TEST_F(TagCommandsTest, SettingTheTagsOfSelectedMemos)
{
    const qint64 one = addMemo(u"a"_s, u"a b"_s);
    const qint64 two = addMemo(u"b"_s, u"c"_s);
    open();
    triggerAction("mnuSelectMemoAll");
    prompt.answers = {PromptAnswer::No};
    triggerAction("popSetTag");
    EXPECT_EQ(tagsOf(one), u"a b"_s);

    prompt.answers = {PromptAnswer::Yes};
    prompt.tagChoices = {u"p q p"_s};
    triggerAction("popSetTag");
    EXPECT_EQ(prompt.messageTexts().last(), u"現在選択しているメモのタグを、これから指定するタグに置き換えま"
                                            u"す（今設定されているタグは消去されます）。\n"
                                            "よろしいですか？"_s);
    EXPECT_EQ(tagsOf(one), u"p q"_s);
    EXPECT_EQ(tagsOf(two), u"p q"_s);
    EXPECT_EQ(countsByName(categoryRows()), countsByName(recountedCategoryRows()));
}

TEST_F(TagCommandsTest, CommandsOnTheSelectedTagReachTrashedMemosToo)
{
    const qint64 live = addMemo(u"a"_s, u"x xy x"_s);
    const qint64 trashed = addMemo(u"b"_s, u"X z"_s, {}, true);
    const qint64 other = addMemo(u"c"_s, u"xy"_s);
    open();
    const QString renameLabel = u"タグ「x」の新しい名前を入力してください。\n（空白でキャンセル扱いです）"_s;

    // Under [ALL] rename and set do nothing.
    triggerAction("pop2RenameCategory");
    triggerAction("pop2SetCategory");
    EXPECT_TRUE(prompt.shown.isEmpty());

    chooseCategory(u"x"_s);
    prompt.inputs = {u"   "_s};
    triggerAction("pop2RenameCategory");
    EXPECT_EQ(tagsOf(live), u"x xy x"_s);
    prompt.inputs = {u" y "_s};
    triggerAction("pop2RenameCategory");
    ASSERT_EQ(prompt.shown.size(), 2);
    EXPECT_EQ(prompt.shown[1].kind, ScriptedPrompt::Kind::Input);
    EXPECT_EQ(prompt.shown[1].text, renameLabel);
    EXPECT_EQ(tagsOf(live), u"y xy y"_s);
    EXPECT_EQ(tagsOf(trashed), u"y z"_s);
    EXPECT_EQ(tagsOf(other), u"xy"_s);
    // The counts were rebuilt, and the memo list emptied with them.
    EXPECT_EQ(categoryRows(), (QStringList{u"1 [ALL] 2"_s, u"2 [Trash] 1"_s, u"3 [Find] 0"_s,
                                           u"4 [Import] 0"_s, u"5 xy 2"_s, u"6 y 2"_s}));
    EXPECT_EQ(memoRowIds(), QList<qint64>{});

    chooseCategory(u"y"_s);
    prompt.inputs = {QString(300, u'w')};
    triggerAction("pop2SetCategory");
    EXPECT_EQ(prompt.shown.last().text,
              u"指定カテゴリ「y」にセットする名前を入力してください。\n"
              "（ここで指定したカテゴリのメモの他のタグは全て消去され、ここで指定したタグに置き換えられます。"
              "空白でキャンセルできます）"_s);
    // Nothing longer than a tag string may hold is written.
    EXPECT_EQ(tagsOf(live), QString(255, u'w'));
    EXPECT_EQ(tagsOf(trashed), QString(255, u'w'));

    chooseCategory(QString(255, u'w'));
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("pop2DelCategory");
    EXPECT_EQ(prompt.messageTexts().last(),
              u"タグ「%1」を消去します。本当に実行しますか？"_s.arg(QString(255, u'w')));
    EXPECT_EQ(tagsOf(live), QString());
    EXPECT_EQ(categoryRows(), recountedCategoryRows());
}

TEST_F(TagCommandsTest, TheTagBoxPicksTagsFromTheDialog)
{
    addMemo(u"a"_s, u"work home"_s);
    open();
    type(tags(), u"wo"_s);
    prompt.tagChoices = {u"wo home"_s, QString()};
    QTest::mouseDClick(tags(), Qt::LeftButton);
    EXPECT_EQ(tags()->text(), u"wo home"_s);
    EXPECT_EQ(prompt.shown[0].text, u"wo"_s);
    EXPECT_EQ(prompt.lastTagNames, (QStringList{u"[Import]"_s, u"work"_s, u"home"_s}));
    // Cancelling leaves the box alone; Ctrl+Enter opens the dialog too.
    QTest::keyClick(tags(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(tags()->text(), u"wo home"_s);
    EXPECT_TRUE(prompt.allAnswersUsed());
    // The choice is an edit like typing: undone with Ctrl+Z.
    QTest::keyClick(tags(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tags()->text(), u"wo"_s);
}

} // namespace
