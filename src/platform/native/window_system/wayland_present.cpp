// The present without GL on Wayland: the picture scaled on the CPU into a
// wl_shm buffer of the window's whole drawable, bars and all, attached to
// SDL's surface in place of the buffers EGL would have attached (EGL attaches
// only in eglSwapBuffers, which this present never calls).
//
// The buffers are the compositor's to read until it releases them. Up to
// three take turns; one still held is never written, and when all are held
// the presenter waits for a release. Their events and the wl_shm global come
// on an event queue of the presenter's own, dispatched only here, so SDL's
// event pump never sees them. The surface, the compositor and the display
// connection are SDL's; the presenter only attaches, damages and commits.
//
// The compositor scaling the picture itself (viewporter) would be cheaper
// still, but its filter is the compositor's: the picture would no longer be
// the one llvmpipe draws.
#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/native/window_system/present_scaler.h"
#include "platform/native/window_system/shared_present.h"

namespace native::window_system {
namespace {

struct Buffer {
  wl_buffer* buffer = nullptr;
  uint32_t* pixels = nullptr;
  size_t bytes = 0;
  bool held = false;       // attached, and not yet released by the compositor
  bool barsDrawn = false;  // for the geometry the presenter has now
  int width = 0;
  int height = 0;
};

const int kBuffers = 3;

class WaylandPresenter : public SharedPresenter {
 public:
  ~WaylandPresenter() override {
    for (Buffer& buffer : buffers_) Free(&buffer);
    if (shm_) wl_shm_destroy(shm_);
    if (registry_) wl_registry_destroy(registry_);
    if (wrapper_) wl_proxy_wrapper_destroy(wrapper_);
    if (queue_) wl_event_queue_destroy(queue_);
  }

  bool Open(wl_display* display, wl_surface* surface) {
    display_ = display;
    surface_ = surface;
    queue_ = wl_display_create_queue(display);
    wrapper_ = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (!queue_ || !wrapper_) return false;
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper_), queue_);
    registry_ = wl_display_get_registry(wrapper_);
    static const wl_registry_listener listener = {
        [](void* self, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
          auto* presenter = static_cast<WaylandPresenter*>(self);
          if (!presenter->shm_ && std::strcmp(interface, wl_shm_interface.name) == 0)
            presenter->shm_ =
                static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        },
        [](void*, wl_registry*, uint32_t) {}};
    if (!registry_ || wl_registry_add_listener(registry_, &listener, this) != 0) return false;
    // Every compositor has wl_shm and its XRGB8888, the scaler's 0x00RRGGBB.
    return wl_display_roundtrip_queue(display_, queue_) >= 0 && shm_;
  }

  Shown Present(const uint16_t* picture, int pictureWidth, int pictureHeight, int drawableWidth,
                int drawableHeight, const core::Rect& target, bool linear) override {
    // A connection that has failed is no refusal of memory: its loss is the
    // event loop's to tell.
    if (wl_display_get_error(display_) != 0) return Shown::kLeftToGl;
    // The buffer is the drawable; a picture overflowing it is left to GL.
    if (target.x < 0 || target.y < 0 || target.x + target.width > drawableWidth ||
        target.y + target.height > drawableHeight) {
      return Shown::kLeftToGl;
    }
    if (drawableWidth != geometryWidth_ || drawableHeight != geometryHeight_ ||
        target.x != target_.x || target.y != target_.y || target.width != target_.width ||
        target.height != target_.height) {
      Forget();
      geometryWidth_ = drawableWidth;
      geometryHeight_ = drawableHeight;
      target_ = target;
    }
    Buffer* buffer = Free(drawableWidth, drawableHeight);
    if (!buffer) return Shown::kRefused;
    if (!buffer->barsDrawn) {
      // Black wherever the picture is not: once per buffer and geometry.
      std::fill_n(buffer->pixels, buffer->bytes / 4, 0u);
      buffer->barsDrawn = true;
      wl_surface_damage(surface_, 0, 0, drawableWidth, drawableHeight);
    }
    scaler_.Prepare(pictureWidth, pictureHeight, target.width, target.height, linear);
    scaler_.Scale(picture,
                  buffer->pixels + static_cast<size_t>(target.y) * drawableWidth + target.x,
                  static_cast<size_t>(drawableWidth));
    wl_surface_attach(surface_, buffer->buffer, 0, 0);
    wl_surface_damage(surface_, target.x, target.y, target.width, target.height);
    wl_surface_commit(surface_);
    buffer->held = true;
    // A flush that fails is the connection failing, which the event loop
    // tells of; the picture itself was taken.
    wl_display_flush(display_);
    return Shown::kShown;
  }

  void Forget() override {
    for (Buffer& buffer : buffers_) buffer.barsDrawn = false;
  }

 private:
  // A buffer of this size the compositor does not hold, made when needed;
  // waits for a release when all are held.
  Buffer* Free(int width, int height) {
    for (;;) {
      if (wl_display_dispatch_queue_pending(display_, queue_) < 0) return nullptr;
      for (Buffer& buffer : buffers_) {
        if (buffer.held) continue;
        if (buffer.buffer && (buffer.width != width || buffer.height != height)) Free(&buffer);
        if (!buffer.buffer && !Make(&buffer, width, height)) return nullptr;
        return &buffer;
      }
      if (wl_display_flush(display_) < 0 && errno != EAGAIN) return nullptr;
      if (wl_display_dispatch_queue(display_, queue_) < 0) return nullptr;
    }
  }

  bool Make(Buffer* buffer, int width, int height) {
    const int stride = width * 4;
    buffer->bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
    const int file = memfd_create("plumo-present", MFD_CLOEXEC);
    if (file < 0) return false;
    void* memory = MAP_FAILED;
    if (ftruncate(file, static_cast<off_t>(buffer->bytes)) == 0)
      memory = mmap(nullptr, buffer->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    if (memory == MAP_FAILED) {
      close(file);
      return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm_, file, static_cast<int32_t>(buffer->bytes));
    close(file);  // the pool holds the memory
    buffer->buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    buffer->pixels = static_cast<uint32_t*>(memory);
    buffer->width = width;
    buffer->height = height;
    buffer->barsDrawn = false;
    static const wl_buffer_listener listener = {
        [](void* data, wl_buffer*) { static_cast<Buffer*>(data)->held = false; }};
    return buffer->buffer && wl_buffer_add_listener(buffer->buffer, &listener, buffer) == 0;
  }

  static void Free(Buffer* buffer) {
    if (buffer->buffer) wl_buffer_destroy(buffer->buffer);
    if (buffer->pixels) munmap(buffer->pixels, buffer->bytes);
    *buffer = Buffer{};
  }

  wl_display* display_ = nullptr;
  wl_surface* surface_ = nullptr;
  wl_event_queue* queue_ = nullptr;
  wl_display* wrapper_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_shm* shm_ = nullptr;
  std::array<Buffer, kBuffers> buffers_;
  int geometryWidth_ = -1;
  int geometryHeight_ = -1;
  core::Rect target_;
  PictureScaler scaler_;
};

}  // namespace

std::unique_ptr<SharedPresenter> OpenWaylandPresenter(SDL_Window* window, const char** failure) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return nullptr;
  auto presenter = std::make_unique<WaylandPresenter>();
  if (!presenter->Open(info.info.wl.display, info.info.wl.surface)) {
    *failure = "the compositor shares no memory (no wl_shm)";
    return nullptr;
  }
  return presenter;
}

}  // namespace native::window_system
