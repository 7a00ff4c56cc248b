// Property reading for the walks: each read that fails keeps the field default.
#include "snapshot/element_reading.h"

#include "daemon/unicode.h"
#include "snapshot/role.h"

namespace uiad {
namespace {

using platform::HResult;
using platform::Rect;
using platform::Ref;
using platform::Result;

// Geometry with wrap-around instead of overflow for absurd rectangles.
std::int32_t wrap32(std::int64_t v) { return static_cast<std::int32_t>(v); }

void set_geometry(ElementRecord& record, const Rect& r) {
  const std::int32_t width = wrap32(std::int64_t{r.right} - r.left);
  const std::int32_t height = wrap32(std::int64_t{r.bottom} - r.top);
  record.width = width;
  record.height = height;
  record.center_x = wrap32(std::int64_t{r.left} + width / 2);
  record.center_y = wrap32(std::int64_t{r.top} + height / 2);
}

std::string to_utf8(const platform::WString& text) { return unicode::utf16_to_utf8(text); }

CheckedState checked_from(platform::ToggleState state) {
  return state == platform::ToggleState::On ? CheckedState::On : CheckedState::Off;
}

// The properties common to both readers, in their order of reading.
template <class Name, class Help, class Type, class AutoId, class Enabled, class Native>
void read_identity(ElementRecord& record, Name name, Help help, Type type, AutoId auto_id,
                   Enabled enabled, Native native) {
  if (auto r = name(); r.succeeded()) record.label = to_utf8(r.value);
  if (auto r = help(); r.succeeded()) record.help = to_utf8(r.value);
  platform::ControlTypeId control_type = 0;
  if (auto r = type(); r.succeeded()) control_type = r.value;
  record.role = role_for_control_type(control_type);
  if (auto r = auto_id(); r.succeeded()) record.automation_id = to_utf8(r.value);
  if (auto r = enabled(); r.succeeded()) record.enabled = r.value;
  if (auto r = native(); r.succeeded()) record.native_window = r.value;
}

}  // namespace

std::string cut_value(std::string value) {
  if (value.size() <= kMaxValueBytes) return value;
  std::size_t cut = kMaxValueBytes;
  // Back up over continuation bytes so the cut never splits a character.
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
  value.resize(cut);
  value += "...";
  return value;
}

ElementRecord read_current(platform::Automation& automation, platform::Element& element,
                           platform::Element* focused) {
  ElementRecord record;
  if (auto r = element.get_current_bounding_rectangle(); r.succeeded())
    set_geometry(record, r.value);
  if (auto p = element.current_pattern_as<platform::ValuePattern>(platform::kValuePatternId);
      usable(p)) {
    if (auto v = p.value->get_current_value(); v.succeeded())
      record.value = cut_value(to_utf8(v.value));
  }
  if (focused != nullptr) {
    if (auto same = automation.compare_elements(element, *focused); same.succeeded() && same.value)
      record.focused = true;
  }
  if (auto p = element.current_pattern_as<platform::TogglePattern>(platform::kTogglePatternId);
      usable(p)) {
    if (auto s = p.value->get_current_toggle_state(); s.succeeded())
      record.checked = checked_from(s.value);
  }
  if (auto p = element.current_pattern_as<platform::SelectionItemPattern>(
          platform::kSelectionItemPatternId);
      usable(p)) {
    if (auto s = p.value->get_current_is_selected(); s.succeeded()) record.selected = s.value;
  }
  read_identity(
      record, [&] { return element.get_current_name(); },
      [&] { return element.get_current_help_text(); },
      [&] { return element.get_current_control_type(); },
      [&] { return element.get_current_automation_id(); },
      [&] { return element.get_current_is_enabled(); },
      [&] { return element.get_current_native_window_handle(); });
  return record;
}

ElementRecord read_cached(platform::Element& element) {
  ElementRecord record;
  if (auto r = element.get_cached_bounding_rectangle(); r.succeeded())
    set_geometry(record, r.value);
  if (auto p = element.cached_pattern_as<platform::ValuePattern>(platform::kValuePatternId);
      usable(p)) {
    if (auto v = p.value->get_cached_value(); v.succeeded())
      record.value = cut_value(to_utf8(v.value));
  }
  if (auto f = element.get_cached_has_keyboard_focus(); f.succeeded()) record.focused = f.value;
  if (auto p = element.cached_pattern_as<platform::TogglePattern>(platform::kTogglePatternId);
      usable(p)) {
    if (auto s = p.value->get_cached_toggle_state(); s.succeeded())
      record.checked = checked_from(s.value);
  }
  if (auto p = element.cached_pattern_as<platform::SelectionItemPattern>(
          platform::kSelectionItemPatternId);
      usable(p)) {
    if (auto s = p.value->get_cached_is_selected(); s.succeeded()) record.selected = s.value;
  }
  read_identity(
      record, [&] { return element.get_cached_name(); },
      [&] { return element.get_cached_help_text(); },
      [&] { return element.get_cached_control_type(); },
      [&] { return element.get_cached_automation_id(); },
      [&] { return element.get_cached_is_enabled(); },
      [&] { return element.get_cached_native_window_handle(); });
  return record;
}

platform::Result<Ref<platform::CacheRequest>> make_cache_request(platform::Automation& automation,
                                                                 platform::TreeScope scope,
                                                                 TreeView view) {
  // A success without an object counts as failure with code 0.
  auto fail = [](HResult hr) {
    return Result<Ref<platform::CacheRequest>>{platform::failed(hr) ? hr : platform::kSOk, nullptr};
  };
  auto request = automation.create_cache_request();
  if (!usable(request)) return fail(request.hr);
  if (HResult hr = request.value->put_tree_scope(scope); platform::failed(hr)) return fail(hr);
  {
    auto condition = view == TreeView::Raw ? automation.get_raw_view_condition()
                                           : automation.get_control_view_condition();
    if (!usable(condition)) return fail(condition.hr);
    if (HResult hr = request.value->put_tree_filter(*condition.value); platform::failed(hr))
      return fail(hr);
  }
  // A property or pattern that cannot be added only leaves that value uncached.
  for (platform::PropertyId id :
       {platform::kNamePropertyId, platform::kHelpTextPropertyId, platform::kControlTypePropertyId,
        platform::kBoundingRectanglePropertyId, platform::kAutomationIdPropertyId,
        platform::kIsEnabledPropertyId, platform::kNativeWindowHandlePropertyId,
        platform::kHasKeyboardFocusPropertyId, platform::kValueValuePropertyId,
        platform::kToggleToggleStatePropertyId, platform::kSelectionItemIsSelectedPropertyId}) {
    static_cast<void>(request.value->add_property(id));
  }
  for (platform::PatternId id :
       {platform::kValuePatternId, platform::kTogglePatternId, platform::kSelectionItemPatternId}) {
    static_cast<void>(request.value->add_pattern(id));
  }
  return {platform::kSOk, std::move(request.value)};
}

}  // namespace uiad
