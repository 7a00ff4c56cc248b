// The automation object: entry points into the element tree, walkers,
// conditions and cache requests.
#include "standin/automation.h"

#include "standin/cache.h"
#include "standin/conditions.h"
#include "standin/element.h"
#include "standin/tree_walker.h"

namespace standin {
namespace {

HRESULT hand_out_condition(ConditionKind kind, IUIAutomationCondition** out) {
  if (out == nullptr) return E_POINTER;
  *out = new Condition(kind);
  return S_OK;
}

HRESULT hand_out_walker(ConditionKind kind, IUIAutomationTreeWalker** out) {
  if (out == nullptr) return E_POINTER;
  *out = new TreeWalker(new Condition(kind));
  return S_OK;
}

HRESULT from_handle(UIA_HWND hwnd, IUIAutomationCacheRequest* request, IUIAutomationElement** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const HWND window = static_cast<HWND>(hwnd);
  if (window == nullptr || !IsWindow(window)) return E_INVALIDARG;
  return hand_out_element(Node::of(window), request, out);
}

HRESULT from_point(POINT point, IUIAutomationCacheRequest* request, IUIAutomationElement** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const std::optional<Node> node = node_from_point(point);
  if (!node) return S_OK;
  return hand_out_element(*node, request, out);
}

HRESULT focused(IUIAutomationCacheRequest* request, IUIAutomationElement** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return hand_out_element(focused_node(), request, out);
}

HRESULT root(IUIAutomationCacheRequest* request, IUIAutomationElement** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return hand_out_element(desktop_node(), request, out);
}

}  // namespace

HRESULT Automation::CompareElements(IUIAutomationElement* a, IUIAutomationElement* b, BOOL* same) {
  if (same == nullptr) return E_POINTER;
  *same = FALSE;
  Node first;
  Node second;
  if (HRESULT hr = node_of(a, &first); FAILED(hr)) return hr;
  if (HRESULT hr = node_of(b, &second); FAILED(hr)) return hr;
  *same = first == second;
  return S_OK;
}

HRESULT Automation::GetRootElement(IUIAutomationElement** out) { return root(nullptr, out); }
HRESULT Automation::ElementFromHandle(UIA_HWND hwnd, IUIAutomationElement** out) {
  return from_handle(hwnd, nullptr, out);
}
HRESULT Automation::ElementFromPoint(POINT point, IUIAutomationElement** out) {
  return from_point(point, nullptr, out);
}
HRESULT Automation::GetFocusedElement(IUIAutomationElement** out) { return focused(nullptr, out); }
HRESULT Automation::GetRootElementBuildCache(IUIAutomationCacheRequest* request,
                                             IUIAutomationElement** out) {
  if (request == nullptr) return E_POINTER;
  return root(request, out);
}
HRESULT Automation::ElementFromHandleBuildCache(UIA_HWND hwnd, IUIAutomationCacheRequest* request,
                                                IUIAutomationElement** out) {
  if (request == nullptr) return E_POINTER;
  return from_handle(hwnd, request, out);
}
HRESULT Automation::ElementFromPointBuildCache(POINT point, IUIAutomationCacheRequest* request,
                                               IUIAutomationElement** out) {
  if (request == nullptr) return E_POINTER;
  return from_point(point, request, out);
}
HRESULT Automation::GetFocusedElementBuildCache(IUIAutomationCacheRequest* request,
                                                IUIAutomationElement** out) {
  if (request == nullptr) return E_POINTER;
  return focused(request, out);
}

HRESULT Automation::CreateTreeWalker(IUIAutomationCondition* condition, IUIAutomationTreeWalker** out) {
  if (out == nullptr || condition == nullptr) return E_POINTER;
  condition->AddRef();
  *out = new TreeWalker(condition);
  return S_OK;
}
HRESULT Automation::get_ControlViewWalker(IUIAutomationTreeWalker** out) {
  return hand_out_walker(ConditionKind::ControlView, out);
}
HRESULT Automation::get_ContentViewWalker(IUIAutomationTreeWalker** out) {
  return hand_out_walker(ConditionKind::ContentView, out);
}
HRESULT Automation::get_RawViewWalker(IUIAutomationTreeWalker** out) {
  return hand_out_walker(ConditionKind::True, out);
}
HRESULT Automation::get_RawViewCondition(IUIAutomationCondition** out) {
  return hand_out_condition(ConditionKind::True, out);
}
HRESULT Automation::get_ControlViewCondition(IUIAutomationCondition** out) {
  return hand_out_condition(ConditionKind::ControlView, out);
}
HRESULT Automation::get_ContentViewCondition(IUIAutomationCondition** out) {
  return hand_out_condition(ConditionKind::ContentView, out);
}
HRESULT Automation::CreateTrueCondition(IUIAutomationCondition** out) {
  return hand_out_condition(ConditionKind::True, out);
}
HRESULT Automation::CreateFalseCondition(IUIAutomationCondition** out) {
  return hand_out_condition(ConditionKind::False, out);
}

HRESULT Automation::CreateCacheRequest(IUIAutomationCacheRequest** out) {
  if (out == nullptr) return E_POINTER;
  *out = new CacheRequest();
  return S_OK;
}

}  // namespace standin
