#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QStringList>
#include <cstddef>
#include <cstdint>

// Splits a fuzz input into parts: the bytes are cut at each 0x00 0x01 pair, so
// that a fuzzer can grow every part on its own.
inline QList<QByteArray> fuzzParts(const uint8_t* data, size_t size, int maxParts)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QList<QByteArray> parts;
    qsizetype start = 0;
    while (parts.size() < maxParts - 1) {
        const qsizetype cut = bytes.indexOf(QByteArrayView("\x00\x01", 2), start);
        if (cut < 0)
            break;
        parts.append(bytes.mid(start, cut - start));
        start = cut + 2;
    }
    parts.append(bytes.mid(start));
    while (parts.size() < maxParts)
        parts.append(QByteArray());
    return parts;
}

// Stops the fuzzer with a message when a property does not hold.
#define FUZZ_CHECK(condition)                                                                              \
    do {                                                                                                   \
        if (!(condition)) {                                                                                \
            fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);             \
            abort();                                                                                       \
        }                                                                                                  \
    } while (false)

// A scratch folder for targets that write files: in memory when the system
// offers one, so that a long run does not wear the disk or wait on it.
inline QString fuzzScratchTemplate()
{
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/quillet-fuzz-XXXXXX")
                                                     : QDir::tempPath() + QStringLiteral("/quillet-fuzz-XXXXXX");
}
