#include "store/JetConverter.h"

#include "app/Progress.h"
#include "store/DatabaseError.h"
#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"
#include "store/WriteBatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <mdbtools.h>

namespace {

// The largest value of one column that is read whole (a memo body in UTF-8).
// A longer value would come back cut; the conversion is refused instead.
constexpr size_t kBindSize = 16 * 1024 * 1024;
// Titles shown after the conversion of a Jet 3 file, whose text encoding is a guess.
constexpr int kSampleTitles = 5;
// The buffer of a column that is not long text or a binary object. Such a
// value lies within one page (4 KB at most), which libmdb turns into at most
// three times as many bytes of UTF-8; the buffer holds more than that also
// when a damaged file gives a value the length of a whole page.
constexpr size_t kShortValueSize = 64 * 1024;

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

DatabaseError damaged(const QString& jetPath, const QString& detail = {})
{
    return DamagedJetFile(jetPath, detail);
}

// The first page of a Jet file, as far as the checks below need it.
QByteArray readHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(0x80);
}

quint16 word(const QByteArray& header, int offset)
{
    return quint16(quint8(header[offset]) | (quint8(header[offset + 1]) << 8));
}

// Whether the database carries a Jet password. The header keeps it at 0x42,
// masked with a fixed key (Jet 4: 16-bit characters whose mask also depends
// on the word at 0x66); an empty password unmasks to zero. libmdb ignores the
// password and would read such a file, which its owner meant to be closed.
bool hasPassword(const QByteArray& header, bool jet3)
{
    static constexpr std::array<quint8, 18> jet3Mask{0x86, 0xfb, 0xec, 0x37, 0x5d, 0x44, 0x9c, 0xfa, 0xc6,
                                                     0x5e, 0x28, 0xe6, 0x13, 0xb6, 0x8a, 0x60, 0x54, 0x94};
    static constexpr std::array<quint16, 20> jet4Mask{0x6aba, 0x37ec, 0xd561, 0xfa9c, 0xcffa, 0xe628, 0x272f,
                                                      0x608a, 0x0568, 0x367b, 0xe3c9, 0xb1df, 0x654b, 0x4313,
                                                      0x3ef3, 0x33b1, 0xf008, 0x5b79, 0x24ae, 0x2a7c};
    if (header.size() < 0x80)
        return false;
    if (jet3)
        return (quint8(header[0x42]) ^ jet3Mask[0]) != 0;
    const quint16 dateMask = word(header, 0x66) ^ jet4Mask[18];
    quint16 first = word(header, 0x42) ^ jet4Mask[0];
    if (first > 0xff)
        first ^= dateMask;
    return first != 0;
}

QString quoted(const QString& identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// How a column is declared in the built-in layout: type, default, key.
struct Declaration
{
    QString type;
    QString defaultValue; // SQL text, empty for none
    bool key = false;
};

// The declarations of every table of the built-in layout, by table and column
// (column names case-folded), read from a database written with its schema.
QHash<QString, QHash<QString, Declaration>> layoutDeclarations(const QStringList& tables)
{
    SqliteDatabase layout(QStringLiteral(":memory:"), SqliteDatabase::Access::Create);
    layout.execute(sql::CreateTemplateSchema);
    QHash<QString, QHash<QString, Declaration>> result;
    for (const QString& table : tables) {
        Statement query(layout, sql::ReadColumnDeclarations);
        query.bind(1, table);
        while (query.step()) {
            result[table.toCaseFolded()][query.text(0).toCaseFolded()] =
                Declaration{query.text(1), query.isNull(2) ? QString() : query.text(2), query.int64(3) != 0};
        }
    }
    return result;
}

// A column's type in the converted file when the built-in layout does not have it.
QString sqliteType(int jetType)
{
    switch (jetType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return QStringLiteral("INTEGER");
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return QStringLiteral("REAL");
    case MDB_MONEY:
    case MDB_NUMERIC:
        // Whole numbers stay integers, exact beyond a double's 53 bits.
        return QStringLiteral("NUMERIC");
    case MDB_BINARY:
    case MDB_OLE:
        return QStringLiteral("BLOB");
    default: // text, memo, date/time, replication IDs
        return QStringLiteral("TEXT");
    }
}

QString columnDeclaration(const QString& name, int jetType, const Declaration* layout)
{
    QString text = quoted(name) + QLatin1Char(' ');
    if (!layout)
        return text + sqliteType(jetType);
    text += layout->type;
    // The memo's identity stays the key: its values are kept, and new memos
    // get numbers above them, never one used before.
    if (layout->key)
        text += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
    if (!layout->defaultValue.isEmpty())
        text += QStringLiteral(" DEFAULT ") + layout->defaultValue;
    return text;
}

struct MdbHandleDeleter
{
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct MdbTableDeleter
{
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using MdbHandlePtr = std::unique_ptr<MdbHandle, MdbHandleDeleter>;
using MdbTablePtr = std::unique_ptr<MdbTableDef, MdbTableDeleter>;

// libmdb decodes text with the character sets of its handle: Jet 4 text is
// UTF-16 (also outside the basic plane, which its default of UCS-2 refuses),
// Jet 3 text is taken as code page 932, that of the Japanese Windows these
// files come from, whatever code page the header names. Whatever MDBICONV
// says, the result is UTF-8.
void setTextDecoding(MdbHandle* mdb, bool jet3, const QString& jetPath)
{
    const char* stored = jet3 ? "CP932" : "UTF-16LE";
    mdb_iconv_close(mdb);
    mdb->iconv_in = iconv_open("UTF-8", stored);
    mdb->iconv_out = iconv_open(stored, "UTF-8");
    if (mdb->iconv_in == iconv_t(-1) || mdb->iconv_out == iconv_t(-1))
        throw DatabaseError(QStringLiteral("文字コード%1を変換できません。\n").arg(QLatin1String(stored)) +
                            jetPath);
}

MdbColumn* columnAt(MdbTableDef* table, int i)
{
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
}

// One Jet table's columns bound to buffers of their own.
class BoundRow
{
public:
    explicit BoundRow(MdbTableDef* table)
    {
        const int count = int(table->num_cols);
        m_buffers.resize(count);
        m_lengths.resize(count, 0);
        for (int i = 0; i < count; ++i) {
            // Values of the other types are short: a text column holds at most
            // 255 characters, a number or a date a few dozen. libmdb writes
            // at most the converted value into the buffer, whatever its size.
            const int type = columnAt(table, i)->col_type;
            const bool whole = type == MDB_MEMO || type == MDB_OLE || type == MDB_COMPLEX;
            m_buffers[i].resize(whole ? kBindSize + 1 : kShortValueSize);
            mdb_bind_column(table, i + 1, m_buffers[i].data(), &m_lengths[i]);
        }
    }
    int length(int column) const { return m_lengths[column]; }
    const char* data(int column) const { return m_buffers[column].data(); }

private:
    std::vector<std::vector<char>> m_buffers;
    std::vector<int> m_lengths;
};

// Binds one Jet value (as libmdb formats it) to parameter `parameter`.
void bindValue(Statement& insert, int parameter, MdbHandle* mdb, MdbColumn* column, const BoundRow& row,
               int index, const QString& jetPath)
{
    const int length = row.length(index);
    const int type = column->col_type;
    if (type == MDB_OLE) {
        size_t size = 0;
        void* value = length > 0 ? mdb_ole_read_full(mdb, column, &size) : nullptr;
        if (!value) {
            insert.bindNull(parameter);
            return;
        }
        insert.bindBlob(parameter, QByteArrayView(static_cast<const char*>(value), qsizetype(size)));
        std::free(value);
        return;
    }
    if (type == MDB_BOOL) {
        // Never Null in Jet: the value is the row's null flag itself.
        insert.bind(parameter, qint64(std::strcmp(row.data(index), "1") == 0 ? -1 : 0));
        return;
    }
    if (length <= 0) {
        insert.bindNull(parameter);
        return;
    }
    if (size_t(length) >= kBindSize)
        throw DatabaseError(QStringLiteral("「%1」の列「%2」に長すぎる値があるため読み込めません。")
                                .arg(fileName(jetPath), QString::fromUtf8(column->name)));
    const QByteArrayView text(row.data(index), length);
    bool ok = true;
    switch (type) {
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        insert.bind(parameter, text.toByteArray().toLongLong(&ok));
        break;
    case MDB_MONEY:
    case MDB_NUMERIC: {
        // Whole numbers stay exact (a Numeric of 18 digits does not fit a double).
        const qint64 whole = text.toByteArray().toLongLong(&ok);
        if (ok)
            insert.bind(parameter, whole);
        else
            insert.bind(parameter, text.toByteArray().toDouble(&ok));
        break;
    }
    case MDB_FLOAT:
    case MDB_DOUBLE:
        insert.bind(parameter, text.toByteArray().toDouble(&ok));
        break;
    case MDB_BINARY:
        insert.bindBlob(parameter, text);
        break;
    default:
        insert.bindUtf8(parameter, text);
        break;
    }
    if (!ok)
        throw damaged(jetPath, QStringLiteral("%1: %2").arg(QString::fromUtf8(column->name),
                                                            QString::fromUtf8(text.toByteArray())));
}

// The converted file under a temporary name beside the target, removed
// unless published: a cancel or a failure leaves nothing behind.
class PartialFile
{
public:
    explicit PartialFile(const QString& target)
    {
        RemoveUnfinishedJetCopies(target);
        QByteArray name = QFile::encodeName(target + QStringLiteral(".partial-XXXXXX"));
        const int fd = ::mkstemp(name.data());
        if (fd < 0) {
            const int error = errno;
            throw DatabaseError(QStringLiteral("変換したデータベースを書き込めません。\n") + target,
                                QString::fromLocal8Bit(std::strerror(error)), error);
        }
        // mkstemp makes the file private (0600); the copy is a database like
        // any other, so it takes the permissions SQLite gives a new one.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0644 & ~mask);
        ::close(fd);
        m_path = QFile::decodeName(name);
    }
    ~PartialFile()
    {
        if (m_published)
            return;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(m_path + QLatin1String(suffix));
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    QString path() const { return m_path; }

    // Syncs the complete file and gives it its name; a file that appeared
    // there meanwhile is never replaced.
    void publish(const QString& target)
    {
        const auto failed = [&](int error) {
            return DatabaseError(QStringLiteral("変換したデータベースを書き込めません。\n") + target,
                                 QString::fromLocal8Bit(std::strerror(error)), error);
        };
        const QByteArray from = QFile::encodeName(m_path);
        const QByteArray to = QFile::encodeName(target);
        const int fd = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            const int error = errno;
            if (fd >= 0)
                ::close(fd);
            throw failed(error);
        }
        ::close(fd);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
            // File systems without that kind of rename: a hard link fails as well
            // when the name is taken.
            if (errno != EINVAL || ::link(from.constData(), to.constData()) != 0)
                throw failed(errno);
            ::unlink(from.constData());
        }
        m_published = true;
        const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
        const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }

private:
    QString m_path;
    bool m_published = false;
};

} // namespace

DatabaseError DamagedJetFile(const QString& jetPath, const QString& detail)
{
    return DatabaseError(QStringLiteral("「%1」はWindows版のメモデータベース(Jet形式)ですが、"
                                        "ファイルが壊れているため読み込めません。")
                             .arg(fileName(jetPath)),
                         detail);
}

void RefuseExistingJetTarget(const QString& target)
{
    if (QFileInfo::exists(target))
        throw DatabaseError(QStringLiteral("変換先のファイルがすでにあります。\n") + target);
}

void RemoveUnfinishedJetCopies(const QString& target)
{
    const QFileInfo info(target);
    const QString pattern = info.fileName() + QStringLiteral(".partial-??????");
    QDir folder = info.dir();
    for (const QString& name : folder.entryList({pattern, pattern + QStringLiteral("-*")},
                                                QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
}

bool IsJetFile(const QString& path)
{
    static const QByteArray signature("Standard Jet DB");
    const QByteArray header = readHeader(path);
    return header.size() >= 4 + signature.size() && header.mid(4, signature.size()) == signature;
}

QString JetConvertedPath(const QString& jetPath)
{
    const QFileInfo info(jetPath);
    QString base = info.fileName();
    const int dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    return info.dir().filePath(base + QStringLiteral(".sqlite.mdb"));
}

QStringList KnownJetTables()
{
    return {QStringLiteral("Contents"), QStringLiteral("FileDB"), QStringLiteral("LogDB"),
            QStringLiteral("Memo"), QStringLiteral("DBInfo")};
}

namespace {

// A Jet file opened by libmdb, with the wanted tables it has.
struct OpenedJet
{
    MdbHandlePtr mdb;
    bool jet3 = false;
    // The wanted tables the file has, in the order asked for, under the names asked for.
    std::vector<std::pair<QString, MdbCatalogEntry*>> found;
};

// Opens the Jet file and reads its catalogue; throws DatabaseError for a file
// that is damaged, protected by a password or has none of `tables`.
OpenedJet openJet(const QString& jetPath, const QStringList& tables)
{
    OpenedJet jet;
    if (!IsJetFile(jetPath))
        throw damaged(jetPath);
    const QByteArray header = readHeader(jetPath);
    // The version word: 0 is Jet 3; Jet 4 and the later Access formats share the Unicode text.
    jet.jet3 = header.size() >= 0x18 && header[0x14] == 0 && header[0x15] == 0;
    // A Jet file is a whole number of pages. A copy cut short mostly is not,
    // and libmdb can loop for ever on one, following pages past its end.
    const qint64 pageSize = jet.jet3 ? 2048 : 4096;
    const qint64 size = QFileInfo(jetPath).size();
    if (size < 2 * pageSize || size % pageSize != 0)
        throw damaged(jetPath);
    if (hasPassword(header, jet.jet3))
        throw DatabaseError(
            QStringLiteral("「%1」はパスワードで保護されたWindows版のメモデータベース(Jet形式)のため"
                           "読み込めません。\nWindowsでパスワードを解除してから読み込んでください。")
                .arg(fileName(jetPath)));

    jet.mdb.reset(mdb_open(QFile::encodeName(jetPath).constData(), MDB_NOFLAGS));
    if (!jet.mdb)
        throw damaged(jetPath);
    setTextDecoding(jet.mdb.get(), jet.jet3, jetPath);
    if (!mdb_read_catalog(jet.mdb.get(), MDB_TABLE))
        throw damaged(jetPath);

    for (const QString& wanted : tables) {
        for (unsigned int i = 0; i < jet.mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(jet.mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry) &&
                QString::fromUtf8(entry->object_name).compare(wanted, Qt::CaseInsensitive) == 0) {
                jet.found.emplace_back(wanted, entry);
                break;
            }
        }
    }
    if (jet.found.empty())
        throw DatabaseError(QStringLiteral("「%1」はWindows版のデータベース(Jet形式)ですが、"
                                           "Quilletのメモのテーブル(%2)がありません。")
                                .arg(fileName(jetPath), tables.join(QStringLiteral("、"))));
    return jet;
}

} // namespace

void CheckJetDatabase(const QString& jetPath, const QStringList& tables)
{
    openJet(jetPath, tables);
}

JetConversion ConvertJetDatabase(const QString& jetPath, const QString& target, const QStringList& tables,
                                 Progress& progress)
{
    OpenedJet jet = openJet(jetPath, tables);
    RefuseExistingJetTarget(target);
    JetConversion result;
    result.jet3 = jet.jet3;
    MdbHandlePtr& mdb = jet.mdb;
    const auto& found = jet.found;
    mdb_set_date_fmt(mdb.get(), "%Y/%m/%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb.get(), "%Y/%m/%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb.get());
    mdb_set_bind_size(mdb.get(), kBindSize);

    progress.SetProgressBar(true, true);
    progress.SetTitle(QStringLiteral("Windows版データベースの変換"));
    progress.SetProgressMax(1, int(found.size()));
    progress.SetProgressClear(1);

    const auto layout = layoutDeclarations(KnownJetTables());
    QStringList memoTitles;
    QStringList diaryTitles;
    PartialFile partial(target);
    {
        SqliteDatabase db(partial.path(), SqliteDatabase::Access::ReadWrite);
        // Scratch until it is synced and renamed at the end.
        db.execute(sql::RebuildScratchSettings);
        int tableNumber = 0;
        for (const auto& [name, entry] : found) {
            progress.SetExplain(QStringLiteral("「%1」を変換中。").arg(name));
            MdbTablePtr table(mdb_read_table(entry));
            if (!table || !mdb_read_columns(table.get()))
                throw damaged(jetPath, name);
            mdb_rewind_table(table.get());
            const int count = int(table->num_cols);
            const QHash<QString, Declaration> known = layout.value(name.toCaseFolded());
            QStringList declarations;
            QStringList columnNames;
            QStringList parameters;
            int titleColumn = -1;
            for (int i = 0; i < count; ++i) {
                MdbColumn* column = columnAt(table.get(), i);
                const QString columnName = QString::fromUtf8(column->name);
                const auto declared = known.constFind(columnName.toCaseFolded());
                declarations.append(columnDeclaration(columnName, column->col_type,
                                                      declared == known.constEnd() ? nullptr : &*declared));
                columnNames.append(quoted(columnName));
                parameters.append(QLatin1Char('?') + QString::number(i + 1));
                if (columnName.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0)
                    titleColumn = i;
            }
            const QByteArray create = QString::fromLatin1(sql::JetCreateTable)
                                          .arg(quoted(name), declarations.join(QStringLiteral(", ")))
                                          .toUtf8();
            db.execute(create.constData());
            if (count == 0) {
                result.tables.append(name);
                progress.SetProgress(1, ++tableNumber);
                continue;
            }
            const QByteArray insertText = QString::fromLatin1(sql::JetInsertRow)
                                              .arg(quoted(name), columnNames.join(QStringLiteral(", ")),
                                                   parameters.join(QStringLiteral(", ")))
                                              .toUtf8();

            const int rows = int(table->num_rows);
            progress.SetProgressMax(2, rows > 0 ? rows : 100);
            progress.SetProgressClear(2);
            BoundRow row(table.get());
            Statement insert(db, insertText.constData());
            WriteBatch batch(db, JetRowsPerCommit);
            // No transaction stays open while the progress window lets events run.
            CommitBeforeEvents commitBeforeEvents(progress, batch);
            // Memo titles, or diary titles where the file has no memo.
            QStringList& samples = name == QLatin1String("Memo") ? memoTitles : diaryTitles;
            const bool sampled =
                titleColumn >= 0 && (name == QLatin1String("Memo") || name == QLatin1String("Contents"));
            int copied = 0;
            while (mdb_fetch_row(table.get())) {
                batch.beforeWrite();
                insert.reset();
                for (int i = 0; i < count; ++i)
                    bindValue(insert, i + 1, mdb.get(), columnAt(table.get(), i), row, i, jetPath);
                insert.run();
                batch.afterWrite();
                if (sampled && samples.size() < kSampleTitles && row.length(titleColumn) > 0)
                    samples.append(QString::fromUtf8(row.data(titleColumn), row.length(titleColumn)));
                progress.SetProgress(2, ++copied);
                if (progress.IsCancel()) {
                    result.cancelled = true;
                    return result;
                }
            }
            batch.commit();
            result.tables.append(name);
            progress.SetProgress(1, ++tableNumber);
        }
    }
    partial.publish(target);
    result.sampleTitles = memoTitles.isEmpty() ? diaryTitles : memoTitles;
    return result;
}
