// Cache requests and conditions over IUIAutomationCacheRequest and
// IUIAutomationCondition. Each object holds exactly one reference.
#pragma once

#include "platform/automation.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {

class Win32Condition final : public platform::Condition {
 public:
  explicit Win32Condition(IUIAutomationCondition* condition) : condition_(condition) {}

  static IUIAutomationCondition* raw(platform::Condition& condition) {
    return static_cast<Win32Condition&>(condition).condition_.get();
  }

 private:
  ComRef<IUIAutomationCondition> condition_;
};

class Win32CacheRequest final : public platform::CacheRequest {
 public:
  explicit Win32CacheRequest(IUIAutomationCacheRequest* request) : request_(request) {}

  static IUIAutomationCacheRequest* raw(platform::CacheRequest& request) {
    return static_cast<Win32CacheRequest&>(request).request_.get();
  }

  // The scope goes over as its number: the SDK and the widl headers spell the
  // enumerators differently (TreeScope_Subtree / TreeScope_SubTree).
  platform::HResult put_tree_scope(platform::TreeScope scope) override {
    return static_cast<platform::HResult>(
        request_.get()->put_TreeScope(static_cast<::TreeScope>(scope)));
  }
  platform::HResult put_tree_filter(platform::Condition& filter) override {
    return static_cast<platform::HResult>(
        request_.get()->put_TreeFilter(Win32Condition::raw(filter)));
  }
  platform::HResult add_property(platform::PropertyId id) override {
    return static_cast<platform::HResult>(request_.get()->AddProperty(id));
  }
  platform::HResult add_pattern(platform::PatternId id) override {
    return static_cast<platform::HResult>(request_.get()->AddPattern(id));
  }

 private:
  ComRef<IUIAutomationCacheRequest> request_;
};

}  // namespace uiad::win32
