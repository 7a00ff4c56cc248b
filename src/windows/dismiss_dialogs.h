// dismiss_dialogs: presses a button of each visible window whose title
// matches, one dialog per pass, with a posted left click and a second's wait.
// Needs no session and changes none; never answers with an error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "daemon/handler.h"
#include "desktop/app_window.h"
#include "platform/automation.h"
#include "platform/platform.h"

namespace uiad {

struct ButtonCandidate {
  std::string label;
  std::int32_t center_x = 0;
  std::int32_t center_y = 0;
};

// The first visible titled window whose lower-cased title contains an entry of
// `titles` and not `exclude` (both already lower-cased); none for no titles.
std::optional<TitledWindow> find_dialog(platform::WindowSystem& windows,
                                        const std::vector<std::string>& titles,
                                        const std::string& exclude);

// Enabled buttons with a screen position among the dialog's elements, in walk
// order, read with a walk of its own (depth 30, 400 elements).
std::vector<ButtonCandidate> button_candidates(platform::Automation& automation,
                                               platform::Hwnd dialog);

// The first candidate named by the earliest matching preference (trimmed,
// ASCII letters compared without case), else the first candidate.
const ButtonCandidate* choose_button(const std::vector<ButtonCandidate>& candidates,
                                     const std::vector<std::string>& prefer);

Json handle_dismiss_dialogs(DaemonContext& context, const Json& request);

}  // namespace uiad
