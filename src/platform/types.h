// Plain value types shared by every platform interface: handles, result codes,
// geometry and the published UI Automation constants the daemon uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace uiad::platform {

// Text exactly as the operating system hands it over (UTF-16 code units, possibly
// with unpaired surrogates). The logic converts it to UTF-8 where it needs to.
using WString = std::u16string;

// Window, monitor, device-context, GDI-object and kernel handles are pointer-sized
// values; 0 is NULL. Kept as plain integers so the simulator can mint them.
using Hwnd = std::uint64_t;
using Hmonitor = std::uint64_t;
using Hdc = std::uint64_t;
using Hgdiobj = std::uint64_t;
using Handle = std::uint64_t;
inline constexpr Handle kInvalidHandleValue = ~std::uint64_t{0};

// HRESULT-style 32-bit result code; negative means failure. Messages print it as
// 0x%08X of its unsigned value.
using HResult = std::int32_t;
inline constexpr HResult kSOk = 0;
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
inline constexpr HResult kRegDbEClassNotReg = static_cast<HResult>(0x80040154u);
inline constexpr HResult kUiaEElementNotAvailable = static_cast<HResult>(0x80040201u);

constexpr bool succeeded(HResult hr) { return hr >= 0; }
constexpr bool failed(HResult hr) { return hr < 0; }

// The result of a platform call: its code and, on success, its value. A call that
// succeeds without handing back an object has a success code and an empty value;
// callers treat that as failure with code 0.
template <class T>
struct [[nodiscard]] Result {
  HResult hr = kSOk;
  T value{};

  bool succeeded() const { return hr >= 0; }
};

// One reference on a reference-counted automation object. Destroying the Ref
// releases the reference; each object instance is exactly one reference, so a
// second reference is made with the object's add_ref().
template <class T>
using Ref = std::unique_ptr<T>;

// A success that handed back an object: the only result worth using.
template <class T>
bool usable(const Result<Ref<T>>& r) {
  return r.succeeded() && r.value != nullptr;
}

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// UI Automation identifiers (published values).
using PropertyId = std::int32_t;
using PatternId = std::int32_t;
using ControlTypeId = std::int32_t;

inline constexpr PatternId kInvokePatternId = 10000;
inline constexpr PatternId kValuePatternId = 10002;
inline constexpr PatternId kScrollPatternId = 10004;
inline constexpr PatternId kExpandCollapsePatternId = 10005;
inline constexpr PatternId kSelectionItemPatternId = 10010;
inline constexpr PatternId kTextPatternId = 10014;
inline constexpr PatternId kTogglePatternId = 10015;

inline constexpr PropertyId kBoundingRectanglePropertyId = 30001;
inline constexpr PropertyId kProcessIdPropertyId = 30002;
inline constexpr PropertyId kControlTypePropertyId = 30003;
inline constexpr PropertyId kNamePropertyId = 30005;
inline constexpr PropertyId kAcceleratorKeyPropertyId = 30006;
inline constexpr PropertyId kHasKeyboardFocusPropertyId = 30008;
inline constexpr PropertyId kAutomationIdPropertyId = 30011;
inline constexpr PropertyId kHelpTextPropertyId = 30013;
inline constexpr PropertyId kIsEnabledPropertyId = 30010;
inline constexpr PropertyId kNativeWindowHandlePropertyId = 30020;
inline constexpr PropertyId kValueValuePropertyId = 30045;
inline constexpr PropertyId kSelectionItemIsSelectedPropertyId = 30079;
inline constexpr PropertyId kToggleToggleStatePropertyId = 30086;

inline constexpr ControlTypeId kButtonControlTypeId = 50000;
inline constexpr ControlTypeId kCheckBoxControlTypeId = 50002;
inline constexpr ControlTypeId kComboBoxControlTypeId = 50003;
inline constexpr ControlTypeId kEditControlTypeId = 50004;
inline constexpr ControlTypeId kListItemControlTypeId = 50007;
inline constexpr ControlTypeId kListControlTypeId = 50008;
inline constexpr ControlTypeId kMenuControlTypeId = 50009;
inline constexpr ControlTypeId kMenuBarControlTypeId = 50010;
inline constexpr ControlTypeId kMenuItemControlTypeId = 50011;
inline constexpr ControlTypeId kRadioButtonControlTypeId = 50013;
inline constexpr ControlTypeId kScrollBarControlTypeId = 50014;
inline constexpr ControlTypeId kTabControlTypeId = 50018;
inline constexpr ControlTypeId kTabItemControlTypeId = 50019;
inline constexpr ControlTypeId kTextControlTypeId = 50020;
inline constexpr ControlTypeId kGroupControlTypeId = 50026;
inline constexpr ControlTypeId kDataGridControlTypeId = 50028;
inline constexpr ControlTypeId kWindowControlTypeId = 50032;
inline constexpr ControlTypeId kPaneControlTypeId = 50033;
inline constexpr ControlTypeId kTableControlTypeId = 50036;
inline constexpr ControlTypeId kTitleBarControlTypeId = 50037;

enum class TreeScope : std::int32_t { Element = 1, Children = 2, Descendants = 4, Subtree = 7 };

enum class ToggleState : std::int32_t { Off = 0, On = 1, Indeterminate = 2 };

enum class ExpandCollapseState : std::int32_t {
  Collapsed = 0,
  Expanded = 1,
  PartiallyExpanded = 2,
  LeafNode = 3
};

enum class ScrollAmount : std::int32_t {
  LargeDecrement = 0,
  SmallDecrement = 1,
  NoAmount = 2,
  LargeIncrement = 3,
  SmallIncrement = 4
};

// UIA_ScrollPatternNoScroll: the percent reported (and passed) for an axis that
// does not scroll.
inline constexpr double kScrollPatternNoScroll = -1.0;

}  // namespace uiad::platform
