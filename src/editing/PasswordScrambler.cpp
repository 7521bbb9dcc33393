#include "editing/PasswordScrambler.h"

#include "app/CodePage.h"

#include <algorithm>

namespace {

// Moves every character's CP932 code by `delta` and reverses the text.
std::optional<QString> shiftCodes(const QString& text, int delta)
{
    QString shifted;
    shifted.reserve(text.size());
    for (QChar ch : text) {
        const std::optional<quint16> code = CodePage::cp932Code(ch);
        if (!code)
            return std::nullopt;
        const int moved = int(*code) + delta;
        if (moved < 0 || moved > 0xFFFF)
            return std::nullopt;
        const std::optional<QChar> movedChar = CodePage::fromCp932Code(quint16(moved));
        if (!movedChar)
            return std::nullopt;
        shifted.append(*movedChar);
    }
    std::reverse(shifted.begin(), shifted.end());
    return shifted;
}

} // namespace

std::optional<QString> EncodePassword(const QString& password)
{
    std::optional<QString> scrambled = shiftCodes(password, +1);
    // Characters that share a code with another one (U+301C and U+FF5E both
    // encode as 0x8160) would come back as the other character.
    if (!scrambled || shiftCodes(*scrambled, -1) != password)
        return std::nullopt;
    return scrambled;
}

std::optional<QString> DecodePassword(const QString& scrambled)
{
    return shiftCodes(scrambled, -1);
}
