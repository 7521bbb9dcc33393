#pragma once

#include "exchange/EditorCommand.h"

#include <QByteArray>
#include <QDateTime>
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
// Every pass has a file of its own, created for the user only (0600): when
// the name tempFilePath() gives is taken (another pass of a new memo, a file
// kept from an earlier pass), a number goes before ".txt".
//
// Editors that pass the file to an already running instance end and leave the
// file unchanged, at once or after a slow launcher; Quillet cannot tell that
// from an editor closed without saving. So whenever the process ends with the
// file unchanged, however long it ran, the pass stays open: it watches the
// file, hands back every saved change, and ends when finishWaiting() is called
// (the wait window's "編集を終了"). A process that ends with the file changed
// ends the pass at once, after the text is taken back.
//
// A file's text is taken back only when it is whole: a text that still holds
// a NUL character after decoding (a binary file, an encoding Quillet does not
// read) is refused, and a file over 10 MB is taken only when the user says so.
// A refused file stays in place and the user learns where.
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
        FileKept,    // the edited file could not be read back, or was refused, and was left in place
        Abandoned,   // the program had to end: the file and the editor were left as they were
    };
    Q_ENUM(Outcome)

    // The launcher, when given, must outlive the pass.
    explicit EditorPass(Prompt& prompt, ProcessLauncher* launcher = nullptr, QObject* parent = nullptr);
    ~EditorPass() override;

    // "<tmpBasePath><recordId>_<title>.txt" made safe as a file name: the name
    // a pass asks for. The file it gets may be a numbered one (filePath()).
    static QString tempFilePath(const QString& tmpBasePath, qint64 recordId, const QString& title);

    // Writes `bytes` to a new file at `wantedPath`, or at "<name> (2).txt",
    // "<name> (3).txt"... when that is taken, never over an existing file. The
    // file is created readable and writable by its owner only (0600) from the
    // start, and missing folders above it 0700. Returns the path written, or
    // the empty text when no file could be written (nothing is left behind).
    static QString writeNewPrivateFile(const QString& wantedPath, const QByteArray& bytes);

    // Files larger than this are taken back only when the user agrees.
    static constexpr qint64 LargeFileBytes = 10 * 1024 * 1024;

    // Starts the pass. Returns false when it ended at once (the editor could not
    // be started); finished has been emitted then.
    bool start(const Request& request);
    // Starts the pass and runs a local event loop until it has finished. A pass
    // that waits for saves ends only through finishWaiting(), so the caller
    // gives it an EditorWaitWindow (or another way to call it).
    Outcome exec(const Request& request);

    QString filePath() const { return m_path; }
    // The fingerprint (SHA-256 in hex) of the file's bytes as last
    // written or taken back: a later difference is a save in the editor.
    QString fileFingerprint() const;
    bool isRunning() const { return m_running; }
    // The text last taken back could not be stored: the file stays in place
    // when the pass ends, unless a later save is taken back.
    void keepFileAtEnd() { m_keepFile = true; }
    bool isWaitingForSaves() const { return m_waiting; }
    Outcome outcome() const { return m_outcome; }

    // How often the watched file is also checked, for file systems without
    // change notification.
    void setPollIntervalMs(int ms) { m_pollMs = ms; }

    static QString invalidPathMessage();
    static QString startFailedMessage();
    static QString unreadableMessage(const QString& path);
    // The question before a file over LargeFileBytes is taken back.
    static QString largeFileQuestion(qint64 bytes, const QString& path);

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
        Unreadable, // or refused: the file is kept in place
    };

    bool writeFile(const QString& text);
    std::optional<EditorCommand> command(const Request& request);
    void onProcessEnded();
    Check takeBackIfChanged();
    Check keepFile(bool report);
    void startWatching();
    void finish();

    Prompt& m_prompt;
    ProcessLauncher* m_launcher;
    ProcessLauncher m_defaultLauncher;
    QString m_path;
    FileState m_state;          // the file as last seen
    QByteArray m_fingerprint;   // hash of the bytes as last written or taken back
    QPointer<QProcess> m_process;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_poll = nullptr;
    int m_pollMs = 1000;
    bool m_running = false;
    bool m_waiting = false;
    bool m_taken = false;
    bool m_keepFile = false;
    bool m_abandoned = false;
    bool m_unreadableReported = false;
    bool m_checking = false;        // a check is under way (its question may be open)
    bool m_finishAfterCheck = false; // finishWaiting() came during a check
    Outcome m_outcome = Outcome::Unchanged;
};
