#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// The four external editors of the settings file's section "OuterEditor":
// entry 0 is always the desktop's application for text files, entries 1 to 3
// are programs the user configures by name and path.
class EditorTable
{
public:
    static constexpr int Count = 4;

    struct Entry
    {
        QString name;
        QString path;
    };

    EditorTable();

    // Reads Name_N, Path_N and Default_N for N = 0..3. The default editor is the
    // highest entry whose Default_N is 1; when none is marked it stays as it was.
    void load(const QString& iniFilePath);

    const Entry& entry(int index) const { return m_entries.at(index); }
    int defaultIndex() const { return m_default; }

    // Changes made by the options dialog; indexes outside 0..3 are ignored.
    void setName(int index, const QString& name);
    void setPath(int index, const QString& path);
    void setDefault(int index);

    // Menu captions: "規定の外部エディタで開く" / "規定の外部エディタで作成" for
    // entry 0, the entry's name followed by "で開く" / "で作成" otherwise.
    QString openCaption(int index) const;
    QString createCaption(int index) const;

    // The path of entry 1..3 as the settings file holds it now (empty for entry 0,
    // whose path is never used).
    static QString readPath(const QString& iniFilePath, int index);
    static QString defaultName(int index);

private:
    std::array<Entry, Count> m_entries;
    int m_default = 0;
};

// Editors known to hand a file to a running instance and return at once unless
// told to wait; the options dialog offers these with their wait options.
struct EditorPreset
{
    QString name;    // shown to the user
    QString program; // looked up on PATH
    QStringList waitArguments;

    // The text for the settings file's Path_N: the program's absolute path found
    // on PATH followed by the wait options, e.g. "/usr/bin/gedit --wait"; empty
    // when the program is not installed.
    QString configuredPath() const;
    bool isInstalled() const;

    static const QList<EditorPreset>& all();
    static QList<EditorPreset> installed();
};
