#include "ui/VbColour.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// The system colour indexes, in their numbering, mapped to palette roles.
QPalette::ColorRole systemRole(quint32 index, QPalette::ColorGroup& group)
{
    group = QPalette::Active;
    switch (index) {
    case 0:  // scroll bar
    case 4:  // menu
    case 10: // active border
    case 11: // inactive border
    case 15: // button face
        return QPalette::Button;
    case 1:  // desktop
    case 12: // application workspace
        return QPalette::Dark;
    case 2:  // active caption
    case 13: // highlight
        return QPalette::Highlight;
    case 3: // inactive caption
        group = QPalette::Inactive;
        return QPalette::Highlight;
    case 5: // window background
        return QPalette::Base;
    case 6:  // window frame
    case 21: // 3D dark shadow
        return QPalette::Shadow;
    case 7:  // menu text
    case 18: // button text
        return QPalette::ButtonText;
    case 8: // window text
        return QPalette::Text;
    case 9:  // caption text
    case 14: // highlight text
        return QPalette::HighlightedText;
    case 16: // button shadow
        return QPalette::Mid;
    case 17: // grey text
        group = QPalette::Disabled;
        return QPalette::Text;
    case 19: // inactive caption text
        group = QPalette::Inactive;
        return QPalette::HighlightedText;
    case 20: // button highlight
        return QPalette::Light;
    case 22: // 3D light
        return QPalette::Midlight;
    case 23: // tool tip text
        return QPalette::ToolTipText;
    case 24: // tool tip background
        return QPalette::ToolTipBase;
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor vbColourToQColor(quint32 value)
{
    if (value & 0x80000000u) {
        QPalette::ColorGroup group;
        const QPalette::ColorRole role = systemRole(value & 0xFFu, group);
        return QGuiApplication::palette().color(group, role);
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 qColorToVbColour(const QColor& colour)
{
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}
