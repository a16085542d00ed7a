// script/hostrecord.cpp -- the script host's record; see hostrecord.h.
#include "script/hostrecord.h"

namespace {

ZmScriptHost scriptHost;

}  // namespace

ZmScriptHost& zmScriptHost() { return scriptHost; }
