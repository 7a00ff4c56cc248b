// Pattern calls with a time limit (Invoke, and Toggle, Select and Expand, which
// can open a modal dialog as well): the call runs on a throw-away worker
// thread, so an application that blocks inside it holds up only that thread
// and never the request loop.
//
// Ownership: the pattern passes to the worker, which releases it after the
// call. Threading: called on the request thread; the worker touches the
// platform only while its caller is still waiting for it, so an abandoned
// worker that returns late (even after the platform is gone) uses nothing but
// its own pattern and the channel, which it shares with nobody else.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/automation.h"
#include "platform/platform.h"

namespace uiad {

struct InvokeOutcome {
  bool success = true;
  std::string error;  // "<call>: <platform error text>"
};

// How long the request thread waits for a worker's outcome, counted from the
// moment the worker was started. Past it the call counts as successful.
inline constexpr int kInvokeWaitMs = 800;

// One pattern call for a worker to make. It owns its pattern, which the worker
// releases right after the call.
class PatternCall {
 public:
  PatternCall() = default;
  PatternCall(const PatternCall&) = delete;
  PatternCall& operator=(const PatternCall&) = delete;
  virtual ~PatternCall() = default;
  [[nodiscard]] virtual platform::HResult run() = 0;
};

template <class Pattern>
class BoundPatternCall final : public PatternCall {
 public:
  BoundPatternCall(platform::Ref<Pattern> pattern, platform::HResult (Pattern::*method)())
      : pattern_(std::move(pattern)), method_(method) {}
  platform::HResult run() override { return ((*pattern_).*method_)(); }

 private:
  platform::Ref<Pattern> pattern_;
  platform::HResult (Pattern::*method_)();
};

// Starts `work` on a new detached thread; false when no thread could be made.
using WorkerStarter = std::function<bool(std::function<void()> work)>;

// Runs the call on a detached worker thread and waits at most 800 ms (real
// time) for its outcome. No outcome in time, or a worker that ends without
// one, is success; a worker that cannot be started is a failure with its own
// text. `name` ("Invoke", "Toggle", ...) begins the error text.
InvokeOutcome timed_call(platform::Platform& platform, std::string_view name,
                         std::unique_ptr<PatternCall> call);
InvokeOutcome timed_call_for_testing(platform::Platform& platform, std::string_view name,
                                     std::unique_ptr<PatternCall> call, const WorkerStarter& start);

// Any pattern method that can block until a dialog it opened is closed:
// Invoke, Toggle, Select and Expand.
template <class Pattern>
InvokeOutcome timed_pattern_call(platform::Platform& platform, std::string_view name,
                                 platform::Ref<Pattern> pattern,
                                 platform::HResult (Pattern::*method)()) {
  return timed_call(platform, name,
                    std::make_unique<BoundPatternCall<Pattern>>(std::move(pattern), method));
}

InvokeOutcome timed_invoke(platform::Platform& platform,
                           platform::Ref<platform::InvokePattern> pattern);

// timed_invoke with the thread start replaced, to exercise a failing start.
InvokeOutcome timed_invoke_for_testing(platform::Platform& platform,
                                       platform::Ref<platform::InvokePattern> pattern,
                                       const WorkerStarter& start);

}  // namespace uiad
