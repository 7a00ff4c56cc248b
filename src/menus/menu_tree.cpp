// Menu names, the bounded searches and the static menu tree.
#include "menus/menu_tree.h"

#include <utility>

#include "daemon/unicode.h"

namespace uiad::menus {

using platform::Element;
using platform::Ref;
using platform::TreeWalker;

std::string clean_menu_name(std::string_view text) {
  const std::string_view before_tab = text.substr(0, text.find('\t'));
  std::string without_amp;
  without_amp.reserve(before_tab.size());
  for (char c : before_tab) {
    if (c != '&') without_amp.push_back(c);
  }
  return std::string(unicode::trim_white_space(without_amp));
}

bool menu_name_matches(std::string_view name, std::string_view segment) {
  const std::string wanted = unicode::to_lower_whole(unicode::trim_white_space(segment));
  if (wanted.empty()) return false;
  return unicode::to_lower_whole(clean_menu_name(name)).starts_with(wanted);
}

std::string current_name(Element& element) {
  auto name = element.get_current_name();
  return name.succeeded() ? unicode::utf16_to_utf8(name.value) : std::string();
}

Ref<Element> find_first(TreeWalker& walker, Element& start, unsigned depth,
                        const std::function<Visit(Element&)>& visit) {
  const Visit first_visit = visit(start);
  if (first_visit == Visit::Match) return start.add_ref();
  if (first_visit == Visit::Skip || depth == 0) return nullptr;
  // One frame per open level: the child being looked at, how many of its
  // parent's children have been examined, and how deep it may still descend.
  struct Frame {
    Ref<Element> node;
    std::size_t examined;
    unsigned depth;
    bool descended;
  };
  std::vector<Frame> stack;
  auto first = walker.get_first_child_element(start);
  if (!usable(first)) return nullptr;
  stack.push_back({std::move(first.value), 1, depth - 1, false});
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (!frame.descended) {
      frame.descended = true;
      const Visit v = visit(*frame.node);
      if (v == Visit::Match) return std::move(frame.node);
      if (v == Visit::Descend && frame.depth > 0) {
        auto child = walker.get_first_child_element(*frame.node);
        if (usable(child)) {
          const unsigned child_depth = frame.depth - 1;
          stack.push_back({std::move(child.value), 1, child_depth, false});
          continue;
        }
      }
    }
    if (frame.examined >= kSearchChildren) {
      stack.pop_back();
      continue;
    }
    auto next = walker.get_next_sibling_element(*frame.node);
    if (!usable(next)) {
      stack.pop_back();
      continue;
    }
    frame.node = std::move(next.value);
    ++frame.examined;
    frame.descended = false;
  }
  return nullptr;
}

bool is_title_bar(platform::ControlTypeId type) { return type == platform::kTitleBarControlTypeId; }

Ref<Element> find_by_control_type(TreeWalker& walker, Element& start, platform::ControlTypeId type,
                                  unsigned depth) {
  return find_first(walker, start, depth, [type](Element& e) {
    auto t = e.get_current_control_type();
    if (!t.succeeded()) return Visit::Descend;
    if (t.value == type) return Visit::Match;
    return is_title_bar(t.value) ? Visit::Skip : Visit::Descend;
  });
}

Ref<Element> find_menu_bar(platform::Automation& automation, platform::WindowSystem& windows,
                           platform::Hwnd window) {
  auto walker = automation.get_raw_view_walker();
  if (!usable(walker)) return nullptr;
  auto root = automation.element_from_handle(window);
  if (usable(root)) {
    auto bar = find_by_control_type(*walker.value, *root.value, platform::kMenuBarControlTypeId,
                                    kBarDepthInWindow);
    if (bar) return bar;
  }
  std::vector<platform::Hwnd> children;
  (void)windows.enum_child_windows(window, children);
  for (platform::Hwnd child : children) {
    auto element = automation.element_from_handle(child);
    if (!usable(element)) continue;
    // find_by_control_type looks at the element itself first, as the direct
    // test of the child window's element does.
    auto bar = find_by_control_type(*walker.value, *element.value, platform::kMenuBarControlTypeId,
                                    kBarDepthInChildWindow);
    if (bar) return bar;
  }
  return nullptr;
}

MenuTree read_menu_tree(platform::Automation& automation, platform::WindowSystem& windows,
                        platform::Hwnd window) {
  MenuTree tree;
  auto bar = find_menu_bar(automation, windows, window);
  if (!bar) return tree;
  auto walker_result = automation.get_raw_view_walker();
  if (!usable(walker_result)) return tree;
  TreeWalker& walker = *walker_result.value;

  // One frame per open level. Only the deepest level's list grows, so the
  // `out` pointers of the frames below it stay valid.
  struct Frame {
    Ref<Element> child;
    std::size_t examined;
    std::size_t level;
    std::vector<MenuNode>* out;
  };
  std::vector<Frame> stack;
  auto open_level = [&](Element& parent, std::size_t level, std::vector<MenuNode>* out) {
    if (level >= kMenuLevels) return;
    auto first = walker.get_first_child_element(parent);
    if (usable(first)) stack.push_back({std::move(first.value), 0, level, out});
  };
  open_level(*bar, 0, &tree.items);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.examined >= kMenuSiblings) {
      stack.pop_back();
      continue;
    }
    ++frame.examined;
    Element& item = *frame.child;
    std::string name;
    auto type = item.get_current_control_type();
    if (type.succeeded() && type.value == platform::kMenuItemControlTypeId) {
      name = clean_menu_name(current_name(item));
    }
    // The sibling is fetched before descending, so this frame is complete; a
    // level that reached its limit asks for no further sibling.
    platform::Result<Ref<Element>> next;
    if (frame.examined < kMenuSiblings) next = walker.get_next_sibling_element(item);
    const std::size_t level = frame.level;
    std::vector<MenuNode>* out = frame.out;
    Element* kept = nullptr;  // the named item, whose own level is read next
    if (!name.empty()) {
      out->push_back({std::move(name), {}, tree.node_elements.size()});
      tree.node_elements.push_back(std::move(frame.child));
      kept = tree.node_elements.back().get();
    }
    if (usable(next)) {
      frame.child = std::move(next.value);
    } else {
      stack.pop_back();
    }
    if (kept != nullptr) open_level(*kept, level + 1, &out->back().children);
  }
  return tree;
}

}  // namespace uiad::menus
