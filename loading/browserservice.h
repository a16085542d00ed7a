// loading/browserservice.h -- the program's own browser service, started
// when no web browser answers: it takes viewer registrations, opens URLs by
// fetching their documents and hands them to the viewer registered for
// their MIME type, reporting progress and failures to the program that
// asked, and answers the URL of a local file.
//
// Owns: its DDE instance and the service name it answers under (the first
// browser service name), the viewers registered per MIME type, the queue of
// URLs asked for, the hidden window whose messages work through that queue
// one document at a time (after the request that asked has been answered,
// as a browser does), fetching documents, and the list of the desktop's
// openers it started that are not yet reaped (desktopopen.h; kept across a
// restart of the service). It does not own the program's side of the link
// (wwwlink.h, ddeclient.h, ddeserver.h).
//
// Topics answered:
//   "WWW_RegisterViewer"   item "APP,MIME,FLAGS": APP views MIME; answers 1.
//   "WWW_UnRegisterViewer" item "APP,MIME": withdrawn; answers 1.
//   "WWW_OpenURL"          item "URL,,WINDOW,FLAGS,,,APP": queued; answers 1.
//                          APP receives "WWW_BeginProgress" (item
//                          "0xFFFFFFFF,"Loading URL"", answered with the
//                          transfer's number N), "WWW_SetProgressRange"
//                          ("0xN,SIZE"), "WWW_MakingProgress" ("0xN,"URL",SIZE")
//                          and "WWW_EndProgress" ("0xN"); then the MIME type's
//                          viewer receives "WWW_ViewDocFile" ("FILE","URL","MIME"),
//                          or, when the document cannot be had or no viewer
//                          takes its type, APP receives "WWW_Alert"
//                          (""URL: REASON",0x1,0x1"). A URL whose type no
//                          viewer takes is first offered to the desktop's
//                          browser (desktopopen.h) -- one of a type without
//                          a MIME text only from the web or as "mailto:" --
//                          and APP hears nothing of a URL handed over there.
//   "WWW_QueryURLFile"     item FILE: answers the quoted "file:" URL of FILE.
//   "WWW_CancelProgress"   item "0xN" (a poke): the transfer N stops.
// A "file:" URL's document is the user's file, used where it lies; a web
// document is fetched into the download folder.
#ifndef LUMENFOLD_LOADING_BROWSERSERVICE_H
#define LUMENFOLD_LOADING_BROWSERSERVICE_H

/*
 * zmStartBrowserService --
 *   Starts the service unless a browser service already answers (in this
 *   program or another).
 * Results:
 *   1 started (or already running); 0 another browser answers; -1 failed.
 */
int zmStartBrowserService();

// Ends the service, dropping the documents still queued.
void zmStopBrowserService();

#endif
