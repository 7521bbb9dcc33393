#pragma once

#include <QString>
#include <array>

// The four external editors as the options dialog edits them: names, paths and
// default marks of the settings file's section "OuterEditor". Entry 0 is the
// desktop's application for text files; only its default mark is stored.
class EditorChoices
{
public:
    static constexpr int Count = 4;

    // Name_N, Path_N and Default_N for N = 0..3, with their defaults.
    void load(const QString& iniFilePath);
    // Default_0, and Name_N, Path_N, Default_N for N = 1..3. False when a
    // value could not be written (the others are still written).
    bool save(const QString& iniFilePath) const;

    const QString& name(int index) const { return m_names.at(index); }
    const QString& path(int index) const { return m_paths.at(index); }
    bool isDefault(int index) const { return m_defaults.at(index); }

    // Indexes outside 0..3 are ignored.
    void setName(int index, const QString& name);
    void setPath(int index, const QString& path);
    // The user's click on "デフォルトのエディタにする" while entry `index` is
    // shown: the entry takes the mark, the other entries among 1..3 lose theirs.
    void setDefaultMark(int index, bool marked);
    // The highest marked entry, as the main window chooses it; 0 when none is.
    int defaultIndex() const;

private:
    std::array<QString, Count> m_names;
    std::array<QString, Count> m_paths;
    std::array<bool, Count> m_defaults{};
};
