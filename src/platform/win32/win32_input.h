// Messages, synthetic input, the cursor, the foreground window and thread
// input over user32.
#pragma once

#include "platform/input.h"

namespace uiad::win32 {

class Win32Input final : public platform::Input {
 public:
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
};

}  // namespace uiad::win32
