#include "ui/frmViewer.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/Timestamp.h"
#include "app/Twips.h"
#include "editing/MemoEditor.h"
#include "exchange/ClipboardText.h"
#include "exchange/EditorPass.h"
#include "exchange/EditorTable.h"
#include "exchange/EditorWaitWindow.h"
#include "exchange/ReadFileText.h"
#include "exchange/WebSearch.h"
#include "editing/LoadingScope.h"
#include "editing/MemoText.h"
#include "editing/PlainContentsEdit.h"
#include "editing/RestoreFile.h"
#include "editing/RestoreWriteTimer.h"
#include "store/DatabaseError.h"
#include "store/MemoFingerprint.h"
#include "store/MemoStore.h"
#include "ui/BusyCursor.h"
#include "ui/FirstLayout.h"
#include "ui/Form1.h"
#include "ui/LinkCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kNewMemoCaption = QStringLiteral("New Memo");

// The first `length` characters of `text`, never ending between the halves of a surrogate pair.
QString cutAt(const QString& text, int length)
{
    if (text.size() <= length)
        return text;
    int end = length;
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

bool clipboardHasText()
{
    return ClipboardText::pastableText(QApplication::clipboard()->mimeData()).has_value();
}

} // namespace

frmViewer::frmViewer(Form1& window) : QWidget(&window, Qt::Window), m_window(window)
{
    setObjectName(QStringLiteral("frmViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Viewer"));
    setAccessibleName(QStringLiteral("フローティングメモ"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar();
    layout->addWidget(m_toolbar);

    m_txtContents = new PlainContentsEdit(this);
    m_txtContents->setObjectName(QStringLiteral("txtContents"));
    m_txtContents->setAccessibleName(QStringLiteral("メモの内容"));
    // The window's own history replaces the box's, which would keep whole copies.
    m_txtContents->setUndoRedoEnabled(false);
    m_txtContents->setReadOnly(true);
    m_txtContents->installEventFilter(this);
    layout->addWidget(m_txtContents);

    connect(m_txtContents, &QPlainTextEdit::textChanged, this, &frmViewer::recordChange);
    connect(m_txtContents, &QPlainTextEdit::selectionChanged, this, &frmViewer::UpdateEditButtons);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &frmViewer::UpdateEditButtons);
    buildContextMenu();

    resize(defaultSize());
    // Unsaved text reaches the disk while the user types.
    m_keptTimer = new RestoreWriteTimer(
        [this] {
            if (m_isEdit && !m_isOuterEdit)
                writeKeptFiles(false);
        },
        this);
    // The memo written elsewhere while this window shows it unedited is shown anew.
    connect(&m_window.store().changes(), &MemoChanges::memoWritten, this, [this](qint64 id) {
        if (id == m_id && !m_isEdit && !m_isLoading && !m_isOuterEdit)
            showStoredNow();
    });
    SetSaved();
    UpdateEditButtons();
}

void frmViewer::showStoredNow()
{
    std::optional<FloatingMemoText> memo;
    try {
        memo = m_window.store().readMemoText(m_id);
    } catch (const DatabaseError&) {
        // Read again at the next change or save; the save's check guards the text.
        return;
    }
    if (!memo || MemoFingerprint::ofBody(memo->body) == m_loadedFingerprint)
        return;
    const int caret = m_txtContents->textCursor().position();
    showLoaded(*memo);
    QTextCursor cursor = m_txtContents->textCursor();
    cursor.setPosition(std::clamp(caret, 0, int(m_shownBody.size())));
    m_txtContents->setTextCursor(cursor);
    InitUndoRedo();
}

QAction* frmViewer::button(const char* key) const
{
    return m_toolbar->findChild<QAction*>(QString::fromLatin1(key));
}

void frmViewer::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setIconSize(QSize(16, 16));
    const struct
    {
        const char* key;
        QString text; // shown where the icon theme has no icon
        QString toolTip;
        const char* icon;
    } buttons[] = {
        {"Save", QStringLiteral("保存"), QStringLiteral("保存"), "document-save"},
        {"Edit", QStringLiteral("編集"), QStringLiteral("編集モード"), "document-edit"},
        {"OuterEdit", QStringLiteral("外部"), QStringLiteral("外部エディタで開く"),
         "accessories-text-editor"},
        {"Cut", QStringLiteral("切取"), QStringLiteral("選択文字列をカット"), "edit-cut"},
        {"Copy", QStringLiteral("コピー"), QStringLiteral("選択文字列をクリップボードにコピーする"),
         "edit-copy"},
        {"Paste", QStringLiteral("貼付"), QStringLiteral("クリップボードの中身を貼り付ける"), "edit-paste"},
        {"AlwaysOnTop", QStringLiteral("最前面"), QStringLiteral("常にトップに表示する"), "go-top"},
        {"Minimize", QStringLiteral("隠す"), QStringLiteral("最小化する"), "go-down"},
        {"Close", QStringLiteral("閉じる"), QStringLiteral("閉じる"), "window-close"},
    };
    for (const auto& entry : buttons) {
        auto* action = new QAction(QIcon::fromTheme(QString::fromLatin1(entry.icon)), entry.text, m_toolbar);
        action->setObjectName(QString::fromLatin1(entry.key));
        action->setToolTip(entry.toolTip);
        m_toolbar->addAction(action);
        const QString key = QString::fromLatin1(entry.key);
        if (key == QLatin1String("OuterEdit") || key == QLatin1String("Paste") ||
            key == QLatin1String("AlwaysOnTop"))
            m_toolbar->addSeparator();
    }
    button("Edit")->setCheckable(true);
    button("AlwaysOnTop")->setCheckable(true);

    auto* editors = new QMenu(this);
    editors->setObjectName(QStringLiteral("OuterEditMenu"));
    const std::pair<const char*, QString> editorItems[] = {
        {"Editor0", QStringLiteral("規定のエディタで開く")},
        {"Editor1", QStringLiteral("エディタ1で開く")},
        {"Editor2", QStringLiteral("エディタ2で開く")},
        {"Editor3", QStringLiteral("エディタ3で開く")}};
    for (const auto& [key, text] : editorItems)
        editors->addAction(text)->setObjectName(QString::fromLatin1(key));
    button("OuterEdit")->setMenu(editors);
    if (auto* outer = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(button("OuterEdit"))))
        outer->setPopupMode(QToolButton::MenuButtonPopup);
    connect(button("OuterEdit"), &QAction::triggered, this, [this] { OpenEditor(-1, false, true); });
    for (int index = 0; index < EditorTable::Count; ++index)
        connect(editors->actions().at(index), &QAction::triggered, this,
                [this, index] { OpenEditor(index, false, true); });
    updateEditorCaptions();

    connect(button("Save"), &QAction::triggered, this, [this] { SaveFloatingMemo(false, true); });
    connect(button("Edit"), &QAction::triggered, this, &frmViewer::ToggleEditMode);
    connect(button("Cut"), &QAction::triggered, this, &frmViewer::cut);
    connect(button("Copy"), &QAction::triggered, this, [this] { m_txtContents->copy(); });
    connect(button("Paste"), &QAction::triggered, this, &frmViewer::paste);
    connect(button("AlwaysOnTop"), &QAction::triggered, this, &frmViewer::AlwaysOnTop);
    connect(button("Minimize"), &QAction::triggered, this, &QWidget::hide);
    connect(button("Close"), &QAction::triggered, this, &QWidget::close);
}

void frmViewer::updateEditorCaptions()
{
    const EditorTable& table = m_window.editorTable();
    const QList<QAction*> items = button("OuterEdit")->menu()->actions();
    // Entry 0 keeps its caption; the others carry the configured names.
    for (int index = 1; index < EditorTable::Count; ++index)
        items.at(index)->setText(table.openCaption(index));
}

void frmViewer::OpenEditor(int index, bool close, bool askReflect)
{
    if (index < 0)
        index = m_window.editorTable().defaultIndex();
    m_isLoading = false;
    m_isOuterEdit = true;
    const bool wasShown = isVisible();
    hide();

    EditorPass::Request request;
    request.tmpBasePath = m_window.profile().tmpBasePath;
    request.recordId = m_id > 0 ? m_id : -1;
    request.title = m_id > 0 ? m_title : QString();
    // The file holds the memo as it is stored, CR LF line breaks included.
    request.text = storedText();
    request.editorIndex = index;
    request.editorPath = EditorTable::readPath(m_window.IniFilePath(), index);

    EditorPass pass(m_window.prompt());
    m_pass = &pass;
    EditorWaitWindow wait(pass);
    // Each text the editor saves comes into the box and is saved at once (the
    // pass takes no second text while a save still asks its questions).
    connect(&pass, &EditorPass::textTaken, this, [this, askReflect, &pass](const QString& text) {
        // Recorded like typing, so that undo returns to the text before.
        m_txtContents->setPlainText(MemoText::toEditor(text));
        if (!SaveFloatingMemo(true, askReflect))
            keepUnsavedEditorText(pass);
    });
    const QPointer<frmViewer> self(this);
    pass.exec(request);
    // The program is ending: the window has written what it keeps, and the
    // editor keeps the memo's file.
    if (!self || pass.outcome() == EditorPass::Outcome::Abandoned)
        return;
    m_pass = nullptr;

    m_isOuterEdit = false;
    if (close) {
        this->close();
        return;
    }
    m_isLoading = false;
    // Saved only when the box now holds the stored text.
    followSavedState();
    if (wasShown) {
        show();
        AlwaysOnTop2();
    }
}

void frmViewer::keepUnsavedEditorText(EditorPass& pass)
{
    // The memo is gone, the save was refused or it failed: the editor's text
    // goes into a memo of its own, or stays in its file.
    if (m_window.prompt().askYesNo(QStringLiteral("外部エディタで編集した内容を保存できませんでした。\n"
                                                  "新しいメモとして保存しますか？\n"
                                                  "「いいえ」を選ぶと、編集したファイルを次の場所に残します。\n") +
                                       pass.filePath(),
                                   PromptIcon::Exclamation)) {
        const qint64 former = m_id;
        m_id = -1;
        LoadingScope loading(m_isLoading);
        if (WriteFloatingMemo()) {
            SetSaved();
            return;
        }
        m_id = former;
    }
    pass.keepFileAtEnd();
}

void frmViewer::buildContextMenu()
{
    auto* menu = new QMenu(QStringLiteral("右クリックメニュー"), this);
    menu->setObjectName(QStringLiteral("popRightClick"));
    const auto add = [this, menu](const char* name, const QString& text, void (frmViewer::*slot)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add("popUndo", QStringLiteral("元に戻す"), &frmViewer::undo);
    add("popRedo", QStringLiteral("やり直し"), &frmViewer::redo);
    menu->addSeparator();
    QAction* popCut = add("popCut", QStringLiteral("切り取り"), &frmViewer::cut);
    QAction* popCopy = menu->addAction(QStringLiteral("コピー"));
    popCopy->setObjectName(QStringLiteral("popCopy"));
    connect(popCopy, &QAction::triggered, m_txtContents, &QPlainTextEdit::copy);
    QAction* popPaste = add("popPaste", QStringLiteral("貼り付け"), &frmViewer::paste);
    menu->addSeparator();
    add("popOpenClick", QStringLiteral("選択文字列から開く"), &frmViewer::openSelection);
    QMenu* findLink = menu->addMenu(QStringLiteral("選択文字列を検索エンジンで検索する"));
    findLink->setObjectName(QStringLiteral("mnuFindLink"));
    for (int engine = 0; engine < WebSearch::EngineCount; ++engine) {
        const QString name = QStringLiteral("mnuFindLink") + QString::number(engine);
        QAction* search = findLink->addAction(m_window.commandAction(name.toLatin1().constData())->text());
        search->setObjectName(name);
        connect(search, &QAction::triggered, this, [this, engine] { searchSelection(engine); });
    }
    // The items follow the rules of the toolbar buttons.
    connect(menu, &QMenu::aboutToShow, this, [this, popCut, popCopy, popPaste] {
        UpdateEditButtons();
        popCut->setEnabled(button("Cut")->isEnabled());
        popCopy->setEnabled(button("Copy")->isEnabled());
        popPaste->setEnabled(button("Paste")->isEnabled());
    });
    m_txtContents->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_txtContents, &QWidget::customContextMenuRequested, this, [this, menu](const QPoint& point) {
        menu->popup(m_txtContents->viewport()->mapToGlobal(point));
    });
}

QString frmViewer::settingsPath() const
{
    return m_window.profile().iniBasePath + keptStem() + QStringLiteral(".ini");
}

QString frmViewer::restorePath() const
{
    return m_window.profile().iniBasePath + keptStem() + QStringLiteral(".txt");
}

std::optional<qint64> frmViewer::idOfKeptStem(const QString& stem)
{
    static const QRegularExpression pattern(QStringLiteral("^([1-9][0-9]{0,17}|new)(_[1-9][0-9]{0,5})?$"));
    const QRegularExpressionMatch match = pattern.match(stem);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1) == QLatin1String("new") ? -1 : match.captured(1).toLongLong();
}

QString frmViewer::keptStem() const
{
    if (!m_keptStem.isEmpty())
        return m_keptStem;
    return m_id > 0 ? QString::number(m_id) : QStringLiteral("new");
}

void frmViewer::claimKeptStem()
{
    const qint64 id = m_id > 0 ? m_id : -1;
    if (!m_keptStem.isEmpty() && idOfKeptStem(m_keptStem) == id)
        return;
    // Files under the memo's former number (it became a new memo, or a new
    // memo was saved) go; the window takes a name no other window holds.
    removeKeptFiles();
    const QString folder = m_window.profile().iniBasePath;
    const QString base = id > 0 ? QString::number(id) : QStringLiteral("new");
    for (int n = 1; n < 100000; ++n) {
        const QString stem = n == 1 ? base : base + QLatin1Char('_') + QString::number(n);
        if (!QFile::exists(folder + stem + QStringLiteral(".ini")) &&
            !QFile::exists(folder + stem + QStringLiteral(".txt"))) {
            m_keptStem = stem;
            return;
        }
    }
}

void frmViewer::removeKeptFiles()
{
    m_keptTimer->stop();
    if (m_keptStem.isEmpty())
        return;
    QFile::remove(settingsPath());
    QFile::remove(restorePath());
    m_keptStem.clear();
}

QString frmViewer::boxText() const
{
    return m_txtContents->boxText();
}

QString frmViewer::storedText() const
{
    return MemoText::toStoredKeeping(m_storedBody, m_shownBody, boxText());
}

void frmViewer::showStored(const QString& stored)
{
    LoadingScope loading(m_isLoading);
    m_txtContents->setPlainText(MemoText::toEditor(stored));
    m_storedBody = stored;
    m_shownBody = boxText();
    QTextCursor start = m_txtContents->textCursor();
    start.setPosition(0);
    m_txtContents->setTextCursor(start);
}

void frmViewer::setCaption(const QString& title)
{
    m_title = title;
    setWindowTitle(QString::number(m_id) + QLatin1Char(':') + title);
}

void frmViewer::SetFontColor()
{
    QFont font(m_window.floatingMemoFontName());
    font.setPointSizeF(m_window.floatingMemoFontSize());
    m_txtContents->setFont(font);
    // The contents colours of the main window.
    const QPalette main = m_window.editor().txtContents()->palette();
    QPalette palette = m_txtContents->palette();
    palette.setColor(QPalette::Text, main.color(QPalette::Text));
    palette.setColor(QPalette::Base, main.color(QPalette::Base));
    m_txtContents->setPalette(palette);
    QTextCursor start = m_txtContents->textCursor();
    start.setPosition(0);
    m_txtContents->setTextCursor(start);
}

void frmViewer::AlwaysOnTop()
{
    const bool on = button("AlwaysOnTop")->isChecked();
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) != on) {
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
        // Changing window flags hides the window; show it again where it was.
        if (visible)
            show();
    }
    m_window.AlwaysOnTop2();
}

void frmViewer::AlwaysOnTop2()
{
    if (button("AlwaysOnTop")->isChecked() && !(windowFlags() & Qt::WindowStaysOnTopHint)) {
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        if (visible)
            show();
    }
}

void frmViewer::IntoEditMode()
{
    button("Edit")->setChecked(true);
    applyEditMode(true);
}

void frmViewer::applyEditMode(bool edit)
{
    m_editMode = edit;
    m_txtContents->setReadOnly(!edit);
    if (!edit)
        button("Save")->setEnabled(false);
    UpdateEditButtons();
}

void frmViewer::ToggleEditMode(bool pressed)
{
    if (pressed) {
        applyEditMode(true);
        return;
    }
    if (!ConfirmUnsaved()) {
        button("Edit")->setChecked(true);
        UpdateEditButtons();
        return;
    }
    applyEditMode(false);
}

bool frmViewer::ConfirmUnsaved()
{
    if (!m_isEdit)
        return true;
    switch (m_window.prompt().askYesNoCancel(
        QStringLiteral("保存されていません。保存しますか？\n"
                       "(保存しない場合は保存した内容は破棄される可能性があります)"))) {
    case PromptAnswer::Yes:
        // A save that did not happen keeps the window in edit mode with its text.
        return SaveFloatingMemo(false, true);
    case PromptAnswer::No:
        return true;
    default:
        return false;
    }
}

void frmViewer::UpdateEditButtons()
{
    const bool selection = m_txtContents->textCursor().hasSelection();
    button("Copy")->setEnabled(selection);
    button("Cut")->setEnabled(m_editMode && selection);
    button("Paste")->setEnabled(m_editMode && clipboardHasText());
}

void frmViewer::SetSaved()
{
    button("Save")->setEnabled(false);
    m_isEdit = false;
    // Nothing unsaved remains: nothing to keep on disk until the program ends.
    removeKeptFiles();
}

void frmViewer::setEdit(bool edit)
{
    m_isEdit = edit;
    button("Save")->setEnabled(edit);
}

void frmViewer::InitUndoRedo()
{
    m_history.reset(boxText(), m_txtContents->textCursor().position());
}

void frmViewer::recordChange()
{
    if (m_isLoading)
        return;
    const QString text = boxText();
    // A change of format alone leaves the text as it was: nothing to record.
    if (text == m_history.lastText() && m_history.current() == m_history.count())
        return;
    m_history.record(text, m_txtContents->textCursor().position());
    setEdit(true);
    m_keptTimer->changed();
}

void frmViewer::followSavedState()
{
    if (m_savedShown && boxText() == *m_savedShown)
        SetSaved();
    else
        setEdit(true);
}

void frmViewer::undo()
{
    if (const auto edit = m_history.undo())
        applyHistoryStep(*edit);
    else
        followSavedState();
}

void frmViewer::redo()
{
    if (const auto edit = m_history.redo())
        applyHistoryStep(*edit);
}

void frmViewer::applyHistoryStep(const UndoHistory::TextEdit& edit)
{
    {
        LoadingScope loading(m_isLoading);
        m_txtContents->applyEdit(edit);
    }
    followSavedState();
    m_keptTimer->changed();
}

void frmViewer::cut()
{
    if (m_editMode && m_txtContents->textCursor().hasSelection())
        m_txtContents->cut();
}

void frmViewer::paste()
{
    // The box takes only plain text, as for every other way of pasting.
    if (m_editMode)
        m_txtContents->paste();
}

bool frmViewer::MemoLoad()
{
    LoadingScope loading(m_isLoading);
    std::optional<FloatingMemoText> memo;
    try {
        memo = m_window.store().readMemoText(m_id);
    } catch (const DatabaseError& error) {
        m_window.prompt().critical(error.userMessage());
        m_isClose = true;
        return false;
    }
    if (!memo) {
        m_window.prompt().critical(QStringLiteral("メモが見つかりません。"));
        m_isClose = true;
        return false;
    }
    m_isPassword = memo->isPass;
    if (m_isPassword && !m_window.editor().askToOpenProtected()) {
        m_isClose = true;
        return false;
    }
    showLoaded(*memo);
    return true;
}

void frmViewer::showLoaded(const FloatingMemoText& memo)
{
    setCaption(memo.title);
    showStored(memo.body);
    m_savedShown = m_shownBody;
    m_loadedFingerprint = MemoFingerprint::ofBody(memo.body);
}

bool frmViewer::SaveFloatingMemo(bool forced, bool askReflect)
{
    LoadingScope loading(m_isLoading);
    MemoEditor& main = m_window.editor();
    Prompt& prompt = m_window.prompt();
    const bool sameMemo = (forced || m_editMode) && m_id > 0 && main.memoNumber() == QString::number(m_id);
    if (sameMemo) {
        const bool mainEdited = main.IsEdit();
        if (mainEdited &&
            !prompt.askYesNo(QStringLiteral("メイン画面にて編集中です。それでも保存しますか？")))
            return false;
        if (!WriteFloatingMemo())
            return false;
        // An unmodified main window has followed the save by itself; one with
        // edits of its own takes the saved text only when the user says so.
        if (mainEdited &&
            (!askReflect ||
             prompt.askYesNo(QStringLiteral("メインのメモに反映しますか？\n"
                                            "（メインのメモに反映すると、メインのメモで編集中の内容は破棄されます）")))) {
            // The main window shows the memo as stored now, its own edits
            // (title and tags too) given up as the question said.
            main.discardChanges();
            main.reloadShownMemo();
        }
    } else if (!WriteFloatingMemo()) {
        return false;
    }
    SetSaved();
    return true;
}

QString frmViewer::askNewMemoTitle(const QString& stored)
{
    const qsizetype lineEnd = stored.indexOf(QStringLiteral("\r\n"));
    const QString proposal = cutAt(!m_newTitle.isEmpty() ? m_newTitle : lineEnd < 0 ? stored : stored.left(lineEnd),
                                   MemoText::MaxTitleLength);
    const std::optional<QString> answer = m_window.prompt().inputText(
        QStringLiteral("タイトルを入力"), QStringLiteral("新規メモのタイトルを入力してください。"), proposal);
    if (!answer || answer->isEmpty())
        return proposal;
    return cutAt(*answer, MemoText::MaxTitleLength);
}

bool frmViewer::WriteFloatingMemo()
{
    const QString stored = storedText();
    const QString shown = boxText();
    MemoStore& store = m_window.store();
    try {
        bool asNew = m_id <= 0;
        if (!asNew) {
            const QString now = formatTimestamp(m_window.clock().now());
            bool changedMeanwhile = false;
            std::optional<Memo> before;
            {
                BusyCursor busy;
                // Written only when the stored body is still what the window loaded.
                before = store.updateMemoBody(m_id, stored, now, m_loadedFingerprint, &changedMeanwhile);
            }
            if (before && changedMeanwhile) {
                switch (m_window.prompt().askYesNoCancel(MemoEditor::changedMeanwhileQuestion(),
                                                         PromptIcon::Exclamation)) {
                case PromptAnswer::Yes: {
                    BusyCursor busy;
                    before = store.updateMemoBody(m_id, stored, now);
                    break;
                }
                case PromptAnswer::No:
                    // Both texts kept: the window's becomes a memo of its own.
                    asNew = true;
                    if (m_newTitle.isEmpty())
                        m_newTitle = before->title;
                    if (m_newTags.isEmpty())
                        m_newTags = before->category.trimmed();
                    break;
                default:
                    return false;
                }
            }
            if (!before) {
                m_window.prompt().critical(
                    QStringLiteral("このメモはデータベースにないため、保存できませんでした。"));
                return false;
            }
            if (!asNew) {
                const QString tags = before->category.trimmed();
                m_window.UpdateLists({false, m_id, before->title, tags, tags, now, before->isTrash});
            }
        }
        if (asNew)
            insertAsNewMemo(stored);
    } catch (const DatabaseError& error) {
        // The text stays in the window, still unsaved.
        m_window.prompt().critical(error.userMessage());
        return false;
    }
    m_storedBody = stored;
    m_shownBody = shown;
    m_savedShown = shown;
    m_loadedFingerprint = MemoFingerprint::ofBody(stored);
    m_newTitle.clear();
    m_newTags.clear();
    return true;
}

void frmViewer::insertAsNewMemo(const QString& stored)
{
    const QString title = askNewMemoTitle(stored);
    // The tag dialog shows above every window, this one included.
    const bool wasOnTop = bool(windowFlags() & Qt::WindowStaysOnTopHint);
    if (wasOnTop && !m_isOuterEdit) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        show();
    }
    m_window.leaveTopmostBand();
    const QString chosen = m_window.prompt().chooseTags(m_newTags, m_window.GetCatName().split(u' '));
    m_window.AlwaysOnTop2();
    if (!m_isOuterEdit)
        AlwaysOnTop2();
    const QString tags = chosen.trimmed();
    const QString now = formatTimestamp(m_window.clock().now());
    qint64 id = 0;
    {
        BusyCursor busy;
        id = m_window.store().insertMemo(title, stored, tags, now);
    }
    m_id = id;
    m_isPassword = false;
    setCaption(title);
    m_window.UpdateLists({true, id, title, QString(), tags, now, false});
}

void frmViewer::closeEvent(QCloseEvent* event)
{
    // A window whose memo is out in an external editor stays until the pass
    // ends: the pass runs on it.
    if (m_isOuterEdit) {
        event->ignore();
        return;
    }
    if (m_isRestoration && holdsSomethingToKeep())
        writeKeptFiles(true);
    else
        removeKeptFiles();
    event->accept();
}

bool frmViewer::holdsSomethingToKeep() const
{
    // A stored memo keeps its window; a new one only with text in it.
    return m_id > 0 || m_isEdit || !boxText().isEmpty() || m_pass;
}

void frmViewer::writeKeptFilesAtEnd()
{
    if (holdsSomethingToKeep())
        writeKeptFiles(false);
}

void frmViewer::keepForTermination()
{
    writeKeptFilesAtEnd();
    if (m_pass)
        m_pass->abandon();
}

bool frmViewer::writeKeptFiles(bool report)
{
    using namespace Settings::FloatingWindow;
    m_keptTimer->stop();
    claimKeptStem();
    const SettingsFile settings(settingsPath());
    {
        const SettingsFile::Batch batch(settings);
        const double dpi = logicalDpiX();
        const int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
        settings.write(WindowMaximize, state);
        if (state == 0) {
            settings.write(Top, Twips::fromPixels(y(), dpi));
            settings.write(Left, Twips::fromPixels(x(), dpi));
            settings.write(Height, Twips::fromPixels(height(), dpi));
            settings.write(Width, Twips::fromPixels(width(), dpi));
        }
        settings.write(EditMode, m_editMode ? 1 : 0);
        settings.write(Settings::FloatingWindow::AlwaysOnTop, button("AlwaysOnTop")->isChecked() ? 1 : 0);
    }

    RestoreFile::FloatingState kept;
    kept.databasePath = RestoreFile::databaseKey(m_window.DBPath());
    kept.memoFingerprint = m_id > 0 ? m_loadedFingerprint : QString();
    if (m_pass && m_pass->isRunning()) {
        kept.editorFile = m_pass->filePath();
        kept.editorFingerprint = m_pass->fileFingerprint();
    }
    kept.newTitle = m_newTitle;
    kept.newTags = m_newTags;
    kept.caret = m_txtContents->textCursor().position();
    kept.recordId = m_id > 0 ? m_id : -1;
    kept.isEdit = m_isEdit;
    kept.isPassword = m_isPassword;
    kept.caption = windowTitle();
    kept.text = storedText();
    QString error;
    if (RestoreFile::write(restorePath(), RestoreFile::formatFloating(kept), &error))
        return true;
    if (report && m_isEdit)
        m_window.prompt().critical(QStringLiteral("フローティングメモの復帰用ファイルを書き込めませんでした。"
                                                  "保存していない変更は失われます。\n%1\n%2")
                                       .arg(restorePath(), error));
    return false;
}

bool frmViewer::showRecovered(const QString& title, const QString& tags, const QString& storedBody)
{
    m_newTitle = title;
    m_newTags = tags;
    IntoEditMode();
    showStored(storedBody);
    m_savedShown.reset();
    SetFontColor();
    setEdit(true);
    InitUndoRedo();
    return writeKeptFiles(true);
}

void frmViewer::restoreFailed()
{
    m_window.prompt().critical(QStringLiteral("メモの復帰に失敗しました。"));
    // The file keeps what could not be brought back, out of the way of the next close.
    if (QFile::exists(restorePath()))
        RestoreFile::keepAside(restorePath(), m_window.clock().now());
    QFile::remove(settingsPath());
    m_keptStem.clear();
    m_isClose = true;
}

QSize frmViewer::defaultSize() const
{
    const QScreen* shown = screen();
    return FirstLayout::floatingSize(logicalDpiX(), fontMetrics().height(),
                                     findChild<QToolBar*>()->sizeHint().width(),
                                     shown ? shown->availableGeometry().size() : QSize());
}

void frmViewer::LoadViewStatus()
{
    using namespace Settings::FloatingWindow;
    LoadingScope loading(m_isLoading);
    const SettingsFile settings(settingsPath());
    const double dpi = logicalDpiX();
    const int state = settings.read(WindowMaximize);
    const double top = settings.read(Top);
    const double left = settings.read(Left);
    const QSize fallback = defaultSize();
    const double height = settings.read(Height, Twips::fromPixels(fallback.height(), dpi));
    const double width = settings.read(Width, Twips::fromPixels(fallback.width(), dpi));
    move(left >= 0 ? Twips::toPixels(left, dpi) : x(), top >= 0 ? Twips::toPixels(top, dpi) : y());
    resize(width >= 0 ? Twips::toPixels(width, dpi) : this->width(),
           height >= 0 ? Twips::toPixels(height, dpi) : this->height());
    if (state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (state == 1)
        setWindowState(Qt::WindowMinimized);

    const bool edit = settings.read(EditMode) == 1;
    button("Edit")->setChecked(edit);
    applyEditMode(edit);
    button("AlwaysOnTop")->setChecked(settings.read(Settings::FloatingWindow::AlwaysOnTop) == 1);
    AlwaysOnTop();

    const auto restored = RestoreFile::readFloating(restorePath());
    switch (restored.status) {
    case RestoreFile::Status::Damaged:
        restoreFailed();
        return;
    case RestoreFile::Status::Missing:
    case RestoreFile::Status::Ignored:
        // Nothing kept to show: the memo as stored, so that a save cannot
        // write an empty window over it. A memo that is gone leaves nothing
        // to reopen at the next start either.
        if (m_id > 0 && MemoLoad()) {
            SetFontColor();
            SetSaved();
        }
        removeKeptFiles();
        m_isClose = m_isClose || m_id <= 0;
        return;
    case RestoreFile::Status::Restorable:
        break;
    }
    if (!restoreKept(restored.state))
        m_isClose = true;
}

bool frmViewer::restoreKept(const RestoreFile::FloatingState& kept)
{
    if (!RestoreFile::sameDatabase(kept.databasePath, m_window.DBPath())) {
        // Another database of the same name keeps this window: its files
        // stay for that database's next start.
        m_keptStem.clear();
        return false;
    }
    if (kept.recordId != (m_id > 0 ? m_id : -1)) {
        restoreFailed();
        return false;
    }
    QString text = kept.text;
    bool isEdit = kept.isEdit;
    // A memo that was out in an external editor when the program had to end:
    // what the editor saved since comes back as unsaved text.
    if (!kept.editorFile.isEmpty()) {
        QFile file(kept.editorFile);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            file.close();
            const QString saved = ReadFileText::decodeWhole(bytes);
            // A text with NUL characters is not a memo's: the file stays where it is.
            if (saved.contains(QChar(0))) {
                m_window.prompt().critical(EditorPass::unreadableMessage(kept.editorFile));
            } else {
                if (MemoFingerprint::ofBytes(bytes) != kept.editorFingerprint) {
                    text = saved;
                    isEdit = true;
                }
                QFile::remove(kept.editorFile);
            }
        }
    }

    std::optional<FloatingMemoText> stored;
    if (m_id > 0) {
        if (!isEdit) {
            // Nothing unsaved: the memo as it is stored now, asking for the
            // password when it is protected now.
            if (!MemoLoad()) {
                removeKeptFiles();
                return false;
            }
            SetFontColor();
            SetSaved();
            return true;
        }
        try {
            stored = m_window.store().readMemoText(m_id);
        } catch (const DatabaseError& error) {
            m_window.prompt().critical(error.userMessage());
            restoreFailed();
            return false;
        }
    }
    // The protection comes from the database; text kept of a memo that was
    // protected then asks as well.
    if (((stored && stored->isPass) || kept.isPassword) && !m_window.editor().askPasswordToRestore()) {
        restoreFailed();
        return false;
    }
    const qint64 formerId = m_id;
    const bool cameBackAsNew = m_id > 0 && (!stored || !kept.originKnown || kept.memoFingerprint.isEmpty() ||
                                            MemoFingerprint::ofBody(stored->body) != kept.memoFingerprint);
    if (m_id > 0 && !cameBackAsNew) {
        m_isPassword = stored->isPass;
        m_loadedFingerprint = kept.memoFingerprint;
        setCaption(stored->title);
    } else {
        // A new memo, or text that may not be saved over a memo changed or
        // gone since it was kept.
        m_newTitle = cameBackAsNew ? (stored ? stored->title : QString()) : kept.newTitle;
        m_newTags = cameBackAsNew ? QString() : kept.newTags;
        m_id = -1;
        m_isPassword = false;
        m_loadedFingerprint.clear();
        setWindowTitle(kNewMemoCaption);
        IntoEditMode();
    }
    showStored(text);
    // Unsaved text brought back does not match the database.
    m_savedShown = isEdit ? std::nullopt : std::optional<QString>(m_shownBody);
    SetFontColor();
    QTextCursor caret = m_txtContents->textCursor();
    caret.setPosition(std::clamp(kept.caret, 0, int(m_shownBody.size())));
    m_txtContents->setTextCursor(caret);
    if (isEdit) {
        setEdit(true);
        // The text stays on disk until it is saved, under the window's name now.
        writeKeptFiles(false);
    } else {
        SetSaved();
    }
    if (cameBackAsNew)
        m_window.prompt().inform(RestoreFile::changedMeanwhileMessage(formerId));
    return true;
}

bool frmViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_txtContents ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (event->type() == QEvent::ShortcutOverride) {
        // The window's own keys come here, not to the main window's shortcuts.
        static const QList<int> ownKeys = {Qt::Key_S, Qt::Key_Z, Qt::Key_Y,  Qt::Key_X,   Qt::Key_V,
                                           Qt::Key_Q, Qt::Key_O, Qt::Key_Up, Qt::Key_Down};
        const bool own = (modifiers == Qt::ControlModifier && ownKeys.contains(key->key())) ||
                         (modifiers == (Qt::ControlModifier | Qt::AltModifier) && key->key() == Qt::Key_0) ||
                         (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key->key() == Qt::Key_F);
        if (own)
            event->accept();
        return own;
    }
    if (modifiers == (Qt::ControlModifier | Qt::AltModifier) && key->key() == Qt::Key_0) {
        m_window.prompt().inform(QStringLiteral("ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!"));
        return true;
    }
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key->key() == Qt::Key_F) {
        searchSelection(WebSearch::Google);
        return true;
    }
    if (modifiers != Qt::ControlModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_S:
        SaveFloatingMemo(false, true);
        return true;
    case Qt::Key_Z:
        undo();
        return true;
    case Qt::Key_Y:
        redo();
        return true;
    case Qt::Key_X:
        cut();
        return true;
    case Qt::Key_V:
        paste();
        return true;
    case Qt::Key_Q:
        close();
        return true;
    case Qt::Key_O:
        openSelection();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        QTextCursor cursor = m_txtContents->textCursor();
        cursor.movePosition(key->key() == Qt::Key_Up ? QTextCursor::Start : QTextCursor::End);
        m_txtContents->setTextCursor(cursor);
        return true;
    }
    default:
        return false;
    }
}

QString frmViewer::selectedText() const
{
    // The widget marks line breaks in a selection with U+2029.
    return m_txtContents->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

void frmViewer::openSelection()
{
    if (auto* links = m_window.findChild<LinkCommands*>(QStringLiteral("LinkCommands")))
        links->DoOpenLink(selectedText());
}

void frmViewer::searchSelection(int engine)
{
    if (auto* links = m_window.findChild<LinkCommands*>(QStringLiteral("LinkCommands")))
        links->DoOpenFindLink(selectedText(), engine);
}
