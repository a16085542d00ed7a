// script/cmdnetwork.h -- the script commands that reach beyond the world:
// the other users, the web browser, the main window's menus, the user's
// navigation, the message log and the debugger output, the clock and the
// random numbers.
//
// Owns: those handlers. Texts from scripts reach the reporters as "%s"
// arguments, never as formats. The multi-user client, the browser link and
// navigation are called through script/hooks.h. It does not own what they
// call nor the command table (script/commands.h), which "zmHelp" walks.
#ifndef LUMENFOLD_SCRIPT_CMDNETWORK_H
#define LUMENFOLD_SCRIPT_CMDNETWORK_H

#include "script/cmdsupport.h"

namespace zmcmd {

ZM_COMMAND(qxSendApplEvent);
ZM_COMMAND(qxSendApplSpecificMsg);
ZM_COMMAND(qxSendApplSpecificMsgWithDist);
ZM_COMMAND(qxUpdateObj);
ZM_COMMAND(qxAmIMaster);
ZM_COMMAND(qxSendChatStr);
ZM_COMMAND(chatDisplay);
ZM_COMMAND(getUserName);

ZM_COMMAND(wwwOpenUrl);
ZM_COMMAND(wwwLoadFile);
ZM_COMMAND(wwwOpenFile);
ZM_COMMAND(page);  // zmForwardPage, zmBackwardPage
ZM_COMMAND(menuExec);
ZM_COMMAND(setNavigation);

ZM_COMMAND(message);  // zmMessage, zmMessageDlg, zmError, zmWarning
ZM_COMMAND(help);
ZM_COMMAND(localTime);
ZM_COMMAND(ctime);
ZM_COMMAND(rand);

}  // namespace zmcmd

#endif
