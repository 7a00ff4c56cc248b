// Process handles and image names of the simulated desktop.
#include "platform/sim/sim_services.h"

namespace uiad::sim {

platform::Handle SimProcesses::open_process(std::uint32_t access, bool inherit,
                                            std::uint32_t process_id) {
  (void)access;
  (void)inherit;
  std::lock_guard lock(state_->mutex);
  const CallCheck check = state_->check_call(Method::OpenProcess);
  if (check.faulted) return 0;
  for (const SimProcess& p : state_->model.processes) {
    if (p.pid != process_id) continue;
    if (!p.openable) return 0;  // ERROR_ACCESS_DENIED
    HandleEntry entry;
    entry.kind = HandleKind::Process;
    entry.pid = process_id;
    return state_->new_handle(std::move(entry));
  }
  return 0;  // ERROR_INVALID_PARAMETER
}

platform::WString SimProcesses::get_module_base_name(platform::Handle process, int max_count) {
  std::lock_guard lock(state_->mutex);
  const CallCheck check = state_->check_call(Method::GetModuleBaseNameW);
  if (check.faulted || max_count <= 0) return {};
  auto it = state_->handles.find(process);
  if (it == state_->handles.end() || it->second.kind != HandleKind::Process) return {};
  for (const SimProcess& p : state_->model.processes) {
    if (p.pid != it->second.pid) continue;
    platform::WString name = p.image;
    if (name.size() >= static_cast<std::size_t>(max_count)) name.resize(max_count - 1);
    return name;
  }
  return {};
}

bool SimProcesses::close_handle(platform::Handle handle) {
  std::lock_guard lock(state_->mutex);
  auto it = state_->handles.find(handle);
  if (it == state_->handles.end()) return false;
  // CloseHandle closes kernel objects: processes and files, not GDI objects.
  if (it->second.kind == HandleKind::File) {
    if (it->second.file != nullptr) std::fclose(it->second.file);
  } else if (it->second.kind != HandleKind::Process) {
    return false;
  }
  state_->handles.erase(it);
  return true;
}

}  // namespace uiad::sim
