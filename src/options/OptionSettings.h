#pragma once

#include "app/SettingsFile.h"
#include "options/EditorChoices.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

class MemoStore;
class Prompt;

// Everything the options dialog edits, read from the settings file when it
// opens and written back by OK and Apply. Holds no widgets, so the dialog's
// rules can be checked on their own.
class OptionSettings
{
public:
    // One row of the font list: an area and the font it is given.
    struct FontRow
    {
        QString key;  // "CatList", "MemoList", ...
        QString text; // shown in the list: "CategoryList", "MemoList", ...
        TextSetting fontSetting;
        NumberSetting sizeSetting;
        QString font;
        QString size; // as typed; a size that is not a number is written as it is
    };
    // One object of the colour page: an area and its two colours.
    struct ColourObject
    {
        QString key;     // "Form", "CatList", ...
        QString caption; // "Selected Object[" + caption + "]"
        ColourSetting fontSetting;
        ColourSetting backSetting;
        quint32 fontColour = 0;
        quint32 backColour = 0;
    };
    enum FontRowIndex
    {
        FontCatList,
        FontMemoList,
        FontMemoTitle,
        FontMemoTag,
        FontContents,
        FontFloatingMemo
    };
    enum ColourIndex
    {
        ColourForm,
        ColourCatList,
        ColourMemoList,
        ColourMemoTitle,
        ColourMemoTag,
        ColourContents
    };
    static constexpr int FontRowCount = 6;
    static constexpr int ColourObjectCount = 6;

    OptionSettings();

    void load(const SettingsFile& settings);

    // Why the options cannot be saved, as the message to show; nullopt when
    // they can. Checked before anything is written, so that a refused save
    // leaves the settings file and the database as they were.
    std::optional<QString> unstorableReason() const;

    // Writes every key in the dialog's order: fonts, colours, switches, the
    // security password (settings file and database) and its colour, the
    // editors. False, after telling the user, when something was not stored.
    bool save(const SettingsFile& settings, MemoStore& store, Prompt& prompt);

    std::array<FontRow, FontRowCount> fonts;
    std::array<ColourObject, ColourObjectCount> colours;

    // The sizes a font may be given, in points: the range of the dialog's
    // up-down buttons. A larger size leaves an area without a visible line.
    static constexpr double MinFontSize = 1;
    static constexpr double MaxFontSize = 999;
    // The number a typed size stands for, or nullopt when it is not one.
    // Full-width digits, signs and points (typed through an input method)
    // count as their ASCII forms; blanks at either end are ignored.
    static std::optional<double> fontSizeNumber(const QString& typed);
    static bool isFontSizeInRange(double size);
    // The message for a number outside MinFontSize..MaxFontSize.
    static QString fontSizeRangeMessage();

    // Gives `font` and `size` to the rows `rows` (indexes into `fonts`). A
    // number is kept in the settings' own form ("１６" becomes "16"); a text
    // that is not a number is kept as typed. False, changing nothing, for a
    // number outside the range.
    bool setFont(const QList<int>& rows, const QString& font, const QString& size);
    // Gives both colours to object `object`, or to every object when `object` is -1.
    void setColours(int object, quint32 fontColour, quint32 backColour);

    bool memoChangeAutoSave = true;
    bool memoSaveAutoTitle = false;
    bool isTrash = false;
    int focus = 0; // 0 title, 1 tags, 2 contents

    QString securityPassword;
    quint32 securityMemoColour = 0xC00000;

    EditorChoices editors;

private:
    // False when the stored password could not be unscrambled: the box then
    // starts empty, and an untouched box must not clear the stored password.
    bool m_passwordReadable = true;
    QString m_loadedPassword;
};
