// Control pattern objects over the UI Automation pattern interfaces.
#pragma once

#include "platform/automation.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {

// The interface id GetCurrentPatternAs / GetCachedPatternAs ask for.
const IID& pattern_iid(platform::PatternInterface iid);

// Takes ownership of the pointer such a call returned (as asked for with
// pattern_iid(iid)) and wraps it in the matching pattern class; NULL becomes
// an empty Ref.
platform::Result<platform::Ref<platform::PatternObject>> wrap_pattern(
    HRESULT hr, void* pointer, platform::PatternInterface iid);

}  // namespace uiad::win32
