// The tree conditions the stand-in can hand out. Control, content and raw view
// show the same tree here (every window is a control element), except that a
// raw-view walker also sees window menu bars; otherwise only the false
// condition changes what a walk or a cache request sees.
#pragma once

#include "standin/com_object.h"

namespace standin {

// Answers QueryInterface with this id to let the stand-in recognise its own
// conditions behind an IUIAutomationCondition pointer.
inline constexpr GUID kIidStandinCondition = {
    0x6d1c3a41, 0x8f0e, 0x4f5b, {0x9a, 0x21, 0x3e, 0x55, 0x7c, 0x90, 0x12, 0x01}};

enum class ConditionKind { True, False, ControlView, ContentView };

class Condition final : public ComObject<IUIAutomationBoolCondition> {
 public:
  explicit Condition(ConditionKind kind) : kind_(kind) {}
  ConditionKind kind() const { return kind_; }

  HRESULT STDMETHODCALLTYPE get_BooleanValue(BOOL* value) override;

 private:
  bool answers(REFIID riid) const override;
  const ConditionKind kind_;
};

// True when `condition` is the stand-in's false condition; any other condition,
// including a foreign one, admits every element.
bool excludes_everything(IUIAutomationCondition* condition);
// True for the stand-in's true condition: the raw view, which alone shows
// window menu bars.
bool is_raw_view(IUIAutomationCondition* condition);

}  // namespace standin
