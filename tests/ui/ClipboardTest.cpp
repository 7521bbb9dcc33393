// The clipboard commands through the main window, with the application's own
// clipboard (in-process under the offscreen platform): cut, copy and paste in
// the contents box by menu, toolbar and keys, copying the memo on screen and
// the selected memos, and a new memo from the clipboard.
#include "MainWindowFixture.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>
#include <QUrl>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kWrongPassword = u"パスワードが間違っています。"_s;
const QString kAskSave = u"メモの内容が変更されています。保存しますか？"_s;

QClipboard* clipboard()
{
    return QGuiApplication::clipboard();
}

class ClipboardTest : public MainWindowFixture
{
protected:
    MemoEditor& editor() { return window->editor(); }
    QString boxText() { return editor().boxText(MemoEditor::Box::Contents); }
    const UndoHistory& history() { return editor().undoHistory(MemoEditor::Box::Contents); }
    bool saveEnabled() const { return window->findChild<QAction*>(u"Save"_s)->isEnabled(); }

    // Selects box positions [from, to) of the contents box, which gets the focus.
    void selectInContents(int from, int to)
    {
        contents()->setFocus();
        QTextCursor cursor = contents()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        contents()->setTextCursor(cursor);
    }

    // Opens a window showing one stored memo with this body.
    void openMemo(const QString& storedBody)
    {
        const qint64 id = addMemo(u"title"_s, u"tag"_s, storedBody);
        open();
        chooseMemo(id);
        ASSERT_EQ(lblNo(), QString::number(id));
    }
};

// How a command is given: a menu item, a toolbar button or a key in the box.
struct Way
{
    const char* name;
    std::function<void(ClipboardTest&)> give;
};

void PrintTo(const Way& way, std::ostream* out)
{
    *out << way.name;
}

class ClipboardWayTest : public ClipboardTest, public ::testing::WithParamInterface<Way>
{
public:
    using MainWindowFixture::contents;
    using MainWindowFixture::triggerAction;
};

Way byAction(const char* name)
{
    return {name, [name](ClipboardTest& t) { static_cast<ClipboardWayTest&>(t).triggerAction(name); }};
}

Way byKey(const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    return {name, [key, modifiers](ClipboardTest& t) {
                QTest::keyClick(static_cast<ClipboardWayTest&>(t).contents(), key, modifiers);
            }};
}

std::string wayName(const ::testing::TestParamInfo<Way>& info)
{
    return info.param.name;
}

using CutTest = ClipboardWayTest;

TEST_P(CutTest, CutMovesTheSelectionToTheClipboardAsAnEditOfTheBox)
{
    openMemo(u"one\r\ntwo three"_s);
    clipboard()->setText(u"before"_s);

    // Nothing selected: nothing happens.
    selectInContents(3, 3);
    GetParam().give(*this);
    EXPECT_EQ(clipboard()->text(), u"before"_s);
    EXPECT_EQ(boxText(), u"one\ntwo three"_s);
    EXPECT_FALSE(saveEnabled());

    selectInContents(2, 6);
    GetParam().give(*this);
    EXPECT_EQ(clipboard()->text(), u"e\ntw"_s);
    EXPECT_EQ(boxText(), u"ono three"_s);
    EXPECT_EQ(contents()->textCursor().position(), 2);
    EXPECT_TRUE(saveEnabled());
    // The history holds what the box shows, and one undo brings the text back.
    EXPECT_EQ(history().currentText(), boxText());
    QTest::keyClick(contents(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(boxText(), u"one\ntwo three"_s);
    QTest::keyClick(contents(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(boxText(), u"ono three"_s);

    triggerAction("mnuSaveMemo");
    EXPECT_EQ(window->store().readMemo(lblNo().toLongLong())->body, u"ono three"_s);
}

INSTANTIATE_TEST_SUITE_P(Ways, CutTest,
                         ::testing::Values(byAction("mnuCut"), byAction("Cut"), byKey("CtrlX", Qt::Key_X)),
                         wayName);

using CopyTest = ClipboardWayTest;

TEST_P(CopyTest, CopyPutsTheSelectionOnTheClipboardAndLeavesTheBox)
{
    openMemo(u"one\r\ntwo \u00a0\tthree"_s);
    clipboard()->setText(u"before"_s);

    selectInContents(5, 5);
    GetParam().give(*this);
    EXPECT_EQ(clipboard()->text(), u"before"_s);

    // Selected backwards, across a line break, with a no-break space and a tab.
    selectInContents(11, 2);
    GetParam().give(*this);
    EXPECT_EQ(clipboard()->text(), u"e\ntwo \u00a0\tt"_s);
    // Plain text only: no formatting goes to the clipboard.
    EXPECT_EQ(clipboard()->mimeData()->formats(), QStringList{u"text/plain"_s});
    EXPECT_EQ(boxText(), u"one\ntwo \u00a0\tthree"_s);
    EXPECT_FALSE(saveEnabled());
    EXPECT_EQ(history().count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Ways, CopyTest,
                         ::testing::Values(byAction("mnuCopy"), byAction("Copy"), byKey("CtrlC", Qt::Key_C)),
                         wayName);

using PasteTest = ClipboardWayTest;

TEST_P(PasteTest, PasteReplacesTheSelectionWithTheClipboardTextAsAnEditOfTheBox)
{
    openMemo(u"abc\r\ndef"_s);
    // Line ends of other programs become line breaks of the box; every other
    // character arrives as it was.
    clipboard()->setText(u"x\r\ny\tz\u00a0\u2028w\nv"_s);

    selectInContents(1, 5);
    GetParam().give(*this);
    const QString pasted = u"ax\ny\tz\u00a0\u2028w\nvef"_s;
    EXPECT_EQ(boxText(), pasted);
    EXPECT_EQ(contents()->textCursor().position(), 11);
    EXPECT_TRUE(saveEnabled());
    EXPECT_EQ(history().currentText(), boxText());

    // One undo takes the whole paste back, the selection's text included.
    QTest::keyClick(contents(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(boxText(), u"abc\ndef"_s);
    QTest::keyClick(contents(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(boxText(), pasted);

    // Nothing selected: the text goes in at the caret.
    clipboard()->setText(u"!"_s);
    selectInContents(0, 0);
    GetParam().give(*this);
    EXPECT_EQ(boxText(), u"!"_s + pasted);
    EXPECT_EQ(history().currentText(), boxText());

    triggerAction("mnuSaveMemo");
    EXPECT_EQ(window->store().readMemo(lblNo().toLongLong())->body, u"!ax\r\ny\tz\u00a0\u2028w\r\nvef"_s);
}

TEST_P(PasteTest, PasteWithoutTextOnTheClipboardChangesNothing)
{
    openMemo(u"abc"_s);
    auto* picture = new QMimeData;
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(home.file(u"a.txt"_s))});
    auto* empty = new QMimeData;
    empty->setText(QString());
    for (QMimeData* data : {picture, files, empty}) {
        clipboard()->setMimeData(data);
        selectInContents(1, 2);
        GetParam().give(*this);
        EXPECT_EQ(boxText(), u"abc"_s) << data->formats().join(u' ').toStdString();
        EXPECT_FALSE(saveEnabled());
        EXPECT_EQ(history().count(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, PasteTest,
                         ::testing::Values(byAction("mnuPaste"), byAction("Paste"), byKey("CtrlV", Qt::Key_V),
                                           byKey("ShiftInsert", Qt::Key_Insert, Qt::ShiftModifier)),
                         wayName);

TEST_F(ClipboardTest, CopyingTheCurrentMemoPutsItsWholeBodyOnTheClipboard)
{
    openMemo(u"line1\r\nline2\r\n"_s);
    clipboard()->setText(u"before"_s);
    // From any control: the title box has the focus.
    title()->setFocus();
    triggerAction("mnuCopyCurrentMemo2Clipboard");
    EXPECT_EQ(clipboard()->text(), u"line1\nline2\n"_s);
    EXPECT_FALSE(saveEnabled());

    // An empty box empties the clipboard.
    selectInContents(0, int(boxText().size()));
    QTest::keyClick(contents(), Qt::Key_Delete);
    ASSERT_EQ(boxText(), QString());
    triggerAction("mnuCopyCurrentMemo2Clipboard");
    EXPECT_EQ(clipboard()->text(), QString());
    EXPECT_TRUE(clipboard()->mimeData()->hasFormat(u"text/plain"_s));
}

TEST_F(ClipboardTest, CopyingSelectedMemosPutsTheirBodiesInListOrder)
{
    const qint64 a = addMemo(u"ta"_s, u"x"_s, u"A1\r\nA2"_s);
    const qint64 b = addMemo(u"tb"_s, u"x"_s, u"B"_s);
    addMemo(u"tc"_s, u"x"_s, u"C"_s);
    open();
    chooseCategory(u"x"_s);
    clipboard()->setText(u"before"_s);

    // No row selected: the clipboard keeps what it had.
    memoList()->clearSelection();
    triggerAction("mnuCopyMemo2Clipboard");
    EXPECT_EQ(clipboard()->text(), u"before"_s);

    selectMemos({b, a});
    QString expected;
    for (qint64 id : memoRowIds())
        if (id == a || id == b)
            expected += id == a ? u"A1\nA2\n"_s : u"B\n"_s;
    triggerAction("mnuCopyMemo2Clipboard");
    EXPECT_EQ(clipboard()->text(), expected);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

struct LockedCase
{
    const char* name;
    const char* storedPassword; // the settings line's scrambled value
    QString answer;
    QStringList messages;
    bool copied;
    bool asked = true;
};

void PrintTo(const LockedCase& c, std::ostream* out)
{
    *out << c.name;
}

class LockedCopyTest : public ClipboardTest, public ::testing::WithParamInterface<LockedCase>
{
};

TEST_P(LockedCopyTest, CopyingProtectedMemosAsksForTheSecurityPassword)
{
    const LockedCase& c = GetParam();
    const qint64 open = addMemo(u"open"_s, u"x"_s, u"O"_s);
    const qint64 locked = addMemo(u"locked"_s, u"x"_s, u"secret"_s, false, true);
    prepare(u"[Security]\nPassword=%1\n"_s.arg(QLatin1String(c.storedPassword)));
    this->open();
    chooseCategory(u"x"_s);
    clipboard()->setText(u"before"_s);

    selectMemos({open, locked});
    prompt.passwords = {c.answer};
    triggerAction("mnuCopyMemo2Clipboard");

    if (!c.asked) {
        EXPECT_TRUE(prompt.shown.isEmpty());
        EXPECT_EQ(clipboard()->text(), u"O\nsecret\n"_s);
        return;
    }
    ASSERT_EQ(prompt.shown.size(), 1 + c.messages.size());
    EXPECT_EQ(prompt.shown[0].kind, ScriptedPrompt::Kind::Password);
    EXPECT_EQ(prompt.shown[0].title, u"パスワードの入力"_s);
    EXPECT_EQ(prompt.shown[0].text, u"このメモを開くためのパスワードを入力してください。"_s);
    EXPECT_EQ(prompt.messageTexts(), c.messages);
    EXPECT_EQ(clipboard()->text().contains(u"secret"_s), c.copied);
    if (!c.copied) {
        EXPECT_EQ(clipboard()->text(), u"before"_s);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, LockedCopyTest,
                         ::testing::Values(LockedCase{"right", "dcb", u"abc"_s, {}, true},
                                           LockedCase{"empty", "dcb", QString(), {}, false},
                                           LockedCase{"wrong", "dcb", u"abd"_s, {kWrongPassword}, false},
                                           // No security password: protected memos open
                                           // freely, and are copied with no question.
                                           LockedCase{"noPasswordSet", "", {}, {}, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, NewMemoFromTheClipboardIsSavedAtOnce)
{
    prepare(u"[General]\nMemoSaveAutoTitle=1\n"_s);
    open();
    chooseCategory(u"[ALL]"_s);
    clipboard()->setText(u"first line\r\nsecond\nthird\u00a0"_s);
    triggerAction("mnuClipboard2NewMemo");

    ASSERT_NE(lblNo(), u"New"_s);
    const std::optional<Memo> memo = window->store().readMemo(lblNo().toLongLong());
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->body, u"first line\r\nsecond\r\nthird\u00a0"_s);
    EXPECT_EQ(memo->title, u"first line"_s);
    EXPECT_EQ(memo->category, QString());
    EXPECT_EQ(boxText(), u"first line\nsecond\nthird\u00a0"_s);
    EXPECT_EQ(history().currentText(), boxText());
    EXPECT_FALSE(saveEnabled());
    EXPECT_EQ(memoRowIds(), QList<qint64>{memo->recordId});
    EXPECT_TRUE(prompt.shown.isEmpty());

    // Only a picture on the clipboard: a memo with an empty body all the same.
    auto* picture = new QMimeData;
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    clipboard()->setMimeData(picture);
    triggerAction("mnuClipboard2NewMemo");
    ASSERT_NE(lblNo(), QString::number(memo->recordId));
    EXPECT_EQ(window->store().readMemo(lblNo().toLongLong())->body, QString());
    EXPECT_EQ(memoRowIds().size(), 2);
}

TEST_F(ClipboardTest, NewMemoFromTheClipboardAsksAboutUnsavedEditsFirst)
{
    const qint64 id = addMemo(u"t"_s, u"tag"_s, u"body"_s);
    prepare(u"[General]\nMemoChangeAutoSave=0\n"_s);
    open();
    chooseMemo(id);
    type(contents(), u"!"_s);
    clipboard()->setText(u"from clipboard"_s);

    // Cancelled: the edits stay on screen and nothing is created.
    prompt.answers = {PromptAnswer::Cancel};
    triggerAction("mnuClipboard2NewMemo");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kAskSave});
    EXPECT_EQ(lblNo(), QString::number(id));
    EXPECT_EQ(boxText(), u"!body"_s);
    EXPECT_EQ(window->store().countMemos(), 1);

    // Saved first, then the new memo.
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuClipboard2NewMemo");
    EXPECT_EQ(window->store().readMemo(id)->body, u"!body"_s);
    EXPECT_EQ(window->store().countMemos(), 2);
    EXPECT_EQ(window->store().readMemo(lblNo().toLongLong())->body, u"from clipboard"_s);
}

} // namespace
