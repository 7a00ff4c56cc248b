// Loads a scene into the simulator and gives the window-resolution tests a
// DaemonContext over it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "daemon/context.h"
#include "platform/sim/sim_desktop.h"

namespace uiad::testing {

class WindowsTest : public ::testing::Test {
 protected:
  void load(std::string_view scene) {
    std::string error;
    desktop_ = sim::SimDesktop::from_scene_json(scene, error);
    ASSERT_NE(desktop_, nullptr) << error;
    auto automation = desktop_->platform().com.create_automation();
    ASSERT_TRUE(automation.succeeded());
    context_ = std::make_unique<DaemonContext>(desktop_->platform(), std::move(automation.value));
  }

  void TearDown() override {
    context_.reset();
    if (desktop_) {
      EXPECT_EQ(desktop_->open_handles(), 0) << "process handles left open";
    }
  }

  platform::Platform& os() { return desktop_->platform(); }
  DaemonContext& context() { return *context_; }

  std::unique_ptr<sim::SimDesktop> desktop_;
  std::unique_ptr<DaemonContext> context_;
};

}  // namespace uiad::testing
