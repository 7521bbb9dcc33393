// Floating memo windows through the main window: one window per memo, the
// save questions between a floating window and the main window, a new memo
// from a floating window, keeping the windows across a restart, and the
// window's own undo and redo.
#include "MainWindowFixture.h"
#include "editing/MemoEditor.h"
#include "editing/RestoreFile.h"
#include "store/MemoStore.h"
#include "tags/MemoList.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <functional>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kAlreadyOpen =
    u"すでに開いています。\nフローティングメモは同じ内容のメモで二重起動できません。"_s;
const QString kMainEditing = u"メイン画面にて編集中です。それでも保存しますか？"_s;
const QString kReflectDiscards =
    u"メインのメモに反映しますか？\n（メインのメモに反映すると、メインのメモで編集中の内容は破棄されます）"_s;
const QString kFloatingEditing =
    u"フローティングメモでもこのメモは編集されています。\nそれでも保存しますか？"_s;
const QString kUpdateFloatingDiscards =
    u"フローティングメモで開いています。今回保存した内容に更新しますか？\n"
    u"更新すると、フローティングメモで編集していた内容は消えます。"_s;
const QString kNotSaved =
    u"保存されていません。保存しますか？\n(保存しない場合は保存した内容は破棄される可能性があります)"_s;
// "abc", scrambled as the settings file keeps it.
const QString kSecurityAbc = u"[Security]\nPassword=dcb\n"_s;

class FloatingMemoTest : public MainWindowFixture
{
protected:
    QList<frmViewer*> viewers() const { return window->floatingWindows().windows(); }

    static void ctrl(frmViewer* viewer, Qt::Key key)
    {
        QTest::keyClick(viewer->txtContents(), key, Qt::ControlModifier);
    }

    QString storedBody(qint64 id) const { return window->store().readMemo(id)->body; }
};

TEST_F(FloatingMemoTest, OneWindowPerMemoAndOpeningAgainShowsTheHiddenOne)
{
    const qint64 id = addMemo(u"Shopping"_s, u"home"_s, u"milk\r\neggs"_s);
    open();
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), u"%1:Shopping"_s.arg(id));
    EXPECT_EQ(viewer->boxText(), u"milk\neggs"_s);
    EXPECT_TRUE(viewer->txtContents()->isReadOnly());
    EXPECT_FALSE(viewer->button("Save")->isEnabled());

    press(viewer, "Minimize");
    EXPECT_FALSE(viewer->isVisible());
    triggerAction("mnuViewer");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kAlreadyOpen});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(viewers().size(), 1);
    EXPECT_TRUE(viewer->isVisible());
}

TEST_F(FloatingMemoTest, ProtectedMemoAsksThePasswordBeforeItsWindowOpens)
{
    prepare(kSecurityAbc);
    const qint64 id = addMemo(u"Locked"_s, {}, u"secret"_s, false, true);
    open();
    // Selected without being shown in the main window.
    window->memoList().selectId(id);
    prompt.passwords = {u"wrong"_s};
    triggerAction("mnuViewer");
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"パスワードが間違っています。"_s});
    EXPECT_TRUE(viewers().isEmpty());

    prompt.passwords = {u"abc"_s};
    triggerAction("mnuViewer");
    ASSERT_EQ(viewers().size(), 1);
    EXPECT_EQ(viewers().first()->boxText(), u"secret"_s);

    // A right answer in the main window a minute before spares the main
    // window's next question, never a floating window's.
    const qint64 other = addMemo(u"Other"_s, {}, u"also secret"_s, false, true);
    window->FillMemoList();
    prompt.passwords = {u"abc"_s};
    chooseMemo(other);
    ASSERT_EQ(lblNo(), QString::number(other));
    clock.advanceSeconds(60);
    prompt.shown.clear();
    prompt.passwords = {u"abc"_s};
    triggerAction("mnuViewer");
    ASSERT_EQ(viewers().size(), 2);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown.first().kind, ScriptedPrompt::Kind::Password);
}

TEST_F(FloatingMemoTest, FloatingSaveShowsInAnUnmodifiedMainWindowWithoutAQuestion)
{
    const qint64 id = addMemo(u"Memo"_s, u"home"_s, u"one"_s);
    open();
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);
    ASSERT_EQ(lblNo(), QString::number(id));
    press(viewer, "Edit");
    QTest::keyClick(viewer->txtContents(), Qt::Key_End, Qt::ControlModifier);
    type(viewer->txtContents(), u" two"_s);
    ASSERT_TRUE(viewer->button("Save")->isEnabled());

    press(viewer, "Save");
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    // Only the body and the update time change.
    const std::optional<Memo> memo = window->store().readMemo(id);
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->body, u"one two"_s);
    EXPECT_EQ(memo->title, u"Memo"_s);
    EXPECT_EQ(memo->category, u"home"_s);
    EXPECT_EQ(memo->updateTime, u"2026/12/10 09:30:00"_s);
    EXPECT_EQ(contents()->toPlainText(), u"one two"_s);
    EXPECT_FALSE(window->editor().IsEdit());
    EXPECT_FALSE(window->commandAction("Save")->isEnabled());
    EXPECT_FALSE(viewer->IsEdit());
    EXPECT_FALSE(viewer->button("Save")->isEnabled());
}

TEST_F(FloatingMemoTest, FloatingSaveAsksBeforeOverwritingTheMainWindowsEdits)
{
    const qint64 id = addMemo(u"Memo"_s, {}, u"one"_s);
    open();
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);
    type(contents(), u"main "_s);
    ASSERT_TRUE(window->editor().IsEdit());
    press(viewer, "Edit");
    QTest::keyClick(viewer->txtContents(), Qt::Key_End, Qt::ControlModifier);
    type(viewer->txtContents(), u" float"_s);

    // No: nothing is written, both sides keep their edits.
    prompt.answers = {PromptAnswer::No};
    ctrl(viewer, Qt::Key_S);
    EXPECT_EQ(prompt.messageTexts(), QStringList{kMainEditing});
    EXPECT_EQ(storedBody(id), u"one"_s);
    EXPECT_TRUE(viewer->IsEdit());

    // Yes, then No to the reflect question: written, the main window keeps its text.
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::No};
    ctrl(viewer, Qt::Key_S);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kMainEditing, kReflectDiscards}));
    EXPECT_EQ(storedBody(id), u"one float"_s);
    EXPECT_EQ(contents()->toPlainText(), u"main one"_s);
    EXPECT_TRUE(window->editor().IsEdit());
    EXPECT_FALSE(viewer->IsEdit());

    // Yes to both, with the main window's title edited too: it shows the
    // memo as stored, whole, and has nothing unsaved left.
    type(title(), u" edited"_s);
    type(viewer->txtContents(), u"!"_s);
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    ctrl(viewer, Qt::Key_S);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kMainEditing, kReflectDiscards}));
    EXPECT_EQ(storedBody(id), u"one float!"_s);
    EXPECT_EQ(contents()->toPlainText(), u"one float!"_s);
    EXPECT_EQ(title()->text(), u"Memo"_s);
    EXPECT_FALSE(window->editor().IsEdit());
}

TEST_F(FloatingMemoTest, MainSaveAsksAboutTheFloatingWindowAndMayReloadIt)
{
    const qint64 id = addMemo(u"Memo"_s, {}, u"one"_s);
    open();
    frmViewer* viewer = typeInFloating(id, u"float "_s);
    ASSERT_TRUE(viewer);
    type(contents(), u"main "_s);

    prompt.answers = {PromptAnswer::No};
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kFloatingEditing});
    EXPECT_EQ(storedBody(id), u"one"_s);

    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kFloatingEditing, kUpdateFloatingDiscards}));
    EXPECT_EQ(storedBody(id), u"main one"_s);
    EXPECT_EQ(viewer->boxText(), u"main one"_s);
    EXPECT_FALSE(viewer->IsEdit());
    EXPECT_FALSE(viewer->button("Save")->isEnabled());

    // The floating window now unmodified: it follows the save, unasked.
    prompt.shown.clear();
    QTest::keyClick(contents(), Qt::Key_Home, Qt::ControlModifier);
    type(contents(), u"again "_s);
    triggerAction("mnuSaveMemo");
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(storedBody(id), u"again main one"_s);
    EXPECT_EQ(viewer->boxText(), u"again main one"_s);
    EXPECT_FALSE(viewer->IsEdit());
}

TEST_F(FloatingMemoTest, NewMemoFromAFloatingWindowAsksTitleAndTags)
{
    prepare();
    open();
    triggerAction("mnuMemoList_NewF");
    ASSERT_EQ(viewers().size(), 1);
    frmViewer* viewer = viewers().first();
    EXPECT_EQ(viewer->windowTitle(), u"New Memo"_s);
    EXPECT_TRUE(viewer->button("Edit")->isChecked());
    EXPECT_FALSE(viewer->txtContents()->isReadOnly());

    // A first line longer than a title may be: the offered title is cut, and
    // cancelling the title box takes it.
    const QString longLine = QString(300, u'あ');
    viewer->txtContents()->insertPlainText(longLine + u"\nsecond"_s);
    prompt.inputs = {std::nullopt};
    prompt.tagChoices = {u"tagA "_s};
    press(viewer, "Save");
    ASSERT_GE(prompt.shown.size(), 2);
    EXPECT_EQ(prompt.shown[0].kind, ScriptedPrompt::Kind::Input);
    EXPECT_EQ(prompt.shown[0].title, u"タイトルを入力"_s);
    EXPECT_EQ(prompt.shown[0].text, u"新規メモのタイトルを入力してください。"_s);
    EXPECT_EQ(prompt.shown[1].kind, ScriptedPrompt::Kind::Tags);
    EXPECT_EQ(prompt.shown.size(), 2);

    const qint64 id = viewer->iID();
    ASSERT_GT(id, 0);
    const std::optional<Memo> memo = window->store().readMemo(id);
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->title, longLine.left(255));
    EXPECT_EQ(memo->body, longLine + u"\r\nsecond"_s);
    EXPECT_EQ(memo->category, u"tagA"_s);
    EXPECT_EQ(viewer->windowTitle(), u"%1:%2"_s.arg(id).arg(longLine.left(255)));
    EXPECT_FALSE(viewer->IsEdit());
    EXPECT_TRUE(countsByName(categoryRows()).contains(u"tagA 1"_s));

    // A second save writes over the same memo instead of adding one.
    type(viewer->txtContents(), u"!"_s);
    press(viewer, "Save");
    EXPECT_EQ(window->store().countMemos(), 1);
}

TEST_F(FloatingMemoTest, ClosingTheProgramKeepsOpenWindowsAndTheNextStartReopensThem)
{
    const qint64 first = addMemo(u"First"_s, {}, u"one"_s);
    const qint64 second = addMemo(u"Second"_s, {}, u"two\rlone"_s);
    const qint64 closed = addMemo(u"Closed"_s, {}, u"three"_s);
    open();
    frmViewer* a = openFloating(first);
    frmViewer* b = openFloating(second);
    frmViewer* c = openFloating(closed);
    ASSERT_TRUE(a && b && c);
    a->move(120, 90);
    b->move(400, 260);
    b->resize(330, 210);
    press(b, "Edit");
    QTest::keyClick(b->txtContents(), Qt::Key_End, Qt::ControlModifier);
    type(b->txtContents(), u" more"_s);
    // A window the user closes is not kept.
    press(c, "Close");

    ASSERT_TRUE(window->close());
    const QString folder = window->profile().iniBasePath;
    for (qint64 id : {first, second}) {
        EXPECT_TRUE(QFile::exists(folder + u"%1.ini"_s.arg(id))) << id;
        EXPECT_TRUE(QFile::exists(folder + u"%1.txt"_s.arg(id))) << id;
    }
    EXPECT_FALSE(QFile::exists(folder + u"%1.ini"_s.arg(closed)));
    EXPECT_FALSE(QFile::exists(folder + u"%1.txt"_s.arg(closed)));
    window.reset();

    open();
    ASSERT_EQ(viewers().size(), 2);
    frmViewer* a2 = window->floatingWindows().QueryViewerOpen(first);
    frmViewer* b2 = window->floatingWindows().QueryViewerOpen(second);
    ASSERT_TRUE(a2 && b2);
    EXPECT_EQ(a2->boxText(), u"one"_s);
    EXPECT_FALSE(a2->IsEdit());
    EXPECT_FALSE(a2->button("Save")->isEnabled());
    EXPECT_FALSE(a2->editMode());
    EXPECT_EQ(a2->pos(), QPoint(120, 90));
    EXPECT_EQ(b2->windowTitle(), u"%1:Second"_s.arg(second));
    EXPECT_EQ(b2->boxText(), u"two\nlone more"_s);
    EXPECT_EQ(b2->storedText(), u"two\rlone more"_s);
    EXPECT_TRUE(b2->IsEdit());
    EXPECT_TRUE(b2->button("Save")->isEnabled());
    EXPECT_TRUE(b2->editMode());
    EXPECT_EQ(b2->pos(), QPoint(400, 260));
    EXPECT_EQ(b2->size(), QSize(330, 210));
    EXPECT_EQ(storedBody(second), u"two\rlone"_s);
    // Nothing unsaved in the first window: its files are gone. The second
    // keeps its unsaved text on disk until it is saved.
    EXPECT_FALSE(QFile::exists(folder + u"%1.ini"_s.arg(first)));
    EXPECT_FALSE(QFile::exists(folder + u"%1.txt"_s.arg(first)));
    EXPECT_EQ(RestoreFile::readFloating(folder + u"%1.txt"_s.arg(second)).state.text, u"two\rlone more"_s);
    press(b2, "Save");
    EXPECT_EQ(storedBody(second), u"two\rlone more"_s);
    EXPECT_FALSE(QFile::exists(folder + u"%1.ini"_s.arg(second)));
    EXPECT_FALSE(QFile::exists(folder + u"%1.txt"_s.arg(second)));
}

TEST_F(FloatingMemoTest, UndoAndRedoWalkTheWindowsOwnHistory)
{
    const qint64 id = addMemo(u"Memo"_s, {}, u"ab\rc"_s);
    open();
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);
    press(viewer, "Edit");
    QTest::keyClick(viewer->txtContents(), Qt::Key_End, Qt::ControlModifier);
    type(viewer->txtContents(), u"de"_s);
    ASSERT_EQ(viewer->boxText(), u"ab\ncde"_s);

    ctrl(viewer, Qt::Key_Z);
    EXPECT_EQ(viewer->boxText(), u"ab\ncd"_s);
    EXPECT_TRUE(viewer->button("Save")->isEnabled());
    ctrl(viewer, Qt::Key_Z);
    EXPECT_EQ(viewer->boxText(), u"ab\nc"_s);
    EXPECT_FALSE(viewer->button("Save")->isEnabled());
    EXPECT_FALSE(viewer->IsEdit());
    ctrl(viewer, Qt::Key_Z);
    EXPECT_EQ(viewer->boxText(), u"ab\nc"_s);

    ctrl(viewer, Qt::Key_Y);
    EXPECT_EQ(viewer->boxText(), u"ab\ncd"_s);
    EXPECT_TRUE(viewer->button("Save")->isEnabled());
    EXPECT_TRUE(viewer->IsEdit());
    EXPECT_EQ(viewer->txtContents()->textCursor().position(), 5);

    // Undone entries stay: a new change after an undo can be walked back through them.
    ctrl(viewer, Qt::Key_Z);
    type(viewer->txtContents(), u"X"_s);
    // The caret came back with the first entry, at the start.
    ASSERT_EQ(viewer->boxText(), u"Xab\nc"_s);
    ctrl(viewer, Qt::Key_Z);
    EXPECT_EQ(viewer->boxText(), u"ab\ncde"_s);
    ctrl(viewer, Qt::Key_Z);
    EXPECT_EQ(viewer->boxText(), u"ab\ncd"_s);

    // The save keeps the lone CR the memo was loaded with.
    prompt.answers = {PromptAnswer::Yes};
    ctrl(viewer, Qt::Key_S);
    EXPECT_EQ(storedBody(id), u"ab\rcd"_s);
}

TEST_F(FloatingMemoTest, LeavingEditModeWithUnsavedTextAsks)
{
    const qint64 id = addMemo(u"Memo"_s, {}, u"one"_s);
    open();
    frmViewer* viewer = typeInFloating(id, u"x"_s);
    ASSERT_TRUE(viewer);

    prompt.answers = {PromptAnswer::Cancel};
    press(viewer, "Edit");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kNotSaved});
    EXPECT_TRUE(viewer->editMode());
    EXPECT_TRUE(viewer->button("Edit")->isChecked());

    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    press(viewer, "Edit");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kNotSaved});
    EXPECT_FALSE(viewer->editMode());
    EXPECT_TRUE(viewer->txtContents()->isReadOnly());
    EXPECT_EQ(storedBody(id), u"xone"_s);
}

TEST_F(FloatingMemoTest, NewMemoCommandsStandInTheirMenusAndOpenOneUnsavedNewMemo)
{
    prepare();
    open();
    auto* submenu = window->findChild<QMenu*>(u"mnuMemoList_New"_s);
    ASSERT_TRUE(submenu);
    EXPECT_TRUE(submenu->actions().contains(window->commandAction("mnuMemoList_NewF")));
    auto* newButton = qobject_cast<QToolButton*>(
        window->findChild<QToolBar*>(u"Toolbar1"_s)->widgetForAction(window->commandAction("New")));
    ASSERT_TRUE(newButton && newButton->menu());
    EXPECT_TRUE(newButton->menu()->actions().contains(window->commandAction("NewF")));

    triggerAction("NewF");
    ASSERT_EQ(viewers().size(), 1);
    EXPECT_EQ(viewers().first()->windowTitle(), u"New Memo"_s);
    // A second new memo while one is still unsaved shows that one instead.
    viewers().first()->hide();
    triggerAction("mnuMemoList_NewF");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kAlreadyOpen});
    EXPECT_EQ(viewers().size(), 1);
    EXPECT_TRUE(viewers().first()->isVisible());
}

TEST_F(FloatingMemoTest, KeptWindowsThatCannotBeRestoredLoseNothing)
{
    const qint64 id = addMemo(u"Memo"_s, {}, u"stored"_s);
    const QString folder = home.file(u"quillet_default/"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString settingsFile = folder + u"%1.ini"_s.arg(id);
    const QString restoreFile = folder + u"%1.txt"_s.arg(id);
    const auto keep = [&](const QByteArray& restoreBytes) {
        QFile settings(settingsFile);
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Form]\r\nEditMode=1\r\n");
        settings.close();
        QFile restore(restoreFile);
        ASSERT_TRUE(restore.open(QIODevice::WriteOnly));
        restore.write(restoreBytes);
    };

    // Another memo's text: the failure, and the unsaved text is kept aside
    // instead of being deleted or loaded into the wrong memo.
    RestoreFile::FloatingState other;
    other.recordId = id + 1;
    other.isEdit = true;
    other.caption = u"%1:Other"_s.arg(id + 1);
    other.text = u"unsaved elsewhere"_s;
    keep(RestoreFile::formatFloating(other));
    open();
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"メモの復帰に失敗しました。"_s});
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_FALSE(QFile::exists(settingsFile));
    EXPECT_FALSE(QFile::exists(restoreFile));
    const QStringList keptAside = QDir(folder).entryList({u"%1_*.txt"_s.arg(id)}, QDir::Files);
    ASSERT_EQ(keptAside.size(), 1);
    QFile aside(folder + keptAside.first());
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_TRUE(aside.readAll().contains("unsaved elsewhere"));
    ASSERT_TRUE(window->close());
    window.reset();

    // An older format is ignored: the window shows the stored memo, so that
    // a save cannot write an empty text over it.
    prompt.shown.clear();
    keep(":Quillet RestoreFile FloatingMemo\r\n 4 \r\n");
    open();
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    ASSERT_EQ(viewers().size(), 1);
    EXPECT_EQ(viewers().first()->boxText(), u"stored"_s);
    EXPECT_EQ(viewers().first()->windowTitle(), u"%1:Memo"_s.arg(id));
    EXPECT_TRUE(viewers().first()->editMode());
    EXPECT_FALSE(viewers().first()->IsEdit());
}

// Every way of pasting into a floating window takes plain text only.
TEST_F(FloatingMemoTest, PastingTakesPlainTextOnlyWhicheverWay)
{
    const qint64 id = addMemo(u"m"_s, u"x"_s, u"abc"_s);
    open();
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);
    press(viewer, "Edit");
    QPlainTextEdit* box = viewer->txtContents();
    const std::function<void()> ways[] = {
        [&] { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); },
        [&] { QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier); },
        [&] { viewer->button("Paste")->trigger(); },
    };
    QString expected = u"abc"_s;
    for (const auto& paste : ways) {
        SCOPED_TRACE(&paste - ways);
        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(home.file(u"a.txt"_s))});
        QGuiApplication::clipboard()->setMimeData(files);
        box->moveCursor(QTextCursor::Start);
        paste();
        EXPECT_EQ(viewer->boxText(), expected);
        const QString line = QString::number(&paste - ways);
        QGuiApplication::clipboard()->setText(line + u"\r\n"_s);
        paste();
        expected = line + u"\n"_s + expected;
        EXPECT_EQ(viewer->boxText(), expected);
    }
}

} // namespace
