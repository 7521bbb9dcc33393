#include "app/PlatformChoice.h"

namespace PlatformChoice {

QByteArray preferred(const QProcessEnvironment& environment, const QStringList& arguments)
{
    const bool chosen = !environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty() ||
                        arguments.contains(QStringLiteral("-platform")) ||
                        arguments.contains(QStringLiteral("--platform"));
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                         environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QStringLiteral("wayland");
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    return !chosen && wayland && x11 ? QByteArrayLiteral("xcb") : QByteArray();
}

} // namespace PlatformChoice
