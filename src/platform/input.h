// Messages, synthetic input, the cursor, the foreground window and thread input
// (user32), mirrored call for call.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/types.h"

namespace uiad::platform {

inline constexpr std::uint32_t kInputMouse = 0;
inline constexpr std::uint32_t kInputKeyboard = 1;

// One INPUT record of SendInput (mouse or keyboard, chosen by `type`).
struct InputRecord {
  std::uint32_t type = kInputMouse;
  // Mouse fields.
  std::int32_t dx = 0;
  std::int32_t dy = 0;
  std::uint32_t mouse_data = 0;
  // Mouse or keyboard flags.
  std::uint32_t flags = 0;
  // Keyboard fields.
  std::uint16_t vk = 0;
  std::uint16_t scan = 0;
  std::uint32_t time = 0;
  std::uint64_t extra_info = 0;
};

// What GetGUIThreadInfo reports about a GUI thread.
struct GuiThreadInfo {
  Hwnd hwnd_active = 0;
  Hwnd hwnd_focus = 0;
  Hwnd hwnd_capture = 0;
  Hwnd hwnd_menu_owner = 0;
};

class Input {
 public:
  Input() = default;
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  virtual ~Input() = default;

  virtual bool post_message(Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                            std::int64_t lparam) = 0;
  // SendMessageW whose lParam points at `text` as a NUL-terminated UTF-16 string
  // (WM_SETTEXT and the like). Returns the message result.
  virtual std::int64_t send_message_text(Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                                         const WString& text) = 0;
  // SendMessageW with plain integer arguments.
  virtual std::int64_t send_message(Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                                    std::int64_t lparam) = 0;
  // SendInput; returns how many records were inserted.
  virtual std::uint32_t send_input(std::span<const InputRecord> inputs) = 0;

  virtual bool set_cursor_pos(std::int32_t x, std::int32_t y) = 0;
  virtual std::optional<Point> get_cursor_pos() = 0;

  virtual Hwnd get_foreground_window() = 0;
  virtual bool set_foreground_window(Hwnd hwnd) = 0;
  virtual std::uint32_t get_current_thread_id() = 0;
  virtual bool attach_thread_input(std::uint32_t attach, std::uint32_t attach_to,
                                   bool attach_on) = 0;
  virtual std::optional<GuiThreadInfo> get_gui_thread_info(std::uint32_t thread_id) = 0;

  virtual std::int32_t get_system_metrics(int index) = 0;

  // MapVirtualKeyW on the calling thread's keyboard layout; 0 when nothing maps.
  virtual std::uint32_t map_virtual_key(std::uint32_t code, std::uint32_t map_type) = 0;
  // VkKeyScanW: the virtual key in the low byte, the shift state in the high
  // byte; -1 when no key of the layout types the character.
  virtual std::int16_t vk_key_scan(char16_t ch) = 0;
};

}  // namespace uiad::platform
