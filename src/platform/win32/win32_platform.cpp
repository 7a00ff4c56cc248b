// One object per platform interface, built for the life of the daemon.
#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_window_system.h"

namespace uiad::win32 {

struct Win32Platform::Parts {
  Win32Com com;
  Win32WindowSystem windows;
  Win32Input input;
  Win32Dpi dpi;
  Win32Processes processes;
  Win32Gdi gdi;
  Win32Files files;
  Win32Clock clock;
};

namespace {

template <class Parts>
platform::Platform view_of(Parts& p) {
  return {p.com, p.windows, p.input, p.dpi, p.processes, p.gdi, p.files, p.clock};
}

}  // namespace

Win32Platform::Win32Platform() : parts_(std::make_unique<Parts>()), platform_(view_of(*parts_)) {}

Win32Platform::~Win32Platform() = default;

}  // namespace uiad::win32
