// Reading element records from current and cached properties, with failing
// reads falling back to the field defaults.
#include "snapshot/element_reading.h"

#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace uiad {
namespace {

using testing::SimFixture;

// One top-level window per element under test; window N+1 holds element N.
constexpr std::string_view kScene = R"({
  "windows": [
    {"hwnd": 1, "title": "Rich", "element": {
      "type": "edit", "name": "User", "help": "Your login", "automation_id": "txtUser",
      "rect": [10, 20, 17, 25], "enabled": false, "native_window": 1, "focused": true,
      "patterns": {"value": {"value": "alice"}, "selection_item": {"selected": true}}}},
    {"hwnd": 2, "title": "Tri", "element": {"type": "checkbox", "name": "Tri",
      "patterns": {"toggle": {"state": "indeterminate", "three_state": true}}}},
    {"hwnd": 3, "title": "On", "element": {"type": "checkbox", "rect": [50, 50, 43, 40],
      "patterns": {"toggle": {"state": "on"}}}},
    {"hwnd": 4, "title": "Faulty", "element": {"type": "button", "name": "Broken",
      "automation_id": "b", "patterns": ["invoke", "value"],
      "faults": [{"call": "get_CurrentIsEnabled"}, {"call": "get_CurrentControlType"},
                 {"call": "get_CurrentName"}, {"call": "get_CurrentBoundingRectangle"},
                 {"call": "GetCurrentPatternAs", "pattern": "value"},
                 {"call": "get_CachedIsEnabled"}, {"call": "get_CachedControlType"},
                 {"call": "get_CachedName"}]}},
    {"hwnd": 5, "title": "Long", "element": {"type": "edit", "patterns": {"value": {"value":
      "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"}}}}
  ]
})";

class ElementReading : public SimFixture {
 protected:
  void SetUp() override { load(kScene); }

  ElementRecord current(platform::Hwnd hwnd, bool with_focus) {
    auto element = element_of(hwnd);
    platform::Ref<platform::Element> focused;
    if (with_focus) focused = automation().get_focused_element().value;
    return read_current(automation(), *element, focused.get());
  }

  ElementRecord cached(platform::Hwnd hwnd) {
    auto element = element_of(hwnd);
    auto request =
        make_cache_request(automation(), platform::TreeScope::Element, TreeView::Control);
    EXPECT_TRUE(request.value);
    auto c = element->build_updated_cache(*request.value);
    EXPECT_TRUE(c.value);
    desktop().reset_call_counts();
    ElementRecord r = read_cached(*c.value);
    EXPECT_EQ(desktop().total_calls(), 0) << "cached reading called into the application";
    return r;
  }
};

void expect_rich(const ElementRecord& r) {
  EXPECT_EQ(r.label, "User");
  EXPECT_EQ(r.help, "Your login");
  EXPECT_EQ(r.role, "input");
  EXPECT_EQ(r.automation_id, "txtUser");
  EXPECT_EQ(r.value, "alice");
  EXPECT_TRUE(r.patterns.empty());
  EXPECT_EQ(r.native_window, 1u);
  // Width 7, height 5: the halves truncate.
  EXPECT_EQ(r.center_x, 13);
  EXPECT_EQ(r.center_y, 22);
  EXPECT_EQ(r.width, 7);
  EXPECT_EQ(r.height, 5);
  EXPECT_FALSE(r.enabled);
  EXPECT_TRUE(r.selected);
  EXPECT_EQ(r.checked, CheckedState::None);
}

TEST_F(ElementReading, CurrentAndCachedReadTheSameProperties) {
  ElementRecord c = current(1, true);
  expect_rich(c);
  EXPECT_TRUE(c.focused);
  ElementRecord k = cached(1);
  expect_rich(k);
  EXPECT_TRUE(k.focused);
}

TEST_F(ElementReading, FocusNeedsAFocusedElementForCurrentReading) {
  EXPECT_FALSE(current(1, false).focused);
  EXPECT_FALSE(current(2, true).focused);
}

TEST_F(ElementReading, ToggleStateOnlyOnIsChecked) {
  EXPECT_EQ(current(2, false).checked, CheckedState::Off);
  EXPECT_EQ(cached(2).checked, CheckedState::Off);
  ElementRecord on = current(3, false);
  EXPECT_EQ(on.checked, CheckedState::On);
  EXPECT_EQ(cached(3).checked, CheckedState::On);
  // A rectangle with right < left: negative width, centre rounded toward zero.
  EXPECT_EQ(on.width, -7);
  EXPECT_EQ(on.center_x, 47);
  EXPECT_EQ(on.height, -10);
  EXPECT_EQ(on.center_y, 45);
}

TEST_F(ElementReading, FailedReadsKeepTheDefaults) {
  ElementRecord r = current(4, false);
  EXPECT_EQ(r.label, "");
  EXPECT_EQ(r.role, "group");
  EXPECT_TRUE(r.enabled);
  EXPECT_EQ(r.value, "");
  EXPECT_EQ(r.width, 0);
  EXPECT_EQ(r.center_x, 0);
  EXPECT_EQ(r.automation_id, "b");  // the reads after a failure still happen
  ElementRecord k = cached(4);
  EXPECT_EQ(k.label, "");
  EXPECT_EQ(k.role, "group");
  EXPECT_TRUE(k.enabled);
  EXPECT_EQ(k.automation_id, "b");
}

TEST_F(ElementReading, LongValuesAreCut) {
  ElementRecord r = current(5, false);
  EXPECT_EQ(r.value, std::string(200, 'a') + "...");
  EXPECT_EQ(cached(5).value, r.value);
}

TEST(CutValue, KeepsTwoHundredBytesOnACharacterBoundary) {
  EXPECT_EQ(cut_value(std::string(200, 'x')), std::string(200, 'x'));
  EXPECT_EQ(cut_value(std::string(201, 'x')), std::string(200, 'x') + "...");
  EXPECT_EQ(cut_value(""), "");
  EXPECT_EQ(cut_value(std::string(198, 'x') + "\u00e9"), std::string(198, 'x') + "\u00e9");
  // A two-byte character on bytes 200 and 201 does not fit.
  EXPECT_EQ(cut_value(std::string(199, 'x') + "\u00e9"), std::string(199, 'x') + "...");
  // A four-byte character straddling the cut is dropped whole.
  EXPECT_EQ(cut_value(std::string(198, 'x') + "\U0001F600"), std::string(198, 'x') + "...");
  EXPECT_EQ(cut_value(std::string(196, 'x') + "\U0001F600z"),
            std::string(196, 'x') + "\U0001F600...");
}

class CacheRequestFaults : public SimFixture {};

TEST_F(CacheRequestFaults, ReportsTheFirstFailingSetupCall) {
  for (const char* call :
       {"CreateCacheRequest", "put_TreeScope", "get_RawViewCondition", "put_TreeFilter"}) {
    load(std::string(R"({"windows": [], "faults": [{"call": ")") + call +
         R"(", "hr": "0x80070005"}]})");
    auto r = make_cache_request(automation(), platform::TreeScope::Subtree, TreeView::Raw);
    EXPECT_EQ(r.hr, static_cast<platform::HResult>(0x80070005u)) << call;
    EXPECT_EQ(r.value, nullptr) << call;
  }
  // A success without an object is failure code 0.
  load(R"({"windows": [], "faults": [{"call": "CreateCacheRequest", "hr": 0}]})");
  auto empty = make_cache_request(automation(), platform::TreeScope::Element, TreeView::Control);
  EXPECT_EQ(empty.hr, platform::kSOk);
  EXPECT_EQ(empty.value, nullptr);
  // Properties and patterns that cannot be added do not fail the request.
  load(R"({"windows": [], "faults": [{"call": "AddProperty"}, {"call": "AddPattern"}]})");
  auto partial = make_cache_request(automation(), platform::TreeScope::Element, TreeView::Control);
  EXPECT_NE(partial.value, nullptr);
}

}  // namespace
}  // namespace uiad
