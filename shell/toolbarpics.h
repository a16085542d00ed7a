// shell/toolbarpics.h -- the pictures of the main window's toolbar buttons,
// drawn by the program itself and registered as bitmap resources.
//
// Owns: the glyph of every button (simple shapes in a unit square), the
// faces of its looks (normal, pressed, disabled, on, on and pressed) and
// the resource names the toolbars load ("BAK1" ... "STP3", "LT1" ...
// "RT3"). It does not own the toolbars (shell/toolbar.h) nor the resource
// table (platform/resources.h).
#ifndef LUMENFOLD_SHELL_TOOLBARPICS_H
#define LUMENFOLD_SHELL_TOOLBARPICS_H

// Registers every button picture (again: each replaces itself).
void zmRegisterToolBarPictures();

#endif
