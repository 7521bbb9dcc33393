// The security password through the window: protecting and unprotecting the
// selected memos, the check before selected memos are written out, the load
// gate's grace period, and saving a new security password.
#include "editing/PasswordCommands.h"
#include "MainWindowFixture.h"
#include "SilentPrompt.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "editing/MemoEditor.h"
#include "editing/PasswordScrambler.h"
#include "store/MemoStore.h"
#include "tags/MemoList.h"
#include "tags/MemoListIcons.h"

#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kWrong = u"パスワードが間違っています。"_s;
const QString kUnreadable = u"設定ファイルのセキュリティパスワードを読み取れません。\n"
                            u"オプションでセキュリティパスワードを設定し直してください。"_s;
const QString kProtectCaption = u"パスワード設定"_s;
const QString kProtectLabel =
    u"選択したメモをパスワード設定します。セキュリティパスワードを入力してください。"_s;
const QString kUnprotectCaption = u"パスワード設定の解除"_s;
const QString kUnprotectLabel =
    u"選択したメモのパスワード設定を解除します。セキュリティパスワードを入力してください。"_s;
const QString kOpenCaption = u"パスワードの入力"_s;
const QString kOpenLabel = u"このメモを開くためのパスワードを入力してください。"_s;
// "abc", scrambled as the settings file keeps it.
const QString kSecurityAbc = u"[Security]\nPassword=dcb\n"_s;
// The default security colour C00000 (0x00BBGGRR).
const QColor kSecurityColour(0, 0, 0xC0);

// Hands messages and password dialogs to the scripted prompt, noting at each
// password dialog whether the main window was in the always-on-top band.
class BandWatchingPrompt final : public SilentPrompt
{
public:
    explicit BandWatchingPrompt(ScriptedPrompt& script) : m_script(script) {}
    QWidget* window = nullptr;
    QList<bool> onTopAtPassword;

    PromptAnswer message(const PromptMessage& message) override { return m_script.message(message); }
    QString password(const QString& caption, const QString& label) override
    {
        onTopAtPassword.append(window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        return m_script.password(caption, label);
    }

private:
    ScriptedPrompt& m_script;
};

class PasswordCommandsTest : public MainWindowFixture
{
protected:
    BandWatchingPrompt watcher{prompt};

    // Opens the window with the band-watching prompt in front of the script.
    void openWatchingTheBand()
    {
        StartupResult startup = Startup(watcher, home.path()).run({});
        ASSERT_TRUE(startup.proceed);
        window = std::make_unique<Form1>(std::move(startup), watcher, clock);
        watcher.window = window.get();
        window->resize(1000, 700);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->finishStartup();
    }

    PasswordCommands& commands() const
    {
        auto* found = window->findChild<PasswordCommands*>(u"PasswordCommands"_s);
        EXPECT_TRUE(found);
        return *found;
    }
    bool locked(qint64 id) { return window->store().isMemoLocked(id); }
    bool onTop() const { return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

    // Selects the rows of these memos without showing any of them, so that a
    // protected one asks nothing.
    void selectQuietly(const QList<qint64>& ids)
    {
        QItemSelectionModel* selection = memoList()->selectionModel();
        selection->clearSelection();
        for (qint64 id : ids) {
            const int row = window->memoList().FindMemoRow(id) - 1;
            ASSERT_GE(row, 0) << "no memo row " << id;
            selection->select(memoList()->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QModelIndex cell(qint64 id, int column) const
    {
        const int row = window->memoList().FindMemoRow(id) - 1;
        EXPECT_GE(row, 0) << "no memo row " << id;
        return memoList()->model()->index(row, column);
    }
    // The number of the image in front of the memo's row; 0 for none.
    int shownImage(qint64 id) const
    {
        const auto icon = cell(id, 0).data(Qt::DecorationRole).value<QIcon>();
        for (int number = 1; number <= MemoListIcons::Count; ++number)
            if (!icon.isNull() && icon.cacheKey() == MemoListIcons::icon(number).cacheKey())
                return number;
        return 0;
    }
    // The text colour of the row and its three sub-items; invalid for the
    // list's own colour, and for cells that disagree.
    QColor rowColour(qint64 id) const
    {
        const QVariant first = cell(id, 0).data(Qt::ForegroundRole);
        for (int column = 1; column < 4; ++column)
            if (cell(id, column).data(Qt::ForegroundRole) != first)
                return QColor();
        return first.value<QColor>();
    }
    void expectShownProtected(qint64 id, bool isProtected)
    {
        SCOPED_TRACE(id);
        EXPECT_EQ(shownImage(id), isProtected ? MemoListIcons::Padlock : 0);
        EXPECT_EQ(rowColour(id), isProtected ? kSecurityColour : QColor());
    }
    QList<ScriptedPrompt::Shown> passwordDialogs() const
    {
        QList<ScriptedPrompt::Shown> dialogs;
        for (const auto& shown : prompt.shown)
            if (shown.kind == ScriptedPrompt::Kind::Password)
                dialogs.append(shown);
        return dialogs;
    }
};

TEST_F(PasswordCommandsTest, ProtectingWithTheSecurityPasswordLocksTheSelectedMemosAndPaintsTheirRows)
{
    const qint64 a = addMemo(u"a"_s, {});
    const qint64 flagged = addMemo(u"b"_s, {});
    const qint64 other = addMemo(u"c"_s, {});
    MemoStore(dbPath()).writeMemoIcon(flagged, 3);
    prepare(kSecurityAbc);
    open();
    selectMemos({a, flagged});

    prompt.passwords = {u"abc"_s};
    triggerAction("popSetSecurityPass");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown.first().kind, ScriptedPrompt::Kind::Password);
    EXPECT_EQ(prompt.shown.first().title, kProtectCaption);
    EXPECT_EQ(prompt.shown.first().text, kProtectLabel);
    EXPECT_TRUE(locked(a));
    EXPECT_TRUE(locked(flagged));
    EXPECT_FALSE(locked(other));
    // The memo on screen (the first one clicked) is now a protected one.
    ASSERT_EQ(lblNo(), QString::number(a));
    EXPECT_TRUE(window->editor().IsPassword());
    // At once, the padlock over the flag too, and the same after a fill.
    expectShownProtected(a, true);
    expectShownProtected(flagged, true);
    expectShownProtected(other, false);
    window->FillMemoList();
    expectShownProtected(a, true);
    expectShownProtected(flagged, true);
    expectShownProtected(other, false);
}

TEST_F(PasswordCommandsTest, UnprotectingShowsTheEmptyImageInTheListsColourUntilTheNextFill)
{
    const qint64 a = addMemo(u"a"_s, {}, {}, false, true);
    const qint64 flagged = addMemo(u"b"_s, {}, {}, false, true);
    const qint64 other = addMemo(u"c"_s, {}, {}, false, true);
    MemoStore(dbPath()).writeMemoIcon(flagged, 3);
    prepare(kSecurityAbc);
    open();
    selectQuietly({a, flagged});

    prompt.passwords = {u"abc"_s};
    triggerAction("popDeleteSecurityPass");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown.first().title, kUnprotectCaption);
    EXPECT_EQ(prompt.shown.first().text, kUnprotectLabel);
    EXPECT_FALSE(locked(a));
    EXPECT_FALSE(locked(flagged));
    EXPECT_TRUE(locked(other));
    for (qint64 id : {a, flagged}) {
        EXPECT_EQ(shownImage(id), MemoListIcons::Empty);
        EXPECT_EQ(rowColour(id), QColor());
    }
    expectShownProtected(other, true);
    // A fill shows each memo's own icon again.
    window->FillMemoList();
    EXPECT_EQ(shownImage(a), 0);
    EXPECT_EQ(shownImage(flagged), 3);
    EXPECT_EQ(rowColour(flagged), QColor());
}

TEST_F(PasswordCommandsTest, RefusedAnswersChangeNothing)
{
    const qint64 open1 = addMemo(u"open"_s, {});
    const qint64 closed = addMemo(u"closed"_s, {}, {}, false, true);
    open();
    struct Case
    {
        const char* name;
        const char* command;
        std::optional<QString> security; // nullopt: the stored one is unreadable
        QStringList answers;
        QStringList messages;
    };
    const Case cases[] = {
        {"protect, empty answer", "popSetSecurityPass", u"abc"_s, {QString()}, {kWrong}},
        {"protect, other letter case", "popSetSecurityPass", u"abc"_s, {u"ABC"_s}, {kWrong}},
        {"protect, answer to an empty password", "popSetSecurityPass", QString(), {u"x"_s}, {kWrong}},
        {"unprotect, empty answer", "popDeleteSecurityPass", u"abc"_s, {QString()}, {}},
        {"unprotect, wrong answer", "popDeleteSecurityPass", u"abc"_s, {u"abd"_s}, {kWrong}},
        // With no security password only the empty answer would match, and
        // unprotecting ends on it: protected memos then stay protected.
        {"unprotect, empty answer to an empty password", "popDeleteSecurityPass", QString(), {QString()}, {}},
        {"protect, unreadable password", "popSetSecurityPass", std::nullopt, {}, {kUnreadable}},
        {"unprotect, unreadable password", "popDeleteSecurityPass", std::nullopt, {}, {kUnreadable}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->editor().setSecurityPassword(c.security);
        selectQuietly({open1, closed});
        prompt.shown.clear();
        prompt.passwords.assign(c.answers.begin(), c.answers.end());
        triggerAction(c.command);
        EXPECT_TRUE(prompt.allAnswersUsed());
        EXPECT_EQ(passwordDialogs().size(), c.answers.size());
        EXPECT_EQ(prompt.messageTexts(), c.messages);
        if (!c.messages.isEmpty()) {
            EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
        }
        EXPECT_FALSE(locked(open1));
        EXPECT_TRUE(locked(closed));
        expectShownProtected(open1, false);
        expectShownProtected(closed, true);
    }
}

TEST_F(PasswordCommandsTest, WithoutASecurityPasswordTheEmptyAnswerProtects)
{
    const qint64 a = addMemo(u"a"_s, {});
    open();
    selectMemos({a});
    prompt.passwords = {QString()};
    triggerAction("popSetSecurityPass");
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_TRUE(locked(a));
    expectShownProtected(a, true);
}

TEST_F(PasswordCommandsTest, PasswordDialogsTakeTheWindowOutOfTheTopmostBandAndPutItBack)
{
    const qint64 plain = addMemo(u"plain"_s, {});
    const qint64 closed = addMemo(u"closed"_s, {}, u"hidden"_s, false, true);
    prepare(u"[Form]\nAlwaysOnTop=1\n"_s + kSecurityAbc);
    openWatchingTheBand();
    ASSERT_TRUE(onTop());
    selectQuietly({plain});

    const std::function<void()> steps[] = {
        [&] { triggerAction("popSetSecurityPass"); },    // right answer
        [&] { triggerAction("popDeleteSecurityPass"); }, // wrong answer
        [&] { EXPECT_FALSE(commands().CheckSelectionPassword()); },
        [&] { chooseMemo(closed); }, // the load gate, refused
        [&] { chooseMemo(closed); }, // and accepted
    };
    prompt.passwords = {u"abc"_s, u"x"_s, u"x"_s, u"x"_s, u"abc"_s};
    for (const auto& step : steps) {
        step();
        EXPECT_TRUE(onTop());
    }
    EXPECT_TRUE(prompt.allAnswersUsed());
    EXPECT_EQ(watcher.onTopAtPassword, (QList<bool>{false, false, false, false, false}));
    EXPECT_EQ(contents()->toPlainText(), u"hidden"_s);
}

TEST_F(PasswordCommandsTest, CheckSelectionPasswordAsksOnlyWhenASelectedMemoIsProtectedAndAPasswordIsSet)
{
    const qint64 a = addMemo(u"a"_s, {});
    const qint64 b = addMemo(u"b"_s, {});
    const qint64 closed = addMemo(u"closed"_s, {}, {}, false, true);
    open();
    struct Case
    {
        const char* name;
        QList<qint64> selection;
        std::optional<QString> security;
        QStringList answers;
        bool result;
        QStringList messages;
    };
    const Case cases[] = {
        {"nothing protected", {a, b}, u"abc"_s, {}, true, {}},
        {"nothing selected", {}, u"abc"_s, {}, true, {}},
        {"right answer", {a, closed}, u"abc"_s, {u"abc"_s}, true, {}},
        {"empty answer", {a, closed}, u"abc"_s, {QString()}, false, {}},
        {"wrong answer", {closed, b}, u"abc"_s, {u"ab"_s}, false, {kWrong}},
        // Without a security password protected memos open freely: no question.
        {"empty security password", {closed}, QString(), {}, true, {}},
        {"unreadable security password", {closed}, std::nullopt, {}, false, {kUnreadable}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->editor().setSecurityPassword(c.security);
        selectQuietly(c.selection);
        prompt.shown.clear();
        prompt.passwords.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(commands().CheckSelectionPassword(), c.result);
        EXPECT_TRUE(prompt.allAnswersUsed());
        const auto dialogs = passwordDialogs();
        ASSERT_EQ(dialogs.size(), c.answers.size());
        for (const auto& dialog : dialogs) {
            EXPECT_EQ(dialog.title, kOpenCaption);
            EXPECT_EQ(dialog.text, kOpenLabel);
        }
        EXPECT_EQ(prompt.messageTexts(), c.messages);
    }
}

TEST_F(PasswordCommandsTest, CheckSelectionPasswordReadsTheDatabaseAndHasNoGracePeriod)
{
    const qint64 a = addMemo(u"a"_s, {});
    const qint64 closed = addMemo(u"closed"_s, {}, u"hidden"_s, false, true);
    prepare(kSecurityAbc);
    open();
    // The memo was opened with the password a moment ago: the check asks anyway,
    // and again right after it was answered.
    prompt.passwords = {u"abc"_s, u"abc"_s, u"abc"_s};
    chooseMemo(closed);
    ASSERT_EQ(lblNo(), QString::number(closed));
    selectQuietly({closed});
    EXPECT_TRUE(commands().CheckSelectionPassword());
    EXPECT_TRUE(commands().CheckSelectionPassword());
    EXPECT_TRUE(prompt.allAnswersUsed());

    // Protected by another copy of Quillet after the list was filled: the row
    // does not show it, the database does.
    MemoStore(dbPath()).writeMemoLock(a, true);
    selectQuietly({a});
    prompt.passwords = {QString()};
    EXPECT_FALSE(commands().CheckSelectionPassword());
    EXPECT_TRUE(prompt.allAnswersUsed());
}

TEST_F(PasswordCommandsTest, ProtectedMemoAsksAgainOnceFiveMinutesHavePassed)
{
    const qint64 plain = addMemo(u"plain"_s, {});
    const qint64 closed = addMemo(u"closed"_s, {}, u"hidden"_s, false, true);
    prepare(kSecurityAbc);
    open();
    prompt.passwords = {u"abc"_s};
    chooseMemo(closed);
    ASSERT_EQ(passwordDialogs().size(), 1);

    // 0.003472 days are 299.9808 seconds: up to them no question, after them one.
    chooseMemo(plain);
    clock.time = clock.time.addMSecs(299'980);
    chooseMemo(closed);
    EXPECT_EQ(lblNo(), QString::number(closed));
    EXPECT_EQ(passwordDialogs().size(), 1);

    chooseMemo(plain);
    clock.time = clock.time.addMSecs(20); // five minutes to the millisecond
    prompt.passwords = {u"abc"_s};
    chooseMemo(closed);
    EXPECT_EQ(passwordDialogs().size(), 2);
    EXPECT_TRUE(prompt.allAnswersUsed());
    EXPECT_EQ(lblNo(), QString::number(closed));
}

TEST_F(PasswordCommandsTest, SavingTheSecurityPasswordReplacesTheWindowsPassword)
{
    const qint64 plain = addMemo(u"plain"_s, {});
    const qint64 closed = addMemo(u"closed"_s, {}, u"hidden"_s, false, true);
    open();
    // Without a security password protected memos open without a question.
    chooseMemo(closed);
    EXPECT_EQ(contents()->toPlainText(), u"hidden"_s);
    chooseMemo(plain);

    ASSERT_TRUE(PasswordCommands::saveSecurityPassword(*window, u"new"_s));
    EXPECT_EQ(window->editor().securityPassword(), u"new"_s);
    EXPECT_EQ(window->settings().read(Settings::Security::Password), u"xfo"_s);
    EXPECT_TRUE(window->store().readIsMemoPass());
    prompt.passwords = {u"new"_s};
    chooseMemo(closed);
    EXPECT_EQ(passwordDialogs().size(), 1);
    EXPECT_EQ(contents()->toPlainText(), u"hidden"_s);

    // A password that cannot be stored changes nothing, the window's included.
    EXPECT_FALSE(PasswordCommands::saveSecurityPassword(*window, u"\U0001F511"_s));
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"このパスワードには保存できない文字が含まれているため、設定できません。\n"
                          u"別のパスワードを入力してください。"_s});
    EXPECT_EQ(window->editor().securityPassword(), u"new"_s);
    EXPECT_EQ(window->settings().read(Settings::Security::Password), u"xfo"_s);

    ASSERT_TRUE(PasswordCommands::saveSecurityPassword(*window, QString()));
    EXPECT_EQ(window->editor().securityPassword(), QString());
    EXPECT_FALSE(window->store().readIsMemoPass());
}

} // namespace
