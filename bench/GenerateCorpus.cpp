// Makes (or finds in the cache) the generated memo database of a given size
// and prints its path: `quillet_bench_corpus 1000000`. With a second
// argument the file is copied there, e.g. as a home's diary.mdb.
#include "MemoCorpus.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int count = args.size() >= 2 ? args.at(1).toInt(&ok) : 0;
    if (!ok || count < 0) {
        QTextStream(stderr) << "usage: quillet_bench_corpus COUNT [COPY_TO]\n";
        return 2;
    }
    QString path = corpus::corpusFile(count);
    if (args.size() >= 3) {
        QFile::remove(args.at(2));
        if (!QFile::copy(path, args.at(2))) {
            QTextStream(stderr) << "cannot copy to " << args.at(2) << "\n";
            return 1;
        }
        path = args.at(2);
    }
    QTextStream(stdout) << path << "\n";
    return 0;
}
