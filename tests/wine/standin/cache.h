// Cache requests and the values BuildUpdatedCache stores with an element.
//
// Cached values are read once, at BuildUpdatedCache time, and never change;
// a property or pattern that was not in the request is not in the cache, and
// asking for it fails with E_INVALIDARG.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "standin/com_object.h"
#include "standin/node.h"

namespace standin {

inline constexpr GUID kIidStandinCacheRequest = {
    0x6d1c3a41, 0x8f0e, 0x4f5b, {0x9a, 0x21, 0x3e, 0x55, 0x7c, 0x90, 0x12, 0x02}};

struct CacheData {
  std::map<PROPERTYID, PropertyValue> properties;
  std::vector<PATTERNID> requested_patterns;
  std::vector<PATTERNID> supported_patterns;
  bool children_cached = false;
  std::vector<std::pair<Node, std::shared_ptr<const CacheData>>> children;

  bool has_pattern_entry(PATTERNID pattern) const;
  bool supports(PATTERNID pattern) const;
  // E_INVALIDARG when the property is not cached.
  HRESULT property(PROPERTYID id, PropertyValue* value) const;
};

// What a cache request asks for, copied out of it for one BuildUpdatedCache.
struct CacheSpec {
  TreeScope scope = TreeScope_Element;
  std::vector<PROPERTYID> properties;
  std::vector<PATTERNID> patterns;
  bool filter_excludes_everything = false;
};

class CacheRequest final : public ComObject<IUIAutomationCacheRequest> {
 public:
  CacheRequest();
  CacheSpec spec() const;

  HRESULT STDMETHODCALLTYPE AddProperty(PROPERTYID id) override;
  HRESULT STDMETHODCALLTYPE AddPattern(PATTERNID id) override;
  HRESULT STDMETHODCALLTYPE Clone(IUIAutomationCacheRequest** out) override;
  HRESULT STDMETHODCALLTYPE get_TreeScope(TreeScope* scope) override;
  HRESULT STDMETHODCALLTYPE put_TreeScope(TreeScope scope) override;
  HRESULT STDMETHODCALLTYPE get_TreeFilter(IUIAutomationCondition** filter) override;
  HRESULT STDMETHODCALLTYPE put_TreeFilter(IUIAutomationCondition* filter) override;
  HRESULT STDMETHODCALLTYPE get_AutomationElementMode(AutomationElementMode* mode) override;
  HRESULT STDMETHODCALLTYPE put_AutomationElementMode(AutomationElementMode mode) override;

 private:
  bool answers(REFIID riid) const override;

  // A request may be filled on one thread and used on another.
  mutable std::mutex mutex_;
  TreeScope scope_ = TreeScope_Element;
  Ptr<IUIAutomationCondition> filter_;
  std::vector<PROPERTYID> properties_;
  std::vector<PATTERNID> patterns_;
  AutomationElementMode mode_ = AutomationElementMode_Full;
};

// The shape of a request made by this stand-in; E_INVALIDARG for any other.
HRESULT spec_of(IUIAutomationCacheRequest* request, CacheSpec* spec);

// Reads the node (and, by the scope, its children or whole subtree) now.
std::shared_ptr<const CacheData> build_cache(const Node& node, const CacheSpec& spec);

}  // namespace standin
