// The timed Invoke: a one-shot channel between the request thread and one
// detached worker per call.
#include "daemon/timed_invoke.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "daemon/platform_error.h"

namespace uiad {
namespace {

// Shared by the two ends; whichever lets go last frees it.
struct Channel {
  std::mutex mutex;
  std::condition_variable arrived;
  std::optional<InvokeOutcome> outcome;
  bool closed = false;           // the worker ended, with or without sending
  bool receiver_waiting = true;  // false once the request thread gave up
};

// The worker's end: closes the channel when it is dropped, however the worker
// ends, so a worker that stops before sending still ends its caller's wait.
class Sender {
 public:
  explicit Sender(std::shared_ptr<Channel> channel) : channel_(std::move(channel)) {}
  Sender(const Sender&) = delete;
  Sender& operator=(const Sender&) = delete;
  ~Sender() {
    std::lock_guard lock(channel_->mutex);
    channel_->closed = true;
    channel_->arrived.notify_one();
  }

  Channel& channel() { return *channel_; }

  // A late outcome is dropped without a trace.
  void send(InvokeOutcome outcome) {
    std::lock_guard lock(channel_->mutex);
    if (!channel_->receiver_waiting) return;
    channel_->outcome = std::move(outcome);
    channel_->arrived.notify_one();
  }

 private:
  std::shared_ptr<Channel> channel_;
};

void run_worker(platform::Platform* platform, Sender& sender, const std::string& name,
                std::unique_ptr<PatternCall> call) {
  Channel& ch = sender.channel();
  {
    // The platform is only known to be alive while the caller waits, and the
    // caller cannot stop waiting while this lock is held.
    std::lock_guard lock(ch.mutex);
    if (ch.receiver_waiting) (void)platform->com.co_initialize_multithreaded();
  }
  const platform::HResult hr = call->run();
  InvokeOutcome outcome;
  if (platform::failed(hr)) {
    std::lock_guard lock(ch.mutex);
    // The error text is read from this thread's error information, so it is
    // made here, and only for a caller still there to read it.
    if (ch.receiver_waiting)
      outcome = {false, name + ": " + platform_error_text(platform->com, hr)};
  }
  call.reset();
  sender.send(std::move(outcome));
}

bool start_detached(std::function<void()> work) {
  try {
    std::thread(std::move(work)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace

InvokeOutcome timed_invoke(platform::Platform& platform,
                           platform::Ref<platform::InvokePattern> pattern) {
  return timed_pattern_call(platform, "Invoke", std::move(pattern),
                            &platform::InvokePattern::invoke);
}

InvokeOutcome timed_invoke_for_testing(platform::Platform& platform,
                                       platform::Ref<platform::InvokePattern> pattern,
                                       const WorkerStarter& start) {
  return timed_call_for_testing(platform, "Invoke",
                                std::make_unique<BoundPatternCall<platform::InvokePattern>>(
                                    std::move(pattern), &platform::InvokePattern::invoke),
                                start);
}

InvokeOutcome timed_call(platform::Platform& platform, std::string_view name,
                         std::unique_ptr<PatternCall> call) {
  return timed_call_for_testing(platform, name, std::move(call), start_detached);
}

InvokeOutcome timed_call_for_testing(platform::Platform& platform, std::string_view name,
                                     std::unique_ptr<PatternCall> call,
                                     const WorkerStarter& start) {
  auto channel = std::make_shared<Channel>();
  // std::function needs a copyable callable: the call travels in a shared
  // holder that only the worker ever opens.
  auto handed_over = std::make_shared<std::unique_ptr<PatternCall>>(std::move(call));
  auto sender = std::make_shared<Sender>(channel);
  const bool started = start([&platform, sender = std::move(sender), name = std::string(name),
                              handed_over = std::move(handed_over)] {
    run_worker(&platform, *sender, name, std::move(*handed_over));
  });
  if (!started) {
    // Without a worker the call cannot be made at all. Counting that as a
    // failed call (rather than ending the daemon) lets the caller go on with
    // its other ways of activating the element.
    return {false, std::string(name) + ": no worker thread could be started"};
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kInvokeWaitMs);

  std::unique_lock lock(channel->mutex);
  channel->arrived.wait_until(lock, deadline,
                              [&] { return channel->outcome.has_value() || channel->closed; });
  channel->receiver_waiting = false;
  if (channel->outcome) return std::move(*channel->outcome);
  return {};
}

}  // namespace uiad
