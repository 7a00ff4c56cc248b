// context_menu: a posted right click on a recorded element, the popup menu read
// from below the desktop root, then Escape. Never invokes an item.
#include <string>

#include "actions/primitives.h"
#include "daemon/element_lookup.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/not_responding.h"
#include "desktop/window_visibility.h"
#include "menus/menu_commands.h"
#include "menus/menu_tree.h"

namespace uiad {
namespace {

using platform::Element;

constexpr std::uint64_t kForegroundSettleMs = 60;
constexpr std::uint64_t kMenuOpenMs = 250;
constexpr std::uint64_t kEscapeSettleMs = 20;
constexpr std::uint64_t kVkEscape = 0x1B;
constexpr unsigned kPopupDepth = 4;
constexpr int kClassNameUnits = 128;

struct PopupMenu {
  Json items = Json::array();
  std::string menu_class;
  platform::Hwnd hwnd = 0;  // the popup's own window, when it names one
};

Json read_item(Element& item, std::string name) {
  auto enabled = item.get_current_is_enabled();
  auto shortcut = item.get_current_accelerator_key();
  return Json{
      {"enabled", enabled.succeeded() ? enabled.value : true},
      {"name", std::move(name)},
      {"shortcut", shortcut.succeeded() ? unicode::utf16_to_utf8(shortcut.value) : std::string()}};
}

// The first Menu element of the application's processes within four levels of
// the desktop root, and its named menu items (nested submenus not read). A
// popup menu of another application (the user's own, say) is not ours to read.
PopupMenu read_popup_menu(DaemonContext& context, const std::vector<std::uint32_t>& processes) {
  using menus::Visit;
  PopupMenu popup;
  auto desktop = context.automation->get_root_element();
  auto walker = context.automation->get_raw_view_walker();
  if (!usable(desktop) || !usable(walker)) return popup;
  auto menu = menus::find_first(*walker.value, *desktop.value, kPopupDepth, [&](Element& e) {
    auto type = e.get_current_control_type();
    if (!type.succeeded()) return Visit::Descend;
    if (menus::is_title_bar(type.value)) return Visit::Skip;
    if (type.value != platform::kMenuControlTypeId) return Visit::Descend;
    auto owner = e.get_current_process_id();
    return owner.succeeded() && contains_process(processes, static_cast<std::uint32_t>(owner.value))
               ? Visit::Match
               : Visit::Descend;
  });
  if (!menu) return popup;
  if (auto hwnd = menu->get_current_native_window_handle(); hwnd.succeeded() && hwnd.value != 0) {
    popup.hwnd = hwnd.value;
    popup.menu_class = unicode::utf16_to_utf8(
        context.platform.windows.get_class_name(hwnd.value, kClassNameUnits));
  }
  auto child = walker.value->get_first_child_element(*menu);
  for (std::size_t examined = 0; usable(child) && examined < menus::kMenuSiblings; ++examined) {
    Element& item = *child.value;
    auto type = item.get_current_control_type();
    if (type.succeeded() && type.value == platform::kMenuItemControlTypeId) {
      std::string name = menus::clean_menu_name(menus::current_name(item));
      if (!name.empty()) popup.items.push_back(read_item(item, std::move(name)));
    }
    if (examined + 1 < menus::kMenuSiblings) {
      child = walker.value->get_next_sibling_element(item);
    } else {
      break;
    }
  }
  return popup;
}

}  // namespace

Json handle_context_menu(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "context_menu", error);
  if (!found) return error_response(std::move(error));
  if (auto hung =
          not_responding_error(context.platform.windows, "context_menu", found->session->window)) {
    return error_response(std::move(*hung));
  }
  const bool foreground = bool_field_or(request, "foreground", false);

  platform::Platform& p = context.platform;
  const platform::Hwnd window = found->session->window;
  const std::int32_t x = found->record.center_x;
  const std::int32_t y = found->record.center_y;
  const platform::Hwnd previous = p.input.get_foreground_window();
  if (foreground) {
    actions::force_foreground(p, window);
    p.clock.sleep_ms(kForegroundSettleMs);
  }
  const platform::Hwnd clicked = actions::deepest_child_at(p, window, x, y);
  const std::int64_t lp = actions::client_lparam(p, clicked, x, y);
  (void)p.input.post_message(clicked, actions::kWmRButtonDown, 0, lp);
  p.clock.sleep_ms(actions::kButtonDownUpMs);
  (void)p.input.post_message(clicked, actions::kWmRButtonUp, 0, lp);
  p.clock.sleep_ms(kMenuOpenMs);

  const std::vector<std::uint32_t> processes = application_process_ids(p.windows, window);
  PopupMenu popup = read_popup_menu(context, processes);

  // Closed whether or not a menu was read: one may be open all the same. The
  // Escape goes to the popup, else to the application's own window, whose
  // thread runs the menu loop; never to the foreground window, which is
  // usually the user's own.
  const bool popup_is_ours =
      popup.hwnd != 0 &&
      contains_process(processes, p.windows.get_window_thread_process_id(popup.hwnd).process_id);
  actions::post_key_tap(p, popup_is_ours ? popup.hwnd : window, kVkEscape);
  p.clock.sleep_ms(kEscapeSettleMs);
  if (foreground) actions::force_foreground(p, previous);

  const std::size_t count = popup.items.size();
  return Json{{"count", count},
              {"foregrounded", foreground},
              {"id", target.id},
              {"items", std::move(popup.items)},
              {"menu_class", std::move(popup.menu_class)},
              {"ok", count > 0}};
}

}  // namespace uiad
