// The password scrambler: any stored text unscrambles without harm, and every
// password it scrambles comes back as it was.
#include "FuzzInput.h"
#include "editing/PasswordScrambler.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DecodePassword(text);
    if (const auto scrambled = EncodePassword(text)) {
        const auto back = DecodePassword(*scrambled);
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(*back == text);
    }
    return 0;
}
