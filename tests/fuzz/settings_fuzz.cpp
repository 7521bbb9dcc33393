// The settings file: any file content reads without harm, and every value that
// writeText accepts reads back identical, whatever the rest of the file holds.
#include "FuzzInput.h"
#include "app/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir(fuzzScratchTemplate());
    const QList<QByteArray> parts = fuzzParts(data, size, 4);
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(parts[0]);
    }
    const QString section = QString::fromUtf8(parts[1]);
    const QString key = QString::fromUtf8(parts[2]);
    const QString value = QString::fromUtf8(parts[3]);

    IniFile::readText(path, section, key, QString());
    IniFile::readInt(path, section, key, 7);
    IniFile::readNumber(path, section, key, 1.5);

    if (IniFile::writeText(path, section, key, value)) {
        FUZZ_CHECK(IniFile::readText(path, section, key, QStringLiteral("<missing>")) == value);
        // A second write of the same value leaves the file as it is.
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        FUZZ_CHECK(IniFile::writeText(path, section, key, value));
        FUZZ_CHECK(file.open(QIODevice::ReadOnly));
        FUZZ_CHECK(file.readAll() == before);
    }
    return 0;
}
