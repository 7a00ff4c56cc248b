// Turning a request's `app` value into a top-level window: the titled-window
// list, the match form of titles, the decimal handle form, the title search
// with its exclusion, and a window's process base name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/json.h"
#include "platform/platform.h"

namespace uiad {

struct TitledWindow {
  platform::Hwnd hwnd = 0;
  std::string title;  // UTF-8, never empty
};

enum class FoundBy { Foreground, Handle, Title };

struct ResolvedWindow {
  platform::Hwnd hwnd = 0;
  FoundBy found_by = FoundBy::Foreground;
};

// GetWindowTextW with a 512-unit buffer, as UTF-8 ("" when nothing arrives).
std::string window_title(platform::WindowSystem& windows, platform::Hwnd hwnd);

// Every top-level window with a title, top of the Z order first.
std::vector<TitledWindow> list_titled_windows(platform::WindowSystem& windows);

// Zero-width characters removed, every other character lower-cased on its own.
std::string match_form(std::string_view text);

// A live window named by its decimal handle ("  +123 "), or nullopt.
std::optional<platform::Hwnd> parse_window_handle(platform::WindowSystem& windows,
                                                  std::string_view text);

// The first titled window whose match form contains the query's and does not
// contain the exclusion text, among the windows the user can see (visible and
// not cloaked); the first hidden or cloaked match only when no shown one fits.
std::optional<TitledWindow> find_window_by_title(platform::WindowSystem& windows,
                                                 std::string_view query);

// The window `scan` works on: the foreground window for an absent, non-string
// or empty `app`, else by decimal handle, else by title. nullopt with `error`
// set to "window not found: <app>" when nothing fits.
std::optional<ResolvedWindow> resolve_app_window(platform::Platform& platform, const Json& app,
                                                 std::string& error);

// The image name of the window's process without trailing ".exe", or "Unknown".
std::string process_base_name(platform::Platform& platform, platform::Hwnd hwnd);

}  // namespace uiad
