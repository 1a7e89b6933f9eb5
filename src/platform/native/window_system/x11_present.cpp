// The present without GL on X11.
//
// With a software renderer (llvmpipe) the GL present cost ten times the
// demo's frame on a large screen: the blit is a full-screen textured draw,
// the window's bars are cleared, and the swap copies the whole window to the
// server. Here the 640x480 picture is read back (a copy, in its own format),
// scaled on the CPU as llvmpipe would have scaled it, and the X server copies
// only the picture's rectangle out of shared memory; the bars are drawn when
// the geometry changes, not every frame. docs/performance.md has the figures.
//
// The presenter has a display connection of its own: the server tells when it
// is done with a picture's memory by an event (ShmCompletion), and on SDL's
// connection SDL's event pump would take and drop it. Two images take turns,
// so the CPU scales one while the server copies the other; an image is
// written again only after its completion event.
//
// System V shared memory needs the server to see the segment: a server in
// another IPC namespace (a container's) refuses the attach, which is trapped
// and answered with false. Segments are marked for removal once both sides
// have attached them, so none outlives the program, however it ends.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <vector>

#include "platform/native/window_system/present_scaler.h"
#include "platform/native/window_system/shared_present.h"

namespace native::window_system {
namespace {

// An X error handler is per process (and Xlib's own ends the program), so
// the presenters' connections have this one, which takes their errors and
// hands on the others': an attach that fails is noted, and a put to a window
// that has gone (on another connection, the program's or a screensaver
// daemon's, which the server may hear of first) is no fault of the program.
struct ErrorTrap {
  std::vector<::Display*> presenters;
  ::Display* attaching = nullptr;
  bool failed = false;
  bool installed = false;
  XErrorHandler previous = nullptr;
};

ErrorTrap& Trap() {
  static ErrorTrap trap;
  return trap;
}

int TrapError(::Display* display, XErrorEvent* error) {
  ErrorTrap& trap = Trap();
  if (display == trap.attaching) trap.failed = true;
  if (std::find(trap.presenters.begin(), trap.presenters.end(), display) != trap.presenters.end())
    return 0;
  return trap.previous ? trap.previous(display, error) : 0;
}

void TrapErrorsOf(::Display* display) {
  ErrorTrap& trap = Trap();
  trap.presenters.push_back(display);
  if (!trap.installed) trap.previous = XSetErrorHandler(TrapError);
  trap.installed = true;
}

void ForgetErrorsOf(::Display* display) {
  std::vector<::Display*>& presenters = Trap().presenters;
  presenters.erase(std::remove(presenters.begin(), presenters.end(), display), presenters.end());
}

struct Image {
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  bool busy = false;  // put, and the server's completion not yet seen
};

bool HostIsLittleEndian() {
  const uint16_t probe = 1;
  return *reinterpret_cast<const uint8_t*>(&probe) == 1;
}

struct Connection {
  ::Display* display = nullptr;
  Window window = 0;
  Visual* visual = nullptr;
  int depth = 0;
  GC gc = nullptr;
  int completion = 0;  // the ShmCompletion event's type
  Image images[2];
  int next = 0;
  int width = 0;  // of the images
  int height = 0;
  int refusedWidth = -1;  // the size the server last refused memory for
  int refusedHeight = -1;
  // What the bars were drawn for.
  int drawableWidth = -1;
  int drawableHeight = -1;
  core::Rect target;

  ~Connection() {
    if (!display) return;
    FreeImages();
    if (gc) XFreeGC(display, gc);
    XCloseDisplay(display);
    ForgetErrorsOf(display);
  }

  void TakeCompletions() {
    XEvent event;
    while (XCheckIfEvent(
        display, &event,
        [](::Display*, XEvent* candidate, XPointer argument) -> Bool {
          const auto* want = reinterpret_cast<const Connection*>(argument);
          return candidate->type == want->completion;
        },
        reinterpret_cast<XPointer>(this))) {
      const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
      for (Image& each : images)
        if (each.segment.shmseg == done.shmseg) each.busy = false;
    }
  }

  // Until the server is done with the image. It answers in order, so once a
  // round trip is over the completion of a put that succeeded has come; one
  // that failed (its window gone) brings none, and is done all the same.
  void WaitFor(Image& image) {
    if (!image.busy) return;
    TakeCompletions();
    if (!image.busy) return;
    XSync(display, False);
    TakeCompletions();
    image.busy = false;
  }

  void FreeImages() {
    for (Image& image : images) WaitFor(image);
    for (Image& image : images) {
      if (!image.image) continue;
      XShmDetach(display, &image.segment);
      shmdt(image.segment.shmaddr);
      image.image->data = nullptr;  // not XDestroyImage's to free
      XDestroyImage(image.image);
      image = Image{};
    }
    XSync(display, False);  // the server has let go of the segments
    width = height = 0;
  }

  bool MakeImage(Image& image, int w, int h) {
    image.image =
        XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                        &image.segment, static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (!image.image) return false;
    if (image.image->bits_per_pixel != 32) {
      XDestroyImage(image.image);
      image = Image{};
      return false;
    }
    const size_t bytes = static_cast<size_t>(image.image->bytes_per_line) * static_cast<size_t>(h);
    image.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* memory = image.segment.shmid >= 0 ? shmat(image.segment.shmid, nullptr, 0) : nullptr;
    if (memory == reinterpret_cast<void*>(-1)) memory = nullptr;
    if (!memory) {
      if (image.segment.shmid >= 0) shmctl(image.segment.shmid, IPC_RMID, nullptr);
      XDestroyImage(image.image);
      image = Image{};
      return false;
    }
    image.segment.shmaddr = image.image->data = static_cast<char*>(memory);
    image.segment.readOnly = False;
    ErrorTrap& trap = Trap();
    trap.attaching = display;
    trap.failed = false;
    const bool attached = XShmAttach(display, &image.segment) != 0;
    XSync(display, False);
    trap.attaching = nullptr;
    const bool ok = attached && !trap.failed;
    shmctl(image.segment.shmid, IPC_RMID, nullptr);  // gone once both sides let go
    if (!ok) {
      shmdt(memory);
      image.image->data = nullptr;
      XDestroyImage(image.image);
      image = Image{};
    }
    return ok;
  }

  bool SizeImages(int w, int h) {
    if (w == width && h == height && images[0].image) return true;
    if (w == refusedWidth && h == refusedHeight) return false;  // asked once is enough
    FreeImages();
    if (!MakeImage(images[0], w, h) || !MakeImage(images[1], w, h)) {
      FreeImages();
      refusedWidth = w;
      refusedHeight = h;
      return false;
    }
    width = w;
    height = h;
    next = 0;
    return true;
  }

  // Black wherever the picture is not, once per geometry.
  void DrawBars(int drawableW, int drawableH, const core::Rect& picture) {
    if (drawableW == drawableWidth && drawableH == drawableHeight && picture.x == target.x &&
        picture.y == target.y && picture.width == target.width && picture.height == target.height) {
      return;
    }
    drawableWidth = drawableW;
    drawableHeight = drawableH;
    target = picture;
    const int top = std::clamp(picture.y, 0, drawableH);
    const int bottom = std::clamp(picture.y + picture.height, 0, drawableH);
    const int left = std::clamp(picture.x, 0, drawableW);
    const int right = std::clamp(picture.x + picture.width, 0, drawableW);
    XRectangle bars[4];
    int count = 0;
    auto add = [&](int x, int y, int w, int h) {
      if (w > 0 && h > 0)
        bars[count++] = XRectangle{static_cast<short>(x), static_cast<short>(y),
                                   static_cast<unsigned short>(w), static_cast<unsigned short>(h)};
    };
    add(0, 0, drawableW, top);
    add(0, bottom, drawableW, drawableH - bottom);
    add(0, top, left, bottom - top);
    add(right, top, drawableW - right, bottom - top);
    if (count) XFillRectangles(display, window, gc, bars, count);
  }
};

class X11Presenter : public SharedPresenter {
 public:
  explicit X11Presenter(std::unique_ptr<Connection> x) : x_(std::move(x)) {}
  Shown Present(const uint16_t* picture, int pictureWidth, int pictureHeight, int drawableWidth,
                int drawableHeight, const core::Rect& target, bool linear) override;
  void Forget() override { x_->drawableWidth = x_->drawableHeight = -1; }

 private:
  std::unique_ptr<Connection> x_;
  PictureScaler scaler_;
};

}  // namespace

std::unique_ptr<SharedPresenter> OpenX11Presenter(SDL_Window* window, const char** failure) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(DisplayString(info.info.x11.display));
  if (!x->display) {
    *failure = "no second connection to the X server";
    return nullptr;
  }
  TrapErrorsOf(x->display);
  x->window = info.info.x11.window;
  if (!XShmQueryExtension(x->display)) {
    *failure = "the X server shares no memory (no MIT-SHM)";
    return nullptr;
  }
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x->display, x->window, &attributes)) {
    *failure = "the window's attributes cannot be read";
    return nullptr;
  }
  // The scaler writes 0x00RRGGBB in the host's byte order. GLX often gives
  // GL windows a DirectColor visual (SDL loads it with a straight ramp); the
  // pixel values are the same as the GL's, whichever class.
  const Visual* visual = attributes.visual;
  if (attributes.depth != 24 || (visual->c_class != TrueColor && visual->c_class != DirectColor) ||
      visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF ||
      (ImageByteOrder(x->display) == LSBFirst) != HostIsLittleEndian()) {
    return nullptr;
  }
  x->visual = attributes.visual;
  x->depth = attributes.depth;
  x->completion = XShmGetEventBase(x->display) + ShmCompletion;
  x->gc = XCreateGC(x->display, x->window, 0, nullptr);
  XSetForeground(x->display, x->gc, 0);  // black, as the GL clears it
  return std::make_unique<X11Presenter>(std::move(x));
}

Shown X11Presenter::Present(const uint16_t* picture, int pictureWidth, int pictureHeight,
                            int drawableWidth, int drawableHeight, const core::Rect& target,
                            bool linear) {
  // An integer scale may overflow the drawable: the image is the picture's
  // size, and only what lies in the drawable is put.
  Connection& x = *x_;
  if (!x.SizeImages(target.width, target.height)) return Shown::kRefused;
  Image& image = x.images[x.next];
  x.next = 1 - x.next;
  x.WaitFor(image);
  scaler_.Prepare(pictureWidth, pictureHeight, target.width, target.height, linear);
  scaler_.Scale(picture, reinterpret_cast<uint32_t*>(image.image->data),
                static_cast<size_t>(image.image->bytes_per_line) / 4);
  x.DrawBars(drawableWidth, drawableHeight, target);
  const int left = std::max(target.x, 0);
  const int top = std::max(target.y, 0);
  const int right = std::min(target.x + target.width, drawableWidth);
  const int bottom = std::min(target.y + target.height, drawableHeight);
  if (right > left && bottom > top) {
    XShmPutImage(x.display, x.window, x.gc, image.image, left - target.x, top - target.y, left, top,
                 static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top), True);
    image.busy = true;
  }
  XFlush(x.display);
  return Shown::kShown;
}

}  // namespace native::window_system
