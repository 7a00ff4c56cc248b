// Turning one UI Automation element into an ElementRecord, from current
// property values or from the values cached by BuildUpdatedCache, and the
// cache request that makes the cached reading possible.
#pragma once

#include <cstddef>
#include <string>

#include "daemon/element_record.h"
#include "platform/automation.h"
#include "platform/types.h"

namespace uiad {

enum class TreeView { Control, Raw };

// Values longer than this many UTF-8 bytes are cut and get "..." appended.
inline constexpr std::size_t kMaxValueBytes = 200;

// `value` cut to at most kMaxValueBytes bytes on a character boundary, then
// "..."; a value that fits stays whole.
std::string cut_value(std::string value);

// Reads bounding rectangle, Value, focus (by comparing with `focused`, when
// given), Toggle, SelectionItem, then name, help text, control type,
// automation id, enabled and native window. Never fails: a failed read leaves
// the field at its default.
ElementRecord read_current(platform::Automation& automation, platform::Element& element,
                           platform::Element* focused);

// The same reads from the element's cache; focus is the cached
// HasKeyboardFocus. Makes no call into the target application.
ElementRecord read_cached(platform::Element& element);

// A cache request for the eleven properties and three patterns read_cached
// needs, over `scope` and filtered to `view`. On failure of creating the
// request, setting the scope, getting the condition or setting the filter,
// returns that call's code and no request (code 0 when the call succeeded
// without an object).
platform::Result<platform::Ref<platform::CacheRequest>> make_cache_request(
    platform::Automation& automation, platform::TreeScope scope, TreeView view);

}  // namespace uiad
