// Writing whole files over kernel32.
#pragma once

#include "platform/files.h"

namespace uiad::win32 {

class Win32Files final : public platform::Files {
 public:
  platform::Result<platform::Handle> create_file_for_write(const platform::WString& path) override;
  platform::HResult write_file(platform::Handle file, std::span<const std::uint8_t> bytes) override;
  platform::HResult close_file(platform::Handle file) override;
};

}  // namespace uiad::win32
