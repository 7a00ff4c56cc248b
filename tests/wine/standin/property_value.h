// One UI Automation property value as the stand-in reads it from a window, and
// its VARIANT form for GetCurrentPropertyValue / GetCachedPropertyValue.
#pragma once

#include <string>
#include <variant>

#include "standin/uia.h"

namespace standin {

// monostate: the property does not apply to the element (VT_EMPTY).
using PropertyValue = std::variant<std::monostate, bool, int, double, std::wstring, RECT>;

// Fills `out` (initialised by the caller) with the value; rectangles become the
// UI Automation form, a SAFEARRAY of left, top, width and height.
HRESULT to_variant(const PropertyValue& value, VARIANT* out);

// A BSTR for an out parameter; an empty text is an empty BSTR, never NULL.
BSTR make_bstr(const std::wstring& text);

}  // namespace standin
