#pragma once

#include "app/SettingsFile.h"

// Every key of the settings files, with its section and default. Defaults that
// depend on the window at the moment of reading (marked "computed") are passed
// by the reader; their fallback here is never used alone.
namespace Settings {

inline constexpr double Computed = -1;
inline constexpr const char* DefaultFont = "ＭＳ Ｐゴシック";

namespace FormPosition {
inline constexpr IntSetting WindowMaximize{"FormPosition", "WindowMaximize", 0};
inline constexpr NumberSetting Top{"FormPosition", "Top", 0};
inline constexpr NumberSetting Left{"FormPosition", "Left", 0};
inline constexpr NumberSetting Height{"FormPosition", "Height", 6000};
inline constexpr NumberSetting Width{"FormPosition", "Width", 7700};
inline constexpr NumberSetting SepalatorXPos{"FormPosition", "SepalatorXPos", 2520};
inline constexpr NumberSetting Panel1Height{"FormPosition", "Panel1Height", 1620};
inline constexpr NumberSetting Sepalator2YPos{"FormPosition", "Sepalator2YPos", Computed};
inline constexpr IntSetting WindowType{"FormPosition", "WindowType", 0};
inline constexpr NumberSetting Panel2Top{"FormPosition", "Panel2Top", 2060};
inline constexpr NumberSetting Panel2Height{"FormPosition", "Panel2Height", Computed};
inline constexpr NumberSetting CatListHeight{"FormPosition", "CatListHeight", 0};
inline constexpr NumberSetting MemoListTop{"FormPosition", "MemoListTop", 0};
inline constexpr NumberSetting MemoListHeight{"FormPosition", "MemoListHeight", 0};
inline constexpr NumberSetting CatListColumn_ID_Width{"FormPosition", "CatListColumn_ID_Width", 400};
inline constexpr NumberSetting CatListColumn_Num_Width{"FormPosition", "CatListColumn_Num_Width", 600};
inline constexpr NumberSetting CatListColumn_Category_Width{"FormPosition", "CatListColumn_Category_Width", Computed};
inline constexpr IntSetting CatListColumnPos_ID{"FormPosition", "CatListColumnPos_ID", 1};
inline constexpr IntSetting CatListColumnPos_Category{"FormPosition", "CatListColumnPos_Category", 2};
inline constexpr IntSetting CatListColumnPos_Num{"FormPosition", "CatListColumnPos_Num", 3};
inline constexpr NumberSetting MemoListColumn_ID_Width{"FormPosition", "MemoListColumn_ID_Width", 400};
inline constexpr NumberSetting MemoListColumn_Publish_Width{"FormPosition", "MemoListColumn_Publish_Width", 1080};
inline constexpr NumberSetting MemoListColumn_Update_Width{"FormPosition", "MemoListColumn_Update_Width", 1080};
inline constexpr NumberSetting MemoListColumn_Title_Width{"FormPosition", "MemoListColumn_Title_Width", Computed};
inline constexpr IntSetting MemoListColumnPos_ID{"FormPosition", "MemoListColumnPos_ID", 1};
inline constexpr IntSetting MemoListColumnPos_PublishTime{"FormPosition", "MemoListColumnPos_PublishTime", 2};
inline constexpr IntSetting MemoListColumnPos_UpdateTime{"FormPosition", "MemoListColumnPos_UpdateTime", 3};
inline constexpr IntSetting MemoListColumnPos_Title{"FormPosition", "MemoListColumnPos_Title", 4};
} // namespace FormPosition

namespace MemoList {
inline constexpr IntSetting Sort_Order{"MemoList", "Sort_Order", 0};
inline constexpr IntSetting Sort_Key{"MemoList", "Sort_Key", 0};
} // namespace MemoList

// The font and colours of one area of the main window.
struct AreaStyle
{
    TextSetting font;
    NumberSetting fontSize;
    ColourSetting fontColour;
    ColourSetting backColour;
};
inline constexpr AreaStyle areaStyle(const char* section, double defaultSize)
{
    return {{section, "Font", DefaultFont},
            {section, "FontSize", defaultSize},
            {section, "FontColor", "0"},
            {section, "BackColor", "FFFFFF"}};
}
inline constexpr AreaStyle MemoListStyle = areaStyle("MemoList", 9);
inline constexpr AreaStyle CatListStyle = areaStyle("CatList", 10);
inline constexpr AreaStyle MemoTitleStyle = areaStyle("MemoTitle", 10);
inline constexpr AreaStyle MemoTagStyle = areaStyle("MemoTag", 10);
inline constexpr AreaStyle ContentsStyle = areaStyle("Contents", 10);

namespace FloatingMemo {
inline constexpr TextSetting Font{"FloatingMemo", "Font", DefaultFont};
inline constexpr NumberSetting FontSize{"FloatingMemo", "FontSize", 10};
} // namespace FloatingMemo

namespace Form {
// The labels' colour pairs with the frame's system colour by default (button
// text on button face), so that they stay readable under a dark colour scheme;
// on a light one that is the black of the classic default.
inline constexpr ColourSetting FontColor{"Form", "FontColor", "80000012"};
inline constexpr ColourSetting BackColor{"Form", "BackColor", "8000000F"};
inline constexpr IntSetting AlwaysOnTop{"Form", "AlwaysOnTop", 0};
} // namespace Form

namespace General {
inline constexpr IntSetting MemoChangeAutoSave{"General", "MemoChangeAutoSave", 1};
inline constexpr IntSetting MemoSaveAutoTitle{"General", "MemoSaveAutoTitle", 0};
inline constexpr IntSetting IsTrash{"General", "IsTrash", 0};
inline constexpr IntSetting Focus{"General", "Focus", 0};
} // namespace General

namespace Security {
inline constexpr TextSetting Password{"Security", "Password", ""};
inline constexpr ColourSetting MemoColor{"Security", "MemoColor", "C00000"};
} // namespace Security

namespace OuterEditor {
inline constexpr int Count = 4;
// Name_N defaults to "エディタ" + N; Path_N to empty; Default_N to 0.
inline constexpr const char* Section = "OuterEditor";
} // namespace OuterEditor

namespace RecentFiles {
inline constexpr TextSetting ChangeMDBFiles{"RecentFiles", "ChangeMDBFiles", ""};
inline constexpr TextSetting ExportMDBFiles{"RecentFiles", "ExportMDBFiles", ""};
inline constexpr TextSetting ExportTextFile{"RecentFiles", "ExportTextFile", ""};
inline constexpr TextSetting ImportFile{"RecentFiles", "ImportFile", ""};
inline constexpr TextSetting MergeMDBPath{"RecentFiles", "MergeMDBPath", ""};
} // namespace RecentFiles

namespace Export {
inline constexpr TextSetting FileNameDef{"Export", "FileNameDef", "[!ID]_[!TITLE]"};
} // namespace Export

// The small settings file of one floating memo window.
namespace FloatingWindow {
inline constexpr IntSetting WindowMaximize{"FormPosition", "WindowMaximize", 0};
inline constexpr NumberSetting Top{"FormPosition", "Top", 0};
inline constexpr NumberSetting Left{"FormPosition", "Left", 0};
inline constexpr NumberSetting Height{"FormPosition", "Height", 3645};
inline constexpr NumberSetting Width{"FormPosition", "Width", 5145};
inline constexpr IntSetting EditMode{"Form", "EditMode", 0};
inline constexpr IntSetting AlwaysOnTop{"Form", "AlwaysOnTop", 0};
} // namespace FloatingWindow

} // namespace Settings
