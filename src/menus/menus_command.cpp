// menus: the session window's menu bar items and their direct children.
#include "daemon/element_lookup.h"
#include "daemon/response.h"
#include "menus/menu_commands.h"
#include "menus/menu_tree.h"

namespace uiad {
namespace {

constexpr const char* kNoMenuBarNote =
    "no UIA menu bar found (app may use a ribbon/command-bar with no classic menus)";
constexpr const char* kMenuBarNote =
    "menu-bar items; nested items the app exposes statically are in each `items` \xE2\x80\x94 "
    "invoke any leaf with invoke_menu(\"Top>Item\")";

}  // namespace

Json handle_menus(DaemonContext& context, const Json& request) {
  const std::string key = app_key(request);
  auto session = context.sessions.find(key);
  if (session == context.sessions.end()) return error_response(no_session_message("menus", key));
  const menus::MenuTree tree =
      menus::read_menu_tree(*context.automation, context.platform.windows, session->second.window);
  Json shortcuts = Json::array();
  for (const menus::MenuNode& top : tree.items) {
    Json names = Json::array();
    for (const menus::MenuNode& child : top.children) names.push_back(child.name);
    shortcuts.push_back(Json{{"items", std::move(names)}, {"path", top.name}});
  }
  const bool found = !tree.items.empty();
  return ok_response({{"app", key},
                      {"note", found ? kMenuBarNote : kNoMenuBarNote},
                      {"shortcuts", std::move(shortcuts)}});
}

}  // namespace uiad
