// The input primitives every acting command is built from: posted mouse and key
// messages, the coordinate conversions they share, synthetic SendInput moves,
// taking and giving back the foreground, and the scope guard that keeps the
// target window from activating while an action runs.
//
// All of them run on the request thread, block it for their fixed waits (made
// through the platform clock) and report nothing: a failing system call is
// ignored unless a fallback is named.
#pragma once

#include <cstdint>

#include "daemon/session.h"
#include "platform/platform.h"
#include "platform/types.h"

namespace uiad::actions {

// Window messages and values used by the primitives and the commands.
inline constexpr std::uint32_t kWmSetText = 0x000C;
inline constexpr std::uint32_t kWmActivate = 0x0006;
inline constexpr std::uint32_t kWmSetFocus = 0x0007;
inline constexpr std::uint32_t kWmNcMouseMove = 0x00A0;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWmChar = 0x0102;
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmMouseHover = 0x02A1;
inline constexpr std::uint64_t kWaActive = 1;
inline constexpr std::uint64_t kHtClient = 1;
inline constexpr std::uint64_t kMkLButton = 1;
inline constexpr std::uint32_t kCwpSkipInvisibleAndDisabled = 3;
inline constexpr int kGwlExStyle = -20;
inline constexpr std::int32_t kWsExNoActivate = 0x08000000;

// Virtual-key codes the commands post.
inline constexpr std::uint64_t kVkPrior = 0x21;
inline constexpr std::uint64_t kVkNext = 0x22;
inline constexpr std::uint64_t kVkEnd = 0x23;
inline constexpr std::uint64_t kVkHome = 0x24;
inline constexpr std::uint64_t kVkUp = 0x26;
inline constexpr std::uint64_t kVkDown = 0x28;

// SendInput mouse flags and GetSystemMetrics indices.
inline constexpr std::uint32_t kMouseEventfMove = 0x0001;
inline constexpr std::uint32_t kMouseEventfVirtualDesk = 0x4000;
inline constexpr std::uint32_t kMouseEventfAbsolute = 0x8000;
inline constexpr int kSmXVirtualScreen = 76;
inline constexpr int kSmYVirtualScreen = 77;
inline constexpr int kSmCxVirtualScreen = 78;
inline constexpr int kSmCyVirtualScreen = 79;

// The fixed pacing of posted input, in milliseconds.
inline constexpr std::uint64_t kButtonDownUpMs = 30;
inline constexpr std::uint64_t kKeyDownUpMs = 10;
inline constexpr std::uint64_t kMouseMoveMs = 16;
inline constexpr std::uint64_t kSoftActivateMs = 50;
inline constexpr std::uint64_t kGuardEndMs = 40;

// A client point packed as a mouse-message lParam: (x & 0xFFFF) | (y << 16) in
// 32-bit arithmetic, sign-extended to 64 bits.
std::int64_t pack_point(std::int32_t x, std::int32_t y);

// Takes the foreground for `w`: a zero-distance relative SendInput move first
// (which lets this process set the foreground), then SetForegroundWindow,
// attached to the foreground thread's input when that is another thread.
void force_foreground(platform::Platform& p, platform::Hwnd w);

// The deepest visible, enabled child window of `root` under the screen point,
// descending at most 32 levels; `root` itself when no child is there.
platform::Hwnd deepest_child_at(platform::Platform& p, platform::Hwnd root, std::int32_t sx,
                                std::int32_t sy);

// A client point of `w` in physical pixels scaled to the window's own DPI when
// that differs from its monitor's (DPI-virtualised windows).
platform::Point to_window_dpi(platform::Platform& p, std::int32_t x, std::int32_t y,
                              platform::Hwnd w);

// The packed lParam of the screen point as a client point of `target`.
std::int64_t client_lparam(platform::Platform& p, platform::Hwnd target, std::int32_t sx,
                           std::int32_t sy);

// Posted left button down, 30 ms, up, to the deepest child of `root` there.
void post_left_click(platform::Platform& p, platform::Hwnd root, std::int32_t sx, std::int32_t sy);

// Posted key down, 10 ms, key up, with the lParams key_lparam gives.
void post_key_tap(platform::Platform& p, platform::Hwnd w, std::uint64_t vk);

// The lParam the system gives a keystroke: repeat count 1, the key's scan code
// on the current layout, the extended-key flag for the navigation keys, and
// for a key release the previous-state and transition bits. Applications that
// read lParam (browsers' content windows among them) ignore or misread 0.
std::int64_t key_lparam(platform::Platform& p, std::uint64_t vk, bool key_up);

// The lParam of WM_CHAR: repeat count 1 and the scan code of the key that types
// the character on the current layout (0 when none does).
std::int64_t char_lparam(platform::Platform& p, char16_t unit);

// PostMessageW(w, WM_CHAR, unit, char_lparam(unit)).
void post_char(platform::Platform& p, platform::Hwnd w, char16_t unit);

// Optional non-client move, `count` posted moves 16 ms apart, then `dwell_ms`.
void post_mouse_moves(platform::Platform& p, platform::Hwnd root, std::int32_t sx, std::int32_t sy,
                      std::uint32_t count, bool non_client, std::uint64_t dwell_ms);

// Moves the real cursor to the screen point with one absolute SendInput move
// over the virtual desktop (0..65535 over its full width and height).
void send_absolute_move(platform::Platform& p, std::int32_t sx, std::int32_t sy);

// Tells the application it is active without bringing it forward: posted
// WM_ACTIVATE to the window, WM_SETFOCUS to its content window, 50 ms.
void soft_activate(platform::Platform& p, const Session& s);

// Where keyboard input for the session goes: its content window in a
// Chromium-based application, else its top-level window.
platform::Hwnd input_window(const Session& s);

// The focus window of `w`'s GUI thread, or `w` when there is none.
platform::Hwnd focused_child(platform::Platform& p, platform::Hwnd w);

// Sets WS_EX_NOACTIVATE on a window for a scope and afterwards gives the
// foreground back to the window that had it. end() waits, restores and gives
// the foreground back where the command says; a guard destroyed without end()
// (a command unwinding) only puts the style back.
class NoActivateGuard {
 public:
  NoActivateGuard(platform::Platform& p, platform::Hwnd w);
  NoActivateGuard(const NoActivateGuard&) = delete;
  NoActivateGuard& operator=(const NoActivateGuard&) = delete;
  ~NoActivateGuard();

  void end();

 private:
  platform::Platform& platform_;
  platform::Hwnd window_ = 0;
  platform::Hwnd previous_foreground_ = 0;
  std::int32_t previous_ex_style_ = 0;
  bool changed_ = false;
  bool ended_ = false;
};

}  // namespace uiad::actions
