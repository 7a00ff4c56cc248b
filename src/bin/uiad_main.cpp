// The Windows daemon: the daemon loop over the real Win32, COM and UI
// Automation platform, on standard input and output. Takes no arguments.
#include "daemon/main_loop.h"
#include "daemon/transport.h"
#include "platform/win32/win32_platform.h"

int main() {
  uiad::win32::Win32Platform platform;
  auto transport = uiad::make_stdio_transport();
  return uiad::run_daemon(platform.platform(), *transport);
}
