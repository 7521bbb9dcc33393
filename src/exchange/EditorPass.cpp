#include "exchange/EditorPass.h"

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
#include <QTimer>

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

QString EditorPass::tempFilePath(const QString& tmpBasePath, qint64 recordId, const QString& title)
{
    // The title is cleaned as a name of its own: a '/' in it must not make a folder.
    return MakeSafeFilePath(tmpBasePath, QString::number(recordId) + u'_' + title + u".txt"_s);
}

bool EditorPass::writeFile(const QString& text)
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // Created anew on every pass, also over a read-only leftover.
    QFile::remove(m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // The text may be a password-protected memo: only its owner may read it.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        return false;
    file.close();
    return file.error() == QFileDevice::NoError;
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
    m_outcome = Outcome::Unchanged;
    m_path = tempFilePath(request.tmpBasePath, request.recordId, request.title);

    const std::optional<EditorCommand> editor = command(request);
    const bool written = writeFile(request.text);
    if (written) {
        m_state = {};
        takeBackIfChanged(); // notes the state of the file as written
        m_taken = false;
    }
    if (written && editor) {
        m_clock.start();
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

EditorPass::Check EditorPass::takeBackIfChanged()
{
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
        m_keepFile = true;
        if (!m_unreadableReported) {
            m_unreadableReported = true;
            m_prompt.critical(unreadableMessage(m_path));
        }
        return Check::Unreadable;
    }
    state.hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    if (state == m_state)
        return Check::Unchanged;
    const bool first = !m_state.exists;
    m_state = state;
    if (first)
        return Check::Unchanged;
    m_keepFile = false;
    m_unreadableReported = false;
    m_taken = true;
    Q_EMIT textTaken(ReadFileText::decode(bytes));
    return Check::Changed;
}

void EditorPass::onProcessEnded()
{
    const qint64 elapsed = m_clock.elapsed();
    if (m_process) {
        m_process->deleteLater();
        m_process = nullptr;
    }
    if (takeBackIfChanged() == Check::Unchanged && elapsed < m_quickExitMs) {
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
        if (!m_waiting)
            return;
        if (QFileInfo::exists(m_path) && !m_watcher->files().contains(m_path))
            m_watcher->addPath(m_path);
        takeBackIfChanged();
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
    takeBackIfChanged();
    finish();
}

QString EditorPass::fileFingerprint() const
{
    return QString::fromLatin1(m_state.hash.toHex());
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
