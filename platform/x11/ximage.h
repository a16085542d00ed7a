// platform/x11/ximage.h -- the X presenter's images: a window's composed
// picture in the X server's pixel format, and what changed in it sent to
// the server in one request.
//
// Owns: one image per shown window (in memory shared with the server when
// it offers MIT-SHM, else our own, sent with XPutImage), the conversion of
// a picture's rows into the image's pixel layout, chosen when the image is
// made (a plain copy when the layouts agree, as on every true-colour server
// of 24 bits), and the put request. It does not own the X connection or
// the windows (xpresenter.h) nor the pictures (composition.h).
#ifndef LUMENFOLD_PLATFORM_X11_XIMAGE_H
#define LUMENFOLD_PLATFORM_X11_XIMAGE_H

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include "platform/composition.h"
#include "platform/pixelrows.h"

namespace platform::x11 {

// The server's side of every image, set when the connection is opened.
struct ImageServer {
  Display* display = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  bool shmAvailable = false;  // cleared when attaching fails (a server on another machine)
};

class WindowImage {
 public:
  /*
   * show --
   *   Sends the `changed` rectangle of the picture (window coordinates) to
   *   the window in one put request, its rows converted into the image
   *   first. An image made anew (the first time, or for a new size) is
   *   filled and sent whole.
   * Results:
   *   True when the request went through shared memory: the server reads
   *   the image after we return, so the caller lets it finish (XSync)
   *   before anything is written into the image again.
   */
  bool show(ImageServer& server, Window xid, const ComposedPicture& picture, RECT changed);
  // Frees the image (and its shared memory) on the connection it was made on.
  void release(Display* display);

 private:
  bool fit(ImageServer& server, int width, int height);
  bool makeShared(ImageServer& server, int width, int height);
  void chooseConversion(const ImageServer& server);
  void fill(const ComposedPicture& picture, const RECT& area);

  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  bool usesShm_ = false;
  gdi::RowConversion rows_;      // from the picture's pixels; not ready: pixel by pixel through XPutPixel
  gdi::ChannelLayout channels_;  // the visual's, for XPutPixel
};

}  // namespace platform::x11

#endif
