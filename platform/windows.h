// platform/windows.h -- the one header the program includes for the Windows
// interfaces that the platform layer provides on Linux.
//
// Owns: nothing but the gathering of the platform's public headers, so that
// callers need not know which of them declares a call. It does not own any
// declaration; the platform's internal headers (windowstate.h,
// gdi_objects.h, ...) stay out of it.
#ifndef LUMENFOLD_PLATFORM_WINDOWS_H
#define LUMENFOLD_PLATFORM_WINDOWS_H

#include "platform/wintypes.h"
#include "platform/clock.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "platform/wingdi.h"
#include "platform/module.h"
#include "platform/lasterror.h"
#include "platform/sysinfo.h"
#include "platform/registry.h"
#include "platform/profile.h"
#include "platform/process.h"
#include "platform/winsock.h"
#include "platform/mmsystem.h"
#include "platform/controls.h"
#include "platform/menus.h"
#include "platform/dialogs.h"
#include "platform/resources.h"

#endif
