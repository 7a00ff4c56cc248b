// The UI Automation client declarations the stand-in implements: the widl
// headers plus the control pattern interfaces that their IDL leaves undefined.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <uiautomationclient.h>
#include <uiautomationcore.h>

#include "standin/pattern_interfaces.h"

namespace standin {

// Not in the widl headers as HRESULT-typed constants.
inline constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201u);
inline constexpr HRESULT kElementNotEnabled = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509u);

}  // namespace standin
