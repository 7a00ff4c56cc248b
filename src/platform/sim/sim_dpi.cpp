// DPI awareness, window DPI and monitor DPI of the simulated desktop.
#include "platform/sim/sim_services.h"

namespace uiad::sim {

bool SimDpi::set_process_dpi_awareness_context(std::int64_t context) {
  std::lock_guard lock(state_->mutex);
  EventLine line = state_->event("set_dpi_awareness");
  line.num("context", context);
  // Like Windows: the awareness can be set once per process; later calls fail.
  if (state_->check_call(Method::SetProcessDpiAwarenessContext).faulted ||
      state_->dpi_awareness_set) {
    state_->emit(line.boolean("ok", false));
    return false;
  }
  state_->dpi_awareness_set = true;
  state_->emit(line);
  return true;
}

std::uint32_t SimDpi::get_dpi_for_window(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (w == kNone || !state_->model.windows[w].exists) return 0;
  return state_->window_dpi(w);
}

platform::Hmonitor SimDpi::monitor_from_window(platform::Hwnd hwnd, std::uint32_t flags) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (w == kNone || !state_->model.windows[w].exists) {
    if (flags != 0 && !state_->model.monitors.empty()) return state_->model.monitors.front().handle;
    return 0;
  }
  const SimMonitor* m = state_->monitor_of(w, flags);
  return m != nullptr ? m->handle : 0;
}

platform::Result<platform::MonitorDpi> SimDpi::get_dpi_for_monitor(platform::Hmonitor monitor,
                                                                   int dpi_type) {
  std::lock_guard lock(state_->mutex);
  const CallCheck check = state_->check_call(Method::GetDpiForMonitor);
  if (check.failed()) return {check.hr, {}};
  if (dpi_type < 0 || dpi_type > 2) return {platform::kEInvalidArg, {}};
  for (const SimMonitor& m : state_->model.monitors) {
    if (m.handle == monitor) return {platform::kSOk, {m.dpi_x, m.dpi_y}};
  }
  return {platform::kEInvalidArg, {}};
}

}  // namespace uiad::sim
