// IUIAutomationTreeWalker over the window tree. Every view is the same tree
// here; a walker made with the false condition sees nothing.
#pragma once

#include "standin/com_object.h"

namespace standin {

class TreeWalker final : public ComObject<IUIAutomationTreeWalker> {
 public:
  // `condition` is the walker's own reference.
  explicit TreeWalker(IUIAutomationCondition* condition);

  HRESULT STDMETHODCALLTYPE GetParentElement(IUIAutomationElement* e, IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetFirstChildElement(IUIAutomationElement* e,
                                                 IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetLastChildElement(IUIAutomationElement* e,
                                                IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetNextSiblingElement(IUIAutomationElement* e,
                                                  IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetPreviousSiblingElement(IUIAutomationElement* e,
                                                      IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE NormalizeElement(IUIAutomationElement* e, IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetParentElementBuildCache(IUIAutomationElement* e,
                                                       IUIAutomationCacheRequest* request,
                                                       IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetFirstChildElementBuildCache(IUIAutomationElement* e,
                                                           IUIAutomationCacheRequest* request,
                                                           IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetLastChildElementBuildCache(IUIAutomationElement* e,
                                                          IUIAutomationCacheRequest* request,
                                                          IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetNextSiblingElementBuildCache(IUIAutomationElement* e,
                                                            IUIAutomationCacheRequest* request,
                                                            IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE GetPreviousSiblingElementBuildCache(IUIAutomationElement* e,
                                                                IUIAutomationCacheRequest* request,
                                                                IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE NormalizeElementBuildCache(IUIAutomationElement* e,
                                                       IUIAutomationCacheRequest* request,
                                                       IUIAutomationElement** out) override;
  HRESULT STDMETHODCALLTYPE get_Condition(IUIAutomationCondition** condition) override;

 private:
  enum class Step { Parent, FirstChild, LastChild, Next, Previous, Self };
  bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IUIAutomationTreeWalker); }
  HRESULT walk(IUIAutomationElement* from, Step step, IUIAutomationCacheRequest* request,
               IUIAutomationElement** out) const;

  const Ptr<IUIAutomationCondition> condition_;
  const bool sees_nothing_;
  const bool raw_;
};

}  // namespace standin
