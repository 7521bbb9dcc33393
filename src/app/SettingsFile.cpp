#include "app/SettingsFile.h"

#include "app/IniFile.h"

namespace {

QString latin(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

int SettingsFile::read(const IntSetting& s) const
{
    return IniFile::readInt(m_path, latin(s.section), latin(s.key), s.fallback);
}

double SettingsFile::read(const NumberSetting& s) const
{
    return read(s, s.fallback);
}

double SettingsFile::read(const NumberSetting& s, double computedDefault) const
{
    return IniFile::readNumber(m_path, latin(s.section), latin(s.key), computedDefault);
}

QString SettingsFile::read(const TextSetting& s) const
{
    return IniFile::readText(m_path, latin(s.section), latin(s.key), QString::fromUtf8(s.fallback));
}

quint32 SettingsFile::read(const ColourSetting& s) const
{
    const QString text = IniFile::readText(m_path, latin(s.section), latin(s.key), latin(s.fallback));
    if (auto colour = parseColour(text))
        return *colour;
    return parseColour(latin(s.fallback)).value_or(0);
}

bool SettingsFile::write(const IntSetting& s, int value) const
{
    return IniFile::writeText(m_path, latin(s.section), latin(s.key), QString::number(value));
}

bool SettingsFile::write(const NumberSetting& s, double value) const
{
    return IniFile::writeText(m_path, latin(s.section), latin(s.key), formatNumber(value));
}

bool SettingsFile::write(const TextSetting& s, const QString& value) const
{
    return IniFile::writeText(m_path, latin(s.section), latin(s.key), value);
}

bool SettingsFile::write(const ColourSetting& s, quint32 value) const
{
    return IniFile::writeText(m_path, latin(s.section), latin(s.key), formatColour(value));
}

QString SettingsFile::formatNumber(double value)
{
    return QString::number(float(value), 'g', 7);
}

QString SettingsFile::formatColour(quint32 value)
{
    return QString::number(value, 16).toUpper();
}

std::optional<quint32> SettingsFile::parseColour(const QString& text)
{
    const QString hex = text.trimmed();
    if (hex.isEmpty() || hex.size() > 8)
        return std::nullopt;
    bool ok = false;
    const quint32 value = hex.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return value;
}
