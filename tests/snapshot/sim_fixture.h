// In-process test bed for the snapshot code: a simulated desktop from a scene,
// a daemon context over it, and a teardown check that every automation
// object the test made has been released.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "daemon/context.h"
#include "daemon/json.h"
#include "platform/sim/sim_desktop.h"

namespace uiad::testing {

inline std::string read_test_file(const std::string& relative) {
  std::ifstream in(std::string(UIAD_TEST_DATA_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class SimFixture : public ::testing::Test {
 protected:
  void load(std::string_view scene_json) {
    release_all();
    std::string error;
    desktop_ = sim::SimDesktop::from_scene_json(scene_json, error);
    ASSERT_NE(desktop_, nullptr) << error;
    auto automation = desktop_->platform().com.create_automation();
    ASSERT_TRUE(automation.succeeded() && automation.value);
    context_ = std::make_unique<DaemonContext>(desktop_->platform(), std::move(automation.value));
  }
  void load_file(const std::string& relative) { load(read_test_file(relative)); }

  void TearDown() override { release_all(); }

  // Ends the context and checks that nothing it or the test made is still alive.
  void release_all() {
    context_.reset();
    if (desktop_) {
      EXPECT_EQ(desktop_->live_references(), 0) << "automation objects leaked";
    }
  }

  sim::SimDesktop& desktop() { return *desktop_; }
  DaemonContext& context() { return *context_; }
  platform::Automation& automation() { return *context_->automation; }

  // The element ElementFromHandle gives for `hwnd`.
  platform::Ref<platform::Element> element_of(platform::Hwnd hwnd) {
    auto r = automation().element_from_handle(hwnd);
    EXPECT_TRUE(r.succeeded() && r.value) << "no element for window " << hwnd;
    return std::move(r.value);
  }

  // Element references held by all sessions together.
  std::int64_t session_references() const {
    std::int64_t n = 0;
    for (const auto& [key, session] : context_->sessions)
      n += static_cast<std::int64_t>(session.live_elements.size());
    return n;
  }

 private:
  std::unique_ptr<sim::SimDesktop> desktop_;
  std::unique_ptr<DaemonContext> context_;
};

}  // namespace uiad::testing
