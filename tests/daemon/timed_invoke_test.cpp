// The timed Invoke over the simulated desktop's real-time Invoke: outcomes
// within the wait, the 800 ms limit, abandoned workers and a worker that
// cannot be started.
#include "daemon/timed_invoke.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kScene = R"({"windows": [
  {"hwnd": 1, "title": "App", "element": {"children": [
    {"type": "button", "name": "Quick", "patterns": ["invoke"]},
    {"type": "button", "name": "Refuses", "patterns": ["invoke"], "faults": [
      {"call": "Invoke", "hr": "0x80070005", "description": "The button said no"}]},
    {"type": "button", "name": "Slow", "patterns": {"invoke": {"delay_ms": 150, "hr": "0x80004005"}}},
    {"type": "button", "name": "Modal", "ref": "modal", "patterns": {"invoke": {"returns_when_hidden": 2}}},
    {"type": "button", "name": "Late", "patterns": {"invoke": {"delay_ms": 1000, "hr": "0x80004005"}}},
    {"type": "button", "name": "Hang", "patterns": {"invoke": {"blocks": true}}}]}},
  {"hwnd": 2, "title": "Dialog", "exists": false}],
  "reactions": [
    {"when": {"event": "invoke", "element": "modal"}, "then": [{"action": "create_window", "window": 2}]}]})";

class TimedInvoke : public SimTest {
 protected:
  void SetUp() override { load(kScene); }

  // Automation objects besides the fixture's automation object.
  std::int64_t held() { return desktop_->live_references() - 1; }

  // Workers release their pattern on their own time; wait for it.
  bool all_released() {
    for (int i = 0; i < 400 && held() != 0; ++i) std::this_thread::sleep_for(5ms);
    return held() == 0;
  }
};

TEST_F(TimedInvoke, AnOutcomeWithinTheWaitIsReturnedWithItsText) {
  const auto start = Clock::now();
  InvokeOutcome quick = timed_invoke(os(), invoke_of(1, "Quick"));
  EXPECT_TRUE(quick.success);
  EXPECT_EQ(quick.error, "");
  InvokeOutcome refused = timed_invoke(os(), invoke_of(1, "Refuses"));
  EXPECT_FALSE(refused.success);
  EXPECT_EQ(refused.error, "Invoke: The button said no (0x80070005)");
  InvokeOutcome slow = timed_invoke(os(), invoke_of(1, "Slow"));
  EXPECT_FALSE(slow.success);
  EXPECT_EQ(slow.error, "Invoke: Unspecified error (0x80004005)");
  EXPECT_LT(Clock::now() - start, 700ms);
  // The worker released the pattern before it sent the outcome.
  EXPECT_EQ(held(), 0);
}

TEST_F(TimedInvoke, ABlockedInvokeCountsAsSuccessAfter800msAndEndsWithItsDialog) {
  auto start = Clock::now();
  InvokeOutcome modal = timed_invoke(os(), invoke_of(1, "Modal"));
  auto waited = Clock::now() - start;
  EXPECT_TRUE(modal.success);
  EXPECT_GE(waited, 800ms);
  EXPECT_LT(waited, 1500ms);
  EXPECT_TRUE(os().windows.is_window(2));
  EXPECT_EQ(desktop_->invokes_in_progress(), 1);

  // A second blocked call costs its own 800 ms only, with the first still waiting.
  start = Clock::now();
  EXPECT_TRUE(timed_invoke(os(), invoke_of(1, "Late")).success);
  waited = Clock::now() - start;
  EXPECT_GE(waited, 800ms);
  EXPECT_LT(waited, 1500ms);
  EXPECT_EQ(desktop_->invokes_in_progress(), 2);

  // Closing the dialog lets the first worker return; the late failure of the
  // second is dropped. Both release their patterns.
  auto dialog = from_handle(2);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(os().input.post_message(2, 0x0010, 0, 0));  // WM_CLOSE
  dialog.reset();
  EXPECT_TRUE(all_released());
  EXPECT_EQ(desktop_->invokes_in_progress(), 0);
}

TEST_F(TimedInvoke, AWorkerThatCannotStartIsAFailedInvokeAndReleasesThePattern) {
  const InvokeOutcome outcome = timed_invoke_for_testing(
      os(), invoke_of(1, "Quick"), [](std::function<void()>) { return false; });
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(outcome.error, "Invoke: no worker thread could be started");
  EXPECT_EQ(held(), 0);
  EXPECT_EQ(desktop_->call_count("Invoke"), 0);
}

TEST_F(TimedInvoke, AWorkerThatEndsWithoutSendingEndsTheWaitAtOnce) {
  const auto start = Clock::now();
  const InvokeOutcome outcome =
      timed_invoke_for_testing(os(), invoke_of(1, "Quick"), [](std::function<void()> work) {
        // Dropping the work unrun ends the worker's side of the channel.
        std::thread([w = std::move(work)] { (void)w; }).detach();
        return true;
      });
  EXPECT_TRUE(outcome.success);
  EXPECT_LT(Clock::now() - start, 500ms);
  EXPECT_TRUE(all_released());
}

// The worker wakes with RPC_E_DISCONNECTED once the desktop is gone; it must
// not touch the freed platform (AddressSanitizer would report it here).
TEST(TimedInvokeAtShutdown, AnAbandonedWorkerOutlivesThePlatformSafely) {
  std::string error;
  auto desktop = SimDesktop::from_scene_json(kScene, error);
  ASSERT_NE(desktop, nullptr) << error;
  {
    auto automation = desktop->platform().com.create_automation().value;
    auto root = automation->element_from_handle(1).value;
    auto walker = automation->get_raw_view_walker().value;
    auto e = walker->get_first_child_element(*root).value;
    for (int i = 0; i < 5; ++i) e = walker->get_next_sibling_element(*e).value;  // Hang
    auto pattern = e->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId).value;
    EXPECT_TRUE(timed_invoke(desktop->platform(), std::move(pattern)).success);
  }
  EXPECT_EQ(desktop->invokes_in_progress(), 1);
  desktop.reset();
  std::this_thread::sleep_for(200ms);
}

}  // namespace
}  // namespace uiad::sim::testing
