// The main window's external-editor commands with a real stand-in editor
// process (tests/exchange/fake-editor.sh configured as editor 1).
#include "MainWindowFixture.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        for (const char* name : {"FAKE_EDITOR_LOG", "FAKE_EDITOR_DELAY", "FAKE_EDITOR_MODE", "FAKE_EDITOR_TEXT"})
            qunsetenv(name);
    }
    void prepareEditor(const char* mode, const QString& text = {})
    {
        qputenv("FAKE_EDITOR_MODE", mode);
        qputenv("FAKE_EDITOR_TEXT", text.toUtf8());
        prepare(u"[OuterEditor]\nName_1=テスト\nPath_1=%1\nDefault_1=1\n"_s.arg(kFakeEditor));
    }
    std::optional<Memo> stored(qint64 id) { return window->store().readMemo(id); }
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

} // namespace
