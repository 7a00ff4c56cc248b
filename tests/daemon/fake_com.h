// A Com whose error texts a test sets: the error-information description the
// next failure leaves, and the system message table's text for every code.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/com.h"

namespace uiad::testing {

class FakeCom : public platform::Com {
 public:
  platform::HResult co_initialize_multithreaded() override { return platform::kSOk; }
  platform::Result<platform::Ref<platform::Automation>> create_automation() override {
    return {platform::kENotImpl, nullptr};
  }
  std::optional<platform::WString> take_error_info_description() override {
    return std::exchange(error_info, std::nullopt);
  }
  platform::WString format_message(std::uint32_t code, bool from_ntdll) override {
    formatted.push_back({code, from_ntdll});
    return system_text;
  }

  std::optional<platform::WString> error_info;
  platform::WString system_text;
  std::vector<std::pair<std::uint32_t, bool>> formatted;
};

}  // namespace uiad::testing
