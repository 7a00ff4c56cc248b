// Window and application resolution over the platform's window system.
#include "desktop/app_window.h"

#include <charconv>
#include <cstdint>

#include "daemon/unicode.h"
#include "desktop/window_visibility.h"
#include "platform/utf.h"

namespace uiad {
namespace {

constexpr int kTitleBufferUnits = 512;
constexpr int kModuleNameBufferUnits = 260;
constexpr std::string_view kTitleExclusion = "google chrome";

bool is_zero_width(char32_t c) { return c == 0x200B || c == 0x200C || c == 0x200D || c == 0xFEFF; }

}  // namespace

std::string window_title(platform::WindowSystem& windows, platform::Hwnd hwnd) {
  return unicode::utf16_to_utf8(windows.get_window_text(hwnd, kTitleBufferUnits));
}

std::vector<TitledWindow> list_titled_windows(platform::WindowSystem& windows) {
  std::vector<platform::Hwnd> handles;
  (void)windows.enum_windows(handles);  // a failed enumeration still yields what came
  std::vector<TitledWindow> list;
  for (platform::Hwnd hwnd : handles) {
    std::string title = window_title(windows, hwnd);
    if (!title.empty()) list.push_back({hwnd, std::move(title)});
  }
  return list;
}

std::string match_form(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t start = i;
    if (!is_zero_width(platform::decode_utf8(text, i))) kept.append(text.substr(start, i - start));
  }
  return unicode::to_lower_per_char(kept);
}

std::optional<platform::Hwnd> parse_window_handle(platform::WindowSystem& windows,
                                                  std::string_view text) {
  std::string_view digits = unicode::trim_white_space(text);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || value == 0) return std::nullopt;
  if (!windows.is_window(value)) return std::nullopt;
  return value;
}

std::optional<TitledWindow> find_window_by_title(platform::WindowSystem& windows,
                                                 std::string_view query) {
  const std::string wanted = match_form(query);
  // A window the user can see wins over an earlier hidden or cloaked one (a
  // window on another virtual desktop, a tool's hidden helper window).
  std::optional<TitledWindow> unseen;
  for (TitledWindow& entry : list_titled_windows(windows)) {
    const std::string title = match_form(entry.title);
    if (title.find(wanted) == std::string::npos ||
        title.find(kTitleExclusion) != std::string::npos) {
      continue;
    }
    if (is_shown_to_user(windows, entry.hwnd)) return std::move(entry);
    if (!unseen) unseen = std::move(entry);
  }
  return unseen;
}

std::optional<ResolvedWindow> resolve_app_window(platform::Platform& platform, const Json& app,
                                                 std::string& error) {
  if (!app.is_string() || app.get_ref<const std::string&>().empty()) {
    return ResolvedWindow{platform.input.get_foreground_window(), FoundBy::Foreground};
  }
  const std::string& text = app.get_ref<const std::string&>();
  if (auto hwnd = parse_window_handle(platform.windows, text)) {
    return ResolvedWindow{*hwnd, FoundBy::Handle};
  }
  if (auto found = find_window_by_title(platform.windows, text)) {
    return ResolvedWindow{found->hwnd, FoundBy::Title};
  }
  error = "window not found: " + text;
  return std::nullopt;
}

std::string process_base_name(platform::Platform& platform, platform::Hwnd hwnd) {
  static constexpr std::string_view kUnknown = "Unknown";
  const std::uint32_t pid = platform.windows.get_window_thread_process_id(hwnd).process_id;
  if (pid == 0) return std::string(kUnknown);
  const platform::Handle process =
      platform.processes.open_process(platform::kProcessQueryLimitedInformation, false, pid);
  if (process == 0 || process == platform::kInvalidHandleValue) return std::string(kUnknown);
  platform::WString units =
      platform.processes.get_module_base_name(process, kModuleNameBufferUnits);
  (void)platform.processes.close_handle(process);
  if (units.empty()) return std::string(kUnknown);
  std::string name = unicode::utf16_to_utf8(units);
  constexpr std::string_view kExe = ".exe";
  while (name.size() >= kExe.size() &&
         name.compare(name.size() - kExe.size(), kExe.size(), kExe) == 0) {
    name.resize(name.size() - kExe.size());
  }
  return name;
}

}  // namespace uiad
