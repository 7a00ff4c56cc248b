// The calls the simulator knows by name: for call counting, for fault
// injection ("faults": [{"call": "get_CurrentName"}]) and for the event log.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace uiad::sim {

enum class Method : std::uint8_t {
  // IUIAutomation.
  ElementFromHandle,
  ElementFromPoint,
  GetFocusedElement,
  GetRootElement,
  CompareElements,
  GetControlViewWalker,
  GetRawViewWalker,
  GetControlViewCondition,
  GetRawViewCondition,
  CreateCacheRequest,
  // IUIAutomationCacheRequest.
  PutTreeScope,
  PutTreeFilter,
  AddProperty,
  AddPattern,
  // IUIAutomationElement.
  BuildUpdatedCache,
  GetCachedChildren,
  GetCurrentPatternAs,
  GetCachedPatternAs,
  GetCurrentName,
  GetCurrentHelpText,
  GetCurrentControlType,
  GetCurrentAutomationId,
  GetCurrentIsEnabled,
  GetCurrentNativeWindowHandle,
  GetCurrentBoundingRectangle,
  GetCurrentAcceleratorKey,
  GetCurrentProcessId,
  GetCachedName,
  GetCachedHelpText,
  GetCachedControlType,
  GetCachedAutomationId,
  GetCachedIsEnabled,
  GetCachedNativeWindowHandle,
  GetCachedBoundingRectangle,
  GetCachedHasKeyboardFocus,
  // IUIAutomationElementArray.
  GetLength,
  GetElement,
  // IUIAutomationTreeWalker.
  GetFirstChildElement,
  GetNextSiblingElement,
  GetParentElement,
  // Control patterns.
  Invoke,
  Toggle,
  GetCurrentToggleState,
  GetCachedToggleState,
  SetValue,
  GetCurrentValue,
  GetCurrentIsReadOnly,
  GetCachedValue,
  Select,
  GetCurrentIsSelected,
  GetCachedIsSelected,
  Expand,
  Collapse,
  GetCurrentExpandCollapseState,
  Scroll,
  SetScrollPercent,
  GetCurrentHorizontalScrollPercent,
  GetCurrentVerticalScrollPercent,
  GetCurrentHorizontallyScrollable,
  GetCurrentVerticallyScrollable,
  // COM and system calls: never counted, but a scene may make them fail.
  CoInitializeEx,
  CoCreateInstance,
  EnumWindows,
  EnumChildWindows,
  GetWindowTextW,
  GetClassNameW,
  GetWindowRect,
  ScreenToClient,
  SetWindowLongW,
  PostMessageW,
  SendMessageW,
  SendInput,
  SetCursorPos,
  GetCursorPos,
  SetForegroundWindow,
  AttachThreadInput,
  GetGUIThreadInfo,
  SetProcessDpiAwarenessContext,
  GetDpiForMonitor,
  OpenProcess,
  GetModuleBaseNameW,
  GetDC,
  CreateCompatibleBitmap,
  PrintWindow,
  GetDIBits,
  CreateFileW,
  WriteFile,
  kCount,
};

inline constexpr std::size_t kMethodCount = static_cast<std::size_t>(Method::kCount);

// The name as Windows spells it (COM property getters as get_CurrentName).
std::string_view method_name(Method method);
std::optional<Method> method_from_name(std::string_view name);
// Cross-process calls: those a real target application answers.
bool is_cross_process(Method method);

}  // namespace uiad::sim
