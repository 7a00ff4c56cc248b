// The command table as data, and the dispatch boundary that keeps a faulty
// handler from breaking the one-response-per-request rule.
#include "daemon/dispatch.h"

#include <array>
#include <exception>
#include <string>

#include "actions/element_commands.h"
#include "actions/wait_for_change.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "menus/menu_commands.h"
#include "snapshot/probe.h"
#include "snapshot/scan.h"
#include "windows/desktop_commands.h"
#include "windows/dismiss_dialogs.h"
#include "windows/screenshot.h"

namespace uiad {
namespace {

// `focus` runs exactly what `click` runs, messages included.
constexpr Handler kClickHandler = handle_click;

constexpr std::array<Command, 23> kCommands = {{
    {"ping", nullptr},
    {"shutdown", nullptr},
    {"scan", handle_scan},
    {"click", kClickHandler},
    {"focus", kClickHandler},
    {"attrs", handle_attrs},
    {"set_value", handle_set_value},
    {"set_focused", handle_set_focused},
    {"perform", handle_perform},
    {"key", handle_key},
    {"mouse_click", handle_mouse_click},
    {"hover", handle_hover},
    {"scroll", handle_scroll},
    {"wait_for_change", handle_wait_for_change},
    {"probe", handle_probe},
    {"menus", handle_menus},
    {"invoke_menu", handle_invoke_menu},
    {"context_menu", handle_context_menu},
    {"windows", handle_windows},
    {"list_apps", handle_list_apps},
    {"foreground", handle_foreground},
    {"screenshot", handle_screenshot},
    {"dismiss_dialogs", handle_dismiss_dialogs},
}};

// Exception texts come from anywhere; the output line must stay UTF-8.
std::string as_utf8(const char* text) {
  std::string_view view(text);
  if (unicode::is_valid_utf8(view)) return std::string(view);
  return unicode::utf16_to_utf8(unicode::utf8_to_utf16(view));
}

}  // namespace

std::span<const Command> command_table() { return kCommands; }

const Command* find_command(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

Json dispatch(DaemonContext& context, const Json& request, std::string_view cmd) {
  const Command* command = find_command(cmd);
  if (command == nullptr || command->handler == nullptr) {
    return error_response("unknown cmd: " + std::string(cmd));
  }
  return run_handler(command->handler, context, request, cmd);
}

Json run_handler(Handler handler, DaemonContext& context, const Json& request,
                 std::string_view cmd) {
  try {
    return handler(context, request);
  } catch (const std::exception& e) {
    return error_response(std::string(cmd) + ": internal error: " + as_utf8(e.what()));
  } catch (...) {
    return error_response(std::string(cmd) + ": internal error");
  }
}

}  // namespace uiad
