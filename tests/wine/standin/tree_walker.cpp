// Tree navigation. "No such element" is a success with no element, as in UI
// Automation.
#include "standin/tree_walker.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "standin/conditions.h"
#include "standin/element.h"

namespace standin {
namespace {

std::optional<Node> sibling(const Node& node, int offset, bool raw) {
  const std::optional<Node> parent = parent_of(node);
  if (!parent) return std::nullopt;
  const std::vector<Node> siblings = children_of(*parent, raw);
  const auto at = std::find(siblings.begin(), siblings.end(), node);
  if (at == siblings.end()) return std::nullopt;  // e.g. an invisible window
  const std::ptrdiff_t index = (at - siblings.begin()) + offset;
  if (index < 0 || index >= static_cast<std::ptrdiff_t>(siblings.size())) return std::nullopt;
  return siblings[static_cast<size_t>(index)];
}

}  // namespace

TreeWalker::TreeWalker(IUIAutomationCondition* condition)
    : condition_(condition), sees_nothing_(excludes_everything(condition)), raw_(is_raw_view(condition)) {}

HRESULT TreeWalker::walk(IUIAutomationElement* from, Step step, IUIAutomationCacheRequest* request,
                         IUIAutomationElement** out) const {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  Node node;
  if (HRESULT hr = node_of(from, &node); FAILED(hr)) return hr;
  if (!is_alive(node)) return kElementNotAvailable;
  if (sees_nothing_) return S_OK;
  std::optional<Node> target;
  switch (step) {
    case Step::Parent:
      target = parent_of(node);
      break;
    case Step::FirstChild:
    case Step::LastChild: {
      const std::vector<Node> children = children_of(node, raw_);
      if (!children.empty()) target = step == Step::FirstChild ? children.front() : children.back();
      break;
    }
    case Step::Next:
      target = sibling(node, 1, raw_);
      break;
    case Step::Previous:
      target = sibling(node, -1, raw_);
      break;
    case Step::Self:
      target = node;
      break;
  }
  if (!target) return S_OK;
  return hand_out_element(*target, request, out);
}

HRESULT TreeWalker::GetParentElement(IUIAutomationElement* e, IUIAutomationElement** out) {
  return walk(e, Step::Parent, nullptr, out);
}
HRESULT TreeWalker::GetFirstChildElement(IUIAutomationElement* e, IUIAutomationElement** out) {
  return walk(e, Step::FirstChild, nullptr, out);
}
HRESULT TreeWalker::GetLastChildElement(IUIAutomationElement* e, IUIAutomationElement** out) {
  return walk(e, Step::LastChild, nullptr, out);
}
HRESULT TreeWalker::GetNextSiblingElement(IUIAutomationElement* e, IUIAutomationElement** out) {
  return walk(e, Step::Next, nullptr, out);
}
HRESULT TreeWalker::GetPreviousSiblingElement(IUIAutomationElement* e, IUIAutomationElement** out) {
  return walk(e, Step::Previous, nullptr, out);
}
HRESULT TreeWalker::NormalizeElement(IUIAutomationElement* e, IUIAutomationElement** out) {
  return walk(e, Step::Self, nullptr, out);
}
HRESULT TreeWalker::GetParentElementBuildCache(IUIAutomationElement* e, IUIAutomationCacheRequest* r,
                                               IUIAutomationElement** out) {
  return walk(e, Step::Parent, r, out);
}
HRESULT TreeWalker::GetFirstChildElementBuildCache(IUIAutomationElement* e,
                                                   IUIAutomationCacheRequest* r,
                                                   IUIAutomationElement** out) {
  return walk(e, Step::FirstChild, r, out);
}
HRESULT TreeWalker::GetLastChildElementBuildCache(IUIAutomationElement* e, IUIAutomationCacheRequest* r,
                                                  IUIAutomationElement** out) {
  return walk(e, Step::LastChild, r, out);
}
HRESULT TreeWalker::GetNextSiblingElementBuildCache(IUIAutomationElement* e,
                                                    IUIAutomationCacheRequest* r,
                                                    IUIAutomationElement** out) {
  return walk(e, Step::Next, r, out);
}
HRESULT TreeWalker::GetPreviousSiblingElementBuildCache(IUIAutomationElement* e,
                                                        IUIAutomationCacheRequest* r,
                                                        IUIAutomationElement** out) {
  return walk(e, Step::Previous, r, out);
}
HRESULT TreeWalker::NormalizeElementBuildCache(IUIAutomationElement* e, IUIAutomationCacheRequest* r,
                                               IUIAutomationElement** out) {
  return walk(e, Step::Self, r, out);
}

HRESULT TreeWalker::get_Condition(IUIAutomationCondition** condition) {
  if (condition == nullptr) return E_POINTER;
  Ptr<IUIAutomationCondition> copy = condition_;
  *condition = copy.detach();
  return S_OK;
}

}  // namespace standin
