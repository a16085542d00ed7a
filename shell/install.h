// shell/install.h -- the shell's part of the start-up: what the layers below
// call up into the shell, and what the view input calls beside it.
//
// Owns the one install function of the shell. It does not own the functions
// it installs (view input, navigation, world loading).
#ifndef LUMENFOLD_SHELL_INSTALL_H
#define LUMENFOLD_SHELL_INSTALL_H

// Fills the core's and the viewer's shell slots (object deletion, drag
// feedback, key-state table, alert, the bookmarks read at start and saved
// at exit), the chat display, the labels' drawing and removal, and the view
// input's actions (navigation on and off, the person's jump, anchors opened
// by URL, the navigation toolbar's buttons shown pressed). Safe to call more
// than once.
void zmInstallShellHooks();

#endif
