// The DLL's COM entry points: a class factory for CLSID_CUIAutomation.
#include <atomic>

#include "standin/automation.h"
#include "standin/com_object.h"

namespace standin {

std::atomic<long>& live_object_count() {
  static std::atomic<long> count{0};
  return count;
}

namespace {

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Ptr<Automation> automation(new Automation());
    return automation->QueryInterface(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++live_object_count();
    } else {
      --live_object_count();
    }
    return S_OK;
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IClassFactory); }
};

}  // namespace
}  // namespace standin

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_CUIAutomation)) return CLASS_E_CLASSNOTAVAILABLE;
  standin::Ptr<standin::ClassFactory> factory(new standin::ClassFactory());
  return factory->QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return standin::live_object_count().load() == 0 ? S_OK : S_FALSE;
}
