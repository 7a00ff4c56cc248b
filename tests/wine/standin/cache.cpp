// Cache requests and BuildUpdatedCache's reading of a subtree.
#include "standin/cache.h"

#include <algorithm>
#include <climits>

#include "standin/conditions.h"

namespace standin {
namespace {

bool known_scope(TreeScope scope) {
  const int bits = static_cast<int>(scope);
  return bits != 0 && (bits & ~(TreeScope_Element | TreeScope_Children | TreeScope_Descendants)) == 0;
}

std::shared_ptr<CacheData> build(const Node& node, const CacheSpec& spec, bool self, int levels) {
  auto data = std::make_shared<CacheData>();
  if (self) {
    for (PROPERTYID id : spec.properties) data->properties[id] = read_property(node, id);
    data->requested_patterns = spec.patterns;
    for (PATTERNID id : spec.patterns) {
      if (supports_pattern(node, id)) data->supported_patterns.push_back(id);
    }
  }
  if (levels > 0) {
    data->children_cached = true;
    if (!spec.filter_excludes_everything) {
      for (const Node& child : children_of(node)) {
        if (!is_alive(child)) continue;  // closed while the cache was built
        data->children.emplace_back(child, build(child, spec, true, levels - 1));
      }
    }
  }
  return data;
}

}  // namespace

bool CacheData::has_pattern_entry(PATTERNID pattern) const {
  return std::find(requested_patterns.begin(), requested_patterns.end(), pattern) !=
         requested_patterns.end();
}

bool CacheData::supports(PATTERNID pattern) const {
  return std::find(supported_patterns.begin(), supported_patterns.end(), pattern) !=
         supported_patterns.end();
}

HRESULT CacheData::property(PROPERTYID id, PropertyValue* value) const {
  const auto found = properties.find(id);
  if (found == properties.end()) return E_INVALIDARG;
  *value = found->second;
  return S_OK;
}

CacheRequest::CacheRequest() : filter_(new Condition(ConditionKind::ControlView)) {}

CacheSpec CacheRequest::spec() const {
  std::lock_guard lock(mutex_);
  CacheSpec spec;
  spec.scope = scope_;
  spec.properties = properties_;
  spec.patterns = patterns_;
  spec.filter_excludes_everything = excludes_everything(filter_.get());
  return spec;
}

HRESULT CacheRequest::AddProperty(PROPERTYID id) {
  std::lock_guard lock(mutex_);
  if (std::find(properties_.begin(), properties_.end(), id) == properties_.end()) {
    properties_.push_back(id);
  }
  return S_OK;
}

HRESULT CacheRequest::AddPattern(PATTERNID id) {
  std::lock_guard lock(mutex_);
  if (std::find(patterns_.begin(), patterns_.end(), id) == patterns_.end()) patterns_.push_back(id);
  return S_OK;
}

HRESULT CacheRequest::Clone(IUIAutomationCacheRequest** out) {
  if (out == nullptr) return E_POINTER;
  auto* copy = new CacheRequest();
  {
    std::lock_guard lock(mutex_);
    copy->scope_ = scope_;
    copy->filter_ = filter_;
    copy->properties_ = properties_;
    copy->patterns_ = patterns_;
    copy->mode_ = mode_;
  }
  *out = copy;
  return S_OK;
}

HRESULT CacheRequest::get_TreeScope(TreeScope* scope) {
  if (scope == nullptr) return E_POINTER;
  std::lock_guard lock(mutex_);
  *scope = scope_;
  return S_OK;
}

HRESULT CacheRequest::put_TreeScope(TreeScope scope) {
  if (!known_scope(scope)) return E_INVALIDARG;
  std::lock_guard lock(mutex_);
  scope_ = scope;
  return S_OK;
}

HRESULT CacheRequest::get_TreeFilter(IUIAutomationCondition** filter) {
  if (filter == nullptr) return E_POINTER;
  std::lock_guard lock(mutex_);
  Ptr<IUIAutomationCondition> copy = filter_;
  *filter = copy.detach();
  return S_OK;
}

HRESULT CacheRequest::put_TreeFilter(IUIAutomationCondition* filter) {
  if (filter == nullptr) return E_POINTER;
  filter->AddRef();
  std::lock_guard lock(mutex_);
  filter_ = Ptr<IUIAutomationCondition>(filter);
  return S_OK;
}

HRESULT CacheRequest::get_AutomationElementMode(AutomationElementMode* mode) {
  if (mode == nullptr) return E_POINTER;
  std::lock_guard lock(mutex_);
  *mode = mode_;
  return S_OK;
}

HRESULT CacheRequest::put_AutomationElementMode(AutomationElementMode mode) {
  std::lock_guard lock(mutex_);
  mode_ = mode;
  return S_OK;
}

bool CacheRequest::answers(REFIID riid) const {
  return any_of(riid, {&IID_IUIAutomationCacheRequest, &kIidStandinCacheRequest});
}

HRESULT spec_of(IUIAutomationCacheRequest* request, CacheSpec* spec) {
  if (request == nullptr) return E_POINTER;
  void* own = nullptr;
  if (FAILED(request->QueryInterface(kIidStandinCacheRequest, &own)) || own == nullptr) {
    return E_INVALIDARG;
  }
  Ptr<CacheRequest> ours(static_cast<CacheRequest*>(static_cast<IUIAutomationCacheRequest*>(own)));
  *spec = ours->spec();
  return S_OK;
}

std::shared_ptr<const CacheData> build_cache(const Node& node, const CacheSpec& spec) {
  const int bits = static_cast<int>(spec.scope);
  const int levels = (bits & TreeScope_Descendants) ? INT_MAX : ((bits & TreeScope_Children) ? 1 : 0);
  return build(node, spec, (bits & TreeScope_Element) != 0, levels);
}

}  // namespace standin
