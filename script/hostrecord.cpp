// script/hostrecord.cpp -- the script host's record; see hostrecord.h.
#include "script/hostrecord.h"

namespace {

ZmScriptHost record;

}  // namespace

ZmScriptHost& zmScriptHost() { return record; }
