// script/timeouts.cpp -- the time-out queue; see timeouts.h.
#include "script/timeouts.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/dirs.h"
#include "core/event.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "platform/clock.h"
#include "script/events.h"
#include "script/host.h"
#include "script/hostrecord.h"

namespace {

// The records whose procedures are running (script/hostrecord.h).
std::vector<ZmRunningTimeOut*>& runningRecords() { return zmScriptHost().runningTimeOuts; }

struct Due {
  uint32_t sec, msec;
};

Due now() {
  if (platform::virtualClockInUse()) {
    uint64_t ms = platform::clockMs();
    return {uint32_t(ms / 1000), uint32_t(ms % 1000)};
  }
  ZmTimeStamp stamp;
  zmGetTimeStamp(&stamp);
  return {uint32_t(stamp.sec), uint32_t(stamp.msec)};
}

Due after(Due from, uint32_t interval) {
  uint64_t msec = uint64_t(from.msec) + interval;
  return {uint32_t(from.sec + msec / 1000), uint32_t(msec % 1000)};
}

bool earlier(const ZmTimeOutHandlerList* a, const ZmTimeOutHandlerList* b) {
  return a->dueSec < b->dueSec || (a->dueSec == b->dueSec && a->dueMsec < b->dueMsec);
}

bool isDue(const ZmTimeOutHandlerList* record, Due at) {
  return record->dueSec < at.sec || (record->dueSec == at.sec && record->dueMsec <= at.msec);
}

bool namesProcedure(int scriptType) { return scriptType == ZM_SCRIPT_PYTHON || scriptType == ZM_SCRIPT_TCL; }

// Queue order: after every record strictly earlier, and after a first
// record of the same time, but before an equal one further on.
void insert(ZmWorld* world, ZmTimeOutHandlerList* record) {
  ZmTimeOutHandlerList*& head = world->timeOutQueue;
  if (head == nullptr || earlier(record, head)) {
    record->next = head;
    head = record;
    return;
  }
  ZmTimeOutHandlerList* before = head;
  while (before->next != nullptr && earlier(before->next, record)) before = before->next;
  record->next = before->next;
  before->next = record;
}

bool unlink(ZmWorld* world, ZmTimeOutHandlerList* record) {
  for (ZmTimeOutHandlerList** link = &world->timeOutQueue; *link != nullptr; link = &(*link)->next) {
    if (*link == record) {
      *link = record->next;
      record->next = nullptr;
      return true;
    }
  }
  return false;
}

void zmDeleteTimeOutHandler(ZmTimeOutHandlerList* record) {
  if (record == nullptr) {
    zmReportWarning("zmDeleteTimeOutHandler:null specified");
    return;
  }
  zmScriptWithdrawAll(record);
  zmFree(record->userData);
  if (namesProcedure(record->scriptType)) {
    zmFree(record->function);
  } else if (record->scriptType == ZM_SCRIPT_INLINE) {
    zmReportWarning("zmAddTimeOutHandler: inline script type is not supported");
  } else if (record->scriptType != ZM_SCRIPT_C) {
    zmReportWarning("zmDeleteTimeOutHandler: unknown script type");
  }
  zmFree(record);
}

// Runs one unlinked record. The result of its procedure or callback in
// *result; -1 when a procedure failed.
int runRecord(ZmWorld* world, ZmTimeOutHandlerList* record, Due at, int* result) {
  ZmEvent event = {};
  event.type = ZM_EVENT_TIME_OUT;
  event.timeSec = at.sec;
  event.timeMsec = at.msec;
  event.object = record->object;
  *result = 1;
  if (record->scriptType >= ZM_SCRIPT_PYTHON && record->scriptType <= ZM_SCRIPT_JAVA) {
    return zmScriptEvalHandler(world, record->scriptType, static_cast<const char*>(record->function),
                               record->object, &event, record->userData, result);
  }
  if (record->scriptType == ZM_SCRIPT_C) {
    auto callback = reinterpret_cast<ZmTimeOutCallback>(record->function);
    int value = callback(record->object, &event, record->userData);
    *result = record->taskType == 1 ? value : 1;
    return 0;
  }
  zmReportWarning("zmWakeUpTask: unknown script type");
  return 0;
}

}  // namespace

ZmTimeOutHandlerList* zmAddTimeOutHandler(ZmObj* object, const char* url, uint32_t interval, int scriptType,
                                          const void* function, const char* userData, int taskType) {
  if (object == nullptr || object->world == nullptr) return nullptr;
  auto* record = static_cast<ZmTimeOutHandlerList*>(zmMalloc(sizeof(ZmTimeOutHandlerList)));
  if (record == nullptr) {
    zmReportError("zmAddTimeOutHandler: can't allocate memory for ZmTimeOutHandlerList");
    return nullptr;
  }
  std::memset(record, 0, sizeof *record);
  record->object = object;
  record->scriptType = scriptType;
  record->interval = interval;
  record->taskType = taskType;
  // A script file with errors is the world's fault, not the program's: it
  // only warns.
  record->scriptHandle = zmRegisterAndEvalScriptFile(object->world, url, scriptType);
  if (record->scriptHandle == nullptr) {
    zmReportWarning("zmAddTimeOutHandler: zmRegisterAndEvalScriptFile error %s", url ? url : "");
    zmFree(record);
    return nullptr;
  }
  record->userData = zmStrdup(userData ? userData : "");
  if (record->userData == nullptr) {
    zmReportError("zmAddTimeOutHandler: can't allocate memory for user_data");
    zmFree(record);
    return nullptr;
  }
  if (namesProcedure(scriptType)) {
    record->function = zmStrdup(static_cast<const char*>(function ? function : ""));
    if (record->function == nullptr) {
      zmReportError("zmAddTimeOutHandler: can't allocate memory for function");
      zmDeleteTimeOutHandler(record);
      return nullptr;
    }
  } else if (scriptType == ZM_SCRIPT_C && (taskType == 0 || taskType == 1)) {
    record->function = const_cast<void*>(function);
  } else if (scriptType == ZM_SCRIPT_INLINE) {
    zmReportWarning("zmAddTimeOutHandler: inline script type is not supported");
  } else {
    zmReportWarning("zmAddTimeOutHandler: unknown script type");
    zmFree(record->userData);
    zmFree(record);
    return nullptr;
  }
  Due due = after(now(), interval);
  record->dueSec = due.sec;
  record->dueMsec = due.msec;
  insert(object->world, record);
  return record;
}

void zmRemoveTimeOutHandler(ZmObj* object, ZmTimeOutHandlerList* record) {
  if (object == nullptr || object->world == nullptr || record == nullptr) return;
  if (unlink(object->world, record)) {
    zmDeleteTimeOutHandler(record);
    return;
  }
  for (ZmRunningTimeOut* running : runningRecords()) {
    if (running->record == record) running->removed = true;
  }
}

void zmDeleteObjTimeOutHandler(ZmObj* object) {
  for (ZmRunningTimeOut* running : runningRecords()) {
    if (running->record->object == object) running->removed = true;
  }
  if (ZmWorld* world = object->world) {
    for (ZmTimeOutHandlerList** link = &world->timeOutQueue; *link != nullptr;) {
      ZmTimeOutHandlerList* record = *link;
      if (record->object == object) {
        *link = record->next;
        zmDeleteTimeOutHandler(record);
      } else {
        link = &record->next;
      }
    }
  }
  // The core calls this for every object it deletes: scripts lose its handle.
  zmScriptWithdrawAll(object);
}

int zmDeleteAllTimeOutHandler(ZmTimeOutHandlerList* first) {
  while (first != nullptr) {
    ZmTimeOutHandlerList* next = first->next;
    zmDeleteTimeOutHandler(first);
    first = next;
  }
  return 0;
}

int zmResetTimeOutHandlers(ZmWorld* world) {
  if (world == nullptr || world->timeOutQueue == nullptr) return -1;
  for (ZmTimeOutHandlerList* record = world->timeOutQueue; record != nullptr; record = record->next) {
    Due due = after(now(), record->interval);
    record->dueSec = due.sec;
    record->dueMsec = due.msec;
  }
  return 0;
}

int zmWakeUpTask(ZmWorld* world) {
  if (world == nullptr) return 0;
  Due at = now();
  std::vector<ZmRunningTimeOut*>& runningNow = runningRecords();
  std::vector<ZmTimeOutHandlerList*> nextTick;  // interval-0 records wait for the next wake-up
  int status = 0;
  while (world->timeOutQueue != nullptr && isDue(world->timeOutQueue, at)) {
    ZmTimeOutHandlerList* record = world->timeOutQueue;
    world->timeOutQueue = record->next;
    record->next = nullptr;
    ZmRunningTimeOut running{record, false};
    runningNow.push_back(&running);
    int result = 1;
    int ran = runRecord(world, record, at, &result);
    runningNow.erase(std::find(runningNow.begin(), runningNow.end(), &running));
    bool again = ran == 0 && !running.removed && record->taskType == 1 && result == 0;
    if (!again) {
      if (record->taskType != 0 && record->taskType != 1)
        zmReportWarning("zmWakeUpTask: unknown task type for deleting");
      zmDeleteTimeOutHandler(record);
    } else {
      Due due = after({record->dueSec, record->dueMsec}, record->interval);
      record->dueSec = due.sec;
      record->dueMsec = due.msec;
      if (record->interval == 0) {
        nextTick.push_back(record);
      } else {
        insert(world, record);
      }
    }
    if (ran != 0) {
      status = -1;
      break;
    }
  }
  for (ZmTimeOutHandlerList* record : nextTick) insert(world, record);
  return status;
}
