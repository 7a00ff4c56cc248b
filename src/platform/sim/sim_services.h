// The simulated system services: one class per platform interface, each a
// thin view of the shared state. Built and owned by SimDesktop.
#pragma once

#include <memory>
#include <set>
#include <thread>

#include "platform/clock.h"
#include "platform/com.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "platform/processes.h"
#include "platform/sim/sim_state.h"
#include "platform/window_system.h"

namespace uiad::sim {

class SimCom final : public platform::Com {
 public:
  explicit SimCom(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  platform::HResult co_initialize_multithreaded() override;
  platform::Result<platform::Ref<platform::Automation>> create_automation() override;
  std::optional<platform::WString> take_error_info_description() override;
  platform::WString format_message(std::uint32_t code, bool from_ntdll) override;

 private:
  std::shared_ptr<SimState> state_;
  std::set<std::thread::id> initialized_;  // guarded by the state's mutex
};

class SimWindowSystem final : public platform::WindowSystem {
 public:
  explicit SimWindowSystem(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  bool enum_windows(std::vector<platform::Hwnd>& out) override;
  bool enum_child_windows(platform::Hwnd parent, std::vector<platform::Hwnd>& out) override;
  platform::Hwnd find_window_ex(platform::Hwnd parent, platform::Hwnd child_after,
                                const std::optional<platform::WString>& class_name) override;
  platform::WString get_window_text(platform::Hwnd hwnd, int max_count) override;
  platform::WString get_class_name(platform::Hwnd hwnd, int max_count) override;
  std::optional<platform::Rect> get_window_rect(platform::Hwnd hwnd) override;
  bool is_window(platform::Hwnd hwnd) override;
  bool is_window_visible(platform::Hwnd hwnd) override;
  bool is_iconic(platform::Hwnd hwnd) override;
  platform::ThreadProcessId get_window_thread_process_id(platform::Hwnd hwnd) override;
  platform::Result<std::uint32_t> dwm_get_window_attribute_cloaked(platform::Hwnd hwnd) override;
  bool is_hung_app_window(platform::Hwnd hwnd) override;
  std::int32_t get_window_long(platform::Hwnd hwnd, int index) override;
  std::int32_t set_window_long(platform::Hwnd hwnd, int index, std::int32_t value) override;
  platform::Hwnd child_window_from_point_ex(platform::Hwnd parent, platform::Point client_point,
                                            std::uint32_t flags) override;
  std::optional<platform::Point> screen_to_client(platform::Hwnd hwnd,
                                                  platform::Point screen_point) override;

 private:
  std::shared_ptr<SimState> state_;
};

class SimInput final : public platform::Input {
 public:
  explicit SimInput(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  bool post_message(platform::Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                    std::int64_t lparam) override;
  std::int64_t send_message_text(platform::Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                                 const platform::WString& text) override;
  std::int64_t send_message(platform::Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                            std::int64_t lparam) override;
  std::uint32_t send_input(std::span<const platform::InputRecord> inputs) override;
  bool set_cursor_pos(std::int32_t x, std::int32_t y) override;
  std::optional<platform::Point> get_cursor_pos() override;
  platform::Hwnd get_foreground_window() override;
  bool set_foreground_window(platform::Hwnd hwnd) override;
  std::uint32_t get_current_thread_id() override;
  bool attach_thread_input(std::uint32_t attach, std::uint32_t attach_to, bool attach_on) override;
  std::optional<platform::GuiThreadInfo> get_gui_thread_info(std::uint32_t thread_id) override;
  std::int32_t get_system_metrics(int index) override;
  std::uint32_t map_virtual_key(std::uint32_t code, std::uint32_t map_type) override;
  std::int16_t vk_key_scan(char16_t ch) override;

 private:
  std::shared_ptr<SimState> state_;
};

class SimDpi final : public platform::Dpi {
 public:
  explicit SimDpi(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  bool set_process_dpi_awareness_context(std::int64_t context) override;
  std::uint32_t get_dpi_for_window(platform::Hwnd hwnd) override;
  platform::Hmonitor monitor_from_window(platform::Hwnd hwnd, std::uint32_t flags) override;
  platform::Result<platform::MonitorDpi> get_dpi_for_monitor(platform::Hmonitor monitor,
                                                             int dpi_type) override;

 private:
  std::shared_ptr<SimState> state_;
};

class SimProcesses final : public platform::Processes {
 public:
  explicit SimProcesses(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  platform::Handle open_process(std::uint32_t access, bool inherit,
                                std::uint32_t process_id) override;
  platform::WString get_module_base_name(platform::Handle process, int max_count) override;
  bool close_handle(platform::Handle handle) override;

 private:
  std::shared_ptr<SimState> state_;
};

class SimGdi final : public platform::Gdi {
 public:
  explicit SimGdi(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  platform::Hdc get_dc(platform::Hwnd hwnd) override;
  platform::Hdc create_compatible_dc(platform::Hdc hdc) override;
  platform::Hgdiobj create_compatible_bitmap(platform::Hdc hdc, std::int32_t width,
                                             std::int32_t height) override;
  platform::Hgdiobj select_object(platform::Hdc hdc, platform::Hgdiobj object) override;
  bool print_window(platform::Hwnd hwnd, platform::Hdc hdc, std::uint32_t flags) override;
  int get_di_bits(platform::Hdc hdc, platform::Hgdiobj bitmap, std::uint32_t start,
                  std::uint32_t lines, std::span<std::uint8_t> bits,
                  platform::BitmapInfoHeader& header, std::uint32_t usage) override;
  bool delete_object(platform::Hgdiobj object) override;
  bool delete_dc(platform::Hdc hdc) override;
  int release_dc(platform::Hwnd hwnd, platform::Hdc hdc) override;

 private:
  std::shared_ptr<SimState> state_;
};

class SimFiles final : public platform::Files {
 public:
  explicit SimFiles(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  platform::Result<platform::Handle> create_file_for_write(const platform::WString& path) override;
  platform::HResult write_file(platform::Handle file, std::span<const std::uint8_t> bytes) override;
  platform::HResult close_file(platform::Handle file) override;

 private:
  std::shared_ptr<SimState> state_;
};

class SimClock final : public platform::Clock {
 public:
  explicit SimClock(std::shared_ptr<SimState> state) : state_(std::move(state)) {}
  std::int64_t now_ns() override;
  void sleep_ms(std::uint64_t ms) override;

 private:
  std::shared_ptr<SimState> state_;
};

}  // namespace uiad::sim
