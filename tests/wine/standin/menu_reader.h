// The items of another process's menus: an open popup menu (a window of
// class #32768), or a window's menu bar and the bar's submenus. Wine answers the menu calls only inside the process that owns the
// menu, so the reading runs there: a WH_CALLWNDPROC hook from this DLL is set
// on the menu's thread, a registered message sent to the popup makes the hook
// read the menu in place and write the items into shared memory, and the hook
// is removed again. Nothing of the application's own code is involved.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace standin {

struct MenuItem {
  std::wstring text;  // as the menu holds it: mnemonics, then a tab and the accelerator
  bool enabled = true;
  bool separator = false;
  bool has_submenu = false;
  UINT id = 0;  // the command an item without a submenu sends
};

// nullopt when the items could not be read (the window is gone or does not answer).
std::optional<std::vector<MenuItem>> read_popup_menu(HWND popup);
// The menu bar of `window` (submenu -1) or the submenu of its item `submenu`.
std::optional<std::vector<MenuItem>> read_window_menu(HWND window, int submenu);

}  // namespace standin
