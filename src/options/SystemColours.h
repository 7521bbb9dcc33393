#pragma once

#include <QString>
#include <QStringList>

// The 25 system colours the colour settings can name instead of a fixed colour.
// Entry n stands for the stored value 0x80000000 + n ("8000000F" is entry 15,
// the face colour of buttons).
namespace SystemColours {

inline constexpr int Count = 25;
inline constexpr quint32 Base = 0x80000000u;

// The Japanese names, in the order of their numbers.
const QStringList& names();
inline constexpr quint32 value(int position)
{
    return Base + quint32(position);
}

} // namespace SystemColours
