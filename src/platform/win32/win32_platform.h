// The Win32 implementation of every platform interface, owned in one place and
// handed out as a platform::Platform. Kept free of <windows.h> so that the
// entry point sees only the platform interfaces.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace uiad::win32 {

class Win32Platform {
 public:
  Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;
  ~Win32Platform();

  // Valid for the life of this object.
  platform::Platform& platform() { return platform_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  platform::Platform platform_;  // refers into *parts_
};

}  // namespace uiad::win32
