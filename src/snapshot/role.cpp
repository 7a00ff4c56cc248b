// Role words indexed by control type id from 50000 upward.
#include "snapshot/role.h"

#include <array>

namespace uiad {
namespace {

constexpr platform::ControlTypeId kFirstControlType = 50000;

constexpr std::array<std::string_view, 37> kRoles = {
    "button",    // 50000 Button
    "group",     // 50001 Calendar
    "checkbox",  // 50002 CheckBox
    "combobox",  // 50003 ComboBox
    "input",     // 50004 Edit
    "link",      // 50005 Hyperlink
    "img",       // 50006 Image
    "row",       // 50007 ListItem
    "list",      // 50008 List
    "group",     // 50009 Menu
    "menubar",   // 50010 MenuBar
    "menuitem",  // 50011 MenuItem
    "group",     // 50012 ProgressBar
    "radio",     // 50013 RadioButton
    "scroll",    // 50014 ScrollBar
    "group",     // 50015 Slider
    "group",     // 50016 Spinner
    "group",     // 50017 StatusBar
    "tabgroup",  // 50018 Tab
    "tab",       // 50019 TabItem
    "text",      // 50020 Text
    "toolbar",   // 50021 ToolBar
    "group",     // 50022 ToolTip
    "list",      // 50023 Tree
    "row",       // 50024 TreeItem
    "group",     // 50025 Custom
    "group",     // 50026 Group
    "group",     // 50027 Thumb
    "table",     // 50028 DataGrid
    "row",       // 50029 DataItem
    "web",       // 50030 Document
    "group",     // 50031 SplitButton
    "window",    // 50032 Window
    "group",     // 50033 Pane
    "group",     // 50034 Header
    "cell",      // 50035 HeaderItem
    "table",     // 50036 Table
};

}  // namespace

std::string_view role_for_control_type(platform::ControlTypeId control_type) {
  const auto index = static_cast<std::int64_t>(control_type) - kFirstControlType;
  if (index < 0 || index >= static_cast<std::int64_t>(kRoles.size())) return "group";
  return kRoles[static_cast<std::size_t>(index)];
}

}  // namespace uiad
