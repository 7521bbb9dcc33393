#pragma once

#include <QColor>

// Colours in settings are 0x00BBGGRR; from 0x80000000 + n they name system
// colour n, which is taken from the application palette.
QColor vbColourToQColor(quint32 value);
quint32 qColorToVbColour(const QColor& colour);
