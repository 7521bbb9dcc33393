// The text-file reader of the import: any bytes decode; the text never holds
// a NUL, and a file of valid UTF-8 without NUL comes back byte for byte.
#include "FuzzInput.h"
#include "exchange/ReadFileText.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = ReadFileText::decode(bytes);
    FUZZ_CHECK(!text.contains(QChar(0)));

    const QByteArray beforeNul = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    const QString utf8 = QString::fromUtf8(beforeNul);
    if (utf8.toUtf8() == beforeNul && !beforeNul.startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(text == utf8);
    return 0;
}
