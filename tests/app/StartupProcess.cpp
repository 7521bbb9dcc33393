// One start of Quillet in a process of its own, for tests that must run it as
// another user (file permissions do not bind root). It prints every message box
// and what became of a save, one line each, for the test to compare.
//
//   StartupProcess create <folder> <database>   a database in WAL mode with one
//                                               memo, then made read-only
//   StartupProcess start <folder> <database> [yes|no ...]
//                                               start-up on that database, the
//                                               questions answered in order, then
//                                               one memo saved
#include "SilentPrompt.h"
#include "app/Startup.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <deque>

namespace {

const QString kTime = QStringLiteral("2026/01/01 00:00:00");

void print(const QString& line)
{
    QString oneLine = line;
    oneLine.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    std::fputs(oneLine.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

const char* iconName(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Critical:
        return "critical";
    case PromptIcon::Question:
        return "question";
    case PromptIcon::Exclamation:
        return "exclamation";
    case PromptIcon::Information:
        return "information";
    case PromptIcon::None:
        break;
    }
    return "none";
}

// Prints each message box and answers its questions from the command line.
class PrintingPrompt final : public SilentPrompt
{
public:
    std::deque<PromptAnswer> answers;

    PromptAnswer message(const PromptMessage& message) override
    {
        print(QLatin1String(iconName(message.icon)) + QStringLiteral(": ") + message.text);
        if (message.buttons == PromptButtons::Ok)
            return PromptAnswer::Ok;
        if (answers.empty()) {
            print(QStringLiteral("unanswered"));
            return PromptAnswer::Cancel;
        }
        const PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

int create(const QString& folder, const QString& database)
{
    TemplateDatabase::copyTo(folder, database);
    {
        MemoStore store(database); // switches the file to WAL mode
        store.insertMemo(QStringLiteral("before"), {}, {}, kTime);
    }
    const QFile::Permissions readOnly =
        QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
    return QFile::setPermissions(database, readOnly) ? 0 : 1;
}

int start(const QString& folder, const QString& database, const QStringList& answers)
{
    PrintingPrompt prompt;
    for (const QString& answer : answers)
        prompt.answers.push_back(answer == QLatin1String("yes") ? PromptAnswer::Yes : PromptAnswer::No);
    StartupResult result = Startup(prompt, folder).run({database});
    if (!result.proceed) {
        print(QStringLiteral("ended"));
        return 0;
    }
    try {
        result.store->insertMemo(QStringLiteral("saved"), {}, {}, kTime);
        print(QStringLiteral("saved"));
    } catch (const DatabaseError& error) {
        print(QStringLiteral("save failed: ") + error.userMessage());
    }
    print(QStringLiteral("memos: %1").arg(result.store->countMemos()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    try {
        if (arguments.size() == 4 && arguments.at(1) == QLatin1String("create"))
            return create(arguments.at(2), arguments.at(3));
        if (arguments.size() >= 4 && arguments.at(1) == QLatin1String("start"))
            return start(arguments.at(2), arguments.at(3), arguments.mid(4));
    } catch (const DatabaseError& error) {
        print(QStringLiteral("error: ") + error.userMessage());
        return 1;
    }
    std::fputs("usage: StartupProcess create|start <folder> <database> [yes|no ...]\n", stderr);
    return 2;
}
