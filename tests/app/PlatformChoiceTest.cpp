// Which window system Quillet asks for: X11 through XWayland on a Wayland
// session, unless the user chose one or no X11 display is there.
#include "app/PlatformChoice.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

TEST(PlatformChoiceTest, PrefersXcbOnAWaylandSessionWithX11UnlessTheUserChose)
{
    struct Case {
        const char* name;
        QStringList variables; // NAME=value
        QStringList arguments;
        QByteArray expected;
    };
    const Case cases[] = {
        {"wayland with XWayland", {u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s}, {}, "xcb"},
        {"session type only", {u"XDG_SESSION_TYPE=wayland"_s, u"DISPLAY=:0"_s}, {}, "xcb"},
        {"no X11 display", {u"WAYLAND_DISPLAY=wayland-0"_s}, {}, {}},
        {"plain X11 session", {u"DISPLAY=:0"_s, u"XDG_SESSION_TYPE=x11"_s}, {}, {}},
        {"chosen by variable", {u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s, u"QT_QPA_PLATFORM=wayland"_s}, {}, {}},
        {"chosen by argument", {u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s}, {u"-platform"_s, u"wayland"_s}, {}},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment;
        for (const QString& variable : c.variables)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        EXPECT_EQ(PlatformChoice::preferred(environment, c.arguments), c.expected) << c.name;
    }
}

} // namespace
