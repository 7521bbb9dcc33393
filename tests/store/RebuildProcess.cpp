// A database rebuild in a process of its own, which DatabaseRebuildTest kills
// at random moments.
//
//   RebuildProcess <folder> <database> <old version>
//
// Every explanation of the progress goes to stdout, one line each, as it is
// shown. Exits with 0 when the database was rebuilt, 1 when it failed (the error on stderr).
#include "app/Progress.h"
#include "store/DatabaseError.h"
#include "store/DatabaseRebuild.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

class PrintedProgress final : public QuietProgress
{
public:
    void SetExplain(const QString& text) override
    {
        std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fputs("usage: RebuildProcess <folder> <database> <old version>\n", stderr);
        return 2;
    }
    PrintedProgress progress;
    try {
        return RebuildDatabase({arguments.at(3).toInt(), arguments.at(2), QString(), arguments.at(1)},
                               progress)
                   ? 0
                   : 1;
    } catch (const DatabaseError& error) {
        std::fputs(error.userMessage().toUtf8().constData(), stderr);
        return 1;
    }
}
