// One of the two copies of Quillet in the two-copies test: it keeps one
// database connection open for its whole run, as the window does, and runs
// the core operations the window uses on commands read from stdin, one per
// line, fields separated by tabs, texts percent-encoded:
//
//   save <id> <title> <body> <tags>   saves a memo as the editor does
//   trash <id>                        moves one memo to the trash
//   rename <old> <new>                renames a tag in every memo
//   hold <ms>                         holds a write transaction for ms milliseconds
//   quit
//
// Each command answers one line: "ok", or "error <percent-encoded message>"
// with the message the window would show. "hold" first answers "held" once
// the write lock is taken.
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "tags/TagOperations.h"
#include "tags/TagString.h"
#include "tags/TagTable.h"
#include "tags/Trash.h"

#include <QCoreApplication>
#include <QThread>
#include <QUrl>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

void answer(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString field(const QList<QByteArray>& parts, int index)
{
    return index < parts.size() ? QUrl::fromPercentEncoding(parts[index]) : QString();
}

// The tag table as the window has it after a refresh.
void loadTable(MemoStore& store, TagTable& table)
{
    table.load(store.readCategoryGroups(), store.countTrashedMemos());
}

void run(MemoStore& store, const QList<QByteArray>& parts)
{
    const QByteArray& command = parts[0];
    TagTable table;
    if (command == "save") {
        store.updateMemo(parts.value(1).toLongLong(), field(parts, 2), field(parts, 3), field(parts, 4),
                         QStringLiteral("2026/12/10 12:00:00"));
    } else if (command == "trash") {
        loadTable(store, table);
        Trash(store, table).MoveMemoToTrash(parts.value(1).toLongLong());
    } else if (command == "rename") {
        loadTable(store, table);
        const QString from = field(parts, 1);
        const QString to = field(parts, 2);
        TagOperations(store, table).rewriteEverywhere(from, [&](const QString& tags) {
            return renameTagInString(tags, from, to);
        });
    } else if (command == "hold") {
        auto transaction = store.transaction();
        answer("held");
        QThread::msleep(parts.value(1).toULong());
        transaction.commit();
    } else {
        throw DatabaseError(QStringLiteral("unknown command"));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    MemoStore store(app.arguments().at(1));
    answer("ready");
    std::string line;
    while (std::getline(std::cin, line)) {
        const QList<QByteArray> parts = QByteArray::fromStdString(line).split('\t');
        if (parts[0] == "quit")
            break;
        try {
            run(store, parts);
            answer("ok");
        } catch (const DatabaseError& e) {
            answer("error " + QUrl::toPercentEncoding(e.userMessage()));
        }
    }
    return 0;
}
