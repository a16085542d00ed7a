// platform/windows.h -- the one header the program includes for the Windows
// interfaces that the platform layer provides on Linux.
#ifndef LUMENFOLD_PLATFORM_WINDOWS_H
#define LUMENFOLD_PLATFORM_WINDOWS_H

#include "platform/wintypes.h"
#include "platform/clock.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "platform/wingdi.h"
#include "platform/module.h"

#endif
