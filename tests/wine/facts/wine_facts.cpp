// Measures how Wine answers the cross-process calls the daemon and the
// stand-in depend on, for the test application's window given on the command
// line, and prints one JSON object. tests/wine/README.md states these facts;
// the suite re-measures them on every run so the README cannot silently go out
// of date.
//
// Usage: wine_facts.exe MAIN_HWND
#include <windows.h>

#include <dwmapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The JSON object being printed. Appends with += only: GCC 12 warns falsely
// (-Wrestrict) on chains of std::string operator+ at -O3.
class Facts {
 public:
  void add(const char* name, long long value) {
    char buffer[96];
    std::snprintf(buffer, sizeof(buffer), "%s\"%s\":%lld", text_.empty() ? "{" : ",", name, value);
    text_ += buffer;
  }
  void add_text(const char* name, const wchar_t* text, int length) {
    add_key(name);
    text_ += '"';
    for (int i = 0; i < length; ++i) {
      const wchar_t c = text[i];
      if (c == L'"' || c == L'\\') text_ += '\\';
      text_ += c < 0x80 && c >= 0x20 ? static_cast<char>(c) : '?';
    }
    text_ += '"';
  }
  void print() { std::printf("%s}\n", text_.c_str()); }

 private:
  void add_key(const char* name) {
    text_ += text_.empty() ? "{\"" : ",\"";
    text_ += name;
    text_ += "\":";
  }
  std::string text_;
};

// Draws the window into a memory bitmap and tells whether anything was drawn:
// a capture that drew nothing is one colour throughout.
void print_window_fact(HWND window, Facts& facts) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // A colour the window never paints, so an untouched bitmap is recognisable.
  HBRUSH marker = CreateSolidBrush(RGB(1, 2, 3));
  RECT all{0, 0, width, height};
  FillRect(memory, &all, marker);
  DeleteObject(marker);
  const BOOL printed = PrintWindow(window, memory, 0);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = -height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  long long untouched = 0;
  for (DWORD p : pixels) untouched += (p & 0xFFFFFF) == 0x010203;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  facts.add("print_window_result", printed);
  facts.add("print_window_pixels", static_cast<long long>(pixels.size()));
  facts.add("print_window_untouched_pixels", untouched);
}

void menu_facts(HWND window, Facts& facts) {
  HMENU menu = GetMenu(window);
  facts.add("menu_handle_nonzero", menu != nullptr);
  facts.add("menu_item_count", GetMenuItemCount(menu));
  wchar_t text[64] = {};
  const int length = GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
  facts.add_text("menu_first_item_text", text, length > 0 ? length : 0);
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING | MIIM_SUBMENU;
  wchar_t buffer[64] = {};
  info.dwTypeData = buffer;
  info.cch = 64;
  facts.add("menu_item_info_ok", GetMenuItemInfoW(menu, 0, TRUE, &info));
  MENUBARINFO bar{};
  bar.cbSize = sizeof(bar);
  facts.add("menu_bar_info_ok", GetMenuBarInfo(window, OBJID_MENU, 0, &bar));
}

// The visible popup menu window (class #32768) of a thread, or NULL.
HWND visible_popup_menu(DWORD thread) {
  struct Search {
    DWORD thread;
    HWND found;
  } search{thread, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        wchar_t cls[16] = {};
        GetClassNameW(hwnd, cls, 16);
        if (std::wcscmp(cls, L"#32768") == 0 && IsWindowVisible(hwnd) &&
            GetWindowThreadProcessId(hwnd, nullptr) == s->thread) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND wait_for_popup_menu(DWORD thread, bool visible) {
  HWND popup = nullptr;
  for (int i = 0; i < 40; ++i) {
    popup = visible_popup_menu(thread);
    if ((popup != nullptr) == visible) break;
    Sleep(50);
  }
  return popup;
}

// A right click posted to the multi-line edit opens the edit's own context
// menu, as a popup window of the application's thread; Escape posted to a
// window of that thread closes it (context_menu posts it to the foreground
// window).
void popup_menu_facts(HWND main, Facts& facts) {
  const HWND edit = GetDlgItem(main, 135);
  const DWORD thread = GetWindowThreadProcessId(main, nullptr);
  PostMessageW(edit, WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
  Sleep(30);
  PostMessageW(edit, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  const HWND popup = wait_for_popup_menu(thread, true);
  facts.add("popup_menu_window_appears", popup != nullptr);
  const auto menu = reinterpret_cast<HMENU>(popup != nullptr ? SendMessageW(popup, MN_GETHMENU, 0, 0) : 0);
  facts.add("popup_menu_handle_nonzero", menu != nullptr);
  facts.add("popup_menu_item_count", GetMenuItemCount(menu));
  PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  Sleep(10);
  PostMessageW(main, WM_KEYUP, VK_ESCAPE, 0);
  facts.add("popup_menu_closed_by_escape", wait_for_popup_menu(thread, false) == nullptr);
}

// DWMWA_CLOAKED: what a daemon would read to leave cloaked windows out.
void cloaked_facts(HWND window, Facts& facts) {
  DWORD cloaked = 0xFFFFFFFF;
  const HRESULT hr = DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked));
  facts.add("dwm_cloaked_hr", static_cast<long long>(static_cast<unsigned long>(hr)));
  facts.add("dwm_cloaked_value", cloaked);
}

// The monitors Wine reports on the suite's single Xvfb screen: whether any
// area lies left of x = 0, where a window can still be placed.
void monitor_facts(Facts& facts) {
  int count = 0;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR, HDC, LPRECT, LPARAM data) -> BOOL {
        ++*reinterpret_cast<int*>(data);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  facts.add("monitor_count", count);
  facts.add("virtual_screen_left", GetSystemMetrics(SM_XVIRTUALSCREEN));
  facts.add("virtual_screen_top", GetSystemMetrics(SM_YVIRTUALSCREEN));
}

// GetTitleBarInfo, which the stand-in's title bar is laid out from: the bar
// relative to the window rectangle and the buttons' states.
void title_bar_facts(HWND window, Facts& facts) {
  TITLEBARINFO info{};
  info.cbSize = sizeof(info);
  facts.add("title_bar_info_ok", GetTitleBarInfo(window, &info));
  RECT rect{};
  GetWindowRect(window, &rect);
  facts.add("title_bar_left", info.rcTitleBar.left - rect.left);
  facts.add("title_bar_top", info.rcTitleBar.top - rect.top);
  facts.add("title_bar_right", rect.right - info.rcTitleBar.right);
  facts.add("title_bar_height", info.rcTitleBar.bottom - info.rcTitleBar.top);
  facts.add("title_bar_close_state", info.rgstate[5]);
  facts.add("cx_size", GetSystemMetrics(SM_CXSIZE));
  facts.add("cy_size", GetSystemMetrics(SM_CYSIZE));
  facts.add("cy_caption", GetSystemMetrics(SM_CYCAPTION));
  // The window under the middle of the caption, and under the client area.
  const POINT caption{(info.rcTitleBar.left + info.rcTitleBar.right) / 2,
                      (info.rcTitleBar.top + info.rcTitleBar.bottom) / 2};
  facts.add("window_from_point_on_caption_is_main", WindowFromPoint(caption) == window);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  client.x += 2;
  client.y += 2;
  facts.add("window_from_point_in_client_is_main", GetAncestor(WindowFromPoint(client), GA_ROOT) == window);
}

}  // namespace

// The length of the system message text for a code, 0 when there is none.
long long message_text_length(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (text != nullptr) LocalFree(text);
  return length;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const HWND main = reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(argv[1])));
  const HWND edit = GetDlgItem(main, 131);
  const HWND list = GetDlgItem(main, 140);
  const HWND bar = GetDlgItem(main, 160);
  Facts facts;
  facts.add("message_text_length_class_not_registered", message_text_length(0x80040154));
  facts.add("message_text_length_element_not_available", message_text_length(0x80040201));

  wchar_t text[256] = {};
  int n = GetWindowTextW(edit, text, 256);
  facts.add_text("edit_get_window_text", text, n > 0 ? n : 0);
  std::wmemset(text, 0, 256);
  n = static_cast<int>(SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text)));
  facts.add_text("edit_wm_gettext", text, n > 0 ? n : 0);
  std::wmemset(text, 0, 256);
  DWORD_PTR result = 0;
  SetLastError(0);
  const LRESULT sent = SendMessageTimeoutW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text),
                                           SMTO_ABORTIFHUNG, 2000, &result);
  facts.add("edit_send_timeout_ok", sent != 0);
  facts.add("edit_send_timeout_error", GetLastError());
  facts.add_text("edit_send_timeout_text", text, static_cast<int>(result));

  std::wmemset(text, 0, 256);
  n = static_cast<int>(SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text)));
  facts.add_text("listbox_gettext", text, n > 0 ? n : 0);
  RECT item{};
  facts.add("listbox_getitemrect", SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)));
  facts.add("listbox_item_height", item.bottom - item.top);

  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  facts.add("scrollbar_sbm_getscrollinfo", SendMessageW(bar, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info)));
  facts.add("scrollbar_sbm_max", info.nMax);
  SCROLLINFO direct{};
  direct.cbSize = sizeof(direct);
  direct.fMask = SIF_ALL;
  facts.add("scrollbar_getscrollinfo", GetScrollInfo(bar, SB_CTL, &direct));
  facts.add("scrollbar_getscrollinfo_max", direct.nMax);

  menu_facts(main, facts);
  cloaked_facts(main, facts);
  monitor_facts(facts);
  title_bar_facts(main, facts);
  popup_menu_facts(main, facts);
  print_window_fact(main, facts);

  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  facts.add("gui_thread_info_ok", GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &gui));
  facts.add("gui_thread_focus_is_name_edit", gui.hwndFocus == edit);
  facts.add("foreground_is_main", GetForegroundWindow() == main);
  facts.print();
  return 0;
}
