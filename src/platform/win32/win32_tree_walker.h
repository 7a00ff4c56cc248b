// Tree walkers over IUIAutomationTreeWalker. Each object holds one reference.
#pragma once

#include "platform/automation.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"
#include "platform/win32/win32_element.h"

namespace uiad::win32 {

class Win32TreeWalker final : public platform::TreeWalker {
 public:
  explicit Win32TreeWalker(IUIAutomationTreeWalker* walker) : walker_(walker) {}

  platform::Result<platform::Ref<platform::Element>> get_first_child_element(
      platform::Element& element) override {
    IUIAutomationElement* found = nullptr;
    HRESULT hr = walker_.get()->GetFirstChildElement(Win32Element::raw(element), &found);
    return wrap_element(hr, found);
  }
  platform::Result<platform::Ref<platform::Element>> get_next_sibling_element(
      platform::Element& element) override {
    IUIAutomationElement* found = nullptr;
    HRESULT hr = walker_.get()->GetNextSiblingElement(Win32Element::raw(element), &found);
    return wrap_element(hr, found);
  }
  platform::Result<platform::Ref<platform::Element>> get_parent_element(
      platform::Element& element) override {
    IUIAutomationElement* found = nullptr;
    HRESULT hr = walker_.get()->GetParentElement(Win32Element::raw(element), &found);
    return wrap_element(hr, found);
  }

 private:
  ComRef<IUIAutomationTreeWalker> walker_;
};

}  // namespace uiad::win32
