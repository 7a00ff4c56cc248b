// Element arrays.
#include "standin/element_array.h"

namespace standin {

HRESULT ElementArray::get_Length(int* length) {
  if (length == nullptr) return E_POINTER;
  *length = static_cast<int>(elements_.size());
  return S_OK;
}

HRESULT ElementArray::GetElement(int index, IUIAutomationElement** element) {
  if (element == nullptr) return E_POINTER;
  *element = nullptr;
  if (index < 0 || index >= static_cast<int>(elements_.size())) return E_INVALIDARG;
  Ptr<IUIAutomationElement> copy = elements_[static_cast<size_t>(index)];
  *element = copy.detach();
  return S_OK;
}

}  // namespace standin
