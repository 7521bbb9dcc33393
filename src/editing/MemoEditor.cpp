#include "editing/MemoEditor.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "app/Timestamp.h"
#include "editing/LoadingScope.h"
#include "editing/MemoText.h"
#include "editing/PlainContentsEdit.h"
#include "editing/SingleLineValidator.h"
#include "store/MemoFingerprint.h"
#include "store/MemoStore.h"
#include "tags/TagString.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kNew = QStringLiteral("New");
// A protected memo opened again within 0.003472 days (299.9808 seconds, about
// five minutes) of the last right answer asks no password.
constexpr qint64 kPasswordGraceMsecs = 299'980;

bool isCtrlOnly(const QKeyEvent* key)
{
    return (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

bool isCtrlShiftOnly(const QKeyEvent* key)
{
    return (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) ==
           (Qt::ControlModifier | Qt::ShiftModifier);
}

bool isEnter(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

MemoEditor::MemoEditor(MemoStore& store, Prompt& prompt, Clock& clock, QWidget* parent)
    : QWidget(parent), m_store(store), m_prompt(prompt), m_clock(clock)
{
    setObjectName(QStringLiteral("Panel3"));
    setAutoFillBackground(true);
    buildBoxes();
    InitUndoRedo();
    // A memo written elsewhere while the boxes show it unedited is shown anew.
    connect(&m_store.changes(), &MemoChanges::memoWritten, this, [this](qint64 id) {
        if (!m_isLoading && memoNumber() == QString::number(id))
            reloadShownMemo();
    });
}

QString MemoEditor::changedMeanwhileQuestion()
{
    return QStringLiteral("このメモは、読み込んだ後にほかの場所で変更されています。\n"
                          "上書きしますか？\n「いいえ」を選ぶと、新しいメモとして保存します。");
}

void MemoEditor::buildBoxes()
{
    m_lblNo = new QLabel(this);
    m_lblNo->setObjectName(QStringLiteral("lblNo"));
    showMemoNumber(kNew);
    m_lblNo->setToolTip(QStringLiteral("クリックすると現在のメモを保存します"));
    m_lblNo->setCursor(Qt::PointingHandCursor);
    m_lblNo->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    m_lblNo->installEventFilter(this);

    m_txtTitle = new QLineEdit(this);
    m_txtTitle->setObjectName(QStringLiteral("txtTitle"));
    m_txtTitle->setAccessibleName(QStringLiteral("タイトル"));
    m_txtCategory = new QLineEdit(this);
    m_txtCategory->setObjectName(QStringLiteral("txtCategory"));
    m_txtCategory->setAccessibleName(QStringLiteral("タグ"));
    for (QLineEdit* line : {m_txtTitle, m_txtCategory})
        line->setValidator(new SingleLineValidator(m_isLoading, line));
    m_txtContents = new PlainContentsEdit(this);
    m_txtContents->setObjectName(QStringLiteral("txtContents"));
    m_txtContents->setAccessibleName(QStringLiteral("メモの内容"));
    // The box keeps its own histories; the widget's would only hold a second copy.
    m_txtContents->setUndoRedoEnabled(false);

    for (QWidget* box : {static_cast<QWidget*>(m_txtTitle), static_cast<QWidget*>(m_txtCategory),
                         static_cast<QWidget*>(m_txtContents)})
        box->installEventFilter(this);

    connect(m_txtTitle, &QLineEdit::textChanged, this, [this] { recordChange(Box::Title); });
    connect(m_txtCategory, &QLineEdit::textChanged, this, [this] { recordChange(Box::Tags); });
    connect(m_txtContents, &QPlainTextEdit::textChanged, this, [this] { recordChange(Box::Contents); });

    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(4);
    titleRow->addWidget(m_lblNo);
    titleRow->addWidget(m_txtTitle, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(titleRow);
    layout->addWidget(m_txtCategory);
    layout->addWidget(m_txtContents, 1);
}

void MemoEditor::showMemoNumber(const QString& number)
{
    m_lblNo->setText(number);
    // A screen reader hears the number too, not only what the label is.
    m_lblNo->setAccessibleName(QStringLiteral("メモ番号 ") + number);
}

QString MemoEditor::memoNumber() const
{
    return m_lblNo->text();
}

bool MemoEditor::isNewMemo() const
{
    return m_lblNo->text() == kNew;
}

UndoHistory& MemoEditor::history(Box box)
{
    return m_histories[int(box)];
}

void MemoEditor::setEdit(bool edit)
{
    m_isEdit = edit;
    Q_EMIT editStateChanged(edit);
}

void MemoEditor::setContentsStyle(const QFont& font, const QColor& textColour)
{
    m_contentsFont = font;
    m_contentsColour = textColour;
    ApplyContentsFont();
}

void MemoEditor::ApplyContentsFont()
{
    // One font and one colour for the whole contents.
    m_txtContents->setFont(m_contentsFont);
    if (m_contentsColour.isValid()) {
        QPalette palette = m_txtContents->palette();
        palette.setColor(QPalette::Text, m_contentsColour);
        m_txtContents->setPalette(palette);
    }
}

QString MemoEditor::boxText(Box box) const
{
    switch (box) {
    case Box::Title:
        return m_txtTitle->text();
    case Box::Tags:
        return m_txtCategory->text();
    default:
        return m_txtContents->boxText();
    }
}

int MemoEditor::caret(Box box) const
{
    switch (box) {
    case Box::Title:
        return m_txtTitle->cursorPosition();
    case Box::Tags:
        return m_txtCategory->cursorPosition();
    default:
        return m_txtContents->textCursor().position();
    }
}

void MemoEditor::recordChange(Box box)
{
    if (m_isLoading)
        return;
    history(box).record(boxText(box), caret(box));
    setEdit(true);
    Q_EMIT textEdited();
}

void MemoEditor::InitUndoRedo()
{
    for (Box box : {Box::Contents, Box::Title, Box::Tags})
        history(box).reset(boxText(box), caret(box));
}

void MemoEditor::rewriteLine(Box box, const QString& text)
{
    QLineEdit* line = box == Box::Title ? m_txtTitle : m_txtCategory;
    if (line->text() == text)
        return;
    {
        LoadingScope loading(m_isLoading);
        line->setText(text);
    }
    history(box).record(text, line->cursorPosition());
}

void MemoEditor::apply(Box box, const UndoHistory::TextEdit& edit)
{
    {
        LoadingScope loading(m_isLoading);
        if (box == Box::Contents) {
            m_txtContents->applyEdit(edit);
        } else {
            QLineEdit* line = box == Box::Title ? m_txtTitle : m_txtCategory;
            QString text = line->text();
            text.replace(edit.position, edit.removeLength, edit.insertText);
            line->setText(text);
            line->setCursorPosition(edit.caret);
        }
    }
    m_isLoading = false;
    setEdit(true);
    Q_EMIT textEdited();
}

void MemoEditor::undo(Box box)
{
    if (const auto edit = history(box).undo())
        apply(box, *edit);
}

void MemoEditor::redo(Box box)
{
    if (const auto edit = history(box).redo())
        apply(box, *edit);
}

void MemoEditor::showMemo(const QString& title, const QString& tags, const QString& storedBody)
{
    LoadingScope loading(m_isLoading);
    m_txtTitle->setText(title);
    m_txtContents->setPlainText(MemoText::toEditor(storedBody));
    m_txtCategory->setText(tags);
    m_storedBody = storedBody;
    m_shownBody = boxText(Box::Contents);
    m_loadedFingerprint = MemoFingerprint::ofMemo(title, tags, storedBody);
    QTextCursor start = m_txtContents->textCursor();
    start.setPosition(0);
    m_txtContents->setTextCursor(start);
    ApplyContentsFont();
}

QString MemoEditor::storedContents() const
{
    return MemoText::toStoredKeeping(m_storedBody, m_shownBody, boxText(Box::Contents));
}

void MemoEditor::setSecurityPassword(const std::optional<QString>& password)
{
    m_securityPassword = password.value_or(QString());
    m_securityPasswordUnreadable = !password.has_value();
}

bool MemoEditor::askSecurityPassword(bool withGrace)
{
    if (m_securityPasswordUnreadable) {
        m_prompt.critical(QStringLiteral("設定ファイルのセキュリティパスワードを読み取れないため、このメモは開けません。\n"
                                         "オプションでセキュリティパスワードを設定し直してください。"));
        return false;
    }
    if (withGrace && m_lastPasswordTime && m_lastPasswordTime->msecsTo(m_clock.now()) <= kPasswordGraceMsecs)
        return true;
    // The main window leaves the always-on-top band while the dialog and its
    // messages show, and takes its place back whatever the answer.
    auto* mainWindow = qobject_cast<Form1*>(window());
    if (mainWindow)
        mainWindow->leaveTopmostBand();
    const auto backOnTop = qScopeGuard([mainWindow] {
        if (mainWindow)
            mainWindow->AlwaysOnTop2();
    });
    const QString entered = m_prompt.password(QStringLiteral("パスワードの入力"),
                                              QStringLiteral("このメモを開くためのパスワードを入力してください。"));
    if (entered.isEmpty()) {
        m_prompt.inform(QStringLiteral("パスワードが入力されていません。"));
        return false;
    }
    if (entered != m_securityPassword) {
        m_prompt.critical(QStringLiteral("パスワードが間違っています。"));
        return false;
    }
    // The grace period runs from the answer, not from when the question opened.
    if (withGrace)
        m_lastPasswordTime = m_clock.now();
    return true;
}

bool MemoEditor::askToOpenProtected()
{
    const bool passwordSet = !m_securityPassword.isEmpty() || m_securityPasswordUnreadable;
    // Another window asks every time: the grace period is the main window's.
    return !passwordSet || askSecurityPassword(false);
}

bool MemoEditor::askPasswordToRestore()
{
    if (m_securityPasswordUnreadable) {
        m_prompt.critical(
            QStringLiteral("設定ファイルのセキュリティパスワードを読み取れないため、このメモは開けません。\n"
                           "オプションでセキュリティパスワードを設定し直してください。"));
        return false;
    }
    if (m_securityPassword.isEmpty())
        return true;
    // Always asked: nothing was answered yet in this run, and a right answer
    // here does not spare the next protected memo its question.
    const QString entered =
        m_prompt.password(QStringLiteral("パスワードの入力"),
                          QStringLiteral("このメモを開くためのパスワードを入力してください。"));
    if (entered.isEmpty())
        return false;
    if (entered != m_securityPassword) {
        m_prompt.critical(QStringLiteral("パスワードが間違っています。"));
        return false;
    }
    return true;
}

MemoEditor::EditingState MemoEditor::editingState() const
{
    EditingState state;
    state.memoNumber = memoNumber();
    state.title = m_txtTitle->text();
    state.tags = m_txtCategory->text();
    state.storedBody = storedContents();
    state.isEdit = m_isEdit;
    state.isPassword = m_isPassword;
    state.caret = caret(Box::Contents);
    state.loadedFingerprint = m_loadedFingerprint;
    return state;
}

void MemoEditor::restoreEditingState(const EditingState& state)
{
    {
        LoadingScope loading(m_isLoading);
        showMemoNumber(state.memoNumber);
        m_txtTitle->setText(state.title);
        m_txtCategory->setText(state.tags);
        m_txtContents->setPlainText(MemoText::toEditor(state.storedBody));
        // A later save keeps the line breaks the body came back with.
        m_storedBody = state.storedBody;
        m_shownBody = boxText(Box::Contents);
        m_loadedFingerprint = state.loadedFingerprint;
        m_isPassword = state.isPassword;
        QTextCursor cursor = m_txtContents->textCursor();
        cursor.setPosition(std::clamp(state.caret, 0, int(m_shownBody.size())));
        m_txtContents->setTextCursor(cursor);
        ApplyContentsFont();
    }
    InitUndoRedo();
    setEdit(state.isEdit);
}

bool MemoEditor::LoadSelectedMemo(qint64 id)
{
    if (QString::number(id) == memoNumber())
        return false;
    if (QuerySaveModified() == 0)
        return false;

    std::optional<Memo> memo;
    {
        BusyCursor busy;
        try {
            memo = m_store.readMemo(id);
        } catch (const DatabaseError& error) {
            m_prompt.critical(error.userMessage());
            return false;
        }
    }
    if (memo) {
        const bool passwordSet = !m_securityPassword.isEmpty() || m_securityPasswordUnreadable;
        if (passwordSet && memo->isPass && !askSecurityPassword(true))
            return false;
        m_isPassword = memo->isPass;
        showMemoNumber(QString::number(id));
        showMemo(memo->title, memo->category, memo->body);
    }
    InitUndoRedo();
    setEdit(false);
    return memo.has_value();
}

void MemoEditor::reloadShownMemo()
{
    bool isNumber = false;
    const qint64 id = memoNumber().toLongLong(&isNumber);
    if (m_isEdit || !isNumber)
        return;
    std::optional<Memo> memo;
    try {
        memo = m_store.readMemo(id);
    } catch (const DatabaseError& error) {
        m_prompt.critical(error.userMessage());
        return;
    }
    if (!memo)
        return;
    if (memo->title == m_txtTitle->text() && memo->category == m_txtCategory->text() &&
        memo->body == storedContents() && memo->isPass == m_isPassword) {
        // The boxes show the stored memo: a later save checks against it.
        m_loadedFingerprint = MemoFingerprint::ofMemo(*memo);
        return;
    }
    m_isPassword = memo->isPass;
    showMemo(memo->title, memo->category, memo->body);
    InitUndoRedo();
}

int MemoEditor::QuerySaveModified()
{
    if (!m_isEdit)
        return 1;
    if (m_memoChangeAutoSave == 0) {
        switch (m_prompt.askYesNoCancel(QStringLiteral("メモの内容が変更されています。保存しますか？"))) {
        case PromptAnswer::Yes:
            return writeOrOfferDiscard() ? 1 : 0;
        case PromptAnswer::No:
            setEdit(false);
            return 1;
        default:
            return 0;
        }
    }
    if (m_memoChangeAutoSave == 1)
        return writeOrOfferDiscard() ? 1 : 0;
    return 1;
}

bool MemoEditor::writeOrOfferDiscard()
{
    if (WriteCurrentMemo())
        return true;
    // The failure was reported. A save that keeps failing must not keep the
    // user from going on: they choose whether the edits may go.
    const bool discard = m_prompt.askYesNo(QStringLiteral("メモを保存できなかったため、変更はまだ保存されていません。\n"
                                                          "変更を破棄して続けますか？\n"
                                                          "「いいえ」を選ぶと、変更は入力欄にそのまま残ります。"),
                                           PromptIcon::Exclamation);
    if (discard)
        setEdit(false);
    return discard;
}

bool MemoEditor::WriteCurrentMemo()
{
    BusyCursor busy;
    LoadingScope loading(m_isLoading);

    const QString contents = boxText(Box::Contents);
    const QString body = storedContents();
    const QString title = MemoText::titleToSave(m_txtTitle->text(), contents, m_autoTitle == 1);
    const QString tags = shortenTagString(m_txtCategory->text());
    const QString time = formatTimestamp(m_clock.now());
    WrittenMemo written{isNewMemo(), 0, title, QString(), tags, time, false};
    try {
        std::optional<SavedMemoState> previous;
        if (written.isNew) {
            written.id = m_store.insertMemo(title, body, tags, time);
        } else {
            written.id = memoNumber().toLongLong();
            // Written only when the stored memo is still what the boxes loaded.
            previous = m_store.updateMemo(written.id, title, body, tags, time, m_loadedFingerprint);
            if (previous && previous->changedMeanwhile) {
                switch (m_prompt.askYesNoCancel(changedMeanwhileQuestion(), PromptIcon::Exclamation)) {
                case PromptAnswer::Yes:
                    previous = m_store.updateMemo(written.id, title, body, tags, time);
                    break;
                case PromptAnswer::No:
                    // Both texts kept: the boxes become a memo of their own.
                    written.isNew = true;
                    written.id = m_store.insertMemo(title, body, tags, time);
                    break;
                default:
                    return false;
                }
            }
        }
        if (!written.isNew) {
            if (!previous) {
                m_prompt.critical(QStringLiteral("このメモ(%1)はデータベースにないため保存できません。\n"
                                                 "新規メモを作成して内容を移してください。")
                                      .arg(written.id));
                return false;
            }
            written.previousTags = previous->previousCategory;
            written.inTrash = previous->inTrash;
        }
    } catch (const DatabaseError& error) {
        m_prompt.critical(QStringLiteral("メモを保存できませんでした。\n") + error.userMessage());
        return false;
    }
    // The boxes show what was stored; their histories follow, so that undo
    // returns to the text the box had before.
    rewriteLine(Box::Title, title);
    rewriteLine(Box::Tags, tags);
    m_storedBody = body;
    m_shownBody = contents;
    m_loadedFingerprint = MemoFingerprint::ofMemo(title, tags, body);
    showMemoNumber(QString::number(written.id));
    Q_EMIT memoWritten(written);
    setEdit(false);
    return true;
}

void MemoEditor::clearForNewMemo(const QString& tags)
{
    LoadingScope loading(m_isLoading);
    showMemoNumber(kNew);
    m_txtTitle->clear();
    m_txtCategory->setText(tags);
    m_txtContents->clear();
    m_storedBody.clear();
    m_shownBody.clear();
    m_loadedFingerprint.clear();
    m_isPassword = false;
    Q_EMIT editStateChanged(false);
}

void MemoEditor::forgetStoredMemo()
{
    showMemoNumber(kNew);
    m_loadedFingerprint.clear();
    m_isPassword = false;
}

void MemoEditor::setTexts(const QString& title, const QString& tags, const QString& storedBody)
{
    {
        LoadingScope loading(m_isLoading);
        m_txtTitle->setText(title);
        m_txtCategory->setText(tags);
        m_txtContents->setPlainText(MemoText::toEditor(storedBody));
        m_storedBody = storedBody;
        m_shownBody = boxText(Box::Contents);
        m_loadedFingerprint.clear();
    }
    InitUndoRedo();
    setEdit(true);
}

void MemoEditor::mnuAllUndo()
{
    if (isNewMemo())
        return;
    std::optional<Memo> memo;
    {
        BusyCursor busy;
        try {
            memo = m_store.readMemo(memoNumber().toLongLong());
        } catch (const DatabaseError& error) {
            m_prompt.critical(error.userMessage());
            return;
        }
    }
    if (memo)
        showMemo(memo->title, memo->category, memo->body);
    InitUndoRedo();
    setEdit(false);
}

QString MemoEditor::selectedContents() const
{
    // The widget marks line breaks in a selection with U+2029.
    return m_txtContents->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

void MemoEditor::showTextLength()
{
    m_prompt.inform(QStringLiteral("現在編集しているメモの文字数は %1文字です。\n(改行は除く)")
                        .arg(MemoText::countCharacters(boxText(Box::Contents))));
}

void MemoEditor::showSelectedTextLength()
{
    m_prompt.inform(QStringLiteral("現在選択しているメモの文字数は %1文字です。\n(改行は除く)")
                        .arg(MemoText::countCharacters(selectedContents())));
}

QString MemoEditor::wordUnderCaret() const
{
    const QString padded = QLatin1Char(' ') + m_txtCategory->text() + QLatin1Char(' ');
    const int caret = m_txtCategory->cursorPosition() + 1;
    const int start = int(padded.lastIndexOf(QLatin1Char(' '), caret - 1)) + 1;
    const int end = int(padded.indexOf(QLatin1Char(' '), caret));
    return trimBlanks(padded.mid(start, end - start));
}

bool MemoEditor::handleKey(Box box, QKeyEvent* key)
{
    const bool ctrl = isCtrlOnly(key);
    if (ctrl && key->key() == Qt::Key_Z) {
        undo(box);
        return true;
    }
    if (ctrl && key->key() == Qt::Key_Y) {
        redo(box);
        return true;
    }
    switch (box) {
    case Box::Title:
        if (isEnter(key)) {
            (ctrl ? static_cast<QWidget*>(m_txtContents) : m_txtCategory)->setFocus();
            return true;
        }
        return false;
    case Box::Tags:
        if (isEnter(key)) {
            if (ctrl)
                Q_EMIT tagPickerRequested();
            else
                m_txtContents->setFocus();
            return true;
        }
        return false;
    case Box::Contents:
        if (ctrl && key->key() == Qt::Key_S) {
            Q_EMIT saveRequested();
            return true;
        }
        if (ctrl && (key->key() == Qt::Key_X || key->key() == Qt::Key_V)) {
            Q_EMIT(key->key() == Qt::Key_X ? cutRequested() : pasteRequested());
            return true;
        }
        if (ctrl && key->key() == Qt::Key_O) {
            Q_EMIT openLinkRequested();
            return true;
        }
        if (isCtrlShiftOnly(key) && key->key() == Qt::Key_F) {
            Q_EMIT webSearchRequested();
            return true;
        }
        // Shift+Enter breaks the line as Enter does, instead of inserting a
        // line separator that would be stored as a character of its own.
        if (isEnter(key) && key->modifiers() == Qt::ShiftModifier) {
            m_txtContents->insertPlainText(QStringLiteral("\n"));
            return true;
        }
        if (ctrl && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            m_txtContents->moveCursor(key->key() == Qt::Key_Up ? QTextCursor::Start : QTextCursor::End);
            return true;
        }
        return false;
    }
    return false;
}

bool MemoEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lblNo) {
        if (event->type() == QEvent::MouseButtonRelease)
            Q_EMIT saveRequested();
        return false;
    }
    const Box box = watched == m_txtTitle ? Box::Title : watched == m_txtCategory ? Box::Tags : Box::Contents;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Claim the keys before window shortcuts see them, then act on the press.
        if (event->type() == QEvent::ShortcutOverride) {
            const bool contentsKey =
                box == Box::Contents && (key->key() == Qt::Key_S || key->key() == Qt::Key_X ||
                                         key->key() == Qt::Key_V || key->key() == Qt::Key_O);
            const bool ours =
                (isCtrlOnly(key) && (key->key() == Qt::Key_Z || key->key() == Qt::Key_Y || contentsKey)) ||
                (box == Box::Contents && isCtrlShiftOnly(key) && key->key() == Qt::Key_F);
            if (ours)
                event->accept();
            return false;
        }
        return handleKey(box, key);
    }
    case QEvent::MouseButtonDblClick:
        if (watched == m_txtCategory) {
            Q_EMIT tagPickerRequested();
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (watched == m_txtCategory && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            static_cast<QMouseEvent*>(event)->modifiers() == Qt::ControlModifier) {
            const QString word = wordUnderCaret();
            if (!word.isEmpty())
                Q_EMIT tagClicked(word);
        }
        return false;
    default:
        return false;
    }
}
