// platform/desktop.cpp -- the desktop's part in the windows; see desktop.h.
#include "platform/desktop.h"

#include "platform/userstate.h"
#include "platform/winuser.h"

namespace platform {

void setManagerDrawsFrames(bool on) { user::windowSystem().desktop.managerFrames = on; }
bool managerDrawsFrames() { return user::windowSystem().desktop.managerFrames; }

void setManagerShowRequest(ManagerShowRequest request) { user::windowSystem().desktop.showRequest = request; }
ManagerShowRequest managerShowRequest() { return user::windowSystem().desktop.showRequest; }

void setOuterRectQuery(OuterRectQuery query) { user::windowSystem().desktop.outerRect = query; }

RECT outerRectOf(HWND hwnd) {
  user::Desktop& desktop = user::windowSystem().desktop;
  RECT rect{0, 0, 0, 0};
  if (desktop.outerRect != nullptr && desktop.outerRect(hwnd, &rect)) return rect;
  GetWindowRect(hwnd, &rect);
  return rect;
}

bool setProgramIcon(int width, int height, std::vector<uint32_t> argb) {
  user::Desktop& desktop = user::windowSystem().desktop;
  if (width <= 0 || height <= 0 || argb.size() != size_t(width) * size_t(height)) return false;
  desktop.icon = ProgramIcon{width, height, std::move(argb)};
  return true;
}

const ProgramIcon& programIcon() { return user::windowSystem().desktop.icon; }

}  // namespace platform
