// IUIAutomation, the object CoCreateInstance(CLSID_CUIAutomation) hands out.
#pragma once

#include "standin/com_object.h"

namespace standin {

class Automation final : public ComObject<IUIAutomation> {
 public:
  HRESULT STDMETHODCALLTYPE CompareElements(IUIAutomationElement* a, IUIAutomationElement* b,
                                            BOOL* same) override;
  HRESULT STDMETHODCALLTYPE GetRootElement(IUIAutomationElement** root) override;
  HRESULT STDMETHODCALLTYPE ElementFromHandle(UIA_HWND hwnd, IUIAutomationElement** element) override;
  HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT point, IUIAutomationElement** element) override;
  HRESULT STDMETHODCALLTYPE GetFocusedElement(IUIAutomationElement** element) override;
  HRESULT STDMETHODCALLTYPE GetRootElementBuildCache(IUIAutomationCacheRequest* request,
                                                     IUIAutomationElement** root) override;
  HRESULT STDMETHODCALLTYPE ElementFromHandleBuildCache(UIA_HWND hwnd,
                                                        IUIAutomationCacheRequest* request,
                                                        IUIAutomationElement** element) override;
  HRESULT STDMETHODCALLTYPE ElementFromPointBuildCache(POINT point, IUIAutomationCacheRequest* request,
                                                       IUIAutomationElement** element) override;
  HRESULT STDMETHODCALLTYPE GetFocusedElementBuildCache(IUIAutomationCacheRequest* request,
                                                        IUIAutomationElement** element) override;
  HRESULT STDMETHODCALLTYPE CreateTreeWalker(IUIAutomationCondition* condition,
                                             IUIAutomationTreeWalker** walker) override;
  HRESULT STDMETHODCALLTYPE get_ControlViewWalker(IUIAutomationTreeWalker** walker) override;
  HRESULT STDMETHODCALLTYPE get_ContentViewWalker(IUIAutomationTreeWalker** walker) override;
  HRESULT STDMETHODCALLTYPE get_RawViewWalker(IUIAutomationTreeWalker** walker) override;
  HRESULT STDMETHODCALLTYPE get_RawViewCondition(IUIAutomationCondition** condition) override;
  HRESULT STDMETHODCALLTYPE get_ControlViewCondition(IUIAutomationCondition** condition) override;
  HRESULT STDMETHODCALLTYPE get_ContentViewCondition(IUIAutomationCondition** condition) override;
  HRESULT STDMETHODCALLTYPE CreateCacheRequest(IUIAutomationCacheRequest** request) override;
  HRESULT STDMETHODCALLTYPE CreateTrueCondition(IUIAutomationCondition** condition) override;
  HRESULT STDMETHODCALLTYPE CreateFalseCondition(IUIAutomationCondition** condition) override;

  // Not used by the daemon.
  HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY*, SAFEARRAY*, BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreatePropertyCondition(PROPERTYID, VARIANT,
                                                    IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreatePropertyConditionEx(PROPERTYID, VARIANT, PropertyConditionFlags,
                                                      IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateAndCondition(IUIAutomationCondition*, IUIAutomationCondition*,
                                               IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateAndConditionFromArray(SAFEARRAY*, IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateAndConditionFromNativeArray(IUIAutomationCondition**, int,
                                                              IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateOrCondition(IUIAutomationCondition*, IUIAutomationCondition*,
                                              IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateOrConditionFromArray(SAFEARRAY*, IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateOrConditionFromNativeArray(IUIAutomationCondition**, int,
                                                             IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateNotCondition(IUIAutomationCondition*,
                                               IUIAutomationCondition**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddAutomationEventHandler(EVENTID, IUIAutomationElement*, TreeScope,
                                                      IUIAutomationCacheRequest*,
                                                      IUIAutomationEventHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveAutomationEventHandler(EVENTID, IUIAutomationElement*,
                                                         IUIAutomationEventHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandlerNativeArray(
      IUIAutomationElement*, TreeScope, IUIAutomationCacheRequest*,
      IUIAutomationPropertyChangedEventHandler*, PROPERTYID*, int) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandler(IUIAutomationElement*, TreeScope,
                                                           IUIAutomationCacheRequest*,
                                                           IUIAutomationPropertyChangedEventHandler*,
                                                           SAFEARRAY*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemovePropertyChangedEventHandler(
      IUIAutomationElement*, IUIAutomationPropertyChangedEventHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddStructureChangedEventHandler(
      IUIAutomationElement*, TreeScope, IUIAutomationCacheRequest*,
      IUIAutomationStructureChangedEventHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveStructureChangedEventHandler(
      IUIAutomationElement*, IUIAutomationStructureChangedEventHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddFocusChangedEventHandler(IUIAutomationCacheRequest*,
                                                        IUIAutomationFocusChangedEventHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveFocusChangedEventHandler(
      IUIAutomationFocusChangedEventHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveAllEventHandlers() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IntNativeArrayToSafeArray(int*, int, SAFEARRAY**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IntSafeArrayToNativeArray(SAFEARRAY*, int**, int*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RectToVariant(RECT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VariantToRect(VARIANT, RECT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SafeArrayToRectNativeArray(SAFEARRAY*, RECT**, int*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateProxyFactoryEntry(IUIAutomationProxyFactory*,
                                                    IUIAutomationProxyFactoryEntry**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ProxyFactoryMapping(IUIAutomationProxyFactoryMapping**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyProgrammaticName(PROPERTYID, BSTR*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProgrammaticName(PATTERNID, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PollForPotentialSupportedPatterns(IUIAutomationElement*, SAFEARRAY**,
                                                              SAFEARRAY**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PollForPotentialSupportedProperties(IUIAutomationElement*, SAFEARRAY**,
                                                                SAFEARRAY**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CheckNotSupported(VARIANT, BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ReservedNotSupportedValue(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ReservedMixedAttributeValue(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ElementFromIAccessible(IAccessible*, int, IUIAutomationElement**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ElementFromIAccessibleBuildCache(IAccessible*, int,
                                                             IUIAutomationCacheRequest*,
                                                             IUIAutomationElement**) override {
    return E_NOTIMPL;
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IUIAutomation); }
};

}  // namespace standin
