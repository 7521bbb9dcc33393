#pragma once

#include "exchange/EditorCommand.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

class Prompt;
class QFileSystemWatcher;
class QProcess;
class QTimer;

// Starts the external editor's process. Tests put their own in front to see
// what is started; the pass never detaches a process, so that it can wait.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    // A process started on the command, its output discarded. The caller owns
    // it and waits for it to start.
    virtual QProcess* start(const EditorCommand& command, QObject* parent);
};

// One round trip of a memo's text through an external editor: the text is
// written to a temporary file, the editor is started on it and waited for
// without blocking the event loop, and the file's text is handed back when it
// has changed. The caller applies the text (textTaken) and learns the end of
// the pass (finished).
//
// Editors that pass the file to an already running instance end at once and
// leave the file unchanged. When the process ends within the quick-exit time
// and the file is unchanged, the pass stays open: it watches the file, hands
// back every saved change, and ends when finishWaiting() is called (the wait
// window's "編集を終了").
class EditorPass : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QString tmpBasePath;  // the profile's temporary folder, ends in '/'
        qint64 recordId = -1; // -1 for a new memo
        QString title;
        QString text;        // written exactly, UTF-8 without BOM
        int editorIndex = 0; // 0: the desktop's application for text files
        QString editorPath;  // the configured path of entries 1..3
    };

    enum class Outcome
    {
        Unchanged,   // the file came back unchanged or was deleted; nothing taken back
        TakenBack,   // textTaken was emitted at least once
        StartFailed, // the editor could not be started; nothing taken back
        FileKept,    // the edited file could not be read back and was left in place
        Abandoned,   // the program had to end: the file and the editor were left as they were
    };
    Q_ENUM(Outcome)

    // The launcher, when given, must outlive the pass.
    explicit EditorPass(Prompt& prompt, ProcessLauncher* launcher = nullptr, QObject* parent = nullptr);
    ~EditorPass() override;

    // "<tmpBasePath><recordId>_<title>.txt" made safe as a file name.
    static QString tempFilePath(const QString& tmpBasePath, qint64 recordId, const QString& title);

    // Starts the pass. Returns false when it ended at once (the editor could not
    // be started); finished has been emitted then.
    bool start(const Request& request);
    // Starts the pass and runs a local event loop until it has finished. A pass
    // that waits for saves ends only through finishWaiting(), so the caller
    // gives it an EditorWaitWindow (or another way to call it).
    Outcome exec(const Request& request);

    QString filePath() const { return m_path; }
    // The fingerprint (MemoFingerprint::ofBytes) of the file's bytes as last
    // written or taken back: a later difference is a save in the editor.
    QString fileFingerprint() const;
    bool isRunning() const { return m_running; }
    bool isWaitingForSaves() const { return m_waiting; }
    Outcome outcome() const { return m_outcome; }

    // A process that ends sooner than this with the file unchanged was a hand-over.
    void setQuickExitMs(int ms) { m_quickExitMs = ms; }
    // How often the watched file is also checked, for file systems without
    // change notification.
    void setPollIntervalMs(int ms) { m_pollMs = ms; }

    static QString invalidPathMessage();
    static QString startFailedMessage();
    static QString unreadableMessage(const QString& path);

public Q_SLOTS:
    // Ends a pass that waits for saves: takes back a last change, then finishes.
    void finishWaiting();
    // Ends the pass at once because the program must end: nothing more is
    // taken back, the file stays in place and a running editor keeps running.
    void abandon();

Q_SIGNALS:
    void textTaken(const QString& text);
    void waitingForSaves();
    void finished(EditorPass::Outcome outcome);

private:
    struct FileState
    {
        bool exists = false;
        QDateTime modified;
        qint64 size = -1;
        QByteArray hash;
        bool operator==(const FileState&) const = default;
    };
    enum class Check
    {
        Missing,
        Unchanged,
        Changed,
        Unreadable
    };

    bool writeFile(const QString& text);
    std::optional<EditorCommand> command(const Request& request);
    void onProcessEnded();
    Check takeBackIfChanged();
    void startWatching();
    void finish();

    Prompt& m_prompt;
    ProcessLauncher* m_launcher;
    ProcessLauncher m_defaultLauncher;
    QString m_path;
    FileState m_state;
    QPointer<QProcess> m_process;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_poll = nullptr;
    QElapsedTimer m_clock;
    int m_quickExitMs = 2000;
    int m_pollMs = 1000;
    bool m_running = false;
    bool m_waiting = false;
    bool m_taken = false;
    bool m_keepFile = false;
    bool m_abandoned = false;
    bool m_unreadableReported = false;
    Outcome m_outcome = Outcome::Unchanged;
};
