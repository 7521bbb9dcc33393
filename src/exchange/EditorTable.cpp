#include "exchange/EditorTable.h"

#include "app/IniFile.h"
#include "app/Settings.h"

#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

QString key(const char* prefix, int index)
{
    return QString::fromLatin1(prefix) + QString::number(index);
}

bool validIndex(int index)
{
    return index >= 0 && index < EditorTable::Count;
}

} // namespace

EditorTable::EditorTable()
{
    for (int i = 0; i < Count; ++i)
        m_entries[i].name = defaultName(i);
}

QString EditorTable::defaultName(int index)
{
    return u"エディタ"_s + QString::number(index);
}

void EditorTable::load(const QString& iniFilePath)
{
    const QString section = QString::fromLatin1(Settings::OuterEditor::Section);
    for (int i = 0; i < Count; ++i) {
        m_entries[i].name = IniFile::readText(iniFilePath, section, key("Name_", i), defaultName(i));
        m_entries[i].path = IniFile::readText(iniFilePath, section, key("Path_", i), QString());
        if (IniFile::readInt(iniFilePath, section, key("Default_", i), 0) == 1)
            m_default = i;
    }
}

QString EditorTable::readPath(const QString& iniFilePath, int index)
{
    if (index <= 0 || index >= Count)
        return QString();
    return IniFile::readText(iniFilePath, QString::fromLatin1(Settings::OuterEditor::Section),
                             key("Path_", index), QString());
}

void EditorTable::setName(int index, const QString& name)
{
    if (validIndex(index))
        m_entries[index].name = name;
}

void EditorTable::setPath(int index, const QString& path)
{
    if (validIndex(index))
        m_entries[index].path = path;
}

void EditorTable::setDefault(int index)
{
    if (validIndex(index))
        m_default = index;
}

QString EditorTable::openCaption(int index) const
{
    return index == 0 ? u"規定の外部エディタで開く"_s : m_entries.at(index).name + u"で開く"_s;
}

QString EditorTable::createCaption(int index) const
{
    return index == 0 ? u"規定の外部エディタで作成"_s : m_entries.at(index).name + u"で作成"_s;
}

bool EditorPreset::isInstalled() const
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QString EditorPreset::configuredPath() const
{
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return QString();
    QStringList parts{found};
    parts += waitArguments;
    return parts.join(u' ');
}

const QList<EditorPreset>& EditorPreset::all()
{
    static const QList<EditorPreset> presets{
        {u"gedit"_s, u"gedit"_s, {u"--wait"_s}},
        {u"Kate"_s, u"kate"_s, {u"-b"_s}},
        {u"Visual Studio Code"_s, u"code"_s, {u"--wait"_s}},
        {u"gVim"_s, u"gvim"_s, {u"-f"_s}},
        {u"Mousepad"_s, u"mousepad"_s, {u"--disable-server"_s}},
    };
    return presets;
}

QList<EditorPreset> EditorPreset::installed()
{
    QList<EditorPreset> result;
    for (const EditorPreset& preset : all()) {
        if (preset.isInstalled())
            result.append(preset);
    }
    return result;
}
