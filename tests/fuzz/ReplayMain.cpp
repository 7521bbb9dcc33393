// Runs a fuzz target without libFuzzer: every file of the seed folders given
// on the command line, then a fixed set of mutations of each (bit flips, byte
// insertions and deletions, cuts, splices), from a fixed seed, so that a run is
// repeatable. Compilers without libFuzzer still exercise every target this way.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void run(const QByteArray& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), static_cast<size_t>(input.size()));
}

QByteArray mutate(QByteArray input, const QList<QByteArray>& seeds, QRandomGenerator& random)
{
    const int steps = 1 + random.bounded(4);
    for (int step = 0; step < steps; ++step) {
        const qsizetype at = input.isEmpty() ? 0 : random.bounded(input.size());
        switch (random.bounded(5)) {
        case 0:
            if (!input.isEmpty())
                input[at] = char(input[at] ^ (1 << random.bounded(8)));
            break;
        case 1:
            input.insert(at, char(random.bounded(256)));
            break;
        case 2:
            if (!input.isEmpty())
                input.remove(at, 1 + random.bounded(8));
            break;
        case 3:
            input.truncate(at);
            break;
        default: {
            const QByteArray& other = seeds.at(random.bounded(seeds.size()));
            input.insert(at, other.mid(other.isEmpty() ? 0 : random.bounded(other.size())));
            break;
        }
        }
    }
    return input;
}

} // namespace

int main(int argc, char** argv)
{
    QList<QByteArray> seeds{QByteArray()};
    for (int i = 1; i < argc; ++i) {
        const QDir folder(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                seeds.append(file.readAll());
        }
    }
    for (const QByteArray& seed : seeds)
        run(seed);

    const int mutationsPerSeed = qEnvironmentVariableIntValue("QUILLET_REPLAY_MUTATIONS") > 0
                                     ? qEnvironmentVariableIntValue("QUILLET_REPLAY_MUTATIONS")
                                     : 300;
    QRandomGenerator random(20261210);
    int runs = int(seeds.size());
    for (const QByteArray& seed : seeds) {
        for (int i = 0; i < mutationsPerSeed; ++i, ++runs)
            run(mutate(seed, seeds, random));
    }
    std::printf("%d inputs run without a failure\n", runs);
    return 0;
}
