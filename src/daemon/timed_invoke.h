// Invoke with a time limit: the call runs on a throw-away worker thread, so an
// application that blocks inside Invoke (a modal dialog, say) holds up only
// that thread and never the request loop.
//
// Ownership: the pattern passes to the worker, which releases it after the
// call. Threading: called on the request thread; the worker touches the
// platform only while its caller is still waiting for it, so an abandoned
// worker that returns late (even after the platform is gone) uses nothing but
// its own pattern and the channel, which it shares with nobody else.
#pragma once

#include <functional>
#include <string>

#include "platform/automation.h"
#include "platform/platform.h"

namespace uiad {

struct InvokeOutcome {
  bool success = true;
  std::string error;  // "Invoke: <platform error text>"
};

// How long the request thread waits for a worker's outcome, counted from the
// moment the worker was started. Past it the call counts as successful.
inline constexpr int kInvokeWaitMs = 800;

// Runs Invoke on a detached worker thread and waits at most 800 ms (real time)
// for its outcome. No outcome in time, or a worker that ends without one, is
// success; a worker that cannot be started is a failure with its own text.
InvokeOutcome timed_invoke(platform::Platform& platform,
                           platform::Ref<platform::InvokePattern> pattern);

// Starts `work` on a new detached thread; false when no thread could be made.
using WorkerStarter = std::function<bool(std::function<void()> work)>;

// timed_invoke with the thread start replaced, to exercise a failing start.
InvokeOutcome timed_invoke_for_testing(platform::Platform& platform,
                                       platform::Ref<platform::InvokePattern> pattern,
                                       const WorkerStarter& start);

}  // namespace uiad
