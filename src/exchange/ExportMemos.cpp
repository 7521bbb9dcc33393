#include "exchange/ExportMemos.h"

#include "app/Clock.h"
#include "app/Progress.h"
#include "app/Prompt.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "exchange/ExportDefinition.h"
#include "exchange/MakeSafeFilePath.h"
#include "exchange/ReportList.h"
#include "store/DatabaseError.h"
#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

namespace {

// Memos written between two updates of the progress window.
constexpr int ProgressStep = 50;

int countMemos(SqliteDatabase& db, const ExportRequest& request)
{
    Statement count(db, sql::ExportCountMemos);
    count.bind(1, request.includeTrash).bind(2, request.includeLocked);
    return count.step() ? int(count.int64(0)) : 0;
}

// The placeholders in the order of their table; none is the start of another.
enum class Placeholder
{
    UserId,
    Id,
    Title,
    Memo,
    Day,
    Category,
    NowTime,
    NowDay
};
struct PlaceholderName
{
    QByteArrayView text;
    Placeholder which;
};
constexpr PlaceholderName Placeholders[] = {
    {"[!USER_ID]", Placeholder::UserId},   {"[!ID]", Placeholder::Id},
    {"[!TITLE]", Placeholder::Title},      {"[!MEMO]", Placeholder::Memo},
    {"[!DAY]", Placeholder::Day},          {"[!CATEGORY]", Placeholder::Category},
    {"[!NOW_TIME]", Placeholder::NowTime}, {"[!NOW_DAY]", Placeholder::NowDay},
};

QByteArrayView valueOf(Placeholder which, const ExportMemoRow& row, const ExportContext& context,
                       const QByteArray& id)
{
    switch (which) {
    case Placeholder::UserId:
        return context.userId;
    case Placeholder::Id:
        return id;
    case Placeholder::Title:
        return row.title;
    case Placeholder::Memo:
        return row.body;
    case Placeholder::Day:
        return row.publishTime;
    case Placeholder::Category:
        return row.category;
    case Placeholder::NowTime:
        return context.nowTime;
    case Placeholder::NowDay:
        return context.nowDay;
    }
    return {};
}

// Writes `bytes` as the whole file at `path`; false, with the system's reason,
// when the file cannot be created or written.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* reason)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *reason = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        *reason = file.errorString();
        file.close();
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

// A name that the path limit cut away whole, or a path still over the limit,
// would write every memo to one file named ".txt" or fail later: refused.
// `numberChars` is the length of the " (n)" the path carries, if any.
bool fitsPathLimit(const QString& folder, const QString& name, const QString& path, qsizetype numberChars)
{
    if (path.size() > MaxPathChars)
        return false;
    return path.size() > folder.size() + numberChars + 4 || MakeSafeFilePath(QString(), name).size() <= 4;
}

} // namespace

void ExportContext::setNow(const QDateTime& now)
{
    nowTime = now.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    nowDay = now.toString(QStringLiteral("yyyy/MM/dd")).toLatin1();
}

void ExpandPlaceholders(QByteArray& text, const ExportMemoRow& row, const ExportContext& context,
                        bool isFileName)
{
    // One pass over the template: the values go in as they stand, so a memo's
    // text is never read as a template of its own.
    if (text.contains("[!")) {
        const QByteArray id = QByteArray::number(row.recordId);
        QByteArray out;
        out.reserve(text.size() + row.body.size() + row.title.size() + 64);
        qsizetype pos = 0;
        for (;;) {
            const qsizetype at = text.indexOf("[!", pos);
            if (at < 0) {
                out.append(QByteArrayView(text).sliced(pos));
                break;
            }
            out.append(QByteArrayView(text).sliced(pos, at - pos));
            const QByteArrayView rest = QByteArrayView(text).sliced(at);
            pos = at + 2;
            bool replaced = false;
            for (const PlaceholderName& placeholder : Placeholders) {
                if (rest.startsWith(placeholder.text)) {
                    out.append(valueOf(placeholder.which, row, context, id));
                    pos = at + placeholder.text.size();
                    replaced = true;
                    break;
                }
            }
            if (!replaced)
                out.append("[!");
        }
        text.swap(out);
    }
    if (isFileName) {
        text.replace(':', '-');
        text.replace('/', '-');
        text.replace("\\", "");
    }
}

QString exportReport(const ExportOutcome& outcome)
{
    QString text = QString::number(outcome.written) + QStringLiteral("件のメモをエクスポートしました。");
    if (outcome.cancelled)
        text = QStringLiteral("途中でキャンセルしました。\n") + text;
    if (outcome.failures.empty())
        return text;
    text += u'\n' + QString::number(outcome.failures.size()) +
            QStringLiteral("件のメモは書き込めませんでした。\n");
    return text + ReportList::lines(qsizetype(outcome.failures.size()), [&outcome](qsizetype i) {
               const ExportFailure& failure = outcome.failures[size_t(i)];
               return QStringLiteral("ID %1: %2\n(%3)")
                   .arg(failure.recordId)
                   .arg(failure.path, failure.reason);
           });
}

ExportOutcome ExportMemos(const ExportRequest& request, Prompt& prompt, const Clock& clock,
                          const ProgressFactory& makeProgress)
{
    ExportOutcome outcome;
    QString folder = request.folder;
    if (!folder.endsWith(u'/'))
        folder += u'/';

    QString nameTemplate = request.fileNameTemplate;
    if (nameTemplate.isEmpty())
        nameTemplate = QString::fromLatin1(DefaultFileNameDef);
    else
        SettingsFile(request.iniFilePath).write(Settings::Export::FileNameDef, nameTemplate);

    const ExportDefinition::Result definition = ExportDefinition::read(request.definitionPath);
    if (!definition.ok()) {
        prompt.message({QStringLiteral("定義ファイルの読み込みに失敗しました。"),
                        PromptIcon::None,
                        PromptButtons::Ok,
                        {}});
        return outcome;
    }
    outcome.definitionRead = true;
    const QByteArray contentsTemplate = definition.templateText.toUtf8();
    const QByteArray fileNameTemplate = nameTemplate.toUtf8();

    ExportContext context;
    context.userId = request.userId.toUtf8();
    qint64 contextSecond = -1;
    try {
        SqliteDatabase db(request.dbPath, SqliteDatabase::Access::ReadOnly);
        std::unique_ptr<Progress> progress;
        const int total = makeProgress ? countMemos(db, request) : 0;
        if (total > ProgressShownAbove) {
            progress = makeProgress();
            progress->SetTitle(QStringLiteral("エクスポート"));
            progress->SetProgressBar(true, false);
            progress->SetExplain(QStringLiteral("エクスポート中...合計%1件").arg(total));
            progress->SetProgressMax(1, total);
        }
        Statement query(db, sql::ExportReadMemos);
        query.bind(1, request.includeTrash).bind(2, request.includeLocked);
        QByteArray contents;
        QByteArray name;
        QSet<QString> writtenPaths;
        int done = 0;
        while (query.step()) {
            const QDateTime now = clock.now();
            if (now.toSecsSinceEpoch() != contextSecond) {
                contextSecond = now.toSecsSinceEpoch();
                context.setNow(now);
            }
            const ExportMemoRow row{query.int64(0), query.utf8(1), query.utf8(2), query.utf8(3),
                                    query.utf8(4)};
            contents = contentsTemplate;
            ExpandPlaceholders(contents, row, context, false);
            contents += "\r\n";
            name = fileNameTemplate;
            ExpandPlaceholders(name, row, context, true);
            const QString fileName = QString::fromUtf8(name) + QStringLiteral(".txt");
            const QString cleanPath = MakeSafeFilePath(folder, fileName);
            // Two memos whose names come out the same must not overwrite
            // each other: the later ones are numbered.
            QString path = cleanPath;
            qsizetype numberChars = 0;
            for (int n = 2; writtenPaths.contains(path); ++n) {
                path = NumberedFilePath(cleanPath, n);
                numberChars = QStringLiteral(" (%1)").arg(n).size();
            }
            QString reason;
            if (!fitsPathLimit(folder, fileName, path, numberChars)) {
                outcome.failures.push_back({row.recordId, path, QStringLiteral("パスが長すぎます")});
            } else if (writeWholeFile(path, contents, &reason)) {
                writtenPaths.insert(path);
                ++outcome.written;
            } else {
                outcome.failures.push_back({row.recordId, path, reason});
            }
            // The window is kept live every few memos: letting events run
            // costs more than writing one small file.
            if (progress && ++done % ProgressStep == 0) {
                progress->SetProgress(1, done);
                if (progress->IsCancel()) {
                    outcome.cancelled = true;
                    break;
                }
            }
        }
        outcome.databaseRead = true;
    } catch (const DatabaseError& error) {
        prompt.critical(error.userMessage());
    }
    prompt.message({exportReport(outcome),
                    outcome.failures.empty() ? PromptIcon::Information : PromptIcon::Exclamation,
                    PromptButtons::Ok,
                    {}});
    return outcome;
}

void appendMemoTextBlock(QByteArray& out, QByteArrayView title, QByteArrayView body)
{
    out += "TITLE : ";
    out += title;
    out += "\r\n\r\n";
    out += body;
    out += "\r\n------------------------------------------\r\n";
}

bool AppendMemoText(SqliteDatabase& db, qint64 id, QByteArray& out)
{
    Statement query(db, sql::ExportReadMemoText);
    query.bind(1, id);
    if (!query.step())
        return false;
    appendMemoTextBlock(out, query.utf8(0), query.utf8(1));
    return true;
}

TextExportResult ExportMemoText(const QString& dbPath, const QList<qint64>& ids, const QString& path)
{
    TextExportResult result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = file.errorString();
        return result;
    }
    try {
        SqliteDatabase db(dbPath, SqliteDatabase::Access::ReadOnly);
        QByteArray block;
        for (qint64 id : ids) {
            block.clear();
            if (!AppendMemoText(db, id, block))
                continue;
            if (file.write(block) != block.size()) {
                // The reason is known only now (a full disk, say): commit()
                // would report an unknown error instead.
                result.error = file.errorString();
                file.cancelWriting();
                return result;
            }
            ++result.written;
        }
    } catch (const DatabaseError& error) {
        file.cancelWriting();
        result.error = error.userMessage();
        return result;
    }
    // Flushed before commit(): a write that fails while QSaveFile empties its
    // buffer inside commit() would still be renamed over the old file.
    if (!file.flush()) {
        result.error = file.errorString();
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    result.saved = true;
    return result;
}
