#include "platform/core/window_manager.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/core/scope_exit.h"

namespace core {
namespace {

std::string Lower(const char* text) {
  std::string result(text ? text : "");
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

bool HasStyle(DWORD style, DWORD bits) {
  return (style & bits) == bits;
}

}  // namespace

RECT FrameInsets(DWORD style, DWORD /*exStyle*/) {
  // Windows 10's metrics at 96 dpi: a sizing frame of 8 pixels, a caption of 23.
  LONG frame = 0;
  if (style & WS_THICKFRAME) {
    frame = 8;
  } else if (style & WS_BORDER) {
    frame = 3;
  }
  const LONG caption = HasStyle(style, WS_CAPTION) ? 23 : 0;
  return RECT{frame, frame + caption, frame, frame};
}

void AddFrame(RECT* rect, DWORD style, DWORD exStyle) {
  const RECT insets = FrameInsets(style, exStyle);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
}

WindowManager& WindowManager::Get() {
  static WindowManager instance;
  return instance;
}

void WindowManager::Reset() {
  classes_.clear();
  for (auto& entry : windows_) ReleaseLayerRecord(*entry.second);
  windows_.clear();
  queue_.clear();
  nextHandle_ = 0;
  onDeliver = nullptr;
}

ATOM WindowManager::RegisterClass(const WNDCLASSA& wndClass) {
  if (!wndClass.lpszClassName || !wndClass.lpfnWndProc || wndClass.cbWndExtra < 0 ||
      wndClass.cbClsExtra < 0) {
    return 0;
  }
  const std::string key = Lower(wndClass.lpszClassName);
  if (classes_.count(key)) return 0;  // ERROR_CLASS_ALREADY_EXISTS
  // Filled in before it is added, so that a failed allocation adds nothing.
  WindowClass fresh;
  fresh.info = wndClass;
  fresh.name = wndClass.lpszClassName;
  fresh.info.lpszMenuName = nullptr;
  WindowClass& entry = classes_.emplace(key, std::move(fresh)).first->second;
  entry.info.lpszClassName = entry.name.c_str();
  // Atoms for registered classes live in 0xC000-0xFFFF.
  return static_cast<ATOM>(0xC000 + classes_.size());
}

const WindowClass* WindowManager::FindClass(const char* name) const {
  auto it = classes_.find(Lower(name));
  return it == classes_.end() ? nullptr : &it->second;
}

bool WindowManager::UnregisterClass(const char* name) {
  auto it = classes_.find(Lower(name));
  if (it == classes_.end() || it->second.windowCount > 0) return false;
  classes_.erase(it);
  return true;
}

HWND WindowManager::CreateWindow(DWORD exStyle, const char* className, const char* title,
                                 DWORD style, int x, int y, int width, int height) {
  auto cls = classes_.find(Lower(className));
  if (cls == classes_.end()) return nullptr;

  auto window = std::make_unique<Window>();
  // Handles look like Windows' own: small, even, never dereferenced.
  nextHandle_ += 2;
  window->handle = reinterpret_cast<HWND>(0x10000 + nextHandle_);
  window->className = cls->second.name;
  window->classKey = cls->first;
  window->proc = cls->second.info.lpfnWndProc;
  window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
  window->exStyle = exStyle;
  window->title = title ? title : "";
  window->extra.assign(static_cast<size_t>(cls->second.info.cbWndExtra), 0);
  window->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  const RECT insets = FrameInsets(style, exStyle);
  window->clientRect =
      RECT{window->rect.left + insets.left, window->rect.top + insets.top,
           std::max(window->rect.left + insets.left, window->rect.right - insets.right),
           std::max(window->rect.top + insets.top, window->rect.bottom - insets.bottom)};
  // Overlapped windows wait for their first show to learn their size.
  window->needsFirstSize = (style & (WS_POPUP | WS_CHILD)) == 0;

  HWND hwnd = window->handle;
  const bool sizedAtCreation = !window->needsFirstSize;
  windows_[hwnd] = std::move(window);
  cls->second.windowCount++;
  // A procedure that throws takes the half-made window with it, quietly: its
  // messages could throw again.
  bool created = false;
  OnScopeExit abandon([&] {
    if (!created) Remove(hwnd);
  });

  // Any procedure call may destroy the window, so from here on it is known
  // by its handle only. A window refused (FALSE from WM_NCCREATE, -1 from
  // WM_CREATE) or destroyed before its creation messages are over makes
  // CreateWindowExA answer NULL; one destroyed while being shown does not.
  if (!Send(hwnd, WM_NCCREATE, 0, 0) || !Find(hwnd) || Send(hwnd, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (sizedAtCreation) {
    SendSize(hwnd);
    SendMove(hwnd);
  }
  if (!Find(hwnd)) return nullptr;
  if (style & WS_VISIBLE) Show(hwnd, true);
  created = true;
  return hwnd;
}

bool WindowManager::DestroyWindow(HWND hwnd) {
  Window* window = Find(hwnd);
  if (!window || window->destroying) return false;
  window->destroying = true;
  // However the procedure takes these messages, the window is gone after them.
  OnScopeExit remove([&] { Remove(hwnd); });
  if (window->visible) {
    window->visible = false;
    Send(hwnd, WM_SHOWWINDOW, FALSE, 0);
  }
  Send(hwnd, WM_DESTROY, 0, 0);
  Send(hwnd, WM_NCDESTROY, 0, 0);
  return true;
}

void WindowManager::Remove(HWND hwnd) {
  auto it = windows_.find(hwnd);
  if (it == windows_.end()) return;
  // Messages still queued for the window go with it.
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                              [hwnd](const MSG& msg) { return msg.hwnd == hwnd; }),
               queue_.end());
  auto cls = classes_.find(it->second->classKey);
  if (cls != classes_.end()) cls->second.windowCount--;
  // The record leaves the table before its surface goes: a backend hearing of
  // the surface's end finds no window for it.
  std::unique_ptr<Window> gone = std::move(it->second);
  windows_.erase(it);
  ReleaseLayerRecord(*gone);
}

Window* WindowManager::Find(HWND hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : it->second.get();
}

bool WindowManager::SetExtra(HWND hwnd, int index, LONG_PTR value, LONG_PTR* previous) {
  LONG_PTR old = 0;
  if (!GetExtra(hwnd, index, &old)) return false;
  std::memcpy(Find(hwnd)->extra.data() + index, &value, sizeof value);
  if (previous) *previous = old;
  return true;
}

bool WindowManager::GetExtra(HWND hwnd, int index, LONG_PTR* value) {
  Window* window = Find(hwnd);
  if (!window || index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > window->extra.size())
    return false;
  std::memcpy(value, window->extra.data() + index, sizeof *value);
  return true;
}

bool WindowManager::Show(HWND hwnd, bool visible) {
  Window* window = Find(hwnd);
  if (!window) return false;
  const bool wasVisible = window->visible;
  if (wasVisible != visible) {
    window->visible = visible;
    Send(hwnd, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    window = Find(hwnd);  // the procedure may have destroyed it
  }
  if (visible && window && window->needsFirstSize) {
    window->needsFirstSize = false;
    SendSize(hwnd);
    SendMove(hwnd);
  }
  return wasVisible;
}

bool WindowManager::Place(HWND hwnd, const POINT* topLeft, const POINT* clientSize) {
  Window* window = Find(hwnd);
  if (!window) return false;
  const RECT insets = FrameInsets(window->style, window->exStyle);
  bool moved = false;
  bool resized = false;
  if (topLeft && (topLeft->x != window->rect.left || topLeft->y != window->rect.top)) {
    const LONG dx = topLeft->x - window->rect.left;
    const LONG dy = topLeft->y - window->rect.top;
    window->rect = RECT{window->rect.left + dx, window->rect.top + dy, window->rect.right + dx,
                        window->rect.bottom + dy};
    moved = true;
  }
  if (clientSize) {
    const LONG width = std::max<LONG>(clientSize->x, 0);
    const LONG height = std::max<LONG>(clientSize->y, 0);
    resized = width != window->clientRect.right - window->clientRect.left ||
              height != window->clientRect.bottom - window->clientRect.top;
    window->rect.right = window->rect.left + insets.left + width + insets.right;
    window->rect.bottom = window->rect.top + insets.top + height + insets.bottom;
  }
  window->clientRect = RECT{window->rect.left + insets.left, window->rect.top + insets.top,
                            window->rect.right - insets.right, window->rect.bottom - insets.bottom};
  // An overlapped window that was never shown hears of its size at its first show.
  if (window->needsFirstSize) return true;
  if (moved) SendMove(hwnd);
  if (resized) SendSize(hwnd);
  return true;
}

// Both are sent by handle: a procedure that heard the previous message may
// have destroyed the window, and then nothing more is sent.
void WindowManager::SendSize(HWND hwnd) {
  const Window* window = Find(hwnd);
  if (!window) return;
  const RECT& client = window->clientRect;
  Send(hwnd, WM_SIZE, SIZE_RESTORED,
       MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

void WindowManager::SendMove(HWND hwnd) {
  const Window* window = Find(hwnd);
  if (!window) return;
  Send(hwnd, WM_MOVE, 0, MAKELPARAM(window->clientRect.left, window->clientRect.top));
}

}  // namespace core
