// COM start-up, the automation object and error texts of the simulator.
#include "platform/sim/sim_automation.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/system_texts.h"

namespace uiad::sim {

platform::HResult SimCom::co_initialize_multithreaded() {
  std::lock_guard lock(state_->mutex);
  const CallCheck check = state_->check_call(Method::CoInitializeEx);
  if (check.faulted) return check.hr;
  // S_FALSE when the thread is already in the apartment.
  return initialized_.insert(std::this_thread::get_id()).second ? platform::kSOk : 1;
}

platform::Result<platform::Ref<platform::Automation>> SimCom::create_automation() {
  {
    std::lock_guard lock(state_->mutex);
    const CallCheck check = state_->check_call(Method::CoCreateInstance);
    if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  }
  return {platform::kSOk, std::make_unique<SimAutomation>(state_)};
}

std::optional<platform::WString> SimCom::take_error_info_description() {
  std::lock_guard lock(state_->mutex);
  return state_->take_error_info();
}

platform::WString SimCom::format_message(std::uint32_t code, bool from_ntdll) {
  std::lock_guard lock(state_->mutex);
  const auto& overrides = from_ntdll ? state_->model.ntdll_messages : state_->model.messages;
  if (auto it = overrides.find(code); it != overrides.end()) return it->second;
  return platform::WString(from_ntdll ? ntdll_message_text(code) : system_message_text(code));
}

}  // namespace uiad::sim
