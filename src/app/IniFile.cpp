#include "app/IniFile.h"

#include "app/AtomicFile.h"
#include "app/CodePage.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QMutex>

#include <sys/stat.h>

#include <cmath>
#include <optional>

namespace {

const int MaxTextBytes = 255;

// Only ASCII blanks are trimmed: an ideographic space (U+3000) is part of a
// Japanese value, not padding.
bool isBlank(QChar ch)
{
    const char16_t u = ch.unicode();
    return u == ' ' || u == '\t' || u == '\v' || u == '\f' || u == '\r' || u == '\n';
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isAsciiDigit(QChar ch)
{
    return ch.unicode() >= '0' && ch.unicode() <= '9';
}

// What one line of the file means.
struct Entry
{
    enum Kind
    {
        Other,
        Section,
        Key
    };
    Kind kind = Other;
    QString name;
    QString value;
};

Entry parseLine(const QString& line)
{
    const QString text = trimBlanks(line);
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.lastIndexOf(QLatin1Char(']'));
        if (close > 0)
            return {Entry::Section, trimBlanks(text.mid(1, close - 1)), {}};
    }
    if (text.isEmpty() || text.startsWith(QLatin1Char(';')))
        return {};
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {};
    return {Entry::Key, trimBlanks(text.left(equals)), trimBlanks(text.mid(equals + 1))};
}

const char Utf8Bom[] = "\xEF\xBB\xBF";

// A line as it stands in the file, with the line break that ended it (empty
// for a last line without one), and its text. Each line is decoded on its own:
// UTF-8 when its bytes are valid UTF-8, else CP932, so that a line written on
// Windows and lines written by Quillet share a file without garbling each
// other. A write replaces or adds single lines and emits every other line's
// bytes exactly as they were read.
struct Line
{
    QByteArray bytes;
    QByteArray ending;
    // Decoded when first asked for: a write looks only at section headers until
    // it reaches its own section, so lines elsewhere stay undecoded.
    mutable std::optional<QString> decoded;

    const QString& text() const
    {
        if (!decoded) {
            // UTF-8 decoding drops a byte-order mark that starts the line.
            decoded = CodePage::isValidUtf8(bytes) ? QString::fromUtf8(bytes) : CodePage::decodeText(bytes);
        }
        return *decoded;
    }

    // Whether the line can be a section header: after a byte-order mark, if
    // any, its first non-blank byte is '['. Blanks and '[' are ASCII and never
    // part of a UTF-8 character, nor the first byte of a CP932 one.
    bool mayBeSection() const
    {
        const QByteArrayView view(bytes);
        for (const char ch : view.startsWith(Utf8Bom) ? view.sliced(3) : view) {
            if (ch == ' ' || ch == '\t' || ch == '\v' || ch == '\f')
                continue;
            return ch == '[';
        }
        return false;
    }
};

struct Document
{
    QList<Line> lines;
    QByteArray newline = "\r\n"; // for added lines: the file's first line break
    QByteArray prefix;           // written before the first line
};

// CR and LF never occur inside a CP932 or UTF-8 character, so the bytes can be
// split into lines before they are decoded. A UTF-8 byte-order mark at the start
// is dropped; it would otherwise hide the first line from Windows readers. It
// stays when the first line starts with another one: reading takes off only
// the first, and a CP932 line read with its mark must not lose it.
Document splitLines(const QByteArray& bytes)
{
    Document document;
    bool newlineSeen = false;
    qsizetype start = bytes.startsWith(Utf8Bom) ? 3 : 0;
    if (start > 0 && QByteArrayView(bytes).sliced(start).startsWith(Utf8Bom))
        document.prefix = Utf8Bom;
    const auto addLine = [&](qsizetype end, const QByteArray& ending) {
        Line line;
        line.bytes = bytes.mid(start, end - start);
        line.ending = ending;
        document.lines.append(std::move(line));
    };
    for (qsizetype i = start; i < bytes.size(); ++i) {
        const char ch = bytes.at(i);
        if (ch != '\r' && ch != '\n')
            continue;
        const bool crlf = ch == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n';
        const QByteArray ending = crlf ? QByteArray("\r\n") : QByteArray(1, ch);
        addLine(i, ending);
        if (!newlineSeen) {
            document.newline = ending;
            newlineSeen = true;
        }
        i += ending.size() - 1;
        start = i + 1;
    }
    if (start < bytes.size())
        addLine(bytes.size(), QByteArray());
    return document;
}

QByteArray joinLines(const Document& document)
{
    QByteArray bytes = document.prefix;
    for (const Line& line : document.lines)
        bytes += line.bytes + line.ending;
    return bytes;
}

// Where a key is, or would go, in a file.
struct Location
{
    qsizetype header = -1;      // the first section of the name
    qsizetype lastContent = -1; // its last non-blank line (the header when it has none)
    qsizetype keyLine = -1;     // the key's first line in that section
    QString keySpelling;        // the key as spelled there
    QString value;
};

Location locate(const QList<Line>& lines, const QString& section, const QString& key)
{
    Location at;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (at.header < 0 && !lines.at(i).mayBeSection())
            continue;
        const Entry entry = parseLine(lines.at(i).text());
        if (at.header < 0) {
            if (entry.kind == Entry::Section && sameName(entry.name, section))
                at.header = at.lastContent = i;
            continue;
        }
        if (entry.kind == Entry::Section)
            break;
        if (!trimBlanks(lines.at(i).text()).isEmpty())
            at.lastContent = i;
        if (entry.kind == Entry::Key && at.keyLine < 0 && sameName(entry.name, key)) {
            at.keyLine = i;
            at.keySpelling = entry.name;
            at.value = entry.value;
        }
    }
    return at;
}

// The whole file; empty for a missing file, nullopt when it exists but cannot
// be read (a write must then leave it alone rather than replace it).
std::optional<QByteArray> readBytes(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// What a key's text means: without one pair of matching surrounding quotes
// (the text is already trimmed), cut at its first NUL.
QString valueOf(const QString& stored)
{
    QString value = stored;
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    return value;
}

// What identifies one version of a file: an atomic replace gives a new inode,
// an edit in place a new size or modification time.
struct FileVersion
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    qint64 modifiedNs = 0;
    bool operator==(const FileVersion&) const = default;
};

std::optional<FileVersion> versionOf(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileVersion{info.st_dev, info.st_ino, info.st_size,
                       qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

// The values of a file as reading finds them: the first section of each name,
// the first line of each key in it; names folded for comparison without case.
struct KeyIndex
{
    FileVersion version;
    QHash<QString, QHash<QString, QString>> sections;
};

KeyIndex indexOf(const QList<Line>& lines)
{
    KeyIndex index;
    QHash<QString, QString>* current = nullptr;
    for (const Line& line : lines) {
        const Entry entry = parseLine(line.text());
        if (entry.kind == Entry::Section) {
            const QString name = entry.name.toCaseFolded();
            current = index.sections.contains(name) ? nullptr : &index.sections[name];
        } else if (entry.kind == Entry::Key && current) {
            const QString name = entry.name.toCaseFolded();
            if (!current->contains(name))
                current->insert(name, entry.value);
        }
    }
    return index;
}

// Reading settings asks for one key at a time, often a hundred in a row: the
// file is split and indexed once per version, not once per key, so that even a
// settings file of a million lines opens at once.
class KeyIndexCache
{
public:
    std::optional<QString> value(const QString& path, const QString& section, const QString& key)
    {
        const std::optional<FileVersion> version = versionOf(path);
        if (!version)
            return std::nullopt;
        QMutexLocker lock(&m_mutex);
        auto found = m_indexes.find(path);
        if (found == m_indexes.end() || !(found->version == *version)) {
            const std::optional<QByteArray> bytes = readBytes(path);
            if (!bytes)
                return std::nullopt;
            // The file may change between the stat and the read; then the next
            // read indexes it again.
            KeyIndex index = indexOf(splitLines(*bytes).lines);
            index.version = *version;
            if (m_indexes.size() >= MaxFiles)
                m_indexes.clear();
            found = m_indexes.insert(path, std::move(index));
        }
        const auto inSection = found->sections.constFind(section.toCaseFolded());
        if (inSection == found->sections.constEnd())
            return std::nullopt;
        const auto value = inSection->constFind(key.toCaseFolded());
        if (value == inSection->constEnd())
            return std::nullopt;
        return *value;
    }

private:
    static constexpr qsizetype MaxFiles = 4;
    QMutex m_mutex;
    QHash<QString, KeyIndex> m_indexes;
};

std::optional<QString> lookup(const QString& file, const QString& section, const QString& key)
{
    static KeyIndexCache cache;
    const QString keyName = trimBlanks(key);
    if (keyName.isEmpty())
        return std::nullopt;
    const std::optional<QString> stored = cache.value(file, trimBlanks(section), keyName);
    if (!stored)
        return std::nullopt;
    return valueOf(*stored);
}

QString cutToUtf8Bytes(const QString& text, int limit)
{
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        int width = 3;
        qsizetype units = 1;
        if (u < 0x80) {
            width = 1;
        } else if (u < 0x800) {
            width = 2;
        } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            width = 4;
            units = 2;
        }
        if (bytes + width > limit)
            return text.left(i);
        bytes += width;
        i += units - 1;
    }
    return text;
}

std::optional<int> parseInt16(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    int value = 0;
    for (; i < text.size(); ++i) {
        if (!isAsciiDigit(text.at(i)))
            return std::nullopt;
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > 32768)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 32767)
        return std::nullopt;
    return value;
}

std::optional<double> parseDecimal(const QString& text)
{
    qsizetype i = 0;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    for (; i < text.size() && isAsciiDigit(text.at(i)); ++i)
        ++digits;
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        for (++i; i < text.size() && isAsciiDigit(text.at(i)); ++i)
            ++digits;
    }
    if (digits == 0 || i != text.size())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok); // QString::toDouble always uses '.'
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Text that UTF-8 can carry and that fits on one line of the file.
bool isOneLineOfUtf8(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n') || ch.isNull())
            return false;
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (ch.isSurrogate())
            return false;
    }
    return true;
}

// A section or key that would read back as something else is refused.
bool isStorableSection(const QString& name)
{
    return !name.isEmpty() && isOneLineOfUtf8(name);
}

bool isStorableKey(const QString& name)
{
    return !name.isEmpty() && isOneLineOfUtf8(name) && !name.contains(QLatin1Char('=')) &&
           !name.startsWith(QLatin1Char(';')) && !name.startsWith(QLatin1Char('[')) &&
           !name.startsWith(QChar(0xFEFF));
}

// The text to put after "key=" so that reading gives back exactly `value`:
// reading trims blanks and takes off one pair of matching quotes, so a value
// that starts or ends with a blank, or starts and ends with the same quote, is
// put inside a pair of double quotes (which any reader of the format takes
// off again). nullopt for a value that no line can give back: a line break, a
// NUL, a lone surrogate, or more than the 255 bytes a text read returns.
std::optional<QString> storedForm(const QString& value)
{
    if (!isOneLineOfUtf8(value) || cutToUtf8Bytes(value, MaxTextBytes).size() != value.size())
        return std::nullopt;
    if (value.isEmpty())
        return value;
    const QChar first = value.front();
    const QChar last = value.back();
    const bool blankAtAnEnd = isBlank(first) || isBlank(last);
    const bool quoted =
        value.size() >= 2 && (first == QLatin1Char('"') || first == QLatin1Char('\'')) && last == first;
    if (blankAtAnEnd || quoted)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

void insertLine(Document& document, qsizetype position, const QString& text)
{
    if (position > 0 && document.lines.at(position - 1).ending.isEmpty())
        document.lines[position - 1].ending = document.newline;
    document.lines.insert(position, {text.toUtf8(), document.newline, text});
}

} // namespace

QString IniFile::readText(const QString& file, const QString& section, const QString& key,
                          const QString& defaultValue)
{
    if (const std::optional<QString> value = lookup(file, section, key))
        return cutToUtf8Bytes(*value, MaxTextBytes);
    return defaultValue;
}

int IniFile::readInt(const QString& file, const QString& section, const QString& key, int defaultValue)
{
    if (const std::optional<QString> value = lookup(file, section, key))
        return parseInt16(*value).value_or(defaultValue);
    return defaultValue;
}

double IniFile::readNumber(const QString& file, const QString& section, const QString& key,
                           double defaultValue)
{
    if (const std::optional<QString> value = lookup(file, section, key))
        return parseDecimal(*value).value_or(defaultValue);
    return defaultValue;
}

bool IniFile::isStorable(const QString& section, const QString& key, const QString& value)
{
    return isStorableSection(trimBlanks(section)) && isStorableKey(trimBlanks(key)) && storedForm(value);
}

bool IniFile::writeText(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return writeTexts(file, {{section, key, value}});
}

bool IniFile::writeTexts(const QString& file, const QList<IniWrite>& writes)
{
    // Each write as it will go into the file: trimmed names, the stored form.
    struct Prepared
    {
        QString section;
        QString key;
        QString stored;
        QString value;
    };
    bool allStored = true;
    QList<Prepared> storable;
    for (const IniWrite& write : writes) {
        const QString sectionName = trimBlanks(write.section);
        const QString keyName = trimBlanks(write.key);
        const std::optional<QString> stored = storedForm(write.value);
        if (isStorableSection(sectionName) && isStorableKey(keyName) && stored)
            storable.append({sectionName, keyName, *stored, write.value});
        else
            allStored = false;
    }
    if (storable.isEmpty())
        return allStored;
    const std::optional<QByteArray> original = readBytes(file);
    if (!original)
        return false;

    Document document = splitLines(*original);
    bool changed = false;
    for (const Prepared& write : storable) {
        const Location at = locate(document.lines, write.section, write.key);
        if (at.keyLine >= 0) {
            // A line that already gives the value stays as it is, in whatever
            // form and code page it was written.
            if (valueOf(at.value) == write.value)
                continue;
            const QString text = at.keySpelling + QLatin1Char('=') + write.stored;
            Line& line = document.lines[at.keyLine];
            line.bytes = text.toUtf8();
            line.decoded = text;
        } else if (at.header >= 0) {
            insertLine(document, at.lastContent + 1, write.key + QLatin1Char('=') + write.stored);
        } else {
            insertLine(document, document.lines.size(), QLatin1Char('[') + write.section + QLatin1Char(']'));
            insertLine(document, document.lines.size(), write.key + QLatin1Char('=') + write.stored);
        }
        changed = true;
    }
    if (!changed)
        return allStored;
    // Written beside the file and renamed over it: a failure or a crash part way
    // leaves the old file whole.
    return writeFileAtomically(file, joinLines(document)) && allStored;
}
