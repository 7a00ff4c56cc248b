// The shared state behind every simulated interface: the desktop model, the
// virtual clock, the event log, call and reference counters, fault injection,
// open handles and the reaction engine.
//
// Threading: every member is guarded by `mutex` except the two atomic
// reference counters. Members documented "lock held" expect the caller to hold
// it. Invoke workers wait on `changed` with the lock released, so a blocked
// Invoke stops only its own thread. Automation objects share ownership of the
// state, so a worker that outlives the desktop still finds it.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/sim/desktop_model.h"
#include "platform/sim/event_log.h"
#include "platform/sim/method.h"
#include "platform/types.h"

namespace uiad::sim {

enum class View : std::uint8_t { Control, Raw };

// The outcome of the fault and liveness checks that open every call.
struct CallCheck {
  HResult hr = platform::kSOk;
  bool faulted = false;
  bool failed() const { return hr < 0; }
  // A fault with a success code: the call succeeds without handing anything back.
  bool empty_success() const { return faulted && hr >= 0; }
};

struct TriggerEvent {
  TriggerKind kind = TriggerKind::Invoke;
  std::int32_t element = kNone;
  std::int32_t entered = kNone;  // Leave: the element the pointer moved onto
  Hwnd window = 0;
  std::int64_t msg = -1;
  std::uint64_t wparam = 0;
  platform::Point from;  // SetCursor: where the cursor was
  platform::Point to;    // SetCursor: where it is now
};

enum class HandleKind : std::uint8_t { Process, ScreenDc, WindowDc, MemoryDc, Bitmap, File };

struct HandleEntry {
  HandleKind kind = HandleKind::Process;
  std::uint32_t pid = 0;
  Hwnd hwnd = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;  // bitmaps: top-down BGRA rows
  std::uint64_t selected = 0;        // DC: its bitmap; bitmap: the DC holding it
  std::FILE* file = nullptr;
  std::string path;
  std::uint64_t bytes = 0;
};

// The bitmap a fresh memory DC holds (a stock object, never counted).
inline constexpr std::uint64_t kStockBitmap = 0x0185000F;

class SimState {
 public:
  explicit SimState(DesktopModel desktop);
  SimState(const SimState&) = delete;
  SimState& operator=(const SimState&) = delete;
  ~SimState();

  mutable std::mutex mutex;
  // Notified when windows change and when the desktop shuts down.
  std::condition_variable changed;
  DesktopModel model;
  EventLog log;
  std::int64_t now_ns = 0;
  bool closing = false;
  std::int64_t invokes_in_progress = 0;
  std::array<std::int64_t, kMethodCount> calls{};
  std::atomic<std::int64_t> live_objects{0};
  std::atomic<std::int64_t> live_elements{0};
  std::unordered_map<std::uint64_t, HandleEntry> handles;
  std::uint64_t next_handle = 0x1A4;
  bool dpi_awareness_set = false;
  std::set<std::pair<std::uint32_t, std::uint32_t>> attached_threads;
  // The element the last posted pointer move landed on (leave events).
  std::int32_t hovered_element = kNone;

  // ---- calls (lock held) ----
  // Counts the call, applies a matching fault, replaces the thread's error
  // information and, for an element call, fails a gone element (unless
  // `require_alive` is false: cached reads answer from their snapshot).
  CallCheck check_element_call(Method method, std::int32_t element, platform::PatternId pattern = 0,
                               bool require_alive = true);
  // The same for calls that name a window (faults of that window, then global).
  CallCheck check_window_call(Method method, std::int32_t window,
                              std::optional<std::uint32_t> flags = std::nullopt);
  // Calls that name neither: global faults only.
  CallCheck check_call(Method method);
  std::optional<std::u16string> take_error_info();

  // ---- elements (lock held) ----
  bool element_alive(std::int32_t element) const;
  std::int32_t first_child(std::int32_t element, View view) const;
  std::int32_t next_sibling(std::int32_t element, View view) const;
  std::int32_t parent(std::int32_t element, View view) const;
  bool is_self_or_ancestor(std::int32_t ancestor, std::int32_t element) const;
  // The deepest element under a screen point (ElementFromPoint).
  std::int32_t element_at_point(platform::Point point) const;
  std::int32_t hit_test(std::int32_t root, platform::Point point) const;
  std::int32_t focused_element() const;
  std::int32_t top_level_window_of_element(std::int32_t element) const;
  // How the event log names an element: its scene ref, else its index.
  std::string element_label(std::int32_t element) const;
  std::u16string text(std::uint32_t index) const { return std::u16string(model.text(index)); }

  // ---- windows (lock held) ----
  bool window_exists(Hwnd hwnd) const;
  // IsWindowVisible: the window and all its ancestors have WS_VISIBLE.
  bool window_visible(std::int32_t window) const;
  Rect window_rect(std::int32_t window) const;
  std::int32_t top_level_of(std::int32_t window) const;
  bool is_self_or_descendant_window(std::int32_t window, Hwnd ancestor) const;
  std::uint32_t window_dpi(std::int32_t window) const;
  // MonitorFromWindow; nullptr for MONITOR_DEFAULTTONULL without overlap.
  const SimMonitor* monitor_of(std::int32_t window, std::uint32_t flags) const;
  SimThread* thread(std::uint32_t id);

  // ---- effects (lock held) ----
  std::int64_t now_ms() const { return now_ns / 1'000'000; }
  EventLine event(std::string_view type) const { return EventLine(now_ms(), type, log.wanted()); }
  void emit(const EventLine& line);
  void change_foreground(Hwnd hwnd);
  void set_element_value(std::int32_t element, std::u16string value);
  void set_window_text(std::int32_t window, std::u16string text);
  // WM_CHAR to a window: types into its edit field or focused value element.
  void type_char(std::int32_t window, std::uint64_t code);
  void fire(const TriggerEvent& event);
  void run_action(const Action& action);
  // Moves the virtual clock forward, applying the scheduled changes on the way.
  void advance(std::uint64_t ms);
  platform::Hwnd lparam_hit_window(std::int32_t window, std::int64_t lparam,
                                   platform::Point& screen_point) const;
  std::uint64_t new_handle(HandleEntry entry);

 private:
  struct Scheduled {
    std::int64_t due_ns;
    std::uint64_t sequence;
    std::int32_t reaction;
  };

  bool in_tree(std::int32_t element) const;
  std::int32_t next_top_level_root(std::size_t start) const;
  std::int32_t first_control_child(std::int32_t element) const;
  CallCheck finish_check(Method method, Fault* fault);
  void stall(Fault*& fault);
  Fault* find_fault(std::unordered_multimap<std::int32_t, Fault>& faults, std::int32_t key,
                    Method method, platform::PatternId pattern, std::optional<std::uint32_t> flags);
  Fault* find_global_fault(Method method, platform::PatternId pattern,
                           std::optional<std::uint32_t> flags);
  bool matches(const Trigger& trigger, const TriggerEvent& event) const;
  void run_reaction(std::int32_t reaction);
  void set_window_exists(std::int32_t window, bool exists);
  void raise_window(std::int32_t window);
  void foreground_fallback(std::int32_t leaving);
  void focus_element(std::int32_t element);

  std::optional<std::u16string>& error_info_slot();

  // Per thread, as GetErrorInfo is; few threads ever call in.
  std::vector<std::pair<std::thread::id, std::optional<std::u16string>>> error_info_;
  std::vector<Scheduled> schedule_;
  std::uint64_t schedule_sequence_ = 0;
  // Bumped whenever an element or window enters or leaves the tree; an
  // element whose entry equals it was found alive since.
  std::uint32_t tree_generation_ = 1;
  mutable std::vector<std::uint32_t> alive_at_;
  int fire_depth_ = 0;
};

bool rect_contains(const Rect& rect, platform::Point point);

}  // namespace uiad::sim
