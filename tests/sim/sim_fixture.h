// Shared fixture of the simulator tests: loads a scene, hands out the
// automation object and asserts at teardown that no automation object and no
// handle was left behind.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/automation.h"
#include "platform/sim/sim_desktop.h"
#include "platform/utf.h"

namespace uiad::sim::testing {

using platform::Element;
using platform::Ref;

class SimTest : public ::testing::Test {
 protected:
  void load(std::string_view scene) {
    std::string error;
    desktop_ = SimDesktop::from_scene_json(scene, error);
    ASSERT_NE(desktop_, nullptr) << error;
    auto automation = desktop_->platform().com.create_automation();
    ASSERT_TRUE(automation.succeeded());
    automation_ = std::move(automation.value);
  }

  void TearDown() override {
    automation_.reset();
    if (desktop_ == nullptr) return;
    EXPECT_EQ(desktop_->live_references(), 0) << "automation objects leaked";
    EXPECT_EQ(desktop_->open_handles(), 0) << "handles leaked";
  }

  platform::Platform& os() { return desktop_->platform(); }
  platform::Automation& uia() { return *automation_; }

  Ref<Element> from_handle(platform::Hwnd hwnd) {
    auto r = automation_->element_from_handle(hwnd);
    EXPECT_TRUE(r.succeeded()) << std::hex << r.hr;
    return std::move(r.value);
  }

  // The name as UTF-8, or "<hr>" when it cannot be read.
  static std::string name_of(Element& e) {
    auto r = e.get_current_name();
    if (r.succeeded()) return platform::utf16_to_utf8(r.value);
    // Appended, not "<" + ...: GCC 12's optimiser warns (-Wrestrict) falsely on that.
    std::string failure = "<";
    failure += std::to_string(r.hr);
    failure += '>';
    return failure;
  }

  // The Invoke pattern of the element named `name` in the window `hwnd`.
  Ref<platform::InvokePattern> invoke_of(platform::Hwnd hwnd, std::string_view name) {
    auto root = from_handle(hwnd);
    auto e = find(*root, name);
    return e->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId).value;
  }

  // The first element named `name` below `root` in the raw view, depth first.
  Ref<Element> find(Element& root, std::string_view name) {
    auto walker = automation_->get_raw_view_walker().value;
    return find_below(*walker, root, name);
  }

  std::unique_ptr<SimDesktop> desktop_;
  Ref<platform::Automation> automation_;

 private:
  Ref<Element> find_below(platform::TreeWalker& walker, Element& e, std::string_view name) {
    for (auto c = walker.get_first_child_element(e).value; c;
         c = walker.get_next_sibling_element(*c).value) {
      if (name_of(*c) == name) return c;
      if (auto found = find_below(walker, *c, name)) return found;
    }
    return nullptr;
  }
};

inline std::u16string u16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace uiad::sim::testing
