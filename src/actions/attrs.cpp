// attrs: the recorded properties of an element and the patterns its live
// element offers now.
#include <array>
#include <utility>

#include "actions/element_commands.h"
#include "daemon/element_lookup.h"
#include "daemon/response.h"

namespace uiad {
namespace {

// Probed in this order, which is the order of the result list.
constexpr std::array<std::pair<const char*, platform::PatternId>, 7> kPatternTable = {{
    {"Invoke", platform::kInvokePatternId},
    {"Value", platform::kValuePatternId},
    {"Toggle", platform::kTogglePatternId},
    {"ExpandCollapse", platform::kExpandCollapsePatternId},
    {"SelectionItem", platform::kSelectionItemPatternId},
    {"Scroll", platform::kScrollPatternId},
    {"Text", platform::kTextPatternId},
}};

}  // namespace

Json handle_attrs(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "attrs", error);
  if (!found) return error_response(std::move(error));
  const ElementRecord& r = found->record;

  Json patterns = Json::array();
  if (platform::Element* live = find_live_element(*found->session, target.id)) {
    for (const auto& [name, id] : kPatternTable) {
      if (platform::usable(live->get_current_pattern_as(id, platform::PatternInterface::Unknown)))
        patterns.push_back(name);
    }
  }
  // The recorded top-left corner; 64-bit so extreme records cannot overflow.
  const std::int64_t left = std::int64_t{r.center_x} - r.width / 2;
  const std::int64_t top = std::int64_t{r.center_y} - r.height / 2;
  return ok_response({{"desc", r.label},
                      {"enabled", r.enabled},
                      {"focused", r.focused},
                      {"id", target.id},
                      {"name", r.label},
                      {"patterns", std::move(patterns)},
                      {"pos", Json::array({left, top})},
                      {"role", r.role},
                      {"size", Json::array({r.width, r.height})},
                      {"title", r.label},
                      {"value", r.value}});
}

}  // namespace uiad
