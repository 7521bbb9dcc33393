// Opening the selection as a link, the web searches and the help menu through
// the main window and a floating memo window, with the desktop replaced by an
// opener that records what would be opened.
#include "ui/LinkCommands.h"
#include "MainWindowFixture.h"
#include "editing/MemoEditor.h"
#include "exchange/WebSearch.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kNothingGiven = u"文字列が指定されていません"_s;
const QString kNotALink =
    u"エラー発生！\n\n選択文字列はファイル/フォルダ、URLもしくはメールアドレスではありません"_s;
const QString kOpenFailed = u"エラー発生！\n\n選択文字列を開くのに失敗しました。"_s;

// The searches of "メモ 帳" with engines 0 to 3.
const QString kSearches[] = {
    u"https://www.google.co.jp/search?num=50&hl=ja&ie=Shift_JIS&oe=Shift_JIS&q=%83%81%83%82%2B%92%A0"_s,
    u"https://search.yahoo.co.jp/search?p=%E3%83%A1%E3%83%A2%2B%E5%B8%B3&ei=UTF-8"_s,
    u"https://ja.wikipedia.org/wiki/%E3%83%A1%E3%83%A2+%E5%B8%B3"_s,
    u"https://www.amazon.co.jp/exec/obidos/external-search/?mode=blended&field-keywords=%E3%83%A1%E3%83%A2%2B%E5%B8%B3"_s,
};

struct RecordingOpener : UrlOpener
{
    QStringList opened; // fully encoded
    bool accept = true;
    bool openUrl(const QUrl& url) override
    {
        opened << QString::fromLatin1(url.toEncoded());
        return accept;
    }
};

class LinkCommandsTest : public MainWindowFixture
{
protected:
    RecordingOpener opener;

    void SetUp() override
    {
        prepare();
        memoId = addMemo(u"links"_s, u"tag"_s, u"メモ 帳\r\nhttps://example.jp/a\r\n   \r\n"_s);
        open();
        commands()->setOpener(&opener);
        chooseMemo(memoId);
    }

    LinkCommands* commands() const { return window->findChild<LinkCommands*>(u"LinkCommands"_s); }

    // Selects the text of line `line` (0-based) of a contents box.
    static void selectLine(QPlainTextEdit* box, int line)
    {
        box->setFocus();
        QTextCursor cursor(box->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
    }

    static void selectNothing(QPlainTextEdit* box)
    {
        box->setFocus();
        QTextCursor cursor = box->textCursor();
        cursor.clearSelection();
        box->setTextCursor(cursor);
    }

    QList<ScriptedPrompt::Shown> criticals() const
    {
        QList<ScriptedPrompt::Shown> found;
        for (const ScriptedPrompt::Shown& s : prompt.shown)
            if (s.kind == ScriptedPrompt::Kind::Message && s.icon == PromptIcon::Critical)
                found << s;
        return found;
    }

    qint64 memoId = 0;
};

TEST_F(LinkCommandsTest, SearchAndMakerItemsHaveTheirCaptions)
{
    const char* names[] = {"mnuFindLink0", "mnuFindLink1", "mnuFindLink2", "mnuFindLink3", "mnuMakerSite"};
    const QString captions[] = {u"Googleで検索する"_s, u"Yahooで検索する"_s, u"WikiPediaで検索する"_s,
                                u"Amazonで検索する"_s, u"Quillet プロジェクト"_s};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(window->commandAction(names[i])->text(), captions[i]) << names[i];
}

TEST_F(LinkCommandsTest, MenuCommandsOpenTheSelectionAndItsSearches)
{
    selectLine(contents(), 1);
    triggerAction("mnuOpenLink");
    selectLine(contents(), 0);
    for (const char* name : {"mnuFindLink0", "mnuFindLink1", "mnuFindLink2", "mnuFindLink3"})
        triggerAction(name);
    EXPECT_EQ(opener.opened, (QStringList{u"https://example.jp/a"_s, kSearches[0], kSearches[1], kSearches[2],
                                          kSearches[3]}));
    EXPECT_TRUE(prompt.messageTexts().isEmpty()) << prompt.messageTexts().join(u'|').toStdString();
}

TEST_F(LinkCommandsTest, ASelectionOverLinesOpensJoined)
{
    contents()->setFocus();
    QTextCursor cursor(contents()->document()->findBlockByNumber(1));
    cursor.setPosition(cursor.position() + 8);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    contents()->setTextCursor(cursor); // "example.jp/a" + line break: no web address
    triggerAction("mnuOpenLink");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kNotALink});
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(LinkCommandsTest, FailuresAreReportedWithTheirTexts)
{
    selectNothing(contents());
    triggerAction("mnuOpenLink");
    triggerAction("mnuFindLink2");
    // Blanks only: nothing to search for, but opening tries them and fails.
    selectLine(contents(), 2);
    triggerAction("mnuFindLink0");
    triggerAction("mnuOpenLink");
    // The desktop refuses.
    opener.accept = false;
    selectLine(contents(), 1);
    triggerAction("mnuOpenLink");
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{kNothingGiven, kNothingGiven, kNothingGiven, kNotALink, kOpenFailed}));
    EXPECT_EQ(criticals().size(), 5);
    EXPECT_EQ(opener.opened, QStringList{u"https://example.jp/a"_s});
}

TEST_F(LinkCommandsTest, HelpMenuOpensTheProjectPages)
{
    triggerAction("mnuOnlineHelp");
    triggerAction("mnuNewInfo");
    triggerAction("mnuMakerSite");
    EXPECT_EQ(opener.opened,
              (QStringList{u"https://quillet-app.github.io/manual/"_s,
                           u"https://quillet-app.github.io/news/"_s, u"https://quillet-app.github.io/"_s}));
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
}

TEST_F(LinkCommandsTest, HelpOpensTheManualThatExists)
{
    triggerAction("mnuHelp2");
    ASSERT_EQ(opener.opened.size(), 1);
    const QUrl url(opener.opened.first());
    ASSERT_TRUE(url.isLocalFile()) << opener.opened.first().toStdString();
    const QFileInfo manual(url.toLocalFile());
    EXPECT_EQ(manual.fileName(), u"manual.html"_s);
    EXPECT_TRUE(manual.isFile());
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
}

TEST_F(LinkCommandsTest, CtrlOAndCtrlShiftFInTheContentsBox)
{
    selectLine(contents(), 1);
    QTest::keyClick(contents(), Qt::Key_O, Qt::ControlModifier);
    selectLine(contents(), 0);
    QTest::keyClick(contents(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    // Another modifier combination does nothing.
    QTest::keyClick(contents(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(opener.opened, (QStringList{u"https://example.jp/a"_s, kSearches[0]}));
    EXPECT_EQ(window->editor().boxText(MemoEditor::Box::Contents), u"メモ 帳\nhttps://example.jp/a\n   \n"_s);
}

TEST_F(LinkCommandsTest, FloatingWindowOpensAndSearchesItsSelection)
{
    triggerAction("mnuViewer");
    frmViewer* viewer = window->floatingWindows().QueryViewerOpen(memoId);
    ASSERT_TRUE(viewer);
    QPlainTextEdit* box = viewer->txtContents();

    selectLine(box, 1);
    QTest::keyClick(box, Qt::Key_O, Qt::ControlModifier);
    selectLine(box, 0);
    QTest::keyClick(box, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);

    auto* menu = viewer->findChild<QMenu*>(u"popRightClick"_s);
    ASSERT_TRUE(menu);
    const auto item = [menu](const QString& name) {
        for (QAction* action : menu->findChildren<QAction*>())
            if (action->objectName() == name)
                return action;
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_TRUE(item(u"popOpenClick"_s));
    EXPECT_EQ(item(u"popOpenClick"_s)->text(), u"選択文字列から開く"_s);
    for (int engine = 0; engine < 4; ++engine) {
        QAction* search = item(u"mnuFindLink"_s + QString::number(engine));
        ASSERT_TRUE(search) << engine;
        EXPECT_EQ(search->text(),
                  window->commandAction(("mnuFindLink" + std::to_string(engine)).c_str())->text());
        search->trigger();
    }
    selectLine(box, 1);
    item(u"popOpenClick"_s)->trigger();

    EXPECT_EQ(opener.opened, (QStringList{u"https://example.jp/a"_s, kSearches[0], kSearches[0], kSearches[1],
                                          kSearches[2], kSearches[3], u"https://example.jp/a"_s}));
    EXPECT_TRUE(prompt.messageTexts().isEmpty()) << prompt.messageTexts().join(u'|').toStdString();
}

} // namespace
