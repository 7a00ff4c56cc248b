// Reference counting and QueryInterface shared by every stand-in object, plus
// the count of live objects that DllCanUnloadNow reports.
//
// All objects are immutable after construction apart from their reference
// count, so they may be used from any thread of the multithreaded apartment.
#pragma once

#include <atomic>
#include <initializer_list>

#include "standin/uia.h"

namespace standin {

// The one piece of module state a COM server needs: how many objects (and
// class-factory locks) are alive, so the DLL is not unloaded under them.
std::atomic<long>& live_object_count();

// Implements IUnknown for an object whose most derived interface is I.
template <class I>
class ComObject : public I {
 public:
  ComObject() { ++live_object_count(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || answers(riid)) {
      *out = static_cast<I*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

 protected:
  virtual ~ComObject() { --live_object_count(); }
  // True for the interface ids (besides IUnknown) this object hands out as I.
  virtual bool answers(REFIID riid) const = 0;

  static bool any_of(REFIID riid, std::initializer_list<const GUID*> ids) {
    for (const GUID* id : ids) {
      if (IsEqualIID(riid, *id)) return true;
    }
    return false;
  }

 private:
  std::atomic<long> refs_{1};
};

// A reference held by C++ code; releases on destruction.
template <class T>
class Ptr {
 public:
  Ptr() = default;
  explicit Ptr(T* adopted) : p_(adopted) {}
  Ptr(const Ptr& other) : p_(other.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  Ptr& operator=(Ptr other) {
    T* old = p_;
    p_ = other.p_;
    other.p_ = old;
    return *this;
  }
  ~Ptr() {
    if (p_ != nullptr) p_->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Gives the reference away (to an out parameter).
  T* detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace standin
