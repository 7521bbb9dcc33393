// The main window's command vocabulary: every command reaches its operation,
// the menu bar and the toolbar stand as specified, the sibling program's
// button, the greeting key and the names a screen reader announces.
#include "ui/CommandTable.h"
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "store/MemoStore.h"
#include "exchange/WebSearch.h"
#include "ui/FloatingWindows.h"
#include "ui/LinkCommands.h"
#include "ui/frmViewer.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <array>
#include <functional>

namespace {

using namespace Qt::Literals::StringLiterals;

// Memos every row starts from: two under "work", one in the trash.
struct Memos
{
    qint64 alpha = 0;
    qint64 beta = 0;
    qint64 trashed = 0;
};

class CommandTableTest : public MainWindowFixture
{
protected:
    Memos memos;

    void openWithMemos()
    {
        // Editor 1, the default, is a stand-in that appends "追記" to the file.
        qputenv("FAKE_EDITOR_MODE", "append");
        qputenv("FAKE_EDITOR_TEXT", "追記");
        qputenv("FAKE_EDITOR_DELAY", "0");
        // Editors 2 and 3 are the same stand-in; entry 0, the desktop's
        // application for text files, is made to be it too, through folders of
        // the test's own instead of the machine's desktop.
        const QString fake = QString::fromUtf8(FAKE_EDITOR);
        prepare(u"[OuterEditor]\nName_1=テスト\nPath_1=%1\nDefault_1=1\n"
                u"Name_2=テスト2\nPath_2=%1\nName_3=テスト3\nPath_3=%1\n"_s.arg(fake));
        const QString xdg = home.file(u"xdg/"_s);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            qputenv(name, (xdg + QString::fromLatin1(name)).toUtf8());
        for (const char* name : {"XDG_CONFIG_DIRS", "XDG_DATA_DIRS"})
            qputenv(name, (xdg + u"none"_s).toUtf8());
        QDir().mkpath(xdg + u"XDG_CONFIG_HOME"_s);
        QDir().mkpath(xdg + u"XDG_DATA_HOME/applications"_s);
        MemoFixtures::writeText(xdg + u"XDG_CONFIG_HOME/mimeapps.list"_s,
                                u"[Default Applications]\ntext/plain=quillet-fake.desktop;\n"_s);
        MemoFixtures::writeText(xdg + u"XDG_DATA_HOME/applications/quillet-fake.desktop"_s,
                                u"[Desktop Entry]\nType=Application\nName=Fake\nExec=\"%1\" %f\n"_s.arg(fake));
        memos.alpha = addMemo(u"alpha"_s, u"work"_s, u"alpha body"_s);
        memos.beta = addMemo(u"beta"_s, u"work other"_s, u"beta body"_s);
        memos.trashed = addMemo(u"gamma"_s, u"work"_s, u"gamma body"_s, true);
        open();
    }
    std::optional<Memo> stored(qint64 id) { return window->store().readMemo(id); }
    QList<frmViewer*> viewers() { return window->floatingWindows().windows(); }
    // Puts the focus into a part of the window as a click does; the commands
    // that act on the focused part are enabled then.
    void focus(QWidget* widget)
    {
        QApplication::setActiveWindow(window.get());
        widget->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(widget->hasFocus());
    }
    void selectContents(int from, int length)
    {
        focus(contents());
        QTextCursor cursor = contents()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(from + length, QTextCursor::KeepAnchor);
        contents()->setTextCursor(cursor);
    }
    QMenu* menu(const QString& name) const { return window->findChild<QMenu*>(name); }
};

// ---------------------------------------------------------------------------
// Every command whose operation exists today, triggered by its action.

class CommandTriggerTest;

struct TriggerRow
{
    const char* command;
    std::function<void(CommandTriggerTest&)> arrange;
    std::function<void(CommandTriggerTest&)> check;
};

void PrintTo(const TriggerRow& row, std::ostream* out)
{
    *out << row.command;
}

class CommandTriggerTest : public CommandTableTest, public ::testing::WithParamInterface<TriggerRow>
{
public:
    // The fixture's helpers for the rows, which are not members.
    using CommandTableTest::chooseCategory;
    using CommandTableTest::chooseMemo;
    using CommandTableTest::contents;
    using CommandTableTest::focus;
    using CommandTableTest::lblNo;
    using CommandTableTest::memoList;
    using CommandTableTest::memoRowIds;
    using CommandTableTest::memos;
    using CommandTableTest::prompt;
    using CommandTableTest::selectContents;
    using CommandTableTest::selectMemos;
    using CommandTableTest::stored;
    using CommandTableTest::title;
    using CommandTableTest::triggerAction;
    using CommandTableTest::type;
    using CommandTableTest::viewers;
    using CommandTableTest::window;
};

using T = CommandTriggerTest;

void showAlpha(T& t)
{
    t.chooseMemo(t.memos.alpha);
}
void selectAlpha(T& t)
{
    t.selectMemos({t.memos.alpha});
}
void typeInContents(T& t)
{
    showAlpha(t);
    t.focus(t.contents());
    t.contents()->moveCursor(QTextCursor::End);
    t.type(t.contents(), u"X"_s);
}
void selectInList(T& t)
{
    selectAlpha(t);
    t.focus(t.memoList());
}
void selectFirstWordOfAlpha(T& t)
{
    showAlpha(t);
    t.selectContents(0, 5);
}
void showTrash(T& t)
{
    t.chooseCategory(u"[Trash]"_s);
    t.selectMemos({t.memos.trashed});
}
void expectMessage(T& t, const QString& text)
{
    EXPECT_EQ(t.prompt.messageTexts(), QStringList{text});
}
void expectTags(T& t, qint64 id, const QString& tags)
{
    EXPECT_EQ(t.stored(id)->category, tags);
}
void expectIcon(T& t, int icon)
{
    EXPECT_EQ(t.stored(t.memos.alpha)->icon, icon);
}
void expectNewCopy(T& t, const QString& title, const QString& body)
{
    ASSERT_NE(t.lblNo(), u"New"_s);
    const qint64 id = t.lblNo().toLongLong();
    EXPECT_GT(id, t.memos.trashed);
    EXPECT_EQ(t.stored(id)->title, title);
    EXPECT_EQ(t.stored(id)->body, body);
}
void expectAlphaTrashed(T& t)
{
    EXPECT_TRUE(t.stored(t.memos.alpha)->isTrash);
}
void expectSaved(T& t)
{
    EXPECT_EQ(t.stored(t.memos.alpha)->title, u"alpha!"_s);
}
void typeTitle(T& t)
{
    showAlpha(t);
    t.focus(t.title());
    t.title()->end(false);
    t.type(t.title(), u"!"_s);
}
void expectNewMemo(T& t)
{
    EXPECT_EQ(t.lblNo(), u"New"_s);
    EXPECT_TRUE(t.title()->text().isEmpty());
}
void expectWindowType(T& t, int type)
{
    EXPECT_EQ(t.window->PaneMode(), type);
    EXPECT_TRUE(
        t.window->commandAction(std::array{"mnuWindowNormal", "mnuWindowMailer", "mnuWindowWide"}[type])
            ->isChecked());
}
void copyAlphaBody(T&)
{
    QGuiApplication::clipboard()->setText(u"clip text"_s);
}
void expectFloating(T& t, bool newMemo)
{
    ASSERT_EQ(t.viewers().size(), 1);
    EXPECT_EQ(t.viewers().first()->findChild<QPlainTextEdit*>()->toPlainText(),
              newMemo ? QString() : u"alpha body"_s);
}
// The dialogs the commands open: each is closed as soon as it shows, and its
// name kept for the check.
QString shownDialog;
void closeTheDialogThatShows(T& t)
{
    shownDialog.clear();
    QTimer::singleShot(0, t.window.get(), [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            shownDialog = dialog->objectName();
            dialog->close();
        }
    });
}
std::function<void(T&)> expectDialog(const char* name)
{
    return [name](T&) { EXPECT_EQ(shownDialog, QString::fromLatin1(name)); };
}

// What the link commands would have opened on the desktop.
struct RecordingOpener final : UrlOpener
{
    QList<QUrl> opened;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
};
RecordingOpener opener;
void recordLinks(T& t)
{
    opener.opened.clear();
    t.window->findChild<LinkCommands*>(u"LinkCommands"_s)->setOpener(&opener);
}
std::function<void(T&)> expectOpened(const char* start)
{
    return [start](T&) {
        ASSERT_EQ(opener.opened.size(), 1);
        EXPECT_TRUE(opener.opened[0].toString().startsWith(QString::fromLatin1(start)))
            << opener.opened[0].toString().toStdString();
    };
}
TriggerRow searchRow(const char* command, const char* start)
{
    return {command,
            [](T& t) {
                recordLinks(t);
                showAlpha(t);
                t.selectContents(0, 5);
            },
            expectOpened(start)};
}

void expectCancelledMessage(T& t)
{
    EXPECT_EQ(t.prompt.messageTexts(), QStringList{u"キャンセルしました。"_s});
}
void cancelFileChoice(T& t)
{
    t.prompt.files = {{}};
}

void expectFindDialog(T& t)
{
    auto* dialog = t.window->findChild<QWidget*>(u"frmFindDetail"_s);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
}
void expectSearchAsked(T& t)
{
    ASSERT_EQ(t.prompt.shown.size(), 1);
    EXPECT_EQ(t.prompt.shown[0].kind, ScriptedPrompt::Kind::Search);
}

void expectAlphaFromEditor(T& t)
{
    EXPECT_EQ(t.stored(t.memos.alpha)->body, u"alpha body追記"_s);
}
void answerNewMemoQuestions(T& t)
{
    t.prompt.inputs = {u"題名"_s};
    t.prompt.tagChoices = {u"work"_s};
}
void expectMemoFromEditor(T& t)
{
    QStringList bodies;
    for (qint64 id : t.memoRowIds())
        bodies.append(t.stored(id)->body);
    EXPECT_TRUE(bodies.contains(u"追記"_s)) << qPrintable(bodies.join(u'|'));
}

const QString kTextLength = u"現在編集しているメモの文字数は 10文字です。\n(改行は除く)"_s;
const QString kSelectedLength = u"現在選択しているメモの文字数は 5文字です。\n(改行は除く)"_s;

// Rows that share an operation (menu item and toolbar button) share a row
// body through these.
TriggerRow saveRow(const char* name)
{
    return {name, typeTitle, expectSaved};
}
TriggerRow newRow(const char* name)
{
    return {name, showAlpha, expectNewMemo};
}
TriggerRow deleteCurrentRow(const char* name)
{
    return {name,
            [](T& t) {
                showAlpha(t);
                t.focus(t.title());
                t.prompt.answers = {PromptAnswer::Yes};
            },
            expectAlphaTrashed};
}
TriggerRow copyRow(const char* name)
{
    return {name, selectInList, [](T& t) { expectNewCopy(t, u"コピー alpha"_s, u"alpha body"_s); }};
}
TriggerRow copySelectedRow(const char* name)
{
    return {name, selectFirstWordOfAlpha, [](T& t) { expectNewCopy(t, u"alpha"_s, u"alpha"_s); }};
}
TriggerRow deleteSelectedRow(const char* name)
{
    return {name,
            [](T& t) {
                selectInList(t);
                t.prompt.answers = {PromptAnswer::Yes};
            },
            expectAlphaTrashed};
}
TriggerRow iconRow(const char* name, int icon)
{
    return {name, selectAlpha, [icon](T& t) { expectIcon(t, icon); }};
}
TriggerRow cutRow(const char* name)
{
    return {name, selectFirstWordOfAlpha, [](T& t) {
                EXPECT_EQ(QGuiApplication::clipboard()->text(), u"alpha"_s);
                EXPECT_EQ(t.contents()->toPlainText(), u" body"_s);
            }};
}
TriggerRow copyTextRow(const char* name)
{
    return {name, selectFirstWordOfAlpha, [](T& t) {
                EXPECT_EQ(QGuiApplication::clipboard()->text(), u"alpha"_s);
                EXPECT_EQ(t.contents()->toPlainText(), u"alpha body"_s);
            }};
}
TriggerRow pasteRow(const char* name)
{
    return {name,
            [](T& t) {
                copyAlphaBody(t);
                selectFirstWordOfAlpha(t);
            },
            [](T& t) { EXPECT_EQ(t.contents()->toPlainText(), u"clip text body"_s); }};
}

// The rows of external editors 0, 2 and 3, which take the same paths as
// editor 1's rows.
void addEditorRows(std::vector<TriggerRow>& rows)
{
    static const std::array<std::array<const char*, 6>, 3> names = {{
        {"mnuEditorForm0", "Editor0", "mnuEditor0", "mnuMemoList_Editor0New", "NewE0", ""},
        {"mnuEditorForm2", "Editor2", "mnuEditor2", "mnuMemoList_Editor2New", "NewE2", ""},
        {"mnuEditorForm3", "Editor3", "mnuEditor3", "mnuMemoList_Editor3New", "NewE3", ""},
    }};
    for (const auto& entry : names) {
        rows.push_back({entry[0], showAlpha, expectAlphaFromEditor});
        rows.push_back({entry[1], showAlpha, expectAlphaFromEditor});
        rows.push_back({entry[2],
                        [](T& t) {
                            selectAlpha(t);
                            t.prompt.answers = {PromptAnswer::Yes};
                        },
                        expectAlphaFromEditor});
        rows.push_back({entry[3], answerNewMemoQuestions, expectMemoFromEditor});
        rows.push_back({entry[4], answerNewMemoQuestions, expectMemoFromEditor});
    }
}

const std::vector<TriggerRow> kTriggerRows = [] {
    std::vector<TriggerRow> rows = {
    {"mnuQuit", nullptr, [](T& t) { EXPECT_FALSE(t.window->isVisible()); }},
    {"mnuUndo", typeInContents, [](T& t) { EXPECT_EQ(t.contents()->toPlainText(), u"alpha body"_s); }},
    {"mnuRedo",
     [](T& t) {
         typeInContents(t);
         t.triggerAction("mnuUndo");
     },
     [](T& t) { EXPECT_EQ(t.contents()->toPlainText(), u"alpha bodyX"_s); }},
    {"mnuAllUndo", typeInContents, [](T& t) { EXPECT_EQ(t.contents()->toPlainText(), u"alpha body"_s); }},
    {"mnuGetSelTextLength", selectFirstWordOfAlpha, [](T& t) { expectMessage(t, kSelectedLength); }},
    {"mnuGetTextLength", showAlpha, [](T& t) { expectMessage(t, kTextLength); }},
    newRow("mnuNewMemo"),
    newRow("New"),
    saveRow("mnuSaveMemo"),
    saveRow("Save"),
    deleteCurrentRow("mnuDeleteCurrentMemo"),
    deleteCurrentRow("Delete"),
    copyRow("mnuNewMemoCopy"),
    copyRow("Copy2NewMemo"),
    copySelectedRow("mnuNewMemoCopySelected"),
    copySelectedRow("SelectedCopy2NewMemo"),
    deleteSelectedRow("mnuDeleteMemo"),
    deleteSelectedRow("DeleteMemos"),
    {"mnuSelectMemoAll", [](T& t) { t.chooseCategory(u"work"_s); },
     [](T& t) { EXPECT_EQ(t.memoList()->selectionModel()->selectedRows().size(), 2); }},
    iconRow("mnuIcon_Exclamation", 2),
    iconRow("mnuIcon_FlagRed", 3),
    iconRow("mnuIcon_FlagBlue", 4),
    iconRow("mnuIcon_FlagLightBlue", 5),
    iconRow("mnuIcon_FlagYellow", 6),
    iconRow("mnuIcon_FlagGreen", 7),
    iconRow("mnuIcon_FlagYellowGreen", 8),
    iconRow("mnuIcon_FlagPueple", 9),
    iconRow("mnuIcon_FlagBrown", 10),
    iconRow("mnuIcon_FlagGray", 11),
    iconRow("mnuIcon_FlagWhite", 12),
    {"mnuIcon_Delete",
     [](T& t) {
         selectAlpha(t);
         t.triggerAction("mnuIcon_FlagRed");
     },
     [](T& t) { expectIcon(t, -1); }},
    {"popAddTag",
     [](T& t) {
         selectAlpha(t);
         t.prompt.tagChoices = {u"added"_s};
     },
     [](T& t) { expectTags(t, t.memos.alpha, u"work added"_s); }},
    {"popDeleteTag",
     [](T& t) {
         t.chooseCategory(u"other"_s);
         t.selectMemos({t.memos.beta});
         t.prompt.answers = {PromptAnswer::Yes};
     },
     [](T& t) { expectTags(t, t.memos.beta, u"work"_s); }},
    {"popReplaceTag",
     [](T& t) {
         t.chooseCategory(u"other"_s);
         t.selectMemos({t.memos.beta});
         t.prompt.answers = {PromptAnswer::Yes};
         t.prompt.tagChoices = {u"new"_s};
     },
     [](T& t) { expectTags(t, t.memos.beta, u"work new"_s); }},
    {"popSetTag",
     [](T& t) {
         selectAlpha(t);
         t.prompt.answers = {PromptAnswer::Yes};
         t.prompt.tagChoices = {u"only"_s};
     },
     [](T& t) { expectTags(t, t.memos.alpha, u"only"_s); }},
    {"pop2DelCategory",
     [](T& t) {
         t.chooseCategory(u"other"_s);
         t.prompt.answers = {PromptAnswer::Yes};
     },
     [](T& t) { expectTags(t, t.memos.beta, u"work"_s); }},
    {"pop2RenameCategory",
     [](T& t) {
         t.chooseCategory(u"other"_s);
         t.prompt.inputs = {u"renamed"_s};
     },
     [](T& t) { expectTags(t, t.memos.beta, u"work renamed"_s); }},
    {"pop2SetCategory",
     [](T& t) {
         t.chooseCategory(u"other"_s);
         t.prompt.inputs = {u"set"_s};
     },
     [](T& t) { expectTags(t, t.memos.beta, u"set"_s); }},
    {"mnuRestoreMemo", showTrash, [](T& t) { EXPECT_FALSE(t.stored(t.memos.trashed)->isTrash); }},
    {"pop2ClearTrash",
     [](T& t) {
         t.chooseCategory(u"[Trash]"_s);
         t.prompt.answers = {PromptAnswer::Yes};
     },
     [](T& t) { EXPECT_FALSE(t.stored(t.memos.trashed)); }},
    {"mnuWindowNormal", [](T& t) { t.triggerAction("mnuWindowWide"); }, [](T& t) { expectWindowType(t, 0); }},
    {"mnuWindowMailer", nullptr, [](T& t) { expectWindowType(t, 1); }},
    {"mnuWindowWide", nullptr, [](T& t) { expectWindowType(t, 2); }},
    {"AlwaysOnTop", nullptr,
     [](T& t) {
         EXPECT_TRUE(t.window->windowFlags() & Qt::WindowStaysOnTopHint);
         EXPECT_TRUE(t.window->isVisible());
     }},
    // Commands carried out by their own command objects.
    cutRow("mnuCut"),
    cutRow("Cut"),
    copyTextRow("mnuCopy"),
    copyTextRow("Copy"),
    pasteRow("mnuPaste"),
    pasteRow("Paste"),
    {"mnuCopyCurrentMemo2Clipboard", showAlpha,
     [](T& t) { EXPECT_EQ(QGuiApplication::clipboard()->text(), u"alpha body"_s); }},
    {"mnuCopyMemo2Clipboard", selectAlpha,
     [](T& t) { EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(u"alpha body"_s)); }},
    {"mnuClipboard2NewMemo", copyAlphaBody,
     [](T& t) { EXPECT_EQ(t.contents()->toPlainText(), u"clip text"_s); }},
    {"mnuFind", nullptr, expectFindDialog},
    {"Find", nullptr, expectFindDialog},
    {"mnuFiltering", [](T& t) { t.prompt.searches = {std::nullopt}; }, expectSearchAsked},
    {"Filtering", [](T& t) { t.prompt.searches = {std::nullopt}; }, expectSearchAsked},
    // External editor 1 (the default); entry 0 is the desktop's own
    // application and is not started here.
    {"mnuEditorForm", showAlpha, expectAlphaFromEditor},
    {"mnuEditorForm1", showAlpha, expectAlphaFromEditor},
    {"OuterEdit", showAlpha, expectAlphaFromEditor},
    {"Editor1", showAlpha, expectAlphaFromEditor},
    {"mnuEditor",
     [](T& t) {
         selectAlpha(t);
         t.prompt.answers = {PromptAnswer::Yes};
     },
     expectAlphaFromEditor},
    {"mnuEditor1",
     [](T& t) {
         selectAlpha(t);
         t.prompt.answers = {PromptAnswer::Yes};
     },
     expectAlphaFromEditor},
    {"mnuMemoList_Editor1New", answerNewMemoQuestions, expectMemoFromEditor},
    {"NewE1", answerNewMemoQuestions, expectMemoFromEditor},
    {"mnuViewer", selectAlpha, [](T& t) { expectFloating(t, false); }},
    {"mnuMemoList_NewF", nullptr, [](T& t) { expectFloating(t, true); }},
    {"NewF", nullptr, [](T& t) { expectFloating(t, true); }},
    // Database, import and export commands: each reaches its first question.
    {"mnuMDBChange", cancelFileChoice, expectCancelledMessage},
    {"mnuMDBSaveAs", cancelFileChoice, expectCancelledMessage},
    {"mnuMDBAddImport", closeTheDialogThatShows, expectDialog("frmMergeMDB")},
    {"mnuMDBRefresh", nullptr,
     [](T& t) {
         EXPECT_TRUE(t.prompt.messageTexts().constLast().startsWith(u"メモデータベースのリフレッシュ完了！"_s));
         EXPECT_EQ(t.memoRowIds().size(), 0); // the memo list was emptied for the renumbered memos
     }},
    {"mnuImport", cancelFileChoice,
     [](T& t) {
         ASSERT_EQ(t.prompt.shown.size(), 1);
         EXPECT_EQ(t.prompt.shown[0].title, u"ファイルを開く"_s);
     }},
    {"mnuImportFolder", closeTheDialogThatShows, expectDialog("frmImport")},
    {"mnuExportAll", closeTheDialogThatShows, expectDialog("frmExport")},
    {"mnuExportText",
     [](T& t) {
         selectAlpha(t);
         cancelFileChoice(t);
     },
     [](T& t) {
         ASSERT_FALSE(t.prompt.shown.isEmpty());
         EXPECT_EQ(t.prompt.shown[0].kind, ScriptedPrompt::Kind::SaveFile);
     }},
    // Links, web searches and the help menu, through the desktop opener.
    {"mnuOpenLink",
     [](T& t) {
         recordLinks(t);
         showAlpha(t);
         t.contents()->setPlainText(u"https://example.jp/"_s);
         t.selectContents(0, 19);
     },
     expectOpened("https://example.jp/")},
    searchRow("mnuFindLink0", "https://www.google.co.jp/"),
    searchRow("mnuFindLink1", "https://search.yahoo.co.jp/"),
    searchRow("mnuFindLink2", "https://ja.wikipedia.org/"),
    searchRow("mnuFindLink3", "https://www.amazon.co.jp/"),
    {"mnuHelp2", recordLinks, expectOpened("file:")},
    {"mnuOnlineHelp", recordLinks, expectOpened("https://")},
    {"mnuNewInfo", recordLinks, expectOpened("https://")},
    {"mnuMakerSite", recordLinks, expectOpened("https://")},
    // The tool and help dialogs.
    {"mnuMakeShortCut", closeTheDialogThatShows, expectDialog("frmMakeShortCut")},
    {"mnuOption", closeTheDialogThatShows, expectDialog("frmOption")},
    {"mnuAbout", closeTheDialogThatShows, expectDialog("frmAbout")},
    // Passwords of the selected memos: the security password is asked first.
    {"popSetSecurityPass",
     [](T& t) {
         selectAlpha(t);
         t.prompt.passwords = {QString()};
     },
     [](T& t) {
         ASSERT_FALSE(t.prompt.shown.isEmpty());
         EXPECT_EQ(t.prompt.shown[0].kind, ScriptedPrompt::Kind::Password);
     }},
    {"popDeleteSecurityPass",
     [](T& t) {
         selectAlpha(t);
         t.prompt.passwords = {QString()};
     },
     [](T& t) {
         ASSERT_FALSE(t.prompt.shown.isEmpty());
         EXPECT_EQ(t.prompt.shown[0].kind, ScriptedPrompt::Kind::Password);
     }},
    {"Kita", nullptr,
     [](T& t) { EXPECT_EQ(t.prompt.messageTexts(), QStringList{u"ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!"_s}); }},
    };
    addEditorRows(rows);
    return rows;
}();

TEST_P(CommandTriggerTest, TheCommandReachesItsOperation)
{
    const TriggerRow& row = GetParam();
    openWithMemos();
    if (row.arrange)
        row.arrange(*this);
    triggerAction(row.command);
    row.check(*this);
}

TEST(CommandTriggerRows, EveryCommandOfTheTableHasARow)
{
    QStringList missing;
    for (const CommandTable::Command& command : CommandTable::commands()) {
        // The Daybook button starts another program: DaybookTest covers it.
        if (qstrcmp(command.name, "Daybook") == 0)
            continue;
        const auto row = std::find_if(std::begin(kTriggerRows), std::end(kTriggerRows), [&](const TriggerRow& r) {
            return qstrcmp(r.command, command.name) == 0;
        });
        if (row == std::end(kTriggerRows))
            missing.append(QString::fromLatin1(command.name));
    }
    EXPECT_TRUE(missing.isEmpty()) << qPrintable(missing.join(u' '));
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandTriggerTest, ::testing::ValuesIn(kTriggerRows),
                         [](const ::testing::TestParamInfo<TriggerRow>& info) {
                             return std::string(info.param.command);
                         });

// ---------------------------------------------------------------------------
// The menu bar, the toolbar and their drop-downs as the table builds them.

// "name caption" of each item, submenus indented below their own line;
// separators as "-" (named ones with their name).
void describe(const QMenu* menu, const QString& indent, QStringList& lines)
{
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            lines.append(indent + u'-' + action->objectName());
        } else if (action->menu()) {
            lines.append(indent + action->menu()->objectName() + u' ' + action->text());
            describe(action->menu(), indent + u"  "_s, lines);
        } else {
            lines.append(indent + action->objectName() + u' ' + action->text());
        }
    }
}

TEST_F(CommandTableTest, TheMenuBarHoldsEveryCommandInOrder)
{
    openWithMemos();
    QStringList lines;
    for (QAction* action : window->menuBar()->actions()) {
        lines.append(action->menu()->objectName() + u' ' + action->text());
        QStringList items;
        describe(action->menu(), u"  "_s, items);
        // Separators are the implementer's; the order of the items is not.
        for (const QString& item : items) {
            if (!item.trimmed().startsWith(u'-'))
                lines.append(item);
        }
    }
    // The external editors' captions are those written from the editor table
    // at start-up (entries 1 to 3 are named "テスト", "テスト2", "テスト3"); the
    // web searches and the maker's name are written by the link commands.
    const QStringList expected = {
        u"mnuFile ファイル(&F)"_s,
        u"  mnuMDBChange メモデータベースの切り替え"_s,
        u"  mnuMDBAddImport メモデータベースを追加読み込み"_s,
        u"  mnuMDBSaveAs メモデータベースを別名で保存"_s,
        u"  mnuImport インポート"_s,
        u"  mnuImportFolder フォルダインポート"_s,
        u"  mnuExportAll エクスポート"_s,
        u"  mnuQuit 終了(&X)"_s,
        u"mnuEdit 編集(&E)"_s,
        u"  mnuUndo 元に戻す"_s,
        u"  mnuRedo やり直し"_s,
        u"  mnuCut 切り取り(&T)"_s,
        u"  mnuCopy コピー(&C)"_s,
        u"  mnuPaste 貼り付け(&P)"_s,
        u"  mnuCopyCurrentMemo2Clipboard 現在のメモをクリップボードへコピー"_s,
        u"  mnuAllUndo メモを読み込み時の状態に戻す"_s,
        u"  mnuFind 検索(&F)"_s,
        u"  mnuOpenLink 選択文字列から開く"_s,
        u"  mnuFindLink 選択文字列を検索エンジンで検索する"_s,
        u"    mnuFindLink0 Googleで検索する"_s,
        u"    mnuFindLink1 Yahooで検索する"_s,
        u"    mnuFindLink2 WikiPediaで検索する"_s,
        u"    mnuFindLink3 Amazonで検索する"_s,
        u"  mnuGetSelTextLength 選択文字列の文字数を取得"_s,
        u"mnuMemo メモ(&M)"_s,
        u"  mnuNewMemo 新規メモを作成(&N)"_s,
        u"  mnuSaveMemo 現在のメモを保存(&S)"_s,
        u"  mnuDeleteCurrentMemo 現在のメモをゴミ箱へ移動(&D)"_s,
        u"  mnuNewMemoCopy コピーを作成"_s,
        u"  mnuNewMemoCopySelected 選択部をコピーして新規メモを作成"_s,
        u"  mnuClipboard2NewMemo クリップボードから新規メモを作成"_s,
        u"  mnuEditorForm デフォルトの外部エディタで開く"_s,
        u"  mnuEditorSelectForm 指定した外部エディタで開く"_s,
        u"    mnuEditorForm0 規定の外部エディタで開く"_s,
        u"    mnuEditorForm1 テストで開く"_s,
        u"    mnuEditorForm2 テスト2で開く"_s,
        u"    mnuEditorForm3 テスト3で開く"_s,
        u"  mnuGetTextLength 文字数を表示"_s,
        u"mnuMemoList メモリスト(&L)"_s,
        u"  mnuViewer フローティングメモで開く"_s,
        u"  mnuEditor デフォルトの外部エディタで開く"_s,
        u"  mnuEditorSelect 指定した外部エディタで開く"_s,
        u"    mnuEditor0 規定の外部エディタで開く"_s,
        u"    mnuEditor1 テストで開く"_s,
        u"    mnuEditor2 テスト2で開く"_s,
        u"    mnuEditor3 テスト3で開く"_s,
        u"  mnuCopyMemo2Clipboard クリップボードへコピー"_s,
        u"  mnuMemoList_New 新規メモ"_s,
        u"    mnuMemoList_NewF フローティングメモで作成"_s,
        u"    mnuMemoList_Editor0New 規定の外部エディタで作成"_s,
        u"    mnuMemoList_Editor1New テストで作成"_s,
        u"    mnuMemoList_Editor2New テスト2で作成"_s,
        u"    mnuMemoList_Editor3New テスト3で作成"_s,
        u"  mnuMemoListIcon アイコン"_s,
        u"    mnuIcon_Delete アイコンを削除"_s,
        u"    mnuIcon_Exclamation エクスクラメーション"_s,
        u"    mnuIcon_FlagRed 赤色"_s,
        u"    mnuIcon_FlagBlue 青色"_s,
        u"    mnuIcon_FlagLightBlue 明るい青色"_s,
        u"    mnuIcon_FlagYellow 黄色"_s,
        u"    mnuIcon_FlagGreen 緑色"_s,
        u"    mnuIcon_FlagYellowGreen 黄緑色"_s,
        u"    mnuIcon_FlagPueple 紫色"_s,
        u"    mnuIcon_FlagBrown 茶色"_s,
        u"    mnuIcon_FlagGray 灰色"_s,
        u"    mnuIcon_FlagWhite 白色"_s,
        u"  popTAG タグ操作"_s,
        u"    popAddTag 選択したメモにタグを追加"_s,
        u"    popDeleteTag 選択したメモから現在のタグを削除"_s,
        u"    popReplaceTag 選択したメモの現在のタグを指定タグに置換"_s,
        u"    popSetTag 選択したメモのタグを指定タグに置き換え"_s,
        u"  mnuTrashBox ゴミ箱"_s,
        u"    mnuDeleteMemo ゴミ箱へ移動(&K)"_s,
        u"    mnuRestoreMemo ゴミ箱から復活"_s,
        u"  popPassword パスワード"_s,
        u"    popSetSecurityPass 選択したメモをパスワード設定する"_s,
        u"    popDeleteSecurityPass 選択したメモのパスワード設定を解除"_s,
        u"  mnuExport 外部書き出し"_s,
        u"    mnuExportText テキストで書き出し"_s,
        u"  mnuSelectMemoAll すべて選択"_s,
        u"popPopUp2 カテゴリリスト(&C)"_s,
        u"  pop2DelCategory タグを削除"_s,
        u"  pop2RenameCategory タグをリネーム"_s,
        u"  pop2SetCategory 指定タグに置き換え"_s,
        u"  pop2ClearTrash ゴミ箱を綺麗にする"_s,
        u"  mnuFiltering フィルタ(&F)"_s,
        u"mnuTool ツール(&T)"_s,
        u"  mnuWindowMode ウィンドウモード"_s,
        u"    mnuWindowNormal ノーマルタイプ"_s,
        u"    mnuWindowMailer メーラータイプ"_s,
        u"    mnuWindowWide ワイドタイプ"_s,
        u"  mnuMDBRefresh メモデータベースのリフレッシュ"_s,
        u"  mnuMakeShortCut ショートカットの作成"_s,
        u"  mnuOption オプション"_s,
        u"mnuHelp ヘルプ(&H)"_s,
        u"  mnuHelp2 ヘルプ"_s,
        u"  mnuOnlineHelp オンラインヘルプ"_s,
        u"  mnuNewInfo Quilletの最新情報"_s,
        u"  mnuMakerSite Quillet プロジェクト"_s,
        u"  mnuAbout Quilletについて(&A)"_s,
    };
    EXPECT_EQ(lines, expected);
    // The window's save key.
    EXPECT_EQ(window->commandAction("mnuSaveMemo")->shortcut(), QKeySequence(u"Ctrl+S"_s));
}

TEST_F(CommandTableTest, ListsAndContentsBoxOpenTheirMenusOnARightClick)
{
    openWithMemos();
    const std::pair<QAbstractScrollArea*, const char*> places[] = {
        {memoList(), "mnuMemoList"}, {catList(), "popPopUp2"}, {contents(), "mnuEdit"}};
    for (const auto& [area, name] : places) {
        const QPoint point(20, 10);
        QContextMenuEvent click(QContextMenuEvent::Mouse, point, area->viewport()->mapToGlobal(point));
        QApplication::sendEvent(area->viewport(), &click);
        QMenu* opened = menu(QString::fromLatin1(name));
        QTRY_VERIFY2(opened->isVisible(), name);
        opened->hide();
    }
}

TEST_F(CommandTableTest, TheToolbarHoldsItsButtonsImagesAndDropDowns)
{
    openWithMemos();
    auto* toolbar = window->findChild<QToolBar*>(u"Toolbar1"_s);
    ASSERT_TRUE(toolbar);
    QStringList buttons;
    for (QAction* action : toolbar->actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator()) {
            buttons.append(u"|"_s);
            continue;
        }
        buttons.append(action->objectName() + u' ' + action->toolTip());
        // Every image comes from Quillet's own resources, at two densities.
        EXPECT_FALSE(action->icon().isNull()) << qPrintable(action->objectName());
        const QList<QSize> sizes = action->icon().availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(24, 24)) && sizes.contains(QSize(48, 48)))
            << qPrintable(action->objectName());
    }
    EXPECT_EQ(buttons,
              (QStringList{u"Save 現在のメモの内容を保存します"_s, u"|"_s, u"New 新規メモを作成します"_s,
                           u"Delete 現在のメモの内容を削除します"_s, u"|"_s,
                           u"Copy2NewMemo 現在のメモをコピーして新規メモを作ります"_s,
                           u"SelectedCopy2NewMemo 現在のメモで選択した部分をコピーして新規メモを作ります"_s,
                           u"DeleteMemos メモリストで選択したメモを削除します"_s, u"|"_s, u"Cut 切り取り"_s,
                           u"Copy コピー"_s, u"Paste 貼り付け"_s, u"Find メモ内を検索"_s,
                           u"OuterEdit 外部エディタで開く"_s, u"Filtering メモを抽出"_s,
                           u"AlwaysOnTop 常にトップに表示する"_s}));
    for (const char* image : {"Save", "New", "Delete", "CopyNewMemo", "SelectedCopyNewMemo", "Deletes", "Cut",
                              "Copy", "Paste", "Find", "OuterEdit", "Filtering", "AlwaysOnTop", "Daybook"}) {
        for (const char* suffix : {".png", "@2x.png"}) {
            const QString path = u":/toolbar/"_s + QLatin1String(image) + QLatin1String(suffix);
            EXPECT_FALSE(QImage(path).isNull()) << qPrintable(path);
        }
    }
    EXPECT_TRUE(window->commandAction("AlwaysOnTop")->isCheckable());

    const auto dropDown = [&](const char* name) {
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(window->commandAction(name)));
        EXPECT_EQ(button->popupMode(), QToolButton::MenuButtonPopup);
        QStringList lines;
        if (button->menu())
            describe(button->menu(), QString(), lines);
        return lines;
    };
    EXPECT_EQ(dropDown("New"),
              (QStringList{u"NewF フローティングメモで新規メモを作成"_s, u"-NewMinus01"_s,
                           u"NewE0 規定の外部エディタで新規メモを作成"_s, u"NewE1 テストで作成"_s,
                           u"NewE2 テスト2で作成"_s, u"NewE3 テスト3で作成"_s}));
    EXPECT_EQ(dropDown("OuterEdit"),
              (QStringList{u"Editor0 規定のエディタで開く"_s, u"Editor1 テストで開く"_s,
                           u"Editor2 テスト2で開く"_s, u"Editor3 テスト3で開く"_s}));
}

// ---------------------------------------------------------------------------
// The sibling diary program's button.

class RecordingLauncher : public CommandTable::Launcher
{
public:
    QString folder;
    QStringList started;
    QString programFolder() const override { return folder; }
    bool startDetached(const QString& program) override
    {
        started.append(program);
        return true;
    }
};

class DaybookTest : public CommandTableTest
{
protected:
    RecordingLauncher launcher;
    QTemporaryDir binaryFolder; // where the running binary is
    void SetUp() override
    {
        launcher.folder = binaryFolder.path();
        CommandTable::setLauncher(&launcher);
    }
    void TearDown() override { CommandTable::setLauncher(nullptr); }
    QString inData() const { return home.file(u"daybook"_s); }
    QString besideBinary() const { return binaryFolder.filePath(u"daybook"_s); }
    static void writeProgram(const QString& path, QFileDevice::Permissions permissions)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(permissions);
    }
    bool shown(const char* name) const
    {
        const auto* toolbar = window->findChild<QToolBar*>(u"Toolbar1"_s);
        for (QAction* action : toolbar->actions()) {
            if (action->objectName() == QLatin1String(name))
                return action->isVisible() && toolbar->widgetForAction(action)->isVisible();
        }
        ADD_FAILURE() << name << " is not on the toolbar";
        return false;
    }
};

TEST_F(DaybookTest, TheButtonShowsOnlyBesideAnExecutableProgramAndStartsIt)
{
    const auto runnable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    openWithMemos();
    EXPECT_FALSE(shown("Daybook"));
    EXPECT_FALSE(shown("DaybookSepalator"));
    window.reset();

    // A file that cannot be run is not the program.
    writeProgram(inData(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    open();
    EXPECT_FALSE(shown("Daybook"));
    window.reset();

    // Beside the binary; then in the data folder, which wins over it.
    for (const QString& program : {besideBinary(), inData()}) {
        SCOPED_TRACE(program.toStdString());
        launcher.started.clear();
        writeProgram(program, runnable);
        open();
        EXPECT_TRUE(shown("Daybook"));
        EXPECT_TRUE(shown("DaybookSepalator"));
        EXPECT_EQ(window->commandAction("Daybook")->toolTip(), u"Daybookを起動する"_s);
        triggerAction("Daybook");
        EXPECT_EQ(launcher.started, QStringList{QFileInfo(program).absoluteFilePath()});
        window.reset();
    }

    // Gone since the start: the click does nothing.
    open();
    QFile::remove(inData());
    QFile::remove(besideBinary());
    launcher.started.clear();
    triggerAction("Daybook");
    EXPECT_TRUE(launcher.started.isEmpty());
}

// ---------------------------------------------------------------------------
// Ctrl+Alt+0 wherever the table lists it, and only with exactly those keys.

TEST_F(CommandTableTest, CtrlAlt0GreetsInTheWindowTheContentsTheListAndFloatingWindows)
{
    openWithMemos();
    selectMemos({memos.alpha});
    triggerAction("mnuViewer");
    ASSERT_EQ(window->floatingWindows().windows().size(), 1);
    frmViewer* viewer = window->floatingWindows().windows().first();
    auto* floatingContents = viewer->findChild<QPlainTextEdit*>();
    const QList<QWidget*> places = {window.get(), contents(), memoList(), catList(), floatingContents};
    const auto press = [](QWidget* target, Qt::KeyboardModifiers modifiers) {
        QApplication::setActiveWindow(target->window());
        target->setFocus();
        QTest::keyClick(target, Qt::Key_0, modifiers);
    };
    for (QWidget* target : places)
        press(target, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(prompt.shown.size(), places.size());
    for (const ScriptedPrompt::Shown& shown : prompt.shown) {
        EXPECT_EQ(shown.text, u"ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!"_s);
        EXPECT_EQ(shown.icon, PromptIcon::Information);
    }
    // Another combination does not greet.
    for (QWidget* target : places)
        press(target, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(prompt.shown.size(), places.size());
}

// ---------------------------------------------------------------------------
// Names for screen readers over the whole window.

bool isJapanese(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x3000)
            return true;
    }
    return false;
}

QString accessibleName(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

TEST_F(CommandTableTest, EveryControlMenuAndButtonHasAJapaneseName)
{
    openWithMemos();
    // Controls: what takes the focus or is clicked, and the bars and menus.
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const bool control = widget->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QMenu*>(widget) || qobject_cast<QMenuBar*>(widget) ||
                             qobject_cast<QToolBar*>(widget);
        if (!control)
            continue;
        const QString name = accessibleName(widget);
        if (!isJapanese(name))
            unnamed.append(QString::fromLatin1(widget->metaObject()->className()) + u' ' +
                           widget->objectName() + u" \"" + name + u"\" in " + widget->parent()->objectName() +
                           u' ' + QString::fromLatin1(widget->parent()->metaObject()->className()));
    }
    EXPECT_TRUE(unnamed.isEmpty()) << qPrintable(unnamed.join(u'\n'));

    // Menu items: the caption as the menu shows it, without its accelerator.
    QStringList items;
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
        ASSERT_TRUE(iface);
        for (int index = 0; index < iface->childCount(); ++index) {
            QAccessibleInterface* item = iface->child(index);
            if (item->role() == QAccessible::Separator)
                continue;
            const QString name = item->text(QAccessible::Name);
            if (!isJapanese(name))
                items.append(menu->objectName() + u": \"" + name + u'"');
        }
    }
    // Captions that the link commands write.
    items.removeIf([](const QString& item) {
        return item.startsWith(u"mnuFindLink:"_s) || item.startsWith(u"mnuHelp:"_s);
    });
    EXPECT_TRUE(items.isEmpty()) << qPrintable(items.join(u'\n'));

    // Toolbar buttons and menus read as their captions without accelerators.
    auto* toolbar = window->findChild<QToolBar*>(u"Toolbar1"_s);
    EXPECT_EQ(accessibleName(toolbar->widgetForAction(window->commandAction("Save"))), u"保存"_s);
    EXPECT_EQ(accessibleName(menu(u"mnuFile"_s)), u"ファイル"_s);
    EXPECT_EQ(accessibleName(menu(u"popPopUp2"_s)), u"カテゴリリスト"_s);

    // A window too narrow for its menus keeps them reachable through the
    // named overflow menu.
    window->resize(200, 500);
    auto* more = window->menuBar()->findChild<QToolButton*>(u"qt_menubar_ext_button"_s);
    QTRY_VERIFY(more->isVisible());
    EXPECT_EQ(accessibleName(more->menu()), u"その他のメニュー"_s);
    QStringList hidden;
    for (QAction* action : more->menu()->actions())
        hidden.append(action->menu()->objectName());
    EXPECT_TRUE(hidden.contains(u"mnuHelp"_s)) << qPrintable(hidden.join(u' '));
}

TEST(CommandTableCaption, PlainCaptionDropsTheAccelerator)
{
    const std::pair<QString, QString> cases[] = {{u"終了(&X)"_s, u"終了"_s},
                                                 {u"ゴミ箱へ移動(&K)"_s, u"ゴミ箱へ移動"_s},
                                                 {u"すべて選択"_s, u"すべて選択"_s},
                                                 {u"&File"_s, u"File"_s},
                                                 {u"A && B"_s, u"A & B"_s}};
    for (const auto& [caption, plain] : cases)
        EXPECT_EQ(CommandTable::plainCaption(caption), plain) << qPrintable(caption);
}

} // namespace
