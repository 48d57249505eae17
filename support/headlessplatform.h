#pragma once

#include <QtGlobal>

// For programs that show nothing on screen (the demo, the benchmarks): when no
// Qt platform is chosen (QT_QPA_PLATFORM) and there is no display to connect
// to, use Qt's offscreen platform instead of aborting, and say nothing about
// it. Call it before the application object is created.
inline void UseOffscreenPlatformWithoutDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
}
