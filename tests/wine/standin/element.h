// IUIAutomationElement over one Node, optionally carrying the values of a
// BuildUpdatedCache. Current reads go to Win32 every time and fail with
// UIA_E_ELEMENTNOTAVAILABLE once the window is gone; cached reads never touch
// the window.
#pragma once

#include <memory>

#include "standin/cache.h"
#include "standin/com_object.h"
#include "standin/node.h"

namespace standin {

inline constexpr GUID kIidStandinElement = {
    0x6d1c3a41, 0x8f0e, 0x4f5b, {0x9a, 0x21, 0x3e, 0x55, 0x7c, 0x90, 0x12, 0x03}};

class Element final : public ComObject<IUIAutomationElement> {
 public:
  Element(Node node, std::shared_ptr<const CacheData> cache) : node_(node), cache_(std::move(cache)) {}
  const Node& node() const { return node_; }

  // Used by the methods below.
  HRESULT STDMETHODCALLTYPE BuildUpdatedCache(IUIAutomationCacheRequest* request,
                                              IUIAutomationElement** updated) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(PROPERTYID id, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(PROPERTYID id, BOOL ignore_default,
                                                      VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(PROPERTYID id, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(PROPERTYID id, BOOL ignore_default,
                                                     VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(PATTERNID id, REFIID riid, void** pattern) override;
  HRESULT STDMETHODCALLTYPE GetCachedPatternAs(PATTERNID id, REFIID riid, void** pattern) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPattern(PATTERNID id, IUnknown** pattern) override;
  HRESULT STDMETHODCALLTYPE GetCachedPattern(PATTERNID id, IUnknown** pattern) override;
  HRESULT STDMETHODCALLTYPE GetCachedChildren(IUIAutomationElementArray** children) override;

  HRESULT STDMETHODCALLTYPE get_CurrentProcessId(int* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentControlType(CONTROLTYPEID* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentAcceleratorKey(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentAccessKey(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentHasKeyboardFocus(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentIsKeyboardFocusable(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentIsEnabled(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentAutomationId(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentClassName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentHelpText(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentIsControlElement(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentIsContentElement(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentIsPassword(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentNativeWindowHandle(UIA_HWND* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentIsOffscreen(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentFrameworkId(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentBoundingRectangle(RECT* value) override;

  HRESULT STDMETHODCALLTYPE get_CachedProcessId(int* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedControlType(CONTROLTYPEID* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedAcceleratorKey(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedAccessKey(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedHasKeyboardFocus(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedIsKeyboardFocusable(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedIsEnabled(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedAutomationId(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedClassName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedHelpText(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedIsControlElement(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedIsContentElement(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedIsPassword(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedNativeWindowHandle(UIA_HWND* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedIsOffscreen(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedFrameworkId(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_CachedBoundingRectangle(RECT* value) override;

  // Not used by the daemon.
  HRESULT STDMETHODCALLTYPE SetFocus() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindFirst(TreeScope, IUIAutomationCondition*,
                                      IUIAutomationElement**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindAll(TreeScope, IUIAutomationCondition*,
                                    IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindFirstBuildCache(TreeScope, IUIAutomationCondition*,
                                                IUIAutomationCacheRequest*,
                                                IUIAutomationElement**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindAllBuildCache(TreeScope, IUIAutomationCondition*,
                                              IUIAutomationCacheRequest*,
                                              IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetCachedParent(IUIAutomationElement**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentLocalizedControlType(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentCulture(int*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentItemType(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentOrientation(OrientationType*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentIsRequiredForForm(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentItemStatus(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentLabeledBy(IUIAutomationElement**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentAriaRole(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentAriaProperties(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentIsDataValidForForm(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentControllerFor(IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentDescribedBy(IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentFlowsTo(IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentProviderDescription(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedLocalizedControlType(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedCulture(int*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedItemType(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedOrientation(OrientationType*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedIsRequiredForForm(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedItemStatus(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedLabeledBy(IUIAutomationElement**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedAriaRole(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedAriaProperties(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedIsDataValidForForm(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CachedControllerFor(IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CachedDescribedBy(IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CachedFlowsTo(IUIAutomationElementArray**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CachedProviderDescription(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClickablePoint(POINT*, BOOL*) override { return E_NOTIMPL; }

 private:
  bool answers(REFIID riid) const override;

  HRESULT read(bool cached, PROPERTYID id, PropertyValue* value) const;
  HRESULT string_property(bool cached, PROPERTYID id, BSTR* out) const;
  HRESULT bool_property(bool cached, PROPERTYID id, BOOL* out) const;
  HRESULT int_property(bool cached, PROPERTYID id, int* out) const;
  HRESULT rect_property(bool cached, PROPERTYID id, RECT* out) const;
  HRESULT hwnd_property(bool cached, UIA_HWND* out) const;
  HRESULT pattern_as(bool cached, PATTERNID id, REFIID riid, void** pattern) const;

  const Node node_;
  const std::shared_ptr<const CacheData> cache_;  // null: nothing cached
};

// The Node behind an element of this stand-in; E_INVALIDARG for a foreign one.
HRESULT node_of(IUIAutomationElement* element, Node* node);

// A new element for `node` in an out parameter, with a cache built by
// `request` when one is given.
HRESULT hand_out_element(const Node& node, IUIAutomationCacheRequest* request,
                         IUIAutomationElement** out);

}  // namespace standin
