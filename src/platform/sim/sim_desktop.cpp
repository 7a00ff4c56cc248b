// Building the simulated desktop and its test accessors.
#include "platform/sim/sim_desktop.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sim/demo_scene.h"
#include "platform/sim/scene_loader.h"
#include "platform/sim/sim_services.h"

namespace uiad::sim {

std::unique_ptr<SimDesktop> SimDesktop::from_scene_json(std::string_view scene_json,
                                                        std::string& error,
                                                        const SceneLimits& limits) {
  auto model = load_scene(scene_json, error, limits);
  if (!model) return nullptr;
  return std::unique_ptr<SimDesktop>(new SimDesktop(std::make_shared<SimState>(std::move(*model))));
}

std::shared_ptr<const SimScene> SimScene::from_json(std::string_view scene_json, std::string& error,
                                                    const SceneLimits& limits) {
  auto model = load_scene(scene_json, error, limits);
  if (!model) return nullptr;
  return std::shared_ptr<const SimScene>(
      new SimScene(std::make_unique<const DesktopModel>(std::move(*model))));
}

SimScene::SimScene(std::unique_ptr<const DesktopModel> model) : model_(std::move(model)) {}

SimScene::~SimScene() = default;

std::unique_ptr<SimDesktop> SimScene::make_desktop() const {
  return std::unique_ptr<SimDesktop>(new SimDesktop(std::make_shared<SimState>(*model_)));
}

std::string_view SimDesktop::demo_scene_json() { return uiad::sim::demo_scene_text(); }

std::unique_ptr<SimDesktop> SimDesktop::demo() {
  std::string error;
  auto desktop = from_scene_json(demo_scene_json(), error);
  if (desktop == nullptr) {
    // The bundled scene is validated by the tests; this is a build fault.
    std::fprintf(stderr, "uiad: the bundled demo scene is broken: %s\n", error.c_str());
    std::abort();
  }
  return desktop;
}

SimDesktop::SimDesktop(std::shared_ptr<SimState> state)
    : state_(std::move(state)),
      com_(std::make_unique<SimCom>(state_)),
      windows_(std::make_unique<SimWindowSystem>(state_)),
      input_(std::make_unique<SimInput>(state_)),
      dpi_(std::make_unique<SimDpi>(state_)),
      processes_(std::make_unique<SimProcesses>(state_)),
      gdi_(std::make_unique<SimGdi>(state_)),
      files_(std::make_unique<SimFiles>(state_)),
      clock_(std::make_unique<SimClock>(state_)),
      platform_(std::make_unique<platform::Platform>(platform::Platform{
          *com_, *windows_, *input_, *dpi_, *processes_, *gdi_, *files_, *clock_})) {}

SimDesktop::~SimDesktop() {
  std::lock_guard lock(state_->mutex);
  state_->closing = true;
  state_->changed.notify_all();
}

platform::Platform& SimDesktop::platform() { return *platform_; }

std::int64_t SimDesktop::live_references() const { return state_->live_objects.load(); }

std::int64_t SimDesktop::live_element_references() const { return state_->live_elements.load(); }

std::int64_t SimDesktop::call_count(std::string_view method) const {
  const auto m = method_from_name(method);
  if (!m) return 0;
  std::lock_guard lock(state_->mutex);
  return state_->calls[static_cast<std::size_t>(*m)];
}

std::int64_t SimDesktop::total_calls() const {
  std::lock_guard lock(state_->mutex);
  std::int64_t total = 0;
  for (std::int64_t c : state_->calls) total += c;
  return total;
}

void SimDesktop::reset_call_counts() {
  std::lock_guard lock(state_->mutex);
  state_->calls.fill(0);
}

std::int64_t SimDesktop::open_handles() const {
  std::lock_guard lock(state_->mutex);
  return static_cast<std::int64_t>(state_->handles.size());
}

std::int64_t SimDesktop::stored_text_units() const {
  std::lock_guard lock(state_->mutex);
  std::size_t units = state_->model.text_buffer.size();
  for (const std::u16string& slot : state_->model.slots) units += slot.size();
  return static_cast<std::int64_t>(units);
}

std::int64_t SimDesktop::invokes_in_progress() const {
  std::lock_guard lock(state_->mutex);
  return state_->invokes_in_progress;
}

const std::vector<std::string>& SimDesktop::events() const { return state_->log.lines(); }

void SimDesktop::clear_events() {
  std::lock_guard lock(state_->mutex);
  state_->log.clear();
}

void SimDesktop::keep_events_in_memory(bool keep) {
  std::lock_guard lock(state_->mutex);
  state_->log.keep_in_memory(keep);
}

bool SimDesktop::write_events_to(const std::string& path, std::string& error) {
  std::lock_guard lock(state_->mutex);
  return state_->log.open_file(path, error);
}

void SimDesktop::log_exit() {
  std::lock_guard lock(state_->mutex);
  state_->emit(state_->event("exit")
                   .num("live_references", state_->live_objects.load())
                   .num("open_handles", static_cast<std::int64_t>(state_->handles.size())));
}

std::int64_t SimDesktop::now_ms() const {
  std::lock_guard lock(state_->mutex);
  return state_->now_ms();
}

}  // namespace uiad::sim
