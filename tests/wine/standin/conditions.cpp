// Tree conditions.
#include "standin/conditions.h"

namespace standin {

HRESULT Condition::get_BooleanValue(BOOL* value) {
  if (value == nullptr) return E_POINTER;
  if (kind_ != ConditionKind::True && kind_ != ConditionKind::False) return E_NOTIMPL;
  *value = kind_ == ConditionKind::True;
  return S_OK;
}

bool Condition::answers(REFIID riid) const {
  if (IsEqualIID(riid, IID_IUIAutomationCondition) || IsEqualIID(riid, kIidStandinCondition)) {
    return true;
  }
  return IsEqualIID(riid, IID_IUIAutomationBoolCondition) &&
         (kind_ == ConditionKind::True || kind_ == ConditionKind::False);
}

namespace {

bool is_own_condition_of_kind(IUIAutomationCondition* condition, ConditionKind kind) {
  if (condition == nullptr) return false;
  void* own = nullptr;
  if (FAILED(condition->QueryInterface(kIidStandinCondition, &own)) || own == nullptr) return false;
  Ptr<Condition> ours(static_cast<Condition*>(static_cast<IUIAutomationBoolCondition*>(own)));
  return ours->kind() == kind;
}

}  // namespace

bool excludes_everything(IUIAutomationCondition* condition) {
  return is_own_condition_of_kind(condition, ConditionKind::False);
}

bool is_raw_view(IUIAutomationCondition* condition) {
  return is_own_condition_of_kind(condition, ConditionKind::True);
}

}  // namespace standin
