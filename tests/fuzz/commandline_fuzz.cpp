// Start-up from a command line and a profile file: any arguments and any
// profile file end in a started program or a message, never in harm. Every
// question is answered "no" and every dialog cancelled.
#include "FuzzInput.h"
#include "SilentPrompt.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "store/MemoStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir home(fuzzScratchTemplate());
    const QList<QByteArray> parts = fuzzParts(data, size, 5);

    // Parts 1 to 4 are arguments; an argument "@" stands for the profile file.
    const QString profilePath = home.filePath(QStringLiteral("users.ini"));
    {
        QFile file(profilePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(parts[0]);
    }
    QStringList arguments;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts[i].isEmpty())
            break;
        const QString argument = QString::fromUtf8(parts[i]);
        arguments.append(argument == u"@" ? profilePath : argument);
    }

    const CommandLine line = CommandLine::parse(arguments);
    FUZZ_CHECK(line.arguments.size() <= 10);
    CommandLine::extensionOf(line.openPath);
    CommandLine::fileNameOf(line.openPath);

    SilentPrompt prompt;
    Startup startup(prompt, home.path() + QLatin1Char('/'));
    StartupResult result = startup.run(arguments);
    FUZZ_CHECK(!result.proceed || result.store);
    return 0;
}
