#include "editing/RestoreFile.h"

#include "app/AtomicFile.h"
#include "editing/RestoreSlot.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace RestoreFile {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
constexpr QChar kEscape = QChar(0x1B);

class Writer
{
public:
    void text(const QString& line) { m_text += line + kLineEnd; }
    void singleLine(const QString& line)
    {
        QString escaped;
        escaped.reserve(line.size());
        for (const QChar ch : line) {
            if (ch == u'\r')
                escaped += kEscape + QLatin1Char('r');
            else if (ch == u'\n')
                escaped += kEscape + QLatin1Char('n');
            else if (ch == kEscape)
                escaped += QString(2, kEscape);
            else
                escaped += ch;
        }
        text(escaped);
    }
    void number(qint64 value)
    {
        text((value < 0 ? QString() : QStringLiteral(" ")) + QString::number(value) + QLatin1Char(' '));
    }
    void flag(bool value) { text(value ? QStringLiteral("True") : QStringLiteral("False")); }
    // The memo text, its own line breaks running it over several lines.
    void lastText(const QString& body) { text(body); }

    QByteArray bytes() const { return m_text.toUtf8(); }

private:
    QString m_text;
};

// Reads the lines of a file one by one; every conversion failure or a missing
// line marks the reading failed.
class Reader
{
public:
    explicit Reader(const QByteArray& bytes)
    {
        QByteArrayView view(bytes);
        if (view.startsWith("\xEF\xBB\xBF"))
            view = view.sliced(3);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(view);
        if (decoder.hasError()) {
            fail(QStringLiteral("not UTF-8"));
            return;
        }
        m_lines = text.split(kLineEnd);
        // The CR LF ending the last line leaves nothing after it.
        if (!m_lines.isEmpty() && m_lines.last().isEmpty())
            m_lines.removeLast();
    }

    bool failed() const { return !m_problem.isEmpty(); }
    const QString& problem() const { return m_problem; }
    bool atEnd() const { return m_next >= m_lines.size(); }

    QString text(const char* what)
    {
        if (failed())
            return {};
        if (atEnd()) {
            fail(QStringLiteral("the file ends before %1").arg(QLatin1String(what)));
            return {};
        }
        return m_lines.at(m_next++);
    }
    QString singleLine(const char* what)
    {
        const QString line = text(what);
        QString plain;
        plain.reserve(line.size());
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar ch = line.at(i);
            if (ch == kEscape && i + 1 < line.size()) {
                const QChar code = line.at(i + 1);
                if (code == u'r' || code == u'n' || code == kEscape) {
                    plain += code == u'r' ? QChar(u'\r') : code == u'n' ? QChar(u'\n') : kEscape;
                    ++i;
                    continue;
                }
            }
            plain += ch;
        }
        return plain;
    }
    qint64 number(const char* what)
    {
        const QString line = text(what);
        if (failed())
            return 0;
        bool ok = false;
        const qint64 value = line.trimmed().toLongLong(&ok);
        if (!ok)
            fail(QStringLiteral("%1 is not a number").arg(QLatin1String(what)));
        return value;
    }
    int intNumber(const char* what)
    {
        const qint64 value = number(what);
        if (!failed() && (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()))
            fail(QStringLiteral("%1 is out of range").arg(QLatin1String(what)));
        return int(value);
    }
    bool flag(const char* what)
    {
        const QString line = text(what).trimmed();
        if (failed())
            return false;
        if (line.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (line.compare(QLatin1String("False"), Qt::CaseInsensitive) != 0)
            fail(QStringLiteral("%1 is not True or False").arg(QLatin1String(what)));
        return false;
    }
    // The format number: every ':' removed, a 16-bit integer.
    int formatNumber()
    {
        QString line = text("the format number");
        if (failed())
            return 0;
        line.remove(QLatin1Char(':'));
        bool ok = false;
        const short value = line.trimmed().toShort(&ok);
        if (!ok)
            fail(QStringLiteral("the format number is not a number"));
        return value;
    }
    // The remaining lines joined with CR LF; the empty text when none remains.
    QString rest()
    {
        const QString joined = m_lines.mid(m_next).join(kLineEnd);
        m_next = m_lines.size();
        return joined;
    }

    void fail(const QString& problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
    }

private:
    QStringList m_lines;
    qsizetype m_next = 0;
    QString m_problem;
};

template <typename State> Result<State> damaged(const QString& problem)
{
    Result<State> result;
    result.status = Status::Damaged;
    result.problem = problem;
    return result;
}

template <typename State> Result<State> ignored()
{
    Result<State> result;
    result.status = Status::Ignored;
    return result;
}

QByteArray readAll(const QString& path, bool* exists, QString* error)
{
    QFile file(path);
    *exists = file.exists();
    if (!*exists)
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        *error = file.errorString();
    return bytes;
}

template <typename State>
Result<State> readFile(const QString& path, Result<State> (*parse)(const QByteArray&))
{
    bool exists = false;
    QString error;
    const QByteArray bytes = readAll(path, &exists, &error);
    if (!exists)
        return {};
    if (!error.isEmpty())
        return damaged<State>(error);
    return parse(bytes);
}

} // namespace

QByteArray formatMain(const MainState& state)
{
    Writer out;
    out.text(QLatin1String(MainHeader));
    out.number(FormatNumber);
    out.singleLine(state.databasePath);
    out.singleLine(state.memoFingerprint);
    out.singleLine(state.findWord);
    QStringList ids;
    ids.reserve(state.findIds.size());
    for (qint64 id : state.findIds)
        ids.append(QString::number(id));
    out.text(ids.join(QLatin1Char(' ')));
    out.number(state.categoryRow);
    out.number(state.caret);
    out.singleLine(state.memoNumber);
    out.flag(state.isEdit);
    out.flag(state.isPassword);
    out.singleLine(state.title);
    out.singleLine(state.tags);
    out.lastText(state.body);
    return out.bytes();
}

Result<MainState> parseMain(const QByteArray& bytes)
{
    Reader in(bytes);
    if (in.failed())
        return damaged<MainState>(in.problem());
    if (in.atEnd())
        return damaged<MainState>(QStringLiteral("the file is empty"));
    if (in.text("the header") != QLatin1String(MainHeader))
        return damaged<MainState>(QStringLiteral("the first line is not a restore file's"));
    const int format = in.formatNumber();
    if (in.failed())
        return damaged<MainState>(in.problem());
    if (format < OldestFormatRead)
        return ignored<MainState>();

    Result<MainState> result;
    MainState& state = result.state;
    state.originKnown = format > OldestFormatRead;
    if (state.originKnown) {
        state.databasePath = in.singleLine("the database");
        state.memoFingerprint = in.singleLine("the memo's fingerprint");
    }
    state.findWord = in.singleLine("the search words");
    const QString ids = in.text("the found memos");
    for (const QString& part : ids.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        state.findIds.append(part.toLongLong(&ok));
        if (!ok)
            in.fail(QStringLiteral("a found memo is not a number"));
    }
    state.categoryRow = in.intNumber("the category row");
    state.caret = in.intNumber("the caret position");
    state.memoNumber = in.singleLine("the memo number");
    state.isEdit = in.flag("the modified flag");
    state.isPassword = in.flag("the password flag");
    state.title = in.singleLine("the title");
    state.tags = in.singleLine("the tags");
    if (in.failed())
        return damaged<MainState>(in.problem());
    state.body = in.rest();
    result.status = Status::Restorable;
    return result;
}

QByteArray formatFloating(const FloatingState& state)
{
    Writer out;
    out.text(QLatin1String(FloatingHeader));
    out.number(FormatNumber);
    out.singleLine(state.databasePath);
    out.singleLine(state.memoFingerprint);
    out.singleLine(state.editorFile);
    out.singleLine(state.editorFingerprint);
    out.singleLine(state.newTitle);
    out.singleLine(state.newTags);
    out.number(state.caret);
    out.number(state.recordId);
    out.flag(state.isEdit);
    out.flag(state.isPassword);
    out.singleLine(state.caption);
    out.lastText(state.text);
    return out.bytes();
}

Result<FloatingState> parseFloating(const QByteArray& bytes)
{
    Reader in(bytes);
    if (in.failed())
        return damaged<FloatingState>(in.problem());
    const QString header = in.text("the header");
    if (in.failed())
        return damaged<FloatingState>(in.problem());
    // A file of another kind is left alone and the window stays empty.
    if (header != QLatin1String(FloatingHeader))
        return ignored<FloatingState>();
    const int format = in.formatNumber();
    if (in.failed())
        return damaged<FloatingState>(in.problem());
    if (format < OldestFormatRead)
        return ignored<FloatingState>();

    Result<FloatingState> result;
    FloatingState& state = result.state;
    state.originKnown = format > OldestFormatRead;
    if (state.originKnown) {
        state.databasePath = in.singleLine("the database");
        state.memoFingerprint = in.singleLine("the memo's fingerprint");
        state.editorFile = in.singleLine("the editor's file");
        state.editorFingerprint = in.singleLine("the editor file's fingerprint");
        state.newTitle = in.singleLine("the new memo's title");
        state.newTags = in.singleLine("the new memo's tags");
    }
    state.caret = in.intNumber("the caret position");
    state.recordId = in.number("the memo's RecordID");
    state.isEdit = in.flag("the modified flag");
    state.isPassword = in.flag("the password flag");
    state.caption = in.singleLine("the caption");
    if (in.failed())
        return damaged<FloatingState>(in.problem());
    state.text = in.rest();
    result.status = Status::Restorable;
    return result;
}

bool write(const QString& path, const QByteArray& bytes, QString* error)
{
    // The unsaved text of a memo may be private: readable by its owner only.
    return writeFileAtomically(path, bytes, error, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

Result<MainState> readMain(const QString& path)
{
    return readFile<MainState>(path, &parseMain);
}

Result<FloatingState> readFloating(const QString& path)
{
    return readFile<FloatingState>(path, &parseFloating);
}

QString keepAside(const QString& path, const QDateTime& now)
{
    const QString aside = RestoreSlot::freeNameBeside(path, now);
    return !aside.isEmpty() && QFile::rename(path, aside) ? aside : QString();
}

QString databaseKey(const QString& databasePath)
{
    const QFileInfo info(databasePath);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

bool sameDatabase(const QString& recorded, const QString& current)
{
    return recorded.isEmpty() || databaseKey(recorded) == databaseKey(current);
}

QString changedMeanwhileMessage(qint64 id)
{
    return QStringLiteral("保存していなかったメモ(%1)は、その後ほかの場所で変更されたか削除されていたため、"
                          "新しいメモとして復帰しました。\n保存すると新しいメモになります。")
        .arg(id);
}

} // namespace RestoreFile
