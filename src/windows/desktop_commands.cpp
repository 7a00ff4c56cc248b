// windows, list_apps and foreground: read-only views of the desktop that need
// no session and never fail.
#include "windows/desktop_commands.h"

#include <string>
#include <unordered_set>

#include "daemon/response.h"
#include "desktop/app_window.h"
#include "desktop/window_visibility.h"

namespace uiad {

Json handle_windows(DaemonContext& context, const Json& request) {
  platform::WindowSystem& windows = context.platform.windows;
  const auto app = request.find("app");
  const std::string filter = app != request.end() && app->is_string()
                                 ? match_form(app->get_ref<const std::string&>())
                                 : "";

  Json entries = Json::array();
  for (const TitledWindow& w : list_titled_windows(windows)) {
    if (!is_shown_to_user(windows, w.hwnd)) continue;
    if (!filter.empty() && match_form(w.title).find(filter) == std::string::npos) continue;
    const platform::Rect r = windows.get_window_rect(w.hwnd).value_or(platform::Rect{});
    entries.push_back(Json{
        {"id", std::to_string(w.hwnd)},
        {"pos", Json::array({std::int64_t{r.left}, std::int64_t{r.top}})},
        {"size", Json::array({std::int64_t{r.right} - r.left, std::int64_t{r.bottom} - r.top})},
        {"title", w.title},
    });
  }
  return ok_response(Json{{"windows", std::move(entries)}});
}

Json handle_list_apps(DaemonContext& context, const Json& /*request*/) {
  platform::WindowSystem& windows = context.platform.windows;
  std::unordered_set<std::string> seen;
  Json apps = Json::array();
  for (const TitledWindow& w : list_titled_windows(windows)) {
    if (!is_shown_to_user(windows, w.hwnd)) continue;
    if (!seen.insert(w.title).second) continue;
    apps.push_back(
        Json{{"name", w.title}, {"process", process_base_name(context.platform, w.hwnd)}});
  }
  return ok_response(Json{{"apps", std::move(apps)}});
}

Json handle_foreground(DaemonContext& context, const Json& /*request*/) {
  const platform::Hwnd hwnd = context.platform.input.get_foreground_window();
  return ok_response(Json{
      {"hwnd", static_cast<std::int64_t>(hwnd)},
      {"title", window_title(context.platform.windows, hwnd)},
  });
}

}  // namespace uiad
