// The menu-bar model shared by the menu commands: cleaning item names, the
// bounded pre-order searches over the raw view, finding an application's menu
// bar (in its own tree, else through its descendant windows) and reading the
// statically exposed items into a MenuTree.
//
// Every walk keeps its own stack of siblings, so a deep tree costs heap, not
// call stack. Every UI Automation failure narrows what is found; none is
// reported.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace uiad::menus {

// Children examined per element by a search, and siblings read per menu level.
inline constexpr std::size_t kSearchChildren = 401;
inline constexpr std::size_t kMenuSiblings = 301;
// Levels read by read_menu_tree: the bar's items and six nested levels.
inline constexpr std::size_t kMenuLevels = 7;
inline constexpr unsigned kBarDepthInWindow = 12;
inline constexpr unsigned kBarDepthInChildWindow = 4;

struct MenuNode {
  std::string name;  // cleaned, never empty
  std::vector<MenuNode> children;
  std::size_t element_index = 0;  // into MenuTree::node_elements
};

struct MenuTree {
  std::vector<MenuNode> items;
  // One reference per node, in discovery order (a node before its children).
  std::vector<platform::Ref<platform::Element>> node_elements;
};

// The text before the first TAB, without any "&", trimmed of White_Space.
std::string clean_menu_name(std::string_view text);

// True when the trimmed, lower-cased segment is not empty and begins the
// lower-cased cleaned name (equality included).
bool menu_name_matches(std::string_view name, std::string_view segment);

// get_CurrentName as UTF-8; "" when the read fails.
std::string current_name(platform::Element& element);

// What a search does with one element.
enum class Visit {
  Match,    // the element is the one sought
  Descend,  // not this one; look below it
  Skip,     // neither it nor anything below it
};

// Pre-order search from `start` (itself included) down to `depth` levels below
// it, at most kSearchChildren children per element; a failing first-child or
// sibling call ends that element's children. Returns a new reference on the
// first element `visit` answers Match for.
platform::Ref<platform::Element> find_first(platform::TreeWalker& walker, platform::Element& start,
                                            unsigned depth,
                                            const std::function<Visit(platform::Element&)>& visit);

// Title bars hold the system menu bar ("System") and the caption buttons,
// never an application's menus: every menu search passes over them.
bool is_title_bar(platform::ControlTypeId type);

// The first element of control type `type` outside title bars (a failing type
// read still descends into the element's children).
platform::Ref<platform::Element> find_by_control_type(platform::TreeWalker& walker,
                                                      platform::Element& start,
                                                      platform::ControlTypeId type, unsigned depth);

// The menu bar of window `window`: 12 levels below its element, else each
// descendant window in EnumChildWindows order, 4 levels below its element.
platform::Ref<platform::Element> find_menu_bar(platform::Automation& automation,
                                               platform::WindowSystem& windows,
                                               platform::Hwnd window);

// The menu bar's named menu items, seven levels deep, 301 per level; items
// with an empty cleaned name are skipped with everything below them. Empty
// when no bar is found.
MenuTree read_menu_tree(platform::Automation& automation, platform::WindowSystem& windows,
                        platform::Hwnd window);

}  // namespace uiad::menus
