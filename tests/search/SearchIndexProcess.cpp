// Makes the search index of a database (when missing) and files the pending
// memos under their tokens, in a process of its own, which SearchIndexTest
// kills in the middle.
//
//   SearchIndexProcess <database>
//
// Prints "filed N" after each batch that was committed. Exits with 0 when
// every memo was filed, 1 when it failed (the error on stderr).
#include "app/Progress.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "store/SearchIndex.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

class PrintedProgress final : public QuietProgress
{
public:
    void SetProgress(int, int value) override
    {
        std::printf("filed %d\n", value);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: SearchIndexProcess <database>\n", stderr);
        return 2;
    }
    try {
        MemoStore store(arguments.at(1));
        PrintedProgress progress;
        SearchIndex index(store.database());
        index.prepare();
        return index.catchUp(&progress) ? 0 : 1;
    } catch (const DatabaseError& error) {
        std::fputs(error.userMessage().toUtf8().constData(), stderr);
        return 1;
    }
}
