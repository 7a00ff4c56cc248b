// The simulated desktop: every platform interface served from an in-memory
// desktop loaded from a scene (docs/scene-format.md), with a virtual clock, an
// event log, fault injection, and counters of calls, live automation objects
// and open handles for tests.
//
// Ownership: the desktop owns the services behind platform(); automation
// objects share its state, so they may outlive it (an Invoke that never
// returns is released with RPC_E_DISCONNECTED when the desktop goes away).
// Threading: every interface may be called from any thread; the accessors
// below read a consistent state, but events() must not be read while another
// thread is still calling in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/scene_limits.h"

namespace uiad::sim {

class SimState;
class SimCom;
class SimWindowSystem;
class SimInput;
class SimDpi;
class SimProcesses;
class SimGdi;
class SimFiles;
class SimClock;
struct DesktopModel;
class SimDesktop;

// A scene loaded once, from which any number of desktops start in the scene's
// initial state without its JSON being read again: the fuzzer starts every
// input on a fresh desktop, and parsing cost more than the input.
class SimScene {
 public:
  // nullptr and a message when the scene is not valid or too big.
  static std::shared_ptr<const SimScene> from_json(std::string_view scene_json, std::string& error,
                                                   const SceneLimits& limits = {});
  ~SimScene();
  SimScene(const SimScene&) = delete;
  SimScene& operator=(const SimScene&) = delete;

  std::unique_ptr<SimDesktop> make_desktop() const;

 private:
  explicit SimScene(std::unique_ptr<const DesktopModel> model);
  std::unique_ptr<const DesktopModel> model_;
};

class SimDesktop {
 public:
  // nullptr and a message when the scene is not valid or too big.
  static std::unique_ptr<SimDesktop> from_scene_json(std::string_view scene_json,
                                                     std::string& error,
                                                     const SceneLimits& limits = {});
  // The bundled demo desktop (scenes/demo.json).
  static std::unique_ptr<SimDesktop> demo();
  static std::string_view demo_scene_json();

  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;
  ~SimDesktop();

  platform::Platform& platform();

  // Automation objects alive: all kinds, and elements only.
  std::int64_t live_references() const;
  std::int64_t live_element_references() const;
  // Cross-process calls made so far, by method name ("get_CurrentName") and in all.
  std::int64_t call_count(std::string_view method) const;
  std::int64_t total_calls() const;
  void reset_call_counts();
  // Process handles, device contexts, GDI objects and files not yet closed.
  std::int64_t open_handles() const;
  // UTF-16 units of the element texts held: the scene's and those set since.
  std::int64_t stored_text_units() const;
  // Invoke calls still running (blocked or delayed) on some thread.
  std::int64_t invokes_in_progress() const;

  // The event log, one compact JSON line per effect.
  const std::vector<std::string>& events() const;
  void clear_events();
  // Kept by default. Off, events() stays empty and lines go only to the file
  // of write_events_to: a long-running process that never reads them must
  // turn this off, or memory grows with every request.
  void keep_events_in_memory(bool keep);
  // Mirrors the event log to `path` (lines written so far included), flushed
  // line by line. False and a message when the file cannot be opened.
  bool write_events_to(const std::string& path, std::string& error);
  // The final line for leak checks: live references and open handles.
  void log_exit();

  // Virtual time in milliseconds.
  std::int64_t now_ms() const;

 private:
  friend class SimScene;
  explicit SimDesktop(std::shared_ptr<SimState> state);

  std::shared_ptr<SimState> state_;
  std::unique_ptr<SimCom> com_;
  std::unique_ptr<SimWindowSystem> windows_;
  std::unique_ptr<SimInput> input_;
  std::unique_ptr<SimDpi> dpi_;
  std::unique_ptr<SimProcesses> processes_;
  std::unique_ptr<SimGdi> gdi_;
  std::unique_ptr<SimFiles> files_;
  std::unique_ptr<SimClock> clock_;
  std::unique_ptr<platform::Platform> platform_;
};

}  // namespace uiad::sim
