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
    return writeText(s.section, s.key, QString::number(value));
}

bool SettingsFile::write(const NumberSetting& s, double value) const
{
    return writeText(s.section, s.key, formatNumber(value));
}

bool SettingsFile::write(const TextSetting& s, const QString& value) const
{
    return writeText(s.section, s.key, value);
}

bool SettingsFile::write(const ColourSetting& s, quint32 value) const
{
    return writeText(s.section, s.key, formatColour(value));
}

bool SettingsFile::writeText(const char* section, const char* key, const QString& value) const
{
    if (!m_heldBack)
        return IniFile::writeText(m_path, latin(section), latin(key), value);
    if (!IniFile::isStorable(latin(section), latin(key), value))
        return false;
    m_heldBack->append({latin(section), latin(key), value});
    return true;
}

SettingsFile::Batch::Batch(const SettingsFile& file) : m_file(file), m_outermost(!file.m_heldBack)
{
    if (m_outermost)
        m_file.m_heldBack.emplace();
}

SettingsFile::Batch::~Batch()
{
    if (!m_outermost)
        return;
    const QList<IniWrite> writes = std::move(*m_file.m_heldBack);
    m_file.m_heldBack.reset();
    IniFile::writeTexts(m_file.m_path, writes);
}

QString SettingsFile::formatNumber(double value)
{
    const QString text = QString::number(float(value), 'g', 7);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e < 0)
        return text;
    // Numbers are read back as plain decimals only, so a very large or very
    // small size is spelled out: "1.234568e+07" becomes "12345680".
    QString mantissa = text.left(e);
    const int exponent = QStringView(text).mid(e + 1).toInt();
    const bool negative = mantissa.startsWith(QLatin1Char('-'));
    if (negative)
        mantissa.remove(0, 1);
    const QString digits = mantissa.remove(QLatin1Char('.')); // the point sat after the first digit
    const qsizetype whole = 1 + exponent;                     // digits before the decimal point
    QString plain;
    if (whole <= 0)
        plain = QStringLiteral("0.") + QString(-whole, QLatin1Char('0')) + digits;
    else if (whole >= digits.size())
        plain = digits + QString(whole - digits.size(), QLatin1Char('0'));
    else
        plain = digits.left(whole) + QLatin1Char('.') + digits.mid(whole);
    return negative ? QLatin1Char('-') + plain : plain;
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
