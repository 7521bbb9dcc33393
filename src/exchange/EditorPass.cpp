#include "exchange/EditorPass.h"

#include "app/AppPaths.h"
#include "app/Prompt.h"
#include "exchange/MakeSafeFilePath.h"
#include "exchange/ReadFileText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QScopedValueRollback>
#include <QTimer>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

QProcess* ProcessLauncher::start(const EditorCommand& command, QObject* parent)
{
    auto* process = new QProcess(parent);
    // Nothing reads the editor's output; unread pipes could fill and stall it.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(command.program, command.arguments);
    return process;
}

EditorPass::EditorPass(Prompt& prompt, ProcessLauncher* launcher, QObject* parent)
    : QObject(parent), m_prompt(prompt), m_launcher(launcher ? launcher : &m_defaultLauncher)
{
}

EditorPass::~EditorPass()
{
    // A still running editor is the user's: it is left running, not killed.
    if (m_process) {
        m_process->disconnect(this);
        if (m_process->state() != QProcess::NotRunning)
            m_process->setParent(nullptr);
    }
}

QString EditorPass::invalidPathMessage()
{
    return u"外部エディタのパスが不正です。テキストファイルに関連づけられたアプリケーションで開きます。"_s;
}

QString EditorPass::startFailedMessage()
{
    return u"外部エディタを開くのに失敗しました。"_s;
}

QString EditorPass::unreadableMessage(const QString& path)
{
    return u"外部エディタで編集したファイルを読み込めませんでした。ファイルは次の場所に残してあります。\r\n"_s +
           path;
}

QString EditorPass::largeFileQuestion(qint64 bytes, const QString& path)
{
    // Rounded up, so that a file just over the limit never reads as 10.0 MB.
    const double megabytes = std::ceil(double(bytes) * 10.0 / (1024.0 * 1024.0)) / 10.0;
    return u"外部エディタで編集したファイルは %1 MB あります。メモに取り込みますか？\r\n"
           u"取り込まない場合、ファイルは次の場所に残します。\r\n"_s.arg(QString::number(megabytes, 'f', 1)) +
           path;
}

QString EditorPass::tempFilePath(const QString& tmpBasePath, qint64 recordId, const QString& title)
{
    // The title is cleaned as a name of its own: a '/' in it must not make a folder.
    return MakeSafeFilePath(tmpBasePath, QString::number(recordId) + u'_' + title + u".txt"_s);
}

QString EditorPass::writeNewPrivateFile(const QString& wantedPath, const QByteArray& bytes)
{
    if (!AppPaths::makePrivatePath(QFileInfo(wantedPath).absolutePath()))
        return QString();
    for (int n = 1; n <= 1000; ++n) {
        const QString path = n == 1 ? wantedPath : NumberedFilePath(wantedPath, n);
        QFile file(path);
        // NewOnly creates the file here and now (O_EXCL): never another pass's
        // file, a kept one or a link's target. The text may be a
        // password-protected memo: the file is its owner's alone from the start.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            const QFileInfo taken(path);
            if (taken.exists() || taken.isSymLink())
                continue;
            return QString();
        }
        bool written = file.write(bytes) == bytes.size();
        file.close();
        written = written && file.error() == QFileDevice::NoError;
        if (written)
            return path;
        QFile::remove(path);
        return QString();
    }
    return QString();
}

bool EditorPass::writeFile(const QString& text)
{
    const QString wanted = m_path;
    m_path = writeNewPrivateFile(wanted, text.toUtf8());
    if (m_path.isEmpty()) {
        m_path = wanted; // for the caller to see; nothing was created there
        return false;
    }
    return true;
}

std::optional<EditorCommand> EditorPass::command(const Request& request)
{
    if (request.editorIndex > 0 && !request.editorPath.isEmpty()) {
        if (auto configured = EditorCommand::fromConfiguredPath(request.editorPath, m_path))
            return configured;
        m_prompt.critical(invalidPathMessage());
    }
    return EditorCommand::forAssociatedApplication(m_path);
}

bool EditorPass::start(const Request& request)
{
    m_running = true;
    m_waiting = m_taken = m_keepFile = m_unreadableReported = m_abandoned = false;
    m_checking = m_finishAfterCheck = false;
    m_outcome = Outcome::Unchanged;
    m_path = tempFilePath(request.tmpBasePath, request.recordId, request.title);

    // The file first: the command names the file the pass really got.
    const bool written = writeFile(request.text);
    std::optional<EditorCommand> editor;
    if (written) {
        m_state = {};
        takeBackIfChanged(); // notes the state of the file as written
        m_fingerprint = m_state.hash;
        m_taken = false;
        editor = command(request);
    }
    if (written && editor) {
        m_process = m_launcher->start(*editor, this);
        if (m_process && m_process->waitForStarted(10000)) {
            connect(m_process, &QProcess::finished, this, &EditorPass::onProcessEnded);
            return true;
        }
    }
    m_prompt.critical(startFailedMessage());
    if (m_process) {
        m_process->deleteLater();
        m_process = nullptr;
    }
    m_outcome = Outcome::StartFailed;
    // Only a file this pass created is removed; a failed write left none.
    if (written)
        QFile::remove(m_path);
    m_running = false;
    Q_EMIT finished(m_outcome);
    return false;
}

EditorPass::Outcome EditorPass::exec(const Request& request)
{
    QEventLoop loop;
    connect(this, &EditorPass::finished, &loop, &QEventLoop::quit);
    if (start(request))
        loop.exec();
    return m_outcome;
}

EditorPass::Check EditorPass::keepFile(bool report)
{
    m_keepFile = true;
    if (report && !m_unreadableReported) {
        m_unreadableReported = true;
        m_prompt.critical(unreadableMessage(m_path));
    }
    return Check::Unreadable;
}

EditorPass::Check EditorPass::takeBackIfChanged()
{
    // A question of a check under way runs events, which may ask for another.
    if (m_checking)
        return Check::Unchanged;
    const QScopedValueRollback<bool> checking(m_checking, true);

    const QFileInfo info(m_path);
    if (!info.exists())
        return Check::Missing;
    FileState state{true, info.lastModified(), info.size(), {}};
    QFile file(m_path);
    QByteArray bytes;
    bool readable = info.isFile() && file.open(QIODevice::ReadOnly);
    if (readable) {
        bytes = file.readAll();
        readable = file.error() == QFileDevice::NoError;
    }
    if (!readable) {
        if (!m_state.exists)
            return Check::Unreadable; // the file as written could not be read
        return keepFile(true);
    }
    state.hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    if (state == m_state)
        return Check::Unchanged;
    const bool first = !m_state.exists;
    // Noted before any question, so that the same bytes are not asked about again.
    m_state = state;
    if (first)
        return Check::Unchanged;

    // Text cut at a NUL would lose the rest of the file: none of it is taken.
    const QString text = ReadFileText::decodeWhole(bytes);
    if (text.contains(QChar(0)))
        return keepFile(true);
    if (bytes.size() > LargeFileBytes) {
        const bool take = m_prompt.askYesNo(largeFileQuestion(bytes.size(), m_path));
        if (!m_running)
            return Check::Unchanged; // the pass was abandoned while the question was open
        if (!take)
            return keepFile(false); // the question named the place
    }
    m_keepFile = false;
    m_unreadableReported = false;
    m_taken = true;
    m_fingerprint = state.hash;
    Q_EMIT textTaken(text);
    return Check::Changed;
}

void EditorPass::onProcessEnded()
{
    if (m_process) {
        m_process->deleteLater();
        m_process = nullptr;
    }
    if (!m_running)
        return;
    // An unchanged file may be a hand-over to a running instance, whatever the
    // time the launcher took: only the user knows when the editing is over.
    const Check check = takeBackIfChanged();
    if (!m_running)
        return;
    if (check == Check::Unchanged) {
        startWatching();
        return;
    }
    finish();
}

void EditorPass::startWatching()
{
    m_waiting = true;
    m_watcher = new QFileSystemWatcher(this);
    // Editors often save by writing a new file and renaming it over the old
    // one, which ends a watch on the file itself; the folder's watch sees that.
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    m_watcher->addPath(m_path);
    const auto check = [this] {
        if (!m_waiting || m_checking)
            return;
        if (QFileInfo::exists(m_path) && !m_watcher->files().contains(m_path))
            m_watcher->addPath(m_path);
        takeBackIfChanged();
        if (m_finishAfterCheck && m_waiting)
            finish();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, check);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, check);
    m_poll = new QTimer(this);
    m_poll->setInterval(m_pollMs);
    connect(m_poll, &QTimer::timeout, this, check);
    m_poll->start();
    Q_EMIT waitingForSaves();
}

void EditorPass::finishWaiting()
{
    if (!m_waiting)
        return;
    // During a check's question: that check takes the last save, then ends.
    if (m_checking) {
        m_finishAfterCheck = true;
        return;
    }
    takeBackIfChanged();
    if (m_waiting)
        finish();
}

QString EditorPass::fileFingerprint() const
{
    return QString::fromLatin1(m_fingerprint.toHex());
}

void EditorPass::abandon()
{
    if (!m_running)
        return;
    m_abandoned = true;
    m_keepFile = true;
    finish();
}

void EditorPass::finish()
{
    if (!m_running)
        return;
    m_waiting = false;
    if (m_watcher) {
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
    if (m_poll) {
        m_poll->stop();
        m_poll->deleteLater();
        m_poll = nullptr;
    }
    // A file that could not be read back may be the only copy of the edits.
    if (!m_keepFile)
        QFile::remove(m_path);
    m_outcome = m_abandoned ? Outcome::Abandoned
                : m_keepFile ? Outcome::FileKept
                : m_taken    ? Outcome::TakenBack
                             : Outcome::Unchanged;
    m_running = false;
    Q_EMIT finished(m_outcome);
}
