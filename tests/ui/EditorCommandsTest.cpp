// The main window's external-editor commands with a real stand-in editor
// process (tests/exchange/fake-editor.sh configured as editor 1).
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kFakeEditor = QString::fromUtf8(FAKE_EDITOR);

class EditorCommandsTest : public MainWindowFixture
{
protected:
    QTemporaryDir scratch;

    void SetUp() override
    {
        qputenv("FAKE_EDITOR_LOG", (scratch.path() + u"/args.log"_s).toUtf8());
        qputenv("FAKE_EDITOR_DELAY", "0");
    }
    void TearDown() override
    {
        for (const char* name :
             {"FAKE_EDITOR_LOG", "FAKE_EDITOR_DELAY", "FAKE_EDITOR_MODE", "FAKE_EDITOR_TEXT", "FAKE_EDITOR_STOP"})
            qunsetenv(name);
    }
    void prepareEditor(const char* mode, const QString& text = {})
    {
        qputenv("FAKE_EDITOR_MODE", mode);
        qputenv("FAKE_EDITOR_TEXT", text.toUtf8());
        prepare(u"[OuterEditor]\nName_1=テスト\nPath_1=%1\nDefault_1=1\n"_s.arg(kFakeEditor));
    }
    std::optional<Memo> stored(qint64 id) { return window->store().readMemo(id); }
    // An editor that saves at once and stays open until stopEditor().
    QString prepareLingeringEditor(const QString& text)
    {
        const QString stop = scratch.path() + u"/stop"_s;
        qputenv("FAKE_EDITOR_STOP", stop.toUtf8());
        prepareEditor("appendwait", text);
        return stop;
    }
    static void stopEditor(const QString& stop) { QFile(stop).open(QIODevice::WriteOnly); }
    // Runs `work` once the event loop of a running pass turns.
    static void duringThePass(std::function<void()> work)
    {
        QTimer::singleShot(300, qApp, std::move(work));
    }
    // An editor that ends at once with the file unchanged leaves Quillet
    // waiting for saves; the user ends that with "編集を終了".
    static void finishWaitingWhenAsked()
    {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [poll] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() == u"frmEditorWait"_s && top->isVisible()) {
                    QTest::mouseClick(top->findChild<QAbstractButton*>(u"cmdFinishEdit"_s), Qt::LeftButton);
                    poll->deleteLater();
                    return;
                }
            }
        });
        poll->start(20);
    }
};

TEST_F(EditorCommandsTest, TheMemoBeingEditedComesBackFromTheEditorAndIsSaved)
{
    const qint64 id = addMemo(u"t"_s, u"x"_s, u"one\rtwo"_s);
    prepareEditor("append", u"追記\r\n"_s);
    open();
    chooseMemo(id);
    EXPECT_EQ(window->findChild<QAction*>(u"mnuEditorForm1"_s)->text(), u"テストで開く"_s);
    EXPECT_EQ(window->findChild<QAction*>(u"mnuMemoList_Editor1New"_s)->text(), u"テストで作成"_s);

    triggerAction("mnuEditorForm");
    // No question: the text goes straight into the main window as well.
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(stored(id)->body.toUtf8(), u"one\rtwo追記\r\n"_s.toUtf8());
    EXPECT_EQ(contents()->toPlainText(), u"one\ntwo追記\n"_s);
    // The hidden window of the pass is gone.
    QTRY_COMPARE(window->findChildren<QWidget*>(u"frmViewer"_s).size(), 0);
}

TEST_F(EditorCommandsTest, AnUnchangedFileChangesNothing)
{
    const qint64 id = addMemo(u"t"_s, {}, u"body"_s);
    prepareEditor("unchanged");
    open();
    chooseMemo(id);
    finishWaitingWhenAsked();
    triggerAction("mnuEditor1");
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(stored(id)->body, u"body"_s);
    EXPECT_EQ(stored(id)->updateTime, u"2026/01/01 00:00:00"_s);
}

TEST_F(EditorCommandsTest, ANewMemoFromTheEditorAsksForItsTitleAndTags)
{
    prepareEditor("append", u"first line\r\nbody"_s);
    open();
    const int before = window->store().countMemos();
    prompt.inputs = {u"題名"_s};
    prompt.tagChoices = {u"work"_s};
    triggerAction("mnuMemoList_Editor1New");
    ASSERT_EQ(window->store().countMemos(), before + 1);
    const QList<qint64> ids = memoRowIds();
    std::optional<Memo> memo;
    for (qint64 id : ids)
        if (stored(id)->body == u"first line\r\nbody"_s)
            memo = stored(id);
    ASSERT_TRUE(memo) << "no memo with the editor's text";
    EXPECT_EQ(memo->title, u"題名"_s);
    EXPECT_EQ(memo->category, u"work"_s);
}

TEST_F(EditorCommandsTest, QuittingIsRefusedWhileAnEditorRuns)
{
    const qint64 id = addMemo(u"t"_s, {}, u"body"_s);
    prepareEditor("unchanged");
    qputenv("FAKE_EDITOR_DELAY", "1");
    open();
    chooseMemo(id);
    bool closed = true;
    QTimer::singleShot(200, window.get(), [this, &closed] {
        closed = window->close();
        finishWaitingWhenAsked();
    });
    triggerAction("mnuEditorForm");
    EXPECT_FALSE(closed);
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"外部エディタで開いているメモがあるため、終了できません。"_s});
    EXPECT_TRUE(window->isVisible());
}

// The hidden window that carries a pass is neither shown nor closed while
// the pass runs, a refresh or a database switch waits for the editor, and
// the editor's text still comes back when it ends.
TEST_F(EditorCommandsTest, AWindowCarryingAPassStaysUntilThePassEnds)
{
    const qint64 id = addMemo(u"t"_s, {}, u"one"_s);
    const QString stop = prepareLingeringEditor(u" two"_s);
    open();
    window->memoList().selectId(id);
    bool checked = false;
    duringThePass([&] {
        frmViewer* carrier = window->floatingWindows().QueryViewerOpen(id);
        ASSERT_TRUE(carrier);
        triggerAction("mnuViewer");
        EXPECT_FALSE(carrier->isVisible());
        EXPECT_FALSE(carrier->close());
        triggerAction("mnuMDBRefresh");
        triggerAction("mnuMDBChange");
        checked = true;
        stopEditor(stop);
    });
    triggerAction("mnuEditor1");
    ASSERT_TRUE(checked);
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{u"すでに開いています。\nフローティングメモは同じ内容のメモで二重起動できません。"_s,
                           u"外部エディタで開いているメモがあるため、リフレッシュできません。"_s,
                           u"外部エディタで開いているメモがあるため、メモデータベースを切り替えられません。"_s}));
    EXPECT_EQ(stored(id)->body, u"one two"_s);
    QTRY_COMPARE(window->findChildren<QWidget*>(u"frmViewer"_s).size(), 0);
}

// The editor's text that cannot be stored (here: the user keeps the main
// window's edits) goes into a memo of its own, or stays in its file.
TEST_F(EditorCommandsTest, EditorTextThatCannotBeSavedIsKept)
{
    const QString keepOrNew = u"外部エディタで編集した内容を保存できませんでした。\n新しいメモとして保存しますか？\n"
                              u"「いいえ」を選ぶと、編集したファイルを次の場所に残します。\n"_s;
    const qint64 id = addMemo(u"t"_s, {}, u"one"_s);
    prepareEditor("append", u" from the editor"_s);
    open();
    chooseMemo(id);
    type(contents(), u"main "_s);
    const QString file = window->profile().tmpBasePath + QString::number(id) + u"_t.txt"_s;

    // No to saving over the main window's edits, no to a new memo: the file stays.
    prompt.answers = {PromptAnswer::No, PromptAnswer::No};
    triggerAction("mnuEditorForm1");
    ASSERT_EQ(prompt.messageTexts().size(), 2);
    EXPECT_EQ(prompt.messageTexts().at(1), keepOrNew + file);
    EXPECT_EQ(MemoFixtures::readBytes(file), "one from the editor");
    EXPECT_EQ(stored(id)->body, u"one"_s);
    EXPECT_EQ(contents()->toPlainText(), u"main one"_s);
    QFile::remove(file);
    QTRY_COMPARE(window->findChildren<QWidget*>(u"frmViewer"_s).size(), 0);

    // Yes to a new memo: both texts are stored.
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    prompt.inputs = {u"from the editor"_s};
    prompt.tagChoices = {u"x"_s};
    triggerAction("mnuEditorForm1");
    EXPECT_TRUE(prompt.allAnswersUsed()) << prompt.messageTexts().join(u'|').toStdString();
    EXPECT_FALSE(QFile::exists(file));
    bool found = false;
    MemoStore(dbPath()).forEachMemo(true, true, [&](const Memo& memo) {
        found = found || (memo.recordId != id && memo.body == u"one from the editor"_s && memo.title == u"from the editor"_s);
        return true;
    });
    EXPECT_TRUE(found);
    EXPECT_EQ(stored(id)->body, u"one"_s);
}

// An editor that ends while a long run moves 10,000 memos to the trash: the
// run commits before it lets events run, so the editor's text is stored.
TEST_F(EditorCommandsTest, AnEditorReturningDuringALongRunIsStored)
{
    const qint64 id = addMemo(u"t"_s, {}, u"one"_s);
    {
        MemoStore store(dbPath());
        auto transaction = store.transaction();
        for (int i = 0; i < 10000; ++i)
            store.insertMemo(u"bulk"_s, u"b"_s, {}, u"2026/01/01 00:00:00"_s);
        transaction.commit();
    }
    const QString stop = prepareLingeringEditor(u" two"_s);
    open();
    window->memoList().selectId(id);
    duringThePass([&] {
        // Every memo but the one in the editor.
        memoList()->selectAll();
        memoList()->selectionModel()->select(
            memoList()->model()->index(window->memoList().model()->rowOfId(id), 0),
            QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        stopEditor(stop);
        prompt.answers = {PromptAnswer::Yes};
        triggerAction("mnuDeleteMemo");
    });
    triggerAction("mnuEditor1");
    EXPECT_EQ(stored(id)->body, u"one two"_s) << prompt.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(MemoStore(dbPath()).countTrashedMemos(), 10000);
}

// The editor saves again while the first save's title question is open: the
// second text waits for that save and goes into the same new memo.
TEST_F(EditorCommandsTest, ASaveDuringTheTitleQuestionMakesNoSecondMemo)
{
    prepareEditor("handover", u"first"_s);
    qputenv("FAKE_EDITOR_DELAY", "1");
    open();
    const int before = MemoStore(dbPath()).countMemos();
    prompt.inputs = {u"title"_s};
    prompt.tagChoices = {u"x"_s};
    prompt.whileInputShows = [this] {
        QFile file(window->profile().tmpBasePath + u"-1_.txt"_s);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(" second");
        file.close();
        QTest::qWait(2500); // the pass looks at the file meanwhile
    };
    // "編集を終了" once both saves are through.
    QTimer::singleShot(6000, qApp, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == u"frmEditorWait"_s && top->isVisible())
                QTest::mouseClick(top->findChild<QAbstractButton*>(u"cmdFinishEdit"_s), Qt::LeftButton);
        }
    });
    triggerAction("NewE1");
    EXPECT_TRUE(prompt.allAnswersUsed()) << prompt.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(MemoStore(dbPath()).countMemos(), before + 1);
    bool found = false;
    MemoStore(dbPath()).forEachMemo(true, true, [&](const Memo& memo) {
        found = found || (memo.title == u"title"_s && memo.body == u"first second"_s);
        return true;
    });
    EXPECT_TRUE(found);
}

// After a pass from a floating window whose box held unsaved text, the
// window is marked saved only when the box now holds the stored text.
TEST_F(EditorCommandsTest, AFloatingWindowStaysModifiedUntilItsTextIsStored)
{
    struct Case {
        const char* mode;
        QString stored; // after the pass
        bool edited;
    };
    for (const Case& c : {Case{"unchanged", u"one"_s, true}, Case{"append", u"typed one!"_s, false}}) {
        SCOPED_TRACE(c.mode);
        prepareEditor(c.mode, u"!"_s);
        const qint64 id = addMemo(u"t"_s, {}, u"one"_s);
        open();
        frmViewer* viewer = typeInFloating(id, u"typed "_s);
        ASSERT_TRUE(viewer);
        if (c.edited)
            finishWaitingWhenAsked(); // the editor ends with its file unchanged
        press(viewer, "OuterEdit");
        EXPECT_EQ(stored(id)->body, c.stored);
        EXPECT_EQ(viewer->boxText(), c.edited ? u"typed one"_s : c.stored);
        EXPECT_EQ(viewer->IsEdit(), c.edited);
        EXPECT_EQ(viewer->button("Save")->isEnabled(), c.edited);
        EXPECT_TRUE(viewer->isVisible());
    }
}

} // namespace
