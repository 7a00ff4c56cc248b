// Names and kinds of the simulated calls.
#include "platform/sim/method.h"

#include <array>

namespace uiad::sim {
namespace {

struct MethodInfo {
  std::string_view name;
  bool cross_process;
};

constexpr std::array<MethodInfo, kMethodCount> kMethods{{
    {"ElementFromHandle", true},
    {"ElementFromPoint", true},
    {"GetFocusedElement", true},
    {"GetRootElement", true},
    {"CompareElements", false},
    {"get_ControlViewWalker", false},
    {"get_RawViewWalker", false},
    {"get_ControlViewCondition", false},
    {"get_RawViewCondition", false},
    {"CreateCacheRequest", false},
    {"put_TreeScope", false},
    {"put_TreeFilter", false},
    {"AddProperty", false},
    {"AddPattern", false},
    {"BuildUpdatedCache", true},
    {"GetCachedChildren", false},
    {"GetCurrentPatternAs", true},
    {"GetCachedPatternAs", false},
    {"get_CurrentName", true},
    {"get_CurrentHelpText", true},
    {"get_CurrentControlType", true},
    {"get_CurrentAutomationId", true},
    {"get_CurrentIsEnabled", true},
    {"get_CurrentNativeWindowHandle", true},
    {"get_CurrentBoundingRectangle", true},
    {"get_CurrentAcceleratorKey", true},
    {"get_CurrentProcessId", true},
    {"get_CachedName", false},
    {"get_CachedHelpText", false},
    {"get_CachedControlType", false},
    {"get_CachedAutomationId", false},
    {"get_CachedIsEnabled", false},
    {"get_CachedNativeWindowHandle", false},
    {"get_CachedBoundingRectangle", false},
    {"get_CachedHasKeyboardFocus", false},
    {"get_Length", false},
    {"GetElement", false},
    {"GetFirstChildElement", true},
    {"GetNextSiblingElement", true},
    {"GetParentElement", true},
    {"Invoke", true},
    {"Toggle", true},
    {"get_CurrentToggleState", true},
    {"get_CachedToggleState", false},
    {"SetValue", true},
    {"get_CurrentValue", true},
    {"get_CurrentIsReadOnly", true},
    {"get_CachedValue", false},
    {"Select", true},
    {"get_CurrentIsSelected", true},
    {"get_CachedIsSelected", false},
    {"Expand", true},
    {"Collapse", true},
    {"get_CurrentExpandCollapseState", true},
    {"Scroll", true},
    {"SetScrollPercent", true},
    {"get_CurrentHorizontalScrollPercent", true},
    {"get_CurrentVerticalScrollPercent", true},
    {"get_CurrentHorizontallyScrollable", true},
    {"get_CurrentVerticallyScrollable", true},
    {"CoInitializeEx", false},
    {"CoCreateInstance", false},
    {"EnumWindows", false},
    {"EnumChildWindows", false},
    {"GetWindowTextW", false},
    {"GetClassNameW", false},
    {"GetWindowRect", false},
    {"ScreenToClient", false},
    {"SetWindowLongW", false},
    {"PostMessageW", false},
    {"SendMessageW", false},
    {"SendInput", false},
    {"SetCursorPos", false},
    {"GetCursorPos", false},
    {"SetForegroundWindow", false},
    {"AttachThreadInput", false},
    {"GetGUIThreadInfo", false},
    {"SetProcessDpiAwarenessContext", false},
    {"GetDpiForMonitor", false},
    {"OpenProcess", false},
    {"GetModuleBaseNameW", false},
    {"GetDC", false},
    {"CreateCompatibleBitmap", false},
    {"PrintWindow", false},
    {"GetDIBits", false},
    {"CreateFileW", false},
    {"WriteFile", false},
}};

}  // namespace

std::string_view method_name(Method method) {
  return kMethods[static_cast<std::size_t>(method)].name;
}

std::optional<Method> method_from_name(std::string_view name) {
  for (std::size_t i = 0; i < kMethodCount; ++i) {
    if (kMethods[i].name == name) return static_cast<Method>(i);
  }
  return std::nullopt;
}

bool is_cross_process(Method method) {
  return kMethods[static_cast<std::size_t>(method)].cross_process;
}

}  // namespace uiad::sim
