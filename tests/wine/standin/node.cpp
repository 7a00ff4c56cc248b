// Reads elements from Win32 the way the system's window proxies present them.
#include "standin/node.h"

#include <algorithm>
#include <cwctype>

#include "standin/menu_reader.h"
#include "standin/scrolling.h"

namespace standin {
namespace {

constexpr UINT kSendTimeoutMs = 2000;
// Window chains change while they are walked; this bounds a walk that would
// otherwise follow a chain that keeps growing.
constexpr int kMaxSiblings = 20000;

std::wstring class_name(HWND hwnd) {
  wchar_t buffer[256] = {};
  const int n = GetClassNameW(hwnd, buffer, 256);
  std::wstring name(buffer, n > 0 ? n : 0);
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
  return name;
}

LONG style_of(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE); }

bool is_top_level(HWND hwnd) {
  const HWND parent = GetAncestor(hwnd, GA_PARENT);
  return parent == nullptr || parent == GetDesktopWindow();
}

bool is_popup_menu(HWND hwnd) { return class_name(hwnd) == L"#32768"; }

// A window's menu bar and its items are items of the window from kMenuBar on:
// the bar itself, kMenuBar + (i + 1) * kMenuStride for its item i, and that
// plus j + 1 for item j of item i's submenu.
constexpr int kMenuBar = 1 << 24;
constexpr int kMenuStride = 1024;

bool in_menu_bar(const Node& node) { return node.item >= kMenuBar; }
int bar_index(const Node& node) { return (node.item - kMenuBar) / kMenuStride - 1; }
int submenu_index(const Node& node) { return (node.item - kMenuBar) % kMenuStride - 1; }

// A captioned window's title bar and its parts are items of the window from
// kTitleBar on, one per part.
constexpr int kTitleBar = 1 << 23;
enum CaptionPart : int {
  kBarItself = 0,
  kSystemMenuBar = 1,
  kSystemMenuItem = 2,
  kMinimizeButton = 3,
  kMaximizeButton = 4,
  kCloseButton = 5,
  kCaptionParts = 6,
};

bool in_title_bar(const Node& node) {
  return node.item >= kTitleBar && node.item < kTitleBar + kCaptionParts;
}
CaptionPart caption_part(const Node& node) { return static_cast<CaptionPart>(node.item - kTitleBar); }

// What the system's title-bar proxy shows of a window, from GetTitleBarInfo
// (the bar, which leaves out the window-menu icon on its left) and the
// window's styles. The caption buttons are SM_CXSIZE x SM_CYSIZE each,
// right-aligned in the bar; the System menu bar sits on the icon.
struct TitleBarLayout {
  RECT bar{};
  bool system_menu = false;
  bool min_max = false;  // Minimize and Maximize come as a pair
  bool close = false;
  bool minimize_enabled = false;
  bool maximize_enabled = false;
  bool close_enabled = false;
  RECT icon{};
  RECT minimize{};
  RECT maximize{};
  RECT close_rect{};
};

std::optional<TitleBarLayout> title_bar_layout(HWND hwnd) {
  if (hwnd == GetDesktopWindow() || !is_top_level(hwnd) || is_popup_menu(hwnd)) return std::nullopt;
  const LONG style = style_of(hwnd);
  if ((style & WS_CAPTION) != WS_CAPTION) return std::nullopt;
  TITLEBARINFO info{};
  info.cbSize = sizeof(info);
  if (!GetTitleBarInfo(hwnd, &info) || IsRectEmpty(&info.rcTitleBar)) return std::nullopt;
  const LONG ex_style = GetWindowLongW(hwnd, GWL_EXSTYLE);
  TitleBarLayout layout;
  layout.bar = info.rcTitleBar;
  const bool system_menu = (style & WS_SYSMENU) != 0;
  // No icon is drawn for a modal frame or a tool window, and the proxy then
  // shows no System menu bar either (a message box has only Close).
  layout.system_menu =
      system_menu && (ex_style & (WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW)) == 0;
  // With either box the system draws both buttons, the missing one greyed.
  layout.min_max = system_menu && (ex_style & WS_EX_TOOLWINDOW) == 0 &&
                   (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0;
  layout.minimize_enabled = (style & WS_MINIMIZEBOX) != 0;
  layout.maximize_enabled = (style & WS_MAXIMIZEBOX) != 0;
  layout.close = system_menu;
  layout.close_enabled = (GetClassLongPtrW(hwnd, GCL_STYLE) & CS_NOCLOSE) == 0;

  const RECT& bar = layout.bar;
  const LONG width = GetSystemMetrics(SM_CXSIZE);
  const LONG height = std::min<LONG>(GetSystemMetrics(SM_CYSIZE), bar.bottom - bar.top);
  auto button = [&](int from_right) {
    const LONG right = bar.right - from_right * width;
    return RECT{std::max(bar.left, right - width), bar.top, right, bar.top + height};
  };
  layout.close_rect = button(0);
  layout.maximize = button(1);
  layout.minimize = button(2);
  layout.icon = RECT{bar.left - width, bar.top, bar.left, bar.top + height};
  return layout;
}

bool has_caption_part(const TitleBarLayout& layout, CaptionPart part) {
  switch (part) {
    case kBarItself:
      return true;
    case kSystemMenuBar:
    case kSystemMenuItem:
      return layout.system_menu;
    case kMinimizeButton:
    case kMaximizeButton:
      return layout.min_max;
    case kCloseButton:
      return layout.close;
    default:
      return false;
  }
}

std::optional<MenuItem> pick(const std::optional<std::vector<MenuItem>>& items, int index) {
  if (!items || index < 0 || static_cast<size_t>(index) >= items->size()) return std::nullopt;
  return (*items)[static_cast<size_t>(index)];
}

}  // namespace

std::optional<MenuItem> menu_item_of(const Node& node) {
  if (in_title_bar(node)) return std::nullopt;
  if (!in_menu_bar(node)) return pick(read_popup_menu(node.hwnd), node.item);
  const int i = bar_index(node);
  const int j = submenu_index(node);
  if (j < 0) return pick(read_window_menu(node.hwnd, -1), i);
  return pick(read_window_menu(node.hwnd, i), j);
}

namespace {

// The item nodes of a menu read as `items`, numbered from `first`.
void append_menu_items(const Node& owner, const std::optional<std::vector<MenuItem>>& items, int first,
                       int stride, std::vector<Node>& out) {
  const int count = items ? static_cast<int>(items->size()) : 0;
  for (int i = 0; i < count; ++i) out.push_back(Node::of(owner.hwnd, first + i * stride));
}

// "&Save" is shown as Save; "&&" is a literal ampersand.
std::wstring strip_mnemonic(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) {
      out += text[++i];
    } else if (text[i] != L'&') {
      out += text[i];
    }
  }
  return out;
}

// A SysLink's text carries <a> mark-up; its name is the text without it.
std::wstring strip_markup(const std::wstring& text) {
  std::wstring out;
  bool in_tag = false;
  for (wchar_t c : text) {
    if (c == L'<') {
      in_tag = true;
    } else if (c == L'>' && in_tag) {
      in_tag = false;
    } else if (!in_tag) {
      out += c;
    }
  }
  return out;
}

int list_count(HWND list) {
  bool ok = false;
  const LRESULT count = send_with_timeout(list, LB_GETCOUNT, 0, 0, &ok);
  return ok && count > 0 ? static_cast<int>(count) : 0;
}

bool list_has_strings(HWND list) {
  const LONG style = style_of(list);
  return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0 || (style & LBS_HASSTRINGS) != 0;
}

std::wstring list_item_text(HWND list, int item) {
  if (!list_has_strings(list)) return {};
  bool ok = false;
  const LRESULT length = send_with_timeout(list, LB_GETTEXTLEN, item, 0, &ok);
  if (!ok || length <= 0 || length > (1 << 20)) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      send_with_timeout(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()), &ok);
  if (!ok || copied <= 0) return {};
  text.resize(static_cast<size_t>(copied));
  return text;
}

// The item's rectangle on screen; empty while the item is scrolled out of view.
RECT list_item_rect(HWND list, int item) {
  RECT item_rect{};
  bool ok = false;
  if (send_with_timeout(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&item_rect), &ok) ==
          LB_ERR ||
      !ok) {
    return {};
  }
  RECT client{};
  GetClientRect(list, &client);
  RECT visible{};
  if (!IntersectRect(&visible, &item_rect, &client)) return {};
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&visible), 2);
  return visible;
}

// The window with the keyboard focus system-wide: the focus window of the
// thread that owns the foreground window.
HWND system_focus_window() {
  const HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return nullptr;
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

int list_caret(HWND list) {
  bool ok = false;
  const LRESULT caret = send_with_timeout(list, LB_GETCARETINDEX, 0, 0, &ok);
  return ok ? static_cast<int>(caret) : -1;
}

bool has_keyboard_focus(const Node& node, Kind kind) {
  if (kind == Kind::Desktop) return false;
  // Menu and title-bar parts share their window's handle, not its focus.
  if (node.item >= 0 && kind != Kind::ListItem) return false;
  if (system_focus_window() != node.hwnd) return false;
  // A list box with items passes the focus on to the item with the caret.
  if (kind == Kind::ListItem) return list_caret(node.hwnd) == node.item;
  if (kind == Kind::List) return list_count(node.hwnd) == 0;
  return true;
}

std::wstring name_of(const Node& node, Kind kind) {
  switch (kind) {
    case Kind::Desktop:
      return L"Desktop";
    case Kind::ListItem:
      return list_item_text(node.hwnd, node.item);
    case Kind::Edit:
    case Kind::ComboBox:
    case Kind::List:
      return {};  // their text is the Value, not the Name
    case Kind::PushButton:
    case Kind::CheckBox:
    case Kind::RadioButton:
    case Kind::GroupBox:
      return strip_mnemonic(window_text(node.hwnd));
    case Kind::Text:
      if (style_of(node.hwnd) & SS_NOPREFIX) return window_text(node.hwnd);
      return strip_mnemonic(window_text(node.hwnd));
    case Kind::Hyperlink:
      return strip_markup(window_text(node.hwnd));
    case Kind::Window:
    case Kind::Pane:
    case Kind::ScrollBar:
    case Kind::Menu:
      return window_text(node.hwnd);
    case Kind::MenuItem: {
      // The system's proxies name an item without its mnemonics and accelerator.
      const auto item = menu_item_of(node);
      return item ? strip_mnemonic(item->text.substr(0, item->text.find(L'\t'))) : std::wstring();
    }
    case Kind::Separator:
      return {};
    case Kind::MenuBar:
      return L"Application";  // what the system's proxies call a menu bar
    case Kind::TitleBar:
      return {};  // the proxy leaves it unnamed; the window has the title
    case Kind::SystemMenuBar:
    case Kind::SystemMenuItem:
      return L"System";
    case Kind::CaptionButton:
      switch (caption_part(node)) {
        case kMinimizeButton:
          return L"Minimize";
        case kMaximizeButton:
          return IsZoomed(node.hwnd) ? L"Restore" : L"Maximize";
        default:
          return L"Close";
      }
  }
  return {};
}

std::wstring automation_id_of(const Node& node, Kind kind) {
  if (kind == Kind::MenuBar || kind == Kind::SystemMenuBar) return L"MenuBar";
  if (node.item >= 0 || (style_of(node.hwnd) & WS_CHILD) == 0) return {};
  const int id = GetDlgCtrlID(node.hwnd);
  return id == 0 ? std::wstring() : std::to_wstring(id);
}

RECT caption_part_rect(const Node& node) {
  const auto layout = title_bar_layout(node.hwnd);
  if (!layout) return {};
  switch (caption_part(node)) {
    case kBarItself:
      return layout->bar;
    case kSystemMenuBar:
    case kSystemMenuItem:
      return layout->icon;
    case kMinimizeButton:
      return layout->minimize;
    case kMaximizeButton:
      return layout->maximize;
    default:
      return layout->close_rect;
  }
}

bool caption_part_enabled(const Node& node) {
  const auto layout = title_bar_layout(node.hwnd);
  if (!layout) return false;
  switch (caption_part(node)) {
    case kMinimizeButton:
      return layout->minimize_enabled;
    case kMaximizeButton:
      return layout->maximize_enabled;
    case kCloseButton:
      return layout->close_enabled;
    default:
      return true;
  }
}

RECT bounds_of(const Node& node, Kind kind) {
  if (in_title_bar(node)) return caption_part_rect(node);
  if (kind == Kind::ListItem) return list_item_rect(node.hwnd, node.item);
  if (kind == Kind::MenuItem || kind == Kind::Separator || kind == Kind::MenuBar) {
    return RECT{};  // not read
  }
  RECT rect{};
  GetWindowRect(node.hwnd, &rect);
  return rect;
}

bool value_is_read_only(const Node& node, Kind kind) {
  const LONG style = style_of(node.hwnd);
  if (kind == Kind::Edit) return (style & ES_READONLY) != 0;
  return (style & 3) == CBS_DROPDOWNLIST;
}

bool is_selected(const Node& node, Kind kind) {
  bool ok = false;
  if (kind == Kind::RadioButton) {
    return send_with_timeout(node.hwnd, BM_GETCHECK, 0, 0, &ok) == BST_CHECKED && ok;
  }
  return send_with_timeout(node.hwnd, LB_GETSEL, node.item, 0, &ok) > 0 && ok;
}

// Visible child windows in Z order.
void append_child_windows(HWND parent, std::vector<Node>& out) {
  HWND child = GetWindow(parent, GW_CHILD);
  for (int i = 0; child != nullptr && i < kMaxSiblings; ++i) {
    if (IsWindowVisible(child)) out.push_back(Node::of(child));
    child = GetWindow(child, GW_HWNDNEXT);
  }
}

bool contains(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

}  // namespace

LRESULT send_with_timeout(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, bool* ok) {
  DWORD_PTR result = 0;
  const LRESULT sent =
      SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  *ok = sent != 0;
  return sent != 0 ? static_cast<LRESULT>(result) : 0;
}

std::wstring window_text(HWND hwnd) {
  bool ok = false;
  const LRESULT length = send_with_timeout(hwnd, WM_GETTEXTLENGTH, 0, 0, &ok);
  if (!ok) {
    // A hung window still has the text the window manager keeps for it.
    wchar_t buffer[512] = {};
    const int n = InternalGetWindowText(hwnd, buffer, 512);
    return std::wstring(buffer, n > 0 ? n : 0);
  }
  if (length <= 0 || length > (1 << 20)) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = send_with_timeout(hwnd, WM_GETTEXT, text.size(),
                                           reinterpret_cast<LPARAM>(text.data()), &ok);
  if (!ok || copied <= 0) return {};
  text.resize(static_cast<size_t>(copied));
  return text;
}

Node desktop_node() { return Node::of(GetDesktopWindow()); }

bool is_alive(const Node& node) {
  if (node.hwnd == nullptr || !IsWindow(node.hwnd)) return false;
  if (GetWindowThreadProcessId(node.hwnd, nullptr) != node.thread) return false;
  if (node.item < 0) return true;
  if (in_title_bar(node)) {
    const auto layout = title_bar_layout(node.hwnd);
    return layout.has_value() && has_caption_part(*layout, caption_part(node));
  }
  if (node.item == kMenuBar) return GetMenu(node.hwnd) != nullptr;
  if (in_menu_bar(node) || is_popup_menu(node.hwnd)) return menu_item_of(node).has_value();
  return node.item < list_count(node.hwnd);
}

Kind kind_of(const Node& node) {
  if (in_title_bar(node)) {
    switch (caption_part(node)) {
      case kBarItself:
        return Kind::TitleBar;
      case kSystemMenuBar:
        return Kind::SystemMenuBar;
      case kSystemMenuItem:
        return Kind::SystemMenuItem;
      default:
        return Kind::CaptionButton;
    }
  }
  if (node.item == kMenuBar) return Kind::MenuBar;
  if (node.item >= 0) {
    if (!in_menu_bar(node) && !is_popup_menu(node.hwnd)) return Kind::ListItem;
    const auto item = menu_item_of(node);
    return item && item->separator ? Kind::Separator : Kind::MenuItem;
  }
  if (node.hwnd == GetDesktopWindow()) return Kind::Desktop;
  const std::wstring cls = class_name(node.hwnd);
  if (cls == L"button") {
    switch (style_of(node.hwnd) & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
        return Kind::CheckBox;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        return Kind::RadioButton;
      case BS_GROUPBOX:
        return Kind::GroupBox;
      default:
        return Kind::PushButton;
    }
  }
  if (cls == L"edit" || cls.starts_with(L"richedit")) return Kind::Edit;
  if (cls == L"static") return Kind::Text;
  if (cls == L"listbox" || cls == L"combolbox") return Kind::List;
  if (cls == L"combobox") return Kind::ComboBox;
  if (cls == L"scrollbar") return Kind::ScrollBar;
  if (cls == L"syslink") return Kind::Hyperlink;
  // What the system's proxies call an open menu. Its items live in the owning
  // process's menu, which Wine does not let another process read.
  if (cls == L"#32768") return Kind::Menu;
  return is_top_level(node.hwnd) ? Kind::Window : Kind::Pane;
}

CONTROLTYPEID control_type_of(Kind kind) {
  switch (kind) {
    case Kind::Desktop:
    case Kind::Pane:
      return UIA_PaneControlTypeId;
    case Kind::Window:
      return UIA_WindowControlTypeId;
    case Kind::PushButton:
      return UIA_ButtonControlTypeId;
    case Kind::CheckBox:
      return UIA_CheckBoxControlTypeId;
    case Kind::RadioButton:
      return UIA_RadioButtonControlTypeId;
    case Kind::GroupBox:
      return UIA_GroupControlTypeId;
    case Kind::Edit:
      return UIA_EditControlTypeId;
    case Kind::Text:
      return UIA_TextControlTypeId;
    case Kind::List:
      return UIA_ListControlTypeId;
    case Kind::ListItem:
      return UIA_ListItemControlTypeId;
    case Kind::ComboBox:
      return UIA_ComboBoxControlTypeId;
    case Kind::ScrollBar:
      return UIA_ScrollBarControlTypeId;
    case Kind::Hyperlink:
      return UIA_HyperlinkControlTypeId;
    case Kind::MenuBar:
    case Kind::SystemMenuBar:
      return UIA_MenuBarControlTypeId;
    case Kind::TitleBar:
      return UIA_TitleBarControlTypeId;
    case Kind::SystemMenuItem:
      return UIA_MenuItemControlTypeId;
    case Kind::CaptionButton:
      return UIA_ButtonControlTypeId;
    case Kind::Menu:
      return UIA_MenuControlTypeId;
    case Kind::MenuItem:
      return UIA_MenuItemControlTypeId;
    case Kind::Separator:
      return UIA_SeparatorControlTypeId;
  }
  return UIA_PaneControlTypeId;
}

bool supports_pattern(const Node& node, PATTERNID pattern) {
  const Kind kind = kind_of(node);
  switch (pattern) {
    case UIA_InvokePatternId:
      if (kind == Kind::MenuItem && in_menu_bar(node)) {
        const auto item = menu_item_of(node);
        return item && !item->has_submenu;
      }
      return kind == Kind::PushButton || kind == Kind::Hyperlink || kind == Kind::CaptionButton;
    case UIA_ValuePatternId:
      return kind == Kind::Edit || kind == Kind::ComboBox;
    case UIA_ScrollPatternId:
      return kind == Kind::ScrollBar ||
             (kind == Kind::List && (style_of(node.hwnd) & WS_VSCROLL) != 0);
    case UIA_ExpandCollapsePatternId:
      return kind == Kind::ComboBox;
    case UIA_SelectionItemPatternId:
      return kind == Kind::RadioButton || kind == Kind::ListItem;
    case UIA_TogglePatternId:
      return kind == Kind::CheckBox;
    default:
      return false;
  }
}

PropertyValue read_property(const Node& node, PROPERTYID property) {
  const Kind kind = kind_of(node);
  const bool window = node.item < 0;
  switch (property) {
    case UIA_BoundingRectanglePropertyId:
      return bounds_of(node, kind);
    case UIA_ProcessIdPropertyId: {
      DWORD pid = 0;
      GetWindowThreadProcessId(node.hwnd, &pid);
      return static_cast<int>(pid);
    }
    case UIA_ControlTypePropertyId:
      return static_cast<int>(control_type_of(kind));
    case UIA_NamePropertyId:
      return name_of(node, kind);
    case UIA_AcceleratorKeyPropertyId:
      if (kind == Kind::MenuItem) {
        const auto item = menu_item_of(node);
        const size_t tab = item ? item->text.find(L'\t') : std::wstring::npos;
        return tab == std::wstring::npos ? std::wstring() : item->text.substr(tab + 1);
      }
      return std::wstring();
    case UIA_AccessKeyPropertyId:
    case UIA_HelpTextPropertyId:
      return std::wstring();
    case UIA_HasKeyboardFocusPropertyId:
      return has_keyboard_focus(node, kind);
    case UIA_IsKeyboardFocusablePropertyId:
      return kind != Kind::Text && kind != Kind::GroupBox && kind != Kind::Desktop &&
             !in_title_bar(node) && IsWindowEnabled(node.hwnd) != FALSE;
    case UIA_IsEnabledPropertyId:
      if (in_title_bar(node)) return caption_part_enabled(node);
      if (kind == Kind::MenuItem || kind == Kind::Separator) {
        const auto item = menu_item_of(node);
        return item.has_value() && item->enabled;
      }
      return IsWindowEnabled(node.hwnd) != FALSE;
    case UIA_AutomationIdPropertyId:
      return automation_id_of(node, kind);
    case UIA_ClassNamePropertyId: {
      if (!window) return std::wstring();
      wchar_t buffer[256] = {};
      const int n = GetClassNameW(node.hwnd, buffer, 256);
      return std::wstring(buffer, n > 0 ? n : 0);
    }
    case UIA_IsControlElementPropertyId:
    case UIA_IsContentElementPropertyId:
      return true;
    case UIA_IsPasswordPropertyId:
      return kind == Kind::Edit && (style_of(node.hwnd) & ES_PASSWORD) != 0;
    case UIA_NativeWindowHandlePropertyId:
      // Handles travel as VT_I4, as UI Automation does; they fit in 32 bits.
      return window ? static_cast<int>(reinterpret_cast<intptr_t>(node.hwnd)) : 0;
    case UIA_IsOffscreenPropertyId: {
      const RECT rect = bounds_of(node, kind);
      return IsRectEmpty(&rect) != FALSE || IsWindowVisible(node.hwnd) == FALSE;
    }
    case UIA_FrameworkIdPropertyId:
      return std::wstring(L"Win32");
    default:
      break;
  }
  // Pattern properties apply only where the pattern does.
  switch (property) {
    case UIA_ValueValuePropertyId:
      if (supports_pattern(node, UIA_ValuePatternId)) return window_text(node.hwnd);
      break;
    case UIA_ValueIsReadOnlyPropertyId:
      if (supports_pattern(node, UIA_ValuePatternId)) return value_is_read_only(node, kind);
      break;
    case UIA_ToggleToggleStatePropertyId:
      if (supports_pattern(node, UIA_TogglePatternId)) {
        bool ok = false;
        const LRESULT check = send_with_timeout(node.hwnd, BM_GETCHECK, 0, 0, &ok);
        if (!ok) break;
        return check == BST_CHECKED ? kToggleOn
                                    : (check == BST_INDETERMINATE ? kToggleIndeterminate : kToggleOff);
      }
      break;
    case UIA_SelectionItemIsSelectedPropertyId:
      if (supports_pattern(node, UIA_SelectionItemPatternId)) return is_selected(node, kind);
      break;
    case UIA_ExpandCollapseExpandCollapseStatePropertyId:
      if (supports_pattern(node, UIA_ExpandCollapsePatternId)) {
        bool ok = false;
        const bool dropped = send_with_timeout(node.hwnd, CB_GETDROPPEDSTATE, 0, 0, &ok) != 0;
        return dropped ? kExpanded : kCollapsed;
      }
      break;
    case UIA_ScrollHorizontalScrollPercentPropertyId:
    case UIA_ScrollVerticalScrollPercentPropertyId:
    case UIA_ScrollHorizontalViewSizePropertyId:
    case UIA_ScrollVerticalViewSizePropertyId:
    case UIA_ScrollHorizontallyScrollablePropertyId:
    case UIA_ScrollVerticallyScrollablePropertyId:
      if (supports_pattern(node, UIA_ScrollPatternId)) {
        const ScrollState state = scroll_state(node);
        switch (property) {
          case UIA_ScrollHorizontalScrollPercentPropertyId:
            return state.horizontal_percent;
          case UIA_ScrollVerticalScrollPercentPropertyId:
            return state.vertical_percent;
          case UIA_ScrollHorizontalViewSizePropertyId:
            return state.horizontal_view_size;
          case UIA_ScrollVerticalViewSizePropertyId:
            return state.vertical_view_size;
          case UIA_ScrollHorizontallyScrollablePropertyId:
            return state.horizontally_scrollable;
          default:
            return state.vertically_scrollable;
        }
      }
      break;
    default:
      break;
  }
  return std::monostate{};
}

std::vector<Node> children_of(const Node& node, bool raw) {
  std::vector<Node> children;
  const Kind kind = kind_of(node);
  if (kind == Kind::MenuBar) {
    append_menu_items(node, read_window_menu(node.hwnd, -1), kMenuBar + kMenuStride, kMenuStride, children);
    return children;
  }
  if (kind == Kind::MenuItem && in_menu_bar(node)) {
    if (submenu_index(node) < 0) {
      append_menu_items(node, read_window_menu(node.hwnd, bar_index(node)), node.item + 1, 1, children);
    }
    return children;
  }
  if (kind == Kind::TitleBar) {
    if (const auto layout = title_bar_layout(node.hwnd)) {
      for (CaptionPart part : {kSystemMenuBar, kMinimizeButton, kMaximizeButton, kCloseButton}) {
        if (has_caption_part(*layout, part)) children.push_back(Node::of(node.hwnd, kTitleBar + part));
      }
    }
    return children;
  }
  if (kind == Kind::SystemMenuBar) {
    children.push_back(Node::of(node.hwnd, kTitleBar + kSystemMenuItem));
    return children;
  }
  if (kind == Kind::ListItem || kind == Kind::MenuItem || kind == Kind::Separator ||
      kind == Kind::SystemMenuItem || kind == Kind::CaptionButton) {
    return children;
  }
  if (kind == Kind::List) {
    const int count = list_count(node.hwnd);
    for (int i = 0; i < count; ++i) children.push_back(Node::of(node.hwnd, i));
  }
  if (kind == Kind::Menu) {
    const auto items = read_popup_menu(node.hwnd);
    const int count = items ? static_cast<int>(items->size()) : 0;
    for (int i = 0; i < count; ++i) children.push_back(Node::of(node.hwnd, i));
  }
  append_child_windows(node.hwnd, children);
  // The order of the system's proxies: client area, title bar, menu bar.
  if (kind == Kind::Window) {
    if (title_bar_layout(node.hwnd)) children.push_back(Node::of(node.hwnd, kTitleBar));
    if (raw && GetMenu(node.hwnd) != nullptr) children.push_back(Node::of(node.hwnd, kMenuBar));
  }
  return children;
}

std::optional<Node> parent_of(const Node& node) {
  if (in_title_bar(node)) {
    switch (caption_part(node)) {
      case kBarItself:
        return Node::of(node.hwnd);
      case kSystemMenuItem:
        return Node::of(node.hwnd, kTitleBar + kSystemMenuBar);
      default:
        return Node::of(node.hwnd, kTitleBar);
    }
  }
  if (in_menu_bar(node) && node.item != kMenuBar) {
    const int level_start = submenu_index(node) < 0 ? kMenuBar : node.item - submenu_index(node) - 1;
    return Node::of(node.hwnd, level_start);
  }
  if (node.item >= 0) return Node::of(node.hwnd);
  if (node.hwnd == GetDesktopWindow()) return std::nullopt;
  const HWND parent = GetAncestor(node.hwnd, GA_PARENT);
  if (parent == nullptr || parent == GetDesktopWindow()) return desktop_node();
  return Node::of(parent);
}

std::optional<Node> node_from_point(POINT screen_point) {
  // The topmost visible top-level window whose rectangle holds the point.
  // Wine's WindowFromPoint passes through a window's caption to the window
  // below (wine_fact_window_from_point_passes_through_captions).
  HWND top = GetTopWindow(nullptr);
  for (int i = 0; top != nullptr && i < kMaxSiblings; ++i, top = GetWindow(top, GW_HWNDNEXT)) {
    RECT rect{};
    if (IsWindowVisible(top) && GetWindowRect(top, &rect) && contains(rect, screen_point)) break;
  }
  if (top == nullptr) return desktop_node();
  // Down through the visible children that hold the point (WindowFromPoint
  // passes over disabled controls and group-box contents unevenly),
  // preferring a control over a group box that merely frames it. The caption
  // is the window's own: no point finds the title bar's parts.
  Node current = Node::of(top);
  for (int depth = 0; depth < 64; ++depth) {
    std::optional<Node> next;
    std::optional<Node> group_box;
    HWND child = GetWindow(current.hwnd, GW_CHILD);
    for (int i = 0; child != nullptr && i < kMaxSiblings; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      RECT rect{};
      if (!GetWindowRect(child, &rect) || !contains(rect, screen_point)) continue;
      if (kind_of(Node::of(child)) == Kind::GroupBox) {
        if (!group_box) group_box = Node::of(child);
        continue;
      }
      next = Node::of(child);
      break;
    }
    if (!next) next = group_box;
    if (!next) break;
    current = *next;
  }
  if (kind_of(current) == Kind::List) {
    POINT client = screen_point;
    ScreenToClient(current.hwnd, &client);
    bool ok = false;
    const LRESULT hit_item = send_with_timeout(current.hwnd, LB_ITEMFROMPOINT, 0,
                                               MAKELPARAM(client.x, client.y), &ok);
    const int index = LOWORD(hit_item);
    if (ok && HIWORD(hit_item) == 0 && index < list_count(current.hwnd)) {
      return Node::of(current.hwnd, index);
    }
  }
  return current;
}

Node focused_node() {
  const HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return desktop_node();
  const HWND focus = system_focus_window();
  const Node node = Node::of(focus != nullptr ? focus : foreground);
  if (kind_of(node) == Kind::List) {
    const int caret = list_caret(node.hwnd);
    if (caret >= 0 && caret < list_count(node.hwnd)) return Node::of(node.hwnd, caret);
  }
  return node;
}

std::optional<UINT> caption_command(const Node& node) {
  if (!in_title_bar(node) || !is_alive(node) || !caption_part_enabled(node)) return std::nullopt;
  switch (caption_part(node)) {
    case kMinimizeButton:
      return SC_MINIMIZE;
    case kMaximizeButton:
      return IsZoomed(node.hwnd) ? SC_RESTORE : SC_MAXIMIZE;
    case kCloseButton:
      return SC_CLOSE;
    default:
      return std::nullopt;
  }
}

}  // namespace standin
