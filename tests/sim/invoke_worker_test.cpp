// Invoke calls made from worker threads: a slow or blocking Invoke holds only
// its own thread, and a blocked one is released when its dialog goes away or
// when the desktop is destroyed.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* kScene = R"({"windows": [
  {"hwnd": 1, "title": "App", "element": {"children": [
    {"type": "button", "name": "Slow", "patterns": {"invoke": {"delay_ms": 150, "hr": "0x80004005"}}},
    {"type": "button", "name": "Modal", "ref": "modal", "patterns": {"invoke": {"returns_when_hidden": 2}}},
    {"type": "button", "name": "Hang", "patterns": {"invoke": {"blocks": true}}}]}},
  {"hwnd": 2, "title": "Dialog", "exists": false, "element": {"children": [
    {"type": "button", "name": "Close", "ref": "close", "patterns": ["invoke"]}]}}],
  "reactions": [
    {"when": {"event": "invoke", "element": "modal"}, "then": [{"action": "create_window", "window": 2}]},
    {"when": {"event": "invoke", "element": "close"}, "then": [{"action": "destroy_window", "window": 2}]}]})";

class SimInvokeWorkers : public SimTest {
 protected:
  void SetUp() override { load(kScene); }

  static std::future<platform::HResult> run(Ref<platform::InvokePattern> pattern) {
    return std::async(std::launch::async, [p = std::move(pattern)] { return p->invoke(); });
  }
};

TEST_F(SimInvokeWorkers, ADelayedInvokeTakesRealTimeOnItsWorkerOnly) {
  const auto start = std::chrono::steady_clock::now();
  auto outcome = run(invoke_of(1, "Slow"));
  EXPECT_EQ(outcome.wait_for(50ms), std::future_status::timeout);
  // The request thread goes on meanwhile.
  EXPECT_TRUE(from_handle(1)->get_current_name().succeeded());
  EXPECT_EQ(outcome.get(), platform::kEFail);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
}

TEST_F(SimInvokeWorkers, AModalInvokeReturnsWhenItsDialogCloses) {
  auto outcome = run(invoke_of(1, "Modal"));
  for (int i = 0; i < 2000 && !os().windows.is_window(2); ++i) std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(os().windows.is_window(2));
  EXPECT_EQ(outcome.wait_for(50ms), std::future_status::timeout);
  EXPECT_EQ(desktop_->invokes_in_progress(), 1);
  auto dialog = from_handle(2);
  auto close = find(*dialog, "Close");
  ASSERT_EQ(close->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId)
                .value->invoke(),
            platform::kSOk);
  EXPECT_EQ(outcome.get(), platform::kSOk);
  EXPECT_EQ(desktop_->invokes_in_progress(), 0);
}

TEST(SimInvokeWorkersAtShutdown, AHangingInvokeIsReleasedWhenTheDesktopGoes) {
  std::string error;
  auto desktop = SimDesktop::from_scene_json(kScene, error);
  ASSERT_NE(desktop, nullptr) << error;
  std::future<platform::HResult> outcome;
  {
    auto automation = desktop->platform().com.create_automation().value;
    auto root = automation->element_from_handle(1).value;
    auto walker = automation->get_raw_view_walker().value;
    auto slow = walker->get_first_child_element(*root).value;
    auto modal = walker->get_next_sibling_element(*slow).value;
    auto hang = walker->get_next_sibling_element(*modal).value;
    auto pattern =
        hang->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId).value;
    outcome = std::async(std::launch::async, [p = std::move(pattern)] { return p->invoke(); });
  }
  EXPECT_EQ(outcome.wait_for(50ms), std::future_status::timeout);
  EXPECT_EQ(desktop->live_references(), 1);  // the worker still holds its pattern
  desktop.reset();
  EXPECT_EQ(outcome.get(), static_cast<platform::HResult>(0x80010108u));
}

}  // namespace
}  // namespace uiad::sim::testing
