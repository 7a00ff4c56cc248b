// IUIAutomationElementArray: a fixed list of elements.
#pragma once

#include <vector>

#include "standin/com_object.h"

namespace standin {

class ElementArray final : public ComObject<IUIAutomationElementArray> {
 public:
  explicit ElementArray(std::vector<Ptr<IUIAutomationElement>> elements)
      : elements_(std::move(elements)) {}

  HRESULT STDMETHODCALLTYPE get_Length(int* length) override;
  HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationElement** element) override;

 private:
  bool answers(REFIID riid) const override {
    return IsEqualIID(riid, IID_IUIAutomationElementArray);
  }
  const std::vector<Ptr<IUIAutomationElement>> elements_;
};

}  // namespace standin
