// The thread's message queue, sent messages and default processing.
#include "platform/core/window_manager.h"

namespace core {
namespace {

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

}  // namespace

LRESULT WindowManager::Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(hwnd);
  if (!window) return 0;
  if (onDeliver) onDeliver(hwnd, msg, wParam, lParam);
  return window->proc(hwnd, msg, wParam, lParam);
}

bool WindowManager::Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A null window posts to the thread itself, as PostThreadMessage does.
  if (hwnd && !Find(hwnd)) return false;
  MSG message{};
  message.hwnd = hwnd;
  message.message = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  queue_.push_back(message);
  return true;
}

bool WindowManager::Peek(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, UINT removeMsg) {
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (filter && it->hwnd != filter) continue;
    if (!InRange(it->message, filterMin, filterMax)) continue;
    *msg = *it;
    if (removeMsg & PM_REMOVE) queue_.erase(it);
    return true;
  }
  return false;
}

LRESULT WindowManager::Dispatch(const MSG* msg) {
  // Thread messages (WM_QUIT among them) have no procedure to go to.
  if (!msg || !msg->hwnd) return 0;
  return Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

bool WindowManager::Translate(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return false;
  const WPARAM key = msg->wParam;
  WPARAM character = 0;
  if (key == VK_ESCAPE || key == VK_RETURN || key == VK_BACK || key == VK_TAB || key == VK_SPACE ||
      (key >= '0' && key <= '9')) {
    character = key;
  } else if (key >= 'A' && key <= 'Z') {
    character = key - 'A' + 'a';  // no shift state is kept
  }
  if (character) Post(msg->hwnd, WM_CHAR, character, msg->lParam);
  return true;
}

LRESULT WindowManager::DefaultProcessing(HWND hwnd, UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
  switch (msg) {
    case WM_NCCREATE:
      return TRUE;  // anything else would cancel the creation
    case WM_CLOSE:
      ::DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) Send(hwnd, WM_CLOSE, 0, 0);
      return 0;
    default:
      return 0;
  }
}

}  // namespace core
