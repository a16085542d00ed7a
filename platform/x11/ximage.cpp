// platform/x11/ximage.cpp -- X images of the composed pictures and their puts.
#include "platform/x11/ximage.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>

#include "platform/winuser.h"
#include "platform/x11/xconnection.h"

namespace platform::x11 {
namespace {

int noteShmError(Display*, XErrorEvent*) {
  connection().shmErrorSeen = true;
  return 0;
}

// The picture's layout: 32 bits a pixel, 8 bits a channel, blue lowest.
const gdi::PixelFormat& pictureFormat() {
  static const gdi::PixelFormat format = gdi::directFormat(32);
  return format;
}

uint32_t channelOut(uint32_t level8, const gdi::Channel& c) {
  return c.bits == 0 ? 0 : (level8 >> (8 - c.bits)) << c.shift;
}

}  // namespace

bool WindowImage::makeShared(ImageServer& server, int width, int height) {
  XImage* image = XShmCreateImage(server.display, server.visual, unsigned(server.depth), ZPixmap, nullptr, &shm_,
                                  unsigned(width), unsigned(height));
  if (image == nullptr) return false;
  shm_.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * height, IPC_CREAT | 0600);
  if (shm_.shmid < 0) {
    XDestroyImage(image);
    return false;
  }
  shm_.shmaddr = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
  if (shm_.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(shm_.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    return false;
  }
  image->data = shm_.shmaddr;
  shm_.readOnly = False;
  connection().shmErrorSeen = false;
  XErrorHandler previous = XSetErrorHandler(noteShmError);
  XShmAttach(server.display, &shm_);
  XSync(server.display, False);
  XSetErrorHandler(previous);
  shmctl(shm_.shmid, IPC_RMID, nullptr);  // gone once both sides detach
  if (connection().shmErrorSeen) {
    server.shmAvailable = false;
    XDestroyImage(image);
    shmdt(shm_.shmaddr);
    return false;
  }
  image_ = image;
  usesShm_ = true;
  return true;
}

void WindowImage::chooseConversion(const ImageServer& server) {
  gdi::PixelFormat layout{.bitsPerPixel = image_->bits_per_pixel,
                          .redMask = uint32_t(server.visual->red_mask),
                          .greenMask = uint32_t(server.visual->green_mask),
                          .blueMask = uint32_t(server.visual->blue_mask)};
  channels_ = gdi::channelLayout(layout);
  rows_ = gdi::RowConversion{};
  const int bits = image_->bits_per_pixel;
  if (image_->byte_order != LSBFirst || (bits != 16 && bits != 24 && bits != 32)) return;
  if (layout.sameAs(pictureFormat()))
    rows_ = gdi::RowConversion::copy(32);
  else
    gdi::RowConversion::channelShifts(pictureFormat(), layout, &rows_);
}

bool WindowImage::fit(ImageServer& server, int width, int height) {
  if (image_ != nullptr && image_->width == width && image_->height == height) return false;
  release(server.display);
  if (!(server.shmAvailable && makeShared(server, width, height))) {
    image_ = XCreateImage(server.display, server.visual, unsigned(server.depth), ZPixmap, 0, nullptr, unsigned(width),
                          unsigned(height), 32, 0);
    if (image_ == nullptr) return true;
    image_->data = static_cast<char*>(std::calloc(size_t(image_->bytes_per_line), size_t(height)));
    if (image_->data == nullptr) {
      XDestroyImage(image_);
      image_ = nullptr;
      return true;
    }
  }
  chooseConversion(server);
  return true;
}

void WindowImage::fill(const ComposedPicture& picture, const RECT& area) {
  const int count = area.right - area.left;
  const int bytes = image_->bits_per_pixel / 8;
  for (int y = area.top; y < area.bottom; y++) {
    const uint32_t* from = picture.pixels + size_t(y) * picture.rowPixels() + area.left;
    if (rows_.ready()) {
      rows_.run(reinterpret_cast<const uint8_t*>(from),
                reinterpret_cast<uint8_t*>(image_->data + size_t(y) * image_->bytes_per_line) + area.left * bytes,
                count);
      continue;
    }
    for (int x = 0; x < count; x++) {
      const uint32_t p = from[x];
      XPutPixel(image_, area.left + x, y,
                channelOut((p >> 16) & 0xFF, channels_.red) | channelOut((p >> 8) & 0xFF, channels_.green) |
                    channelOut(p & 0xFF, channels_.blue));
    }
  }
}

bool WindowImage::show(ImageServer& server, Window xid, const ComposedPicture& picture, RECT changed) {
  if (picture.pixels == nullptr || picture.width < 1 || picture.height < 1) return false;
  if (fit(server, picture.width, picture.height)) changed = RECT{0, 0, picture.width, picture.height};
  const RECT whole{0, 0, picture.width, picture.height};
  RECT area;
  if (image_ == nullptr || !IntersectRect(&area, &changed, &whole)) return false;
  fill(picture, area);
  GC gc = DefaultGC(server.display, DefaultScreen(server.display));
  const unsigned width = unsigned(area.right - area.left), height = unsigned(area.bottom - area.top);
  if (usesShm_) {
    XShmPutImage(server.display, xid, gc, image_, area.left, area.top, area.left, area.top, width, height, False);
    return true;
  }
  XPutImage(server.display, xid, gc, image_, area.left, area.top, area.left, area.top, width, height);
  return false;
}

void WindowImage::release(Display* display) {
  if (image_ == nullptr) return;
  if (usesShm_) {
    XShmDetach(display, &shm_);
    XDestroyImage(image_);
    shmdt(shm_.shmaddr);
  } else {
    XDestroyImage(image_);
  }
  image_ = nullptr;
  usesShm_ = false;
}

}  // namespace platform::x11
