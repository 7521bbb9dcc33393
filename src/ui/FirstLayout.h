#pragma once

#include <QSize>

// The main window's sizes when none are stored. The classic defaults (in
// twips) were made for a 9-point Windows UI font; this platform's UI font is
// usually taller, so they are scaled by the ratio of the two line heights and
// then grown until the whole menu bar and toolbar, the memo list's title
// column and eight category rows show, never beyond the screen's free area.
namespace FirstLayout {

// What the window measures of itself, in pixels.
struct Measures
{
    double dpi = 96;
    int fontHeight = 12;       // line height of the UI font
    int menuBarWidth = 0;      // the whole menu bar
    int menuBarHeight = 0;
    int toolBarWidth = 0;      // every toolbar button
    int panelsTop = 0;         // the toolbar's height
    int listHeaderHeight = 0;
    int catRowHeight = 0;
    int memoRowHeight = 0;
    int memoFixedColumns = 0;  // ID, publish and update columns together
    int averageCharWidth = 7;
    int scrollBarWidth = 16;
    QSize available;           // the screen's free area
};

struct Sizes
{
    int width = 0;
    int height = 0;
    int sepalatorX = 0;   // width of the left panes
    int panel1Height = 0; // height of the category list's pane
};

// The line height, in pixels at `dpi`, of the 9-point UI font the classic
// defaults were made for.
double classicFontHeight(double dpi);

// The scale applied to the classic defaults: never below 1.
double scale(const Measures& measures);

Sizes sizes(const Measures& measures);

// A floating memo window's size when none is stored: the classic default
// scaled the same way and wide enough for its whole toolbar.
QSize floatingSize(double dpi, int fontHeight, int toolBarWidth, QSize available);

} // namespace FirstLayout
