#pragma once

#include "app/IniFile.h"

#include <QString>
#include <optional>

// A settings key: its section, its name and its default. Every key Quillet
// reads or writes is declared once in Settings.h.
struct IntSetting
{
    const char* section;
    const char* key;
    int fallback;
};
// Sizes and positions in twips; written as a single-precision number ("2520", "1234.5").
struct NumberSetting
{
    const char* section;
    const char* key;
    double fallback;
};
struct TextSetting
{
    const char* section;
    const char* key;
    const char* fallback; // UTF-8
};
// Colours as hexadecimal text without prefix ("FFFFFF", "8000000F"), read as a
// 32-bit 0x00BBGGRR value; from 0x80000000 on a system colour.
struct ColourSetting
{
    const char* section;
    const char* key;
    const char* fallback;
};

// One settings file. Every read and write goes to the file at once, except
// inside a Batch; a missing or unreadable value gives the key's default.
class SettingsFile
{
public:
    explicit SettingsFile(QString path) : m_path(std::move(path)) {}
    // A copy is of the same file, without the original's held-back writes.
    SettingsFile(const SettingsFile& other) : m_path(other.m_path) {}
    SettingsFile& operator=(const SettingsFile& other)
    {
        m_path = other.m_path;
        return *this;
    }

    // Holds back the file's writes while it lives and makes them in one replace
    // of the file when it ends: the window writes some thirty keys as it
    // closes, and even a settings file of a hundred megabytes is then read and
    // written once. Reads meanwhile see the file as it was.
    class Batch
    {
    public:
        explicit Batch(const SettingsFile& file);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        const SettingsFile& m_file;
        bool m_outermost = false; // a batch inside another leaves the writing to it
    };
    QString path() const { return m_path; }

    int read(const IntSetting& setting) const;
    double read(const NumberSetting& setting) const;
    // For keys whose default depends on the window's state at the moment of reading.
    double read(const NumberSetting& setting, double computedDefault) const;
    QString read(const TextSetting& setting) const;
    quint32 read(const ColourSetting& setting) const;

    bool write(const IntSetting& setting, int value) const;
    bool write(const NumberSetting& setting, double value) const;
    // False, leaving the file as it was, for text that could not read back as
    // written (a line break, a NUL, more than 255 UTF-8 bytes); see IniFile.
    bool write(const TextSetting& setting, const QString& value) const;
    bool write(const ColourSetting& setting, quint32 value) const;

    // A single-precision number with up to seven significant digits, always as a
    // plain decimal ("2520", "1234.5", "12345680", "0.00001234"), never in
    // exponent form, which the reader does not take.
    static QString formatNumber(double value);
    static QString formatColour(quint32 value);
    // "&H" + text read as a 32-bit value; nullopt when it is not hexadecimal.
    static std::optional<quint32> parseColour(const QString& text);

private:
    bool writeText(const char* section, const char* key, const QString& value) const;

    QString m_path;
    mutable std::optional<QList<IniWrite>> m_heldBack; // while a Batch lives
};
