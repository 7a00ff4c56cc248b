// The in-memory desktop a scene describes: windows, processes, monitors and the
// UI Automation element forest, in flat vectors addressed by index so that a
// scene of 100,000 elements stays compact and cheap to walk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sim/method.h"
#include "platform/types.h"

namespace uiad::sim {

using platform::ControlTypeId;
using platform::HResult;
using platform::Hwnd;
using platform::Rect;

inline constexpr std::int32_t kNone = -1;
// Element 0 is the desktop, the root of every view.
inline constexpr std::int32_t kDesktopElement = 0;

// Window style bits the simulator interprets.
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsMinimize = 0x20000000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
// DWM_CLOAKED_SHELL: the shell cloaked the window (another virtual desktop).
inline constexpr std::uint32_t kDwmCloakedShell = 2;

struct SimMonitor {
  platform::Hmonitor handle = 0;
  Rect rect;
  std::uint32_t dpi_x = 96;
  std::uint32_t dpi_y = 96;
};

struct SimProcess {
  std::uint32_t pid = 0;
  std::u16string image;  // empty: GetModuleBaseNameW fails
  bool openable = true;
};

struct SimThread {
  std::uint32_t id = 0;
  Hwnd focus = 0;
  Hwnd active = 0;
  Hwnd capture = 0;
  Hwnd menu_owner = 0;
};

struct SimWindow {
  Hwnd hwnd = 0;
  std::int32_t parent = kNone;         // window index; kNone for a top-level window
  std::vector<std::int32_t> children;  // window indices, top of the Z order first
  std::u16string class_name;
  std::u16string title;
  Rect rect;    // window rectangle, screen pixels
  Rect client;  // client area, screen pixels
  std::uint32_t style = kWsVisible;
  std::int32_t ex_style = 0;
  std::uint32_t process_id = 0;
  std::uint32_t thread_id = 0;
  std::uint32_t dpi = 0;  // 0: the DPI of the window's monitor
  std::uint32_t color = 0xF0F0F0;
  bool exists = true;
  bool has_faults = false;
  // DWMWA_CLOAKED: what DwmGetWindowAttribute answers (2, DWM_CLOAKED_SHELL,
  // for a window on another virtual desktop); 0 when the window is shown.
  std::uint32_t cloaked = 0;
  // Its GUI thread has stopped taking messages (IsHungAppWindow).
  bool hung = false;
  std::int32_t element = kNone;  // the element ElementFromHandle answers with
};

// Element flags.
inline constexpr std::uint16_t kEnabled = 1 << 0;
inline constexpr std::uint16_t kFocused = 1 << 1;
inline constexpr std::uint16_t kRawOnly = 1 << 2;
inline constexpr std::uint16_t kPresent = 1 << 3;
inline constexpr std::uint16_t kReadOnly = 1 << 4;
inline constexpr std::uint16_t kSelected = 1 << 5;
inline constexpr std::uint16_t kHScrollable = 1 << 6;
inline constexpr std::uint16_t kVScrollable = 1 << 7;
inline constexpr std::uint16_t kThreeState = 1 << 8;
inline constexpr std::uint16_t kHasFaults = 1 << 9;
inline constexpr std::uint16_t kHasInvokeSpec = 1 << 10;
// A window's own tree that no parent element lists as a child.
inline constexpr std::uint16_t kDetached = 1 << 11;
// The root element of a top-level window: a child of the desktop.
inline constexpr std::uint16_t kTopLevelRoot = 1 << 12;

// Pattern bits.
inline constexpr std::uint8_t kInvokeBit = 1 << 0;
inline constexpr std::uint8_t kValueBit = 1 << 1;
inline constexpr std::uint8_t kToggleBit = 1 << 2;
inline constexpr std::uint8_t kSelectionItemBit = 1 << 3;
inline constexpr std::uint8_t kExpandCollapseBit = 1 << 4;
inline constexpr std::uint8_t kScrollBit = 1 << 5;
inline constexpr std::uint8_t kTextBit = 1 << 6;

// The state of one element: plain data (strings are indices into the string
// pool, which only ever grows), so a cache snapshot is a cheap copy.
struct ElementData {
  Rect rect;
  Hwnd native_window = 0;
  std::uint32_t name = 0;
  std::uint32_t help = 0;
  std::uint32_t automation_id = 0;
  std::uint32_t accelerator = 0;
  std::uint32_t value = 0;
  ControlTypeId control_type = platform::kPaneControlTypeId;
  std::int32_t process_id = 0;
  float h_percent = -1;
  float v_percent = -1;
  std::uint16_t flags = kEnabled | kPresent;
  std::uint8_t patterns = 0;
  std::uint8_t toggle = 0;  // ToggleState
  std::uint8_t expand = 3;  // ExpandCollapseState (LeafNode)
};

struct ElementLinks {
  std::int32_t parent = kNone;
  std::int32_t first_child = kNone;
  std::int32_t last_child = kNone;
  std::int32_t next_sibling = kNone;
  std::int32_t window = kNone;  // the window whose destruction takes the element along
};

struct InvokeSpec {
  std::int64_t delay_ms = 0;  // real time: the caller's time limit is real time too
  bool blocks = false;        // returns only when `until_hidden` goes away, or never
  Hwnd until_hidden = 0;
  HResult result = platform::kSOk;
};

struct ScrollSteps {
  double large = 10;
  double small = 1;
};

struct Fault {
  Method method = Method::kCount;
  platform::PatternId pattern = 0;     // GetCurrentPatternAs / GetCachedPatternAs: 0 = any
  std::optional<std::uint32_t> flags;  // PrintWindow: only with these flags
  HResult hr = platform::kEFail;
  std::optional<std::u16string> description;
  std::int64_t remaining = -1;  // failures left; -1 = every call
  // A hung application: the call takes this much real time first, or never
  // returns. Without a result of its own such a fault does not fail the call.
  std::int64_t delay_ms = 0;
  bool hangs = false;
  bool fails = true;
};

enum class TriggerKind : std::uint8_t {
  Invoke,
  Toggle,
  Select,
  Expand,
  Collapse,
  SetValue,
  Scroll,
  SetScrollPercent,
  Message,
  Click,
  RightClick,
  Hover,
  Leave,
  SetCursor,
  Foreground,
};

struct Trigger {
  TriggerKind kind = TriggerKind::Invoke;
  std::int32_t element = kNone;  // element or one of its descendants
  Hwnd window = 0;               // exactly this window
  Hwnd within = 0;               // this window or a descendant
  std::int64_t msg = -1;         // -1: any message
  std::optional<std::uint64_t> wparam;
  std::optional<Rect> rect;  // SetCursor: the cursor entered this rectangle
};

enum class ActionKind : std::uint8_t {
  ShowWindow,
  HideWindow,
  CreateWindow,
  DestroyWindow,
  MinimizeWindow,
  RestoreWindow,
  SetForeground,
  SetFocus,
  FocusElement,
  SetTitle,
  SetRect,
  SetValue,
  SetName,
  SetToggle,
  SetExpand,
  SetSelected,
  SetEnabled,
  SetScroll,
  AddElement,
  RemoveElement,
};

struct Action {
  ActionKind kind = ActionKind::ShowWindow;
  std::int32_t element = kNone;
  Hwnd window = 0;
  std::u16string text;
  Rect rect;
  std::int64_t number = 0;
  double h = -1;
  double v = -1;
};

struct Reaction {
  std::optional<Trigger> trigger;  // absent: a scheduled change
  std::int64_t at_ms = -1;
  std::int64_t delay_ms = 0;
  std::int64_t remaining = -1;  // firings left; -1 = unlimited
  std::vector<Action> actions;
};

struct DesktopModel {
  std::vector<SimMonitor> monitors;
  Rect virtual_screen;
  platform::Point cursor;
  Hwnd foreground = 0;
  std::uint32_t daemon_thread_id = 1;
  bool foreground_lock = false;

  std::vector<SimProcess> processes;
  std::vector<SimThread> threads;
  std::vector<SimWindow> windows;
  std::vector<std::int32_t> top_level;  // window indices, top of the Z order first
  std::unordered_map<Hwnd, std::int32_t> window_index;

  std::vector<ElementData> elements;
  std::vector<ElementLinks> links;
  // The string pool: string i is text_buffer[text_ends[i - 1], text_ends[i]).
  // One buffer, so a hundred thousand names cost no allocation each. Index 0
  // is the empty string; strings are appended, never changed.
  std::u16string text_buffer;
  std::vector<std::uint32_t> text_ends{0};
  // Texts set while the desktop runs (typed values, sent titles, new names)
  // live in slots instead, one per element field and replaced in place: in
  // the append-only pool every typed character left a copy of the whole value
  // behind. A slot index has kSlotBit set; a field owns its slot alone.
  static constexpr std::uint32_t kSlotBit = 0x8000'0000u;
  std::vector<std::u16string> slots;
  std::vector<std::uint32_t> free_slots;
  // Elements by NativeWindowHandle (fixed once loaded), in element order.
  std::unordered_map<Hwnd, std::vector<std::int32_t>> elements_of_window;
  std::unordered_map<std::string, std::int32_t> element_refs;
  std::unordered_map<std::int32_t, std::string> ref_of_element;

  std::unordered_multimap<std::int32_t, Fault> element_faults;
  std::unordered_multimap<std::int32_t, Fault> window_faults;
  std::vector<Fault> global_faults;
  std::unordered_map<std::int32_t, InvokeSpec> invoke_specs;
  std::unordered_map<std::int32_t, ScrollSteps> scroll_steps;

  std::vector<Reaction> reactions;
  std::unordered_map<std::uint32_t, std::u16string> messages;
  std::unordered_map<std::uint32_t, std::u16string> ntdll_messages;

  std::uint32_t intern(std::u16string_view text) {
    if (text.empty()) return 0;
    text_buffer.append(text);
    return end_string();
  }
  // Closes the string appended to text_buffer since the last one.
  std::uint32_t end_string() {
    text_ends.push_back(static_cast<std::uint32_t>(text_buffer.size()));
    return static_cast<std::uint32_t>(text_ends.size() - 1);
  }
  // Sets an element's text field, reusing the slot it already owns.
  void set_text(std::uint32_t& field, std::u16string_view text) {
    if (field & kSlotBit) {
      const std::uint32_t slot = field & ~kSlotBit;
      if (!text.empty()) {
        slots[slot].assign(text);
        return;
      }
      slots[slot] = std::u16string();
      free_slots.push_back(slot);
      field = 0;
      return;
    }
    if (text.empty()) {
      field = 0;
      return;
    }
    std::uint32_t slot;
    if (free_slots.empty()) {
      slot = static_cast<std::uint32_t>(slots.size());
      slots.emplace_back(text);
    } else {
      slot = free_slots.back();
      free_slots.pop_back();
      slots[slot].assign(text);
    }
    field = kSlotBit | slot;
  }
  std::u16string_view text(std::uint32_t index) const {
    if (index & kSlotBit) return slots[index & ~kSlotBit];
    if (index == 0) return {};
    const std::uint32_t begin = text_ends[index - 1];
    return std::u16string_view(text_buffer).substr(begin, text_ends[index] - begin);
  }

  SimWindow* window(Hwnd hwnd) {
    auto it = window_index.find(hwnd);
    return it == window_index.end() ? nullptr : &windows[it->second];
  }
  std::int32_t index_of(Hwnd hwnd) const {
    auto it = window_index.find(hwnd);
    return it == window_index.end() ? kNone : it->second;
  }
};

}  // namespace uiad::sim
