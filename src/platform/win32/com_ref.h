// Owning holders for what COM hands over: one interface reference released
// exactly once, and BSTRs freed as soon as their text is copied out.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/types.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {

// One reference on a COM interface; Release()s it in the destructor.
template <class I>
class ComRef {
 public:
  explicit ComRef(I* pointer) : pointer_(pointer) {}
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (pointer_ != nullptr) pointer_->Release();
  }

  I* get() const { return pointer_; }

 private:
  I* pointer_;
};

// Wraps an interface pointer received from a call into its platform object, or
// an empty Ref for NULL. The pointer is owned from here on whatever `hr` says,
// so a reference handed back together with a failure code is still released.
template <class Wrapper, class Base, class I>
platform::Result<platform::Ref<Base>> wrap_result(HRESULT hr, I* pointer) {
  platform::Ref<Base> ref;
  if (pointer != nullptr) ref = std::make_unique<Wrapper>(pointer);
  return {static_cast<platform::HResult>(hr), std::move(ref)};
}

// Windows text is UTF-16 in wchar_t; WString holds the same units as char16_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

// The text of a received BSTR; frees it. NULL is the empty text.
inline platform::WString take_bstr(BSTR text) {
  if (text == nullptr) return {};
  platform::WString copy(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
  SysFreeString(text);
  return copy;
}

// Pointer-sized handles travel as plain integers through the interfaces.
template <class H>
H to_handle(std::uint64_t value) {
  return reinterpret_cast<H>(static_cast<std::uintptr_t>(value));
}
template <class H>
std::uint64_t from_handle(H handle) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace uiad::win32
