// What a UI Automation element stands for here, the way the system's own
// proxies for standard controls see it: a window, or one item of a list box.
// Everything the stand-in knows about an element is read from Win32 through
// this file, at the moment it is asked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "standin/menu_reader.h"
#include "standin/property_value.h"
#include "standin/uia.h"

namespace standin {

struct Node {
  HWND hwnd = nullptr;
  int item = -1;  // index of a list-box or popup-menu item; -1 for the window itself
  // The window's thread when the element was made. Wine hands a freed window
  // handle out again, so a handle that is a window once more, but of another
  // thread, still marks the element as gone.
  DWORD thread = 0;

  static Node of(HWND hwnd, int item = -1) {
    return Node{hwnd, item, GetWindowThreadProcessId(hwnd, nullptr)};
  }
  friend bool operator==(const Node& a, const Node& b) { return a.hwnd == b.hwnd && a.item == b.item; }
};

enum class Kind {
  Desktop,
  Window,  // top-level window
  Pane,    // any other window
  PushButton,
  CheckBox,
  RadioButton,
  GroupBox,
  Edit,
  Text,
  List,
  ListItem,
  ComboBox,
  ScrollBar,
  Hyperlink,
  MenuBar,         // a top-level window's menu bar (raw view only)
  TitleBar,        // a captioned top-level window's title bar
  SystemMenuBar,   // the title bar's "System" menu bar
  SystemMenuItem,  // its one item
  CaptionButton,   // Minimize, Maximize (Restore) or Close
  Menu,            // a popup menu window (class #32768)
  MenuItem,        // one item of it
  Separator,       // a separator between its items
};

Node desktop_node();

// False once the window is destroyed or the item index is past the list's end;
// every current read of such an element fails with UIA_E_ELEMENTNOTAVAILABLE.
bool is_alive(const Node& node);

Kind kind_of(const Node& node);
CONTROLTYPEID control_type_of(Kind kind);
bool supports_pattern(const Node& node, PATTERNID pattern);

// The current value of one property, or monostate when it does not apply.
PropertyValue read_property(const Node& node, PROPERTYID property);

// One item of an open popup menu or of a window's menu bar, read in the menu's
// own process; nullopt for other elements and for items that are gone.
std::optional<MenuItem> menu_item_of(const Node& node);

// The WM_SYSCOMMAND that pressing a caption button sends (SC_MINIMIZE,
// SC_MAXIMIZE, SC_RESTORE or SC_CLOSE); nullopt for other elements and for a
// button the window's style greys out.
std::optional<UINT> caption_command(const Node& node);

// The tree is the child-window tree; a list box's items are its children.
// Invisible windows are left out, as the system's window proxies do. A
// captioned top-level window has its title bar after its child windows, in
// every view. `raw`: the raw view, which adds the window's menu bar last.
std::vector<Node> children_of(const Node& node, bool raw = false);
std::optional<Node> parent_of(const Node& node);

std::optional<Node> node_from_point(POINT screen_point);
// The focus window of the foreground thread (or the item with the caret when it
// is a list box), else the foreground window, else the desktop.
Node focused_node();

// Messages to windows of other processes: sent with a time-out so that a hung
// target fails the call instead of hanging it. `ok` is false when the message
// could not be delivered.
LRESULT send_with_timeout(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, bool* ok);

// WM_GETTEXT, which works for any process's window (GetWindowTextW does not
// return the text of another process's edit control).
std::wstring window_text(HWND hwnd);

}  // namespace standin
