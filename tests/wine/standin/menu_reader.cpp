// Reading a popup menu inside the process that owns it (see menu_reader.h).
#include "standin/menu_reader.h"

#include <atomic>
#include <cwchar>

namespace standin {
namespace {

constexpr DWORD kSharedBytes = 64 * 1024;
constexpr UINT kSendTimeoutMs = 2000;
constexpr UINT kMnGetHMenu = 0x01E1;  // MN_GETHMENU

UINT read_message() {
  static const UINT message = RegisterWindowMessageW(L"uia_standin_read_menu");
  return message;
}

std::wstring shared_name(LPARAM id) {
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\uia_standin_menu_%llx", static_cast<unsigned long long>(id));
  return name;
}

// Which menu a request names (the message's wParam).
constexpr WPARAM kPopupMenu = 0;
constexpr WPARAM kMenuBar = 1;  // 2 + i: the bar's submenu i

HMENU menu_of(HWND hwnd, WPARAM which) {
  if (which == kPopupMenu) return reinterpret_cast<HMENU>(SendMessageW(hwnd, kMnGetHMenu, 0, 0));
  HMENU bar = GetMenu(hwnd);
  if (which == kMenuBar || bar == nullptr) return bar;
  return GetSubMenu(bar, static_cast<int>(which - 2));
}

// The shared block: the item count, then per item its flags, its command id
// (two units) and its text, NUL-terminated. Flag 1: disabled, 2: separator,
// 4: has a submenu.
void write_items(HMENU menu, wchar_t* out, size_t capacity) {
  const int count = GetMenuItemCount(menu);
  size_t at = 0;
  auto put = [&](wchar_t c) {
    if (at < capacity) out[at++] = c;
  };
  put(static_cast<wchar_t>(count < 0 ? 0 : count));
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
    wchar_t text[256] = {};
    info.dwTypeData = text;
    info.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) text[0] = 0;
    wchar_t flags = 0;
    if (info.fState & MFS_DISABLED) flags |= 1;
    if (info.fType & MFT_SEPARATOR) flags |= 2;
    if (info.hSubMenu != nullptr) flags |= 4;
    put(static_cast<wchar_t>(flags + 1));  // never 0, so an unwritten block reads as empty
    put(static_cast<wchar_t>(info.wID & 0xFFFF));
    put(static_cast<wchar_t>(info.wID >> 16));
    for (const wchar_t* p = text; *p != 0; ++p) put(*p);
    put(0);
  }
}

// Runs in the application's process, on its menu's thread.
LRESULT CALLBACK menu_hook(int code, WPARAM wparam, LPARAM lparam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && message != nullptr && message->message == read_message()) {
    const HMENU menu = menu_of(message->hwnd, message->wParam);
    HANDLE shared = OpenFileMappingW(FILE_MAP_WRITE, FALSE, shared_name(message->lParam).c_str());
    if (shared != nullptr) {
      if (void* view = MapViewOfFile(shared, FILE_MAP_WRITE, 0, 0, kSharedBytes)) {
        if (menu != nullptr)
          write_items(menu, static_cast<wchar_t*>(view), kSharedBytes / sizeof(wchar_t));
        UnmapViewOfFile(view);
      }
      CloseHandle(shared);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

HMODULE this_module() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&menu_hook), &module);
  return module;
}

std::optional<std::vector<MenuItem>> read_menu(HWND hwnd, WPARAM which) {
  static std::atomic<unsigned> counter{0};
  const LPARAM id = static_cast<LPARAM>(
      (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) | ++counter);
  HANDLE shared = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedBytes,
                                     shared_name(id).c_str());
  if (shared == nullptr) return std::nullopt;
  std::optional<std::vector<MenuItem>> items;
  auto* view =
      static_cast<const wchar_t*>(MapViewOfFile(shared, FILE_MAP_READ, 0, 0, kSharedBytes));
  const DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  HHOOK hook =
      thread != 0 ? SetWindowsHookExW(WH_CALLWNDPROC, menu_hook, this_module(), thread) : nullptr;
  if (view != nullptr && hook != nullptr) {
    DWORD_PTR result = 0;
    const bool sent = SendMessageTimeoutW(hwnd, read_message(), which, id, SMTO_ABORTIFHUNG,
                                          kSendTimeoutMs, &result) != 0;
    UnhookWindowsHookEx(hook);
    hook = nullptr;
    // The hook writes the count first; a block still all zero was never written.
    if (sent && view[0] != 0) {
      items.emplace();
      const size_t capacity = kSharedBytes / sizeof(wchar_t);
      size_t at = 1;
      for (int i = 0; i < view[0] && at < capacity; ++i) {
        MenuItem item;
        const wchar_t flags = static_cast<wchar_t>(view[at++] - 1);
        item.enabled = (flags & 1) == 0;
        item.separator = (flags & 2) != 0;
        item.has_submenu = (flags & 4) != 0;
        if (at + 2 > capacity) break;
        item.id = static_cast<UINT>(view[at]) | (static_cast<UINT>(view[at + 1]) << 16);
        at += 2;
        while (at < capacity && view[at] != 0) item.text += view[at++];
        ++at;
        items->push_back(std::move(item));
      }
    }
  }
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  if (view != nullptr) UnmapViewOfFile(view);
  CloseHandle(shared);
  return items;
}

}  // namespace

std::optional<std::vector<MenuItem>> read_popup_menu(HWND popup) {
  return read_menu(popup, kPopupMenu);
}

std::optional<std::vector<MenuItem>> read_window_menu(HWND window, int submenu) {
  if (GetMenu(window) == nullptr) return std::nullopt;
  return read_menu(window, submenu < 0 ? kMenuBar : static_cast<WPARAM>(2 + submenu));
}

}  // namespace standin
