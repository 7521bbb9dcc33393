#include "store/JetWorker.h"

#include "app/Progress.h"
#include "store/DatabaseError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

// The worker answers on its standard output, one line per step: a word, then
// blank-separated fields, texts percent-encoded. Its last line is "done" or
// "error"; anything else libmdb prints is thrown away.

namespace {

QByteArray field(const QString& text)
{
    return text.toUtf8().toPercentEncoding();
}

QString text(const QByteArray& field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

// The worker's end of the pipe. Standard output itself goes to /dev/null, so
// that nothing libmdb prints can be mistaken for an answer.
class Channel
{
public:
    Channel() : m_fd(::dup(STDOUT_FILENO))
    {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
    }
    ~Channel() { ::close(m_fd); }
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    void send(const QByteArray& line)
    {
        const QByteArray whole = line + '\n';
        for (qsizetype done = 0; done < whole.size();) {
            const ssize_t written = ::write(m_fd, whole.constData() + done, size_t(whole.size() - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                ::_exit(1); // the parent is gone
            done += written;
        }
    }

private:
    int m_fd;
};

// Every step of the conversion, told to the parent, which shows it.
class ReportingProgress final : public Progress
{
public:
    explicit ReportingProgress(Channel& channel) : m_channel(channel) {}

    void SetProgressBar(bool showBar1, bool showBar2) override
    {
        m_channel.send("bars " + QByteArray::number(int(showBar1)) + ' ' + QByteArray::number(int(showBar2)));
    }
    void SetTitle(const QString& title) override { m_channel.send("title " + field(title)); }
    void SetExplain(const QString& text) override { m_channel.send("explain " + field(text)); }
    void SetProgressMax(int bar, int maximum) override
    {
        m_channel.send("max " + QByteArray::number(bar) + ' ' + QByteArray::number(maximum));
    }
    void SetProgress(int bar, int value) override
    {
        m_channel.send("progress " + QByteArray::number(bar) + ' ' + QByteArray::number(value));
    }
    void SetProgressClear(int bar) override { m_channel.send("clear " + QByteArray::number(bar)); }
    // The parent cancels by ending this process.
    bool IsCancel() const override { return false; }

private:
    Channel& m_channel;
};

// Shows a step the worker told on the parent's progress window.
void replay(const QList<QByteArray>& words, Progress& progress)
{
    const QByteArray& word = words.first();
    const int first = words.value(1).toInt();
    const int second = words.value(2).toInt();
    if (word == "bars")
        progress.SetProgressBar(first != 0, second != 0);
    else if (word == "title")
        progress.SetTitle(text(words.value(1)));
    else if (word == "explain")
        progress.SetExplain(text(words.value(1)));
    else if (word == "max")
        progress.SetProgressMax(first, second);
    else if (word == "progress")
        progress.SetProgress(first, second);
    else if (word == "clear")
        progress.SetProgressClear(first);
}

// Runs a worker with `arguments` until it answers. `target` is the file a
// conversion writes (empty for a check): it did not exist before, so what the
// worker left of it when stopped is removed.
JetConversion runWorker(const QString& jetPath, const QString& target, const QStringList& arguments,
                        Progress& progress, int silenceMs)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QCoreApplication::applicationFilePath(),
                  QStringList{QLatin1String(JetWorkerArgument)} + arguments);
    if (!process.waitForStarted())
        throw DatabaseError(QStringLiteral("Windows版データベースを読むためのプロセスを起動できません。"),
                            process.errorString());
    const auto stop = [&] {
        process.kill();
        process.waitForFinished();
        if (!target.isEmpty()) {
            RemoveUnfinishedJetCopies(target);
            QFile::remove(target);
        }
    };

    JetConversion result;
    QElapsedTimer quiet;
    quiet.start();
    for (;;) {
        while (process.canReadLine()) {
            QByteArray line = process.readLine();
            line.chop(1);
            quiet.restart();
            const QList<QByteArray> words = line.split(' ');
            const QByteArray& word = words.first();
            if (word == "done") {
                result.jet3 = words.value(1) == "1";
                if (!process.waitForFinished(5000))
                    process.kill();
                return result;
            }
            if (word == "error") {
                process.waitForFinished(5000);
                throw DatabaseError(text(words.value(1)), text(words.value(2)), words.value(3).toInt());
            }
            if (word == "table") {
                result.tables.append(text(words.value(1)));
            } else if (word == "sample") {
                result.sampleTitles.append(text(words.value(1)));
            } else {
                replay(words, progress);
                if (progress.IsCancel()) {
                    stop();
                    result.cancelled = true;
                    return result;
                }
            }
        }
        if (process.state() == QProcess::NotRunning)
            break;
        if (quiet.elapsed() > silenceMs) {
            stop();
            throw DamagedJetFile(jetPath);
        }
        process.waitForReadyRead(100);
    }
    // Ended without an answer: libmdb crashed on the file.
    stop();
    throw DamagedJetFile(jetPath);
}

} // namespace

int RunJetWorker(const QStringList& arguments)
{
    // A worker caught in an endless read goes with Quillet, however Quillet ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    Channel channel;
    const QString mode = arguments.value(0);
    try {
        if (mode == QLatin1String("check") && arguments.size() >= 2) {
            CheckJetDatabase(arguments.at(1), arguments.mid(2));
            channel.send("done 0");
        } else if (mode == QLatin1String("convert") && arguments.size() >= 3) {
            ReportingProgress progress(channel);
            const JetConversion conversion =
                ConvertJetDatabase(arguments.at(1), arguments.at(2), arguments.mid(3), progress);
            for (const QString& table : conversion.tables)
                channel.send("table " + field(table));
            for (const QString& title : conversion.sampleTitles)
                channel.send("sample " + field(title));
            channel.send(conversion.jet3 ? "done 1" : "done 0");
        } else {
            return 2;
        }
    } catch (const DatabaseError& error) {
        channel.send("error " + field(error.what16()) + ' ' + field(error.engineText()) + ' ' +
                     QByteArray::number(error.code()));
    }
    return 0;
}

void CheckJetDatabaseInWorker(const QString& jetPath, const QStringList& tables, int silenceMs)
{
    QuietProgress quiet;
    runWorker(jetPath, QString(), QStringList{QStringLiteral("check"), jetPath} + tables, quiet, silenceMs);
}

JetConversion ConvertJetDatabaseInWorker(const QString& jetPath, const QString& target,
                                         const QStringList& tables, Progress& progress, int silenceMs)
{
    // Refused here as the worker would, so that a file of the user's that
    // stands at `target` is never taken for the worker's own and removed.
    RefuseExistingJetTarget(target);
    return runWorker(jetPath, target, QStringList{QStringLiteral("convert"), jetPath, target} + tables,
                     progress, silenceMs);
}
