#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

// The window system Quillet asks Qt for. Saved window positions and the
// always-on-top band need X11, which a Wayland session still offers through
// XWayland: there Quillet prefers the xcb platform, unless the user chose a
// platform (QT_QPA_PLATFORM or -platform) or no X11 display is reachable.
namespace PlatformChoice {

// "xcb" to ask for, or empty to leave Qt's own choice.
QByteArray preferred(const QProcessEnvironment& environment, const QStringList& arguments);

} // namespace PlatformChoice
