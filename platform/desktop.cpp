// platform/desktop.cpp -- the desktop's part in the windows; see desktop.h.
#include "platform/desktop.h"

#include "platform/winuser.h"

namespace platform {
namespace {

struct Desktop {
  bool managerFrames = false;
  ManagerShowRequest showRequest = nullptr;
  OuterRectQuery outerRect = nullptr;
  ProgramIcon icon;
};
Desktop desktop;

}  // namespace

void setManagerDrawsFrames(bool on) { desktop.managerFrames = on; }
bool managerDrawsFrames() { return desktop.managerFrames; }

void setManagerShowRequest(ManagerShowRequest request) { desktop.showRequest = request; }
ManagerShowRequest managerShowRequest() { return desktop.showRequest; }

void setOuterRectQuery(OuterRectQuery query) { desktop.outerRect = query; }

RECT outerRectOf(HWND hwnd) {
  RECT rect{0, 0, 0, 0};
  if (desktop.outerRect != nullptr && desktop.outerRect(hwnd, &rect)) return rect;
  GetWindowRect(hwnd, &rect);
  return rect;
}

bool setProgramIcon(int width, int height, std::vector<uint32_t> argb) {
  if (width <= 0 || height <= 0 || argb.size() != size_t(width) * size_t(height)) return false;
  desktop.icon = ProgramIcon{width, height, std::move(argb)};
  return true;
}

const ProgramIcon& programIcon() { return desktop.icon; }

}  // namespace platform
