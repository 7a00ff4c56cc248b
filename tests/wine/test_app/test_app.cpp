// A Win32 application with one of each standard control, for the Wine suite to
// scan and drive. Everything it receives (commands, clicks, characters, keys,
// focus, mouse buttons, selection and scroll changes) goes to the log file
// named on its command line, one JSON line per event.
//
// Usage: uiad_test_app.exe LOG_PATH [--title TITLE]
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "event_log.h"

namespace {

constexpr wchar_t kMainClass[] = L"UiadTestAppMain";
constexpr wchar_t kPanelClass[] = L"UiadTestPanel";
constexpr wchar_t kTipClass[] = L"UiadTestTip";
constexpr wchar_t kOldProcProperty[] = L"uiad.test.oldproc";

enum MenuId { kMenuOpenDialog = 9001, kMenuExit = 9002, kMenuClearNotes = 9003, kMenuAbout = 9004 };

enum ControlId {
  kSayHello = 101,
  kOpenDialog = 102,
  kDisabled = 103,
  kLink = 104,
  kEnableLogging = 110,
  kTriState = 111,
  kColourGroup = 120,
  kRed = 121,
  kGreen = 122,
  kBlue = 123,
  kNameLabel = 130,
  kName = 131,
  kReadOnlyLabel = 132,
  kReadOnly = 133,
  kNotesLabel = 134,
  kNotes = 135,
  kItems = 140,
  kFruit = 150,
  kLevel = 160,
  kStatus = 170,
  kPanel = 180,
  kInnerButton = 181,
  kInnerText = 182,
};

struct ControlSpec {
  int id;
  const wchar_t* window_class;
  const wchar_t* text;
  DWORD style;
  int x, y, width, height;
  int parent;  // 0: the main window
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

const ControlSpec kControls[] = {
    {kSayHello, L"Button", L"&Say hello", kChild | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 110, 28, 0},
    {kOpenDialog, L"Button", L"Open &dialog", kChild | WS_TABSTOP | BS_PUSHBUTTON, 130, 10, 110, 28, 0},
    {kDisabled, L"Button", L"Disabled", kChild | WS_DISABLED | BS_PUSHBUTTON, 250, 10, 100, 28, 0},
    {kLink, WC_LINK, L"<a>Open dialog by link</a>", kChild | WS_TABSTOP, 370, 16, 200, 20, 0},
    {kEnableLogging, L"Button", L"Enable logging", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 10, 50, 150,
     22, 0},
    {kTriState, L"Button", L"Tri state", kChild | WS_TABSTOP | BS_AUTO3STATE, 170, 50, 150, 22, 0},
    {kColourGroup, L"Button", L"Colour", kChild | BS_GROUPBOX, 10, 80, 200, 100, 0},
    {kRed, L"Button", L"Red", kChild | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 20, 100, 80, 22, 0},
    {kGreen, L"Button", L"Green", kChild | BS_AUTORADIOBUTTON, 20, 124, 80, 22, 0},
    {kBlue, L"Button", L"Blue", kChild | BS_AUTORADIOBUTTON, 20, 148, 80, 22, 0},
    {kNameLabel, L"Static", L"Name:", kChild, 230, 86, 65, 20, 0},
    {kName, L"Edit", L"alice", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 300, 82, 200, 24, 0},
    {kReadOnlyLabel, L"Static", L"Read-only:", kChild, 230, 116, 65, 20, 0},
    {kReadOnly, L"Edit", L"fixed text", kChild | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 300, 112,
     200, 24, 0},
    {kNotesLabel, L"Static", L"Notes:", kChild, 230, 146, 65, 20, 0},
    {kNotes, L"Edit", L"", kChild | WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
     300, 142, 200, 60, 0},
    {kItems, L"ListBox", L"", kChild | WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, 10, 200, 200,
     100, 0},
    {kFruit, L"ComboBox", L"", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 230, 220, 200, 150, 0},
    {kLevel, L"ScrollBar", L"", kChild | SBS_VERT, 520, 82, 20, 120, 0},
    {kStatus, L"Static", L"Status: ready", kChild, 10, 320, 300, 20, 0},
    {kPanel, kPanelClass, L"Inner panel", kChild | WS_BORDER, 330, 300, 260, 100, 0},
    {kInnerButton, L"Button", L"Inner button", kChild | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 120, 28,
     kPanel},
    {kInnerText, L"Static", L"Inside the panel", kChild, 10, 50, 200, 20, kPanel},
};

constexpr int kItemCount = 30;
constexpr int kLevelPage = 10;

struct App {
  EventLog log;
  HWND main = nullptr;
  HWND tip = nullptr;  // shown while the pointer rests on "Say hello"
};

App* app_of(HWND hwnd) {
  const HWND root = GetAncestor(hwnd, GA_ROOT);
  return reinterpret_cast<App*>(GetWindowLongPtrW(root, GWLP_USERDATA));
}

void log_event(HWND any_window, LogLine line) {
  if (App* app = app_of(any_window)) app->log.write(line);
}

std::wstring text_of(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

// A key message's lParam as the control sees its low 32 bits: repeat count,
// scan code, extended flag, previous state and transition.
long long key_bits(LPARAM lparam) { return static_cast<long long>(static_cast<DWORD>(lparam)); }

void log_key(HWND hwnd, UINT message, int id, WPARAM wparam, LPARAM lparam) {
  const char* name = message == WM_CHAR ? "char" : (message == WM_KEYDOWN ? "keydown" : "keyup");
  LogLine line(name);
  line.add("id", id).add(message == WM_CHAR ? "code" : "vk", static_cast<long long>(wparam));
  log_event(hwnd, line.add("lparam", key_bits(lparam)));
}

// A mouse button message with its point in client coordinates.
void log_button(HWND hwnd, UINT message, int id, LPARAM lparam) {
  const char* name = message == WM_LBUTTONDOWN ? "lbuttondown"
                     : message == WM_LBUTTONUP ? "lbuttonup"
                     : message == WM_RBUTTONDOWN ? "rbuttondown"
                                                 : "rbuttonup";
  log_event(hwnd, LogLine(name)
                      .add("id", id)
                      .add("x", static_cast<short>(LOWORD(lparam)))
                      .add("y", static_cast<short>(HIWORD(lparam))));
}

// The hover reaction: a tooltip for "Say hello" that a move onto any other
// control hides again. Shown without activation, like a real tooltip.
void on_mouse_move(HWND control, int id, LPARAM lparam) {
  App* app = app_of(control);
  if (app == nullptr || app->tip == nullptr) return;
  // Wine sends moves of its own at the real pointer when windows appear;
  // only moves elsewhere (posted ones) count.
  POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(control, &at);
  POINT cursor{};
  if (GetCursorPos(&cursor) && cursor.x == at.x && cursor.y == at.y) return;
  const bool show = id == kSayHello;
  if (show == (IsWindowVisible(app->tip) != FALSE)) return;
  ShowWindow(app->tip, show ? SW_SHOWNOACTIVATE : SW_HIDE);
  app->log.write(LogLine(show ? "tip_shown" : "tip_hidden")
                     .add("id", id)
                     .add("x", static_cast<short>(LOWORD(lparam)))
                     .add("y", static_cast<short>(HIWORD(lparam))));
}

// Logs what the control receives, then lets the control handle it.
LRESULT CALLBACK control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto old_proc = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOldProcProperty));
  const int id = GetDlgCtrlID(hwnd);
  switch (message) {
    case WM_MOUSEMOVE:
      on_mouse_move(hwnd, id, lparam);
      break;
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_KEYUP:
      log_key(hwnd, message, id, wparam, lparam);
      break;
    case WM_SETTEXT: {
      // The text as it arrives, and its length in UTF-16 code units.
      const auto* text = reinterpret_cast<const wchar_t*>(lparam);
      const std::wstring arrived = text != nullptr ? std::wstring(text) : std::wstring();
      log_event(hwnd, LogLine("settext")
                          .add("id", id)
                          .add("text", arrived)
                          .add("units", static_cast<long long>(arrived.size())));
      break;
    }
    case WM_SETFOCUS:
      log_event(hwnd, LogLine("focus").add("id", id));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      log_button(hwnd, message, id, lparam);
      break;
    default:
      break;
  }
  if (message == WM_NCDESTROY) {
    RemovePropW(hwnd, kOldProcProperty);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_proc));
  }
  return CallWindowProcW(old_proc, hwnd, message, wparam, lparam);
}

void watch(HWND control) {
  const LONG_PTR old_proc =
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_proc));
  SetPropW(control, kOldProcProperty, reinterpret_cast<HANDLE>(old_proc));
}

void open_modal_dialog(HWND main, const wchar_t* source) {
  log_event(main, LogLine("dialog_open").add("source", source));
  const int result = MessageBoxW(main, L"Proceed?", L"Test dialog", MB_OKCANCEL | MB_ICONQUESTION);
  log_event(main, LogLine("dialog_closed").add("result", result));
}

void on_level_scroll(HWND bar, int code) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(bar, SB_CTL, &info);
  int position = info.nPos;
  switch (code) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= kLevelPage; break;
    case SB_PAGEDOWN: position += kLevelPage; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = info.nTrackPos; break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return;  // SB_ENDSCROLL
  }
  SetScrollPos(bar, SB_CTL, position, TRUE);
  log_event(bar, LogLine("scroll")
                     .add("id", GetDlgCtrlID(bar))
                     .add("code", code)
                     .add("pos", GetScrollPos(bar, SB_CTL)));
}

void on_command(HWND main, WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  const HWND control = reinterpret_cast<HWND>(lparam);
  if (control == nullptr) {
    log_event(main, LogLine("menu").add("id", id));
    if (id == kMenuOpenDialog) open_modal_dialog(main, L"menu");
    if (id == kMenuExit) DestroyWindow(main);
    if (id == kMenuClearNotes) SetDlgItemTextW(main, kNotes, L"");
    return;
  }
  log_event(main, LogLine("command").add("id", id).add("code", code));
  if (code == BN_CLICKED && GetParent(control) != nullptr) {
    wchar_t cls[32] = {};
    GetClassNameW(control, cls, 32);
    if (lstrcmpiW(cls, L"Button") == 0) {
      log_event(main, LogLine("click").add("id", id).add("text", text_of(control)));
      if (id == kOpenDialog) open_modal_dialog(main, L"button");
      return;
    }
  }
  if (code == EN_CHANGE) {
    log_event(main, LogLine("change").add("id", id).add("text", text_of(control)));
  } else if ((code == LBN_SELCHANGE && id == kItems) || (code == CBN_SELCHANGE && id == kFruit)) {
    const UINT get = id == kItems ? LB_GETCURSEL : CB_GETCURSEL;
    log_event(main, LogLine("select").add("id", id).add("index", SendMessageW(control, get, 0, 0)));
  }
}

LRESULT CALLBACK panel_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HMENU make_menu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kMenuOpenDialog, L"&Open dialog...");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kMenuExit, L"E&xit");
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING, kMenuClearNotes, L"&Clear notes");
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, kMenuAbout, L"&About");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
  return bar;
}

void create_controls(HWND main) {
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& spec : kControls) {
    const HWND parent = spec.parent == 0 ? main : GetDlgItem(main, spec.parent);
    const HWND control = CreateWindowExW(0, spec.window_class, spec.text, spec.style, spec.x, spec.y,
                                         spec.width, spec.height, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                         GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
      log_event(main, LogLine("control_failed").add("id", spec.id).add("error", GetLastError()));
      continue;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    watch(control);
  }
  CheckDlgButton(main, kEnableLogging, BST_CHECKED);
  CheckDlgButton(main, kRed, BST_CHECKED);
  const HWND items = GetDlgItem(main, kItems);
  for (int i = 1; i <= kItemCount; ++i) {
    SendMessageW(items, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((L"Item " + std::to_wstring(i)).c_str()));
  }
  const HWND fruit = GetDlgItem(main, kFruit);
  for (const wchar_t* name : {L"Apple", L"Banana", L"Cherry"}) {
    SendMessageW(fruit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  SendMessageW(fruit, CB_SETCURSEL, 1, 0);
  if (const HWND fruit_edit = GetWindow(fruit, GW_CHILD)) watch(fruit_edit);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = 100;
  info.nPage = kLevelPage;
  info.nPos = 0;
  SetScrollInfo(GetDlgItem(main, kLevel), SB_CTL, &info, TRUE);
}

// Every window of the application with its class, text and screen rectangle,
// so the suite can check a snapshot against what is really there.
BOOL CALLBACK log_control(HWND hwnd, LPARAM) {
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  log_event(hwnd, LogLine("control")
                      .add("id", GetDlgCtrlID(hwnd))
                      .add("hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(hwnd)))
                      .add("parent", static_cast<long long>(reinterpret_cast<INT_PTR>(GetParent(hwnd))))
                      .add("class", cls)
                      .add("text", text_of(hwnd))
                      .add("visible", IsWindowVisible(hwnd) ? 1 : 0)
                      .add_rect("rect", rect));
  return TRUE;
}

// The list's items with the part of each that is on screen (empty while an
// item is scrolled out of view).
void log_list_items(HWND list) {
  RECT client{};
  GetClientRect(list, &client);
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
    RECT visible{};
    if (IntersectRect(&visible, &item, &client)) {
      MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&visible), 2);
    } else {
      visible = RECT{};
    }
    std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    log_event(list, LogLine("item").add("id", GetDlgCtrlID(list)).add("index", i).add("text", text).add_rect("rect", visible));
  }
}

LRESULT CALLBACK main_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_CREATE:
      create_controls(hwnd);
      return 0;
    case WM_COMMAND:
      on_command(hwnd, wparam, lparam);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->idFrom == kLink && (header->code == NM_CLICK || header->code == NM_RETURN)) {
        log_event(hwnd, LogLine("link").add("id", kLink).add("code", header->code == NM_CLICK ? L"click"
                                                                                              : L"return"));
        open_modal_dialog(hwnd, L"link");
      }
      return 0;
    }
    case WM_VSCROLL:
      if (lparam != 0) on_level_scroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam));
      return 0;
    case WM_ACTIVATE:
      log_event(hwnd, LogLine("activate").add("state", LOWORD(wparam)));
      break;
    case WM_PRINT:
    case WM_PRINTCLIENT:
      log_event(hwnd, LogLine(message == WM_PRINT ? "print" : "printclient"));
      break;
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_KEYUP:
      log_key(hwnd, message, 0, wparam, lparam);
      break;
    case WM_SYSCOMMAND:
      log_event(hwnd, LogLine("syscommand").add("command", static_cast<long long>(wparam & 0xFFF0)));
      break;
    case WM_SETFOCUS:
      log_event(hwnd, LogLine("focus").add("id", 0));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      log_button(hwnd, message, 0, lparam);
      break;
    case WM_CLOSE:
      log_event(hwnd, LogLine("close"));
      break;
    case WM_DESTROY:
      log_event(hwnd, LogLine("exit"));
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool register_classes(HINSTANCE instance) {
  WNDCLASSEXW main_class{};
  main_class.cbSize = sizeof(main_class);
  main_class.lpfnWndProc = main_proc;
  main_class.hInstance = instance;
  main_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main_class.lpszClassName = kMainClass;
  WNDCLASSEXW panel_class = main_class;
  panel_class.lpfnWndProc = panel_proc;
  panel_class.lpszClassName = kPanelClass;
  WNDCLASSEXW tip_class = main_class;
  tip_class.lpfnWndProc = DefWindowProcW;
  tip_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
  tip_class.lpszClassName = kTipClass;
  return RegisterClassExW(&main_class) != 0 && RegisterClassExW(&panel_class) != 0 &&
         RegisterClassExW(&tip_class) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 2;
  std::wstring title = L"UIAD Test App";
  for (int i = 2; i + 1 < argc; ++i) {
    if (std::wstring(argv[i]) == L"--title") title = argv[i + 1];
  }
  App app;
  if (!app.log.open(argv[1])) return 3;
  LocalFree(argv);

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!register_classes(instance)) return 4;

  app.main = CreateWindowExW(0, kMainClass, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 660, 520,
                             nullptr, make_menu(), instance, &app);
  if (app.main == nullptr) return 5;
  // Hidden until the pointer rests on "Say hello"; owned, so it is no child.
  app.tip = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, kTipClass,
                            L"Says hello", WS_POPUP | WS_BORDER, 60, 90, 120, 22, app.main, nullptr,
                            instance, nullptr);
  ShowWindow(app.main, SW_SHOW);
  UpdateWindow(app.main);
  SetFocus(GetDlgItem(app.main, kName));

  RECT rect{};
  GetWindowRect(app.main, &rect);
  DWORD pid = GetCurrentProcessId();
  LogLine start("start");
  start.add("hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(app.main)))
      .add("pid", pid)
      .add("title", title)
      .add_rect("rect", rect);
  app.log.write(start);
  // The title bar as GetTitleBarInfo gives it and the caption button size,
  // from which the suite lays out the title bar the stand-in shows.
  TITLEBARINFO title_bar{};
  title_bar.cbSize = sizeof(title_bar);
  GetTitleBarInfo(app.main, &title_bar);
  LogLine caption("caption");
  caption.add_rect("bar", title_bar.rcTitleBar)
      .add("cx", GetSystemMetrics(SM_CXSIZE))
      .add("cy", GetSystemMetrics(SM_CYSIZE));
  app.log.write(caption);
  EnumChildWindows(app.main, log_control, 0);
  log_list_items(GetDlgItem(app.main, kItems));
  LogLine ready("ready");
  app.log.write(ready);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
