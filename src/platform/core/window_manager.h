// The part of user32 that is pure bookkeeping: the window-class table, window
// records with their extra bytes, the thread's message queue, the messages
// Windows sends around create, show, move and destroy, and default
// processing.
//
// It knows nothing of a window system: the entry points (user32_*.cpp) call
// into it and add the backend's surface behind each window. Where Windows'
// default processing calls a public entry point (WM_CLOSE destroys the
// window), this code calls that entry point too, so that the call is traced
// and guarded like any other.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/backend.h"
#include "platform/platform.h"

namespace core {

struct WindowClass {
  WNDCLASSA info{};
  std::string name;  // info.lpszClassName points here
  int windowCount = 0;
};

struct Window {
  HWND handle = nullptr;
  std::string className;
  std::string classKey;  // the class table's key for it
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string title;
  RECT rect{};        // the window's outer rectangle, screen coordinates
  RECT clientRect{};  // the client area, screen coordinates
  std::vector<unsigned char> extra;
  bool visible = false;
  bool needsFirstSize = false;  // overlapped windows get WM_SIZE at first show
  bool destroying = false;

  // What the layer keeps beside Windows' own record.
  HDC hdc = nullptr;           // CS_OWNDC: one per window, for its whole life
  Surface* surface = nullptr;  // made with the pixel format, or at the first show
  int pixelFormat = 0;
  bool fullscreen = false;   // holds a display mode
  bool virtualMode = false;  // ... one the real display never took
  enum class View { kPlain, kCovering, kWindowed };
  View view = View::kPlain;  // how a virtual mode is shown
  POINT windowedTopLeft{};   // where the window was before it went fullscreen
  POINT windowedSize{};      // its client size then
  POINT viewWindowSize{};    // the size of its own window when a mode is shown in one
  bool unseen = false;       // minimised or hidden by the window system
};

// Gives back what the layer holds for a window that is going: its surface,
// and the font selected into its device context. (user32_windows.cpp)
void ReleaseLayerRecord(Window& window);

// The frame AdjustWindowRectEx adds around a client area for these styles.
RECT FrameInsets(DWORD style, DWORD exStyle);
// Grows a client rectangle by that frame, as AdjustWindowRectEx does.
void AddFrame(RECT* rect, DWORD style, DWORD exStyle);

class WindowManager {
 public:
  // The one instance of the process, as user32 has one per thread.
  static WindowManager& Get();

  // Forgets every class, window and message (tests start from nothing).
  void Reset();

  // Window classes, looked up by name (case-insensitive, as on Windows).
  ATOM RegisterClass(const WNDCLASSA& wndClass);
  const WindowClass* FindClass(const char* name) const;
  bool UnregisterClass(const char* name);

  // Windows. CreateWindow sends the creation messages and returns null when
  // the class is unknown, or the procedure refuses the window or destroys it
  // before those messages are over.
  HWND CreateWindow(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height);
  bool DestroyWindow(HWND hwnd);
  Window* Find(HWND hwnd);
  size_t WindowCount() const { return windows_.size(); }
  // Each window, in the order of their handles; `visit` may not destroy any.
  template <typename Visit>
  void ForEach(const Visit& visit) {
    for (auto& entry : windows_) visit(*entry.second);
  }

  // Extra bytes; false for a bad handle or an index outside the window's bytes.
  bool SetExtra(HWND hwnd, int index, LONG_PTR value, LONG_PTR* previous);
  bool GetExtra(HWND hwnd, int index, LONG_PTR* value);

  // Visibility and placement, with the messages Windows sends for them.
  // Show returns whether the window was visible before.
  bool Show(HWND hwnd, bool visible);
  // Moves the window's top-left corner and/or sets its client size.
  bool Place(HWND hwnd, const POINT* topLeft, const POINT* clientSize);

  // Messages.
  LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool Peek(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, UINT removeMsg);
  LRESULT Dispatch(const MSG* msg);
  // Posts WM_CHAR for a key-down that types a character, as TranslateMessage does.
  bool Translate(const MSG* msg);
  LRESULT DefaultProcessing(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  size_t QueuedMessages() const { return queue_.size(); }

  // Sees every message handed to a window procedure, before the call.
  std::function<void(HWND, UINT, WPARAM, LPARAM)> onDeliver;

 private:
  // Drops a window's record, its queued messages and its count in its class.
  void Remove(HWND hwnd);
  void SendSize(HWND hwnd);
  void SendMove(HWND hwnd);

  std::map<std::string, WindowClass> classes_;  // keyed by lower-case name
  std::map<HWND, std::unique_ptr<Window>> windows_;
  std::deque<MSG> queue_;
  uintptr_t nextHandle_ = 0;
};

}  // namespace core
