#include "options/EditorChoices.h"

#include "app/IniFile.h"
#include "app/Settings.h"
#include "exchange/EditorTable.h"

namespace {

QString section()
{
    return QString::fromLatin1(Settings::OuterEditor::Section);
}

QString key(const char* stem, int index)
{
    return QString::fromLatin1(stem) + QString::number(index);
}

} // namespace

void EditorChoices::load(const QString& iniFilePath)
{
    for (int index = 0; index < Count; ++index) {
        m_names[index] =
            IniFile::readText(iniFilePath, section(), key("Name_", index), EditorTable::defaultName(index));
        m_paths[index] = IniFile::readText(iniFilePath, section(), key("Path_", index), QString());
        m_defaults[index] = IniFile::readInt(iniFilePath, section(), key("Default_", index), 0) == 1;
    }
}

bool EditorChoices::save(const QString& iniFilePath) const
{
    auto flag = [this](int index) { return m_defaults[index] ? QStringLiteral("1") : QStringLiteral("0"); };
    bool ok = IniFile::writeText(iniFilePath, section(), key("Default_", 0), flag(0));
    for (int index = 1; index < Count; ++index) {
        ok = IniFile::writeText(iniFilePath, section(), key("Name_", index), m_names[index]) && ok;
        ok = IniFile::writeText(iniFilePath, section(), key("Path_", index), m_paths[index]) && ok;
        ok = IniFile::writeText(iniFilePath, section(), key("Default_", index), flag(index)) && ok;
    }
    return ok;
}

void EditorChoices::setName(int index, const QString& name)
{
    if (index >= 0 && index < Count)
        m_names[index] = name;
}

void EditorChoices::setPath(int index, const QString& path)
{
    if (index >= 0 && index < Count)
        m_paths[index] = path;
}

void EditorChoices::setDefaultMark(int index, bool marked)
{
    if (index < 0 || index >= Count)
        return;
    m_defaults[index] = marked;
    for (int other = 1; other < Count; ++other)
        if (other != index)
            m_defaults[other] = false;
}

int EditorChoices::defaultIndex() const
{
    for (int index = Count - 1; index > 0; --index)
        if (m_defaults[index])
            return index;
    return 0;
}
