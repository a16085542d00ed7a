// engine/library.h -- the engine's library core.
//
// Owns: opening and closing the whole engine on a device chosen by name, the
// module table that the open and the close walk in their fixed orders, the
// modelling tag word and the build identification text.
// It does not own the device record and the devices (engine/device.h), the
// sticky error number (engine/error.h, included here for the callers of the
// whole library), nor the records of any module: each module opens, closes
// and frees its own.
#ifndef LUMENFOLD_ENGINE_LIBRARY_H
#define LUMENFOLD_ENGINE_LIBRARY_H

#include <cstdint>

#include "engine/device.h"
#include "engine/error.h"

/*
 * RwOpen --
 *   Opens the engine on the device named (null: the environment variable
 *   "RWDEVICE"), then every module in the fixed order, then checks that the
 *   device recognised every option (it rewrites a recognised option's id to
 *   1) and installs "RWSHAPEPATH" as the shape search path when it is set.
 * Results:
 *   1 on success, 0 on failure. An unknown device name fails without an
 *   error number; no name at all is error 18, an unrecognised option 65.
 * Side effects:
 *   A failed open leaves whatever it opened for RwClose to tear down.
 */
int RwOpen(const char* deviceName, intptr_t reserved, int optionCount, RwOpenOption* options);
int RwOpenDefault(const char* deviceName, intptr_t reserved);

// Closes every module, the device and the pool pages (every pooled record is
// released here). Safe after a failed open and when already closed. Returns 1.
int RwClose();

// Forwards to the current device's control slot: 1 handled, 0 not (also 0
// when no device is open).
intptr_t RwDeviceControl(intptr_t request, void* buffer, intptr_t size);

// One library-wide word that modelling contexts copy when they are made and
// that the script reader sets.
void RwSetModellingTag(intptr_t tag);
intptr_t RwGetModellingTag();

// The build identification text (never interpreted).
const char* RwGetBuildIdentification();

#endif
