// BuildUpdatedCache: the cached properties, patterns and children are exactly
// those requested, cached reads make no cross-process calls, and the cache
// keeps the values of the moment it was built.
#include <gtest/gtest.h>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

using platform::TreeScope;

constexpr const char* kScene =
    R"({"windows": [{"hwnd": 1, "title": "Form", "rect": [0, 0, 300, 300],
  "element": {"children": [
    {"type": "checkbox", "name": "Agree", "ref": "agree", "focused": true, "patterns": {"toggle": {"state": "on"}}},
    {"type": "pane", "raw_only": true, "name": "hidden wrapper", "children": [
      {"type": "edit", "name": "Name", "patterns": {"value": {"value": "bob"}}}]},
    {"type": "list", "name": "Items", "children": [{"type": "listitem", "name": "one"}]}]}}]})";

class SimCache : public SimTest {
 protected:
  void SetUp() override { load(kScene); }

  Ref<platform::CacheRequest> request(TreeScope scope, bool raw) {
    auto r = uia().create_cache_request().value;
    EXPECT_EQ(r->put_tree_scope(scope), platform::kSOk);
    auto condition =
        raw ? uia().get_raw_view_condition().value : uia().get_control_view_condition().value;
    EXPECT_EQ(r->put_tree_filter(*condition), platform::kSOk);
    return r;
  }

  std::vector<std::string> cached_names(Element& e) {
    std::vector<std::string> out;
    auto array = e.get_cached_children();
    EXPECT_TRUE(array.succeeded());
    if (!array.value) return out;
    for (std::int32_t i = 0; i < array.value->get_length().value; ++i) {
      auto name = array.value->get_element(i).value->get_cached_name();
      out.push_back(name.succeeded() ? std::string(name.value.begin(), name.value.end()) : "?");
    }
    return out;
  }
};

TEST_F(SimCache, OnlyRequestedPropertiesAndPatternsAreCached) {
  auto form = from_handle(1);
  auto agree = find(*form, "Agree");
  auto r = request(TreeScope::Element, false);
  ASSERT_EQ(r->add_property(platform::kNamePropertyId), platform::kSOk);
  ASSERT_EQ(r->add_property(platform::kHasKeyboardFocusPropertyId), platform::kSOk);
  ASSERT_EQ(r->add_pattern(platform::kTogglePatternId), platform::kSOk);
  auto cached = agree->build_updated_cache(*r).value;
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(cached->get_cached_name().value, u16("Agree"));
  EXPECT_TRUE(cached->get_cached_has_keyboard_focus().value);
  EXPECT_EQ(cached->get_cached_control_type().hr, platform::kEInvalidArg);
  EXPECT_EQ(cached->get_cached_bounding_rectangle().hr, platform::kEInvalidArg);
  // The pattern is cached, its state property was not.
  auto toggle = cached->cached_pattern_as<platform::TogglePattern>(platform::kTogglePatternId);
  ASSERT_NE(toggle.value, nullptr);
  EXPECT_EQ(toggle.value->get_cached_toggle_state().hr, platform::kEInvalidArg);
  EXPECT_EQ(
      cached->get_cached_pattern_as(platform::kValuePatternId, platform::PatternInterface::Value)
          .hr,
      platform::kEInvalidArg);
  // Scope Element: no cached children.
  auto children = cached->get_cached_children();
  EXPECT_TRUE(children.succeeded());
  EXPECT_EQ(children.value, nullptr);
  // An element that was never cached has no cached values at all.
  EXPECT_EQ(agree->get_cached_name().hr, platform::kEInvalidArg);
}

TEST_F(SimCache, SubtreeFollowsTheFilterAndEveryChildCarriesTheCache) {
  auto form = from_handle(1);
  auto control = request(TreeScope::Subtree, false);
  ASSERT_EQ(control->add_property(platform::kNamePropertyId), platform::kSOk);
  ASSERT_EQ(control->add_property(platform::kValueValuePropertyId), platform::kSOk);
  ASSERT_EQ(control->add_pattern(platform::kValuePatternId), platform::kSOk);
  auto cached = form->build_updated_cache(*control).value;
  EXPECT_EQ(cached_names(*cached), (std::vector<std::string>{"Agree", "Name", "Items"}));
  auto array = cached->get_cached_children().value;
  auto name_field = array->get_element(1).value;
  auto value = name_field->cached_pattern_as<platform::ValuePattern>(platform::kValuePatternId);
  ASSERT_NE(value.value, nullptr);
  EXPECT_EQ(value.value->get_cached_value().value, u16("bob"));
  EXPECT_EQ(cached_names(*array->get_element(2).value), (std::vector<std::string>{"one"}));
  EXPECT_EQ(array->get_element(3).hr, platform::kEInvalidArg);

  auto raw = request(TreeScope::Subtree, true);
  ASSERT_EQ(raw->add_property(platform::kNamePropertyId), platform::kSOk);
  EXPECT_EQ(cached_names(*form->build_updated_cache(*raw).value),
            (std::vector<std::string>{"Agree", "hidden wrapper", "Items"}));

  // Children only: the element's own properties are not cached, nor grandchildren.
  auto kids = request(TreeScope::Children, false);
  ASSERT_EQ(kids->add_property(platform::kNamePropertyId), platform::kSOk);
  auto shallow = form->build_updated_cache(*kids).value;
  EXPECT_EQ(shallow->get_cached_name().hr, platform::kEInvalidArg);
  auto items = shallow->get_cached_children().value->get_element(2).value;
  EXPECT_EQ(items->get_cached_name().value, u16("Items"));
  EXPECT_EQ(items->get_cached_children().value, nullptr);
}

TEST_F(SimCache, CachedReadsAreLocalAndTheWholeSubtreeIsOneCall) {
  auto form = from_handle(1);
  auto r = request(TreeScope::Subtree, false);
  ASSERT_EQ(r->add_property(platform::kNamePropertyId), platform::kSOk);
  desktop_->reset_call_counts();
  auto cached = form->build_updated_cache(*r).value;
  cached_names(*cached);
  EXPECT_EQ(cached->get_cached_name().value, u16("Form"));
  EXPECT_EQ(desktop_->call_count("BuildUpdatedCache"), 1);
  EXPECT_EQ(desktop_->total_calls(), 1);

  EXPECT_TRUE(form->get_current_name().succeeded());
  EXPECT_TRUE(
      form->get_current_pattern_as(platform::kValuePatternId, platform::PatternInterface::Value)
          .succeeded());
  auto walker = uia().get_control_view_walker().value;
  auto child = walker->get_first_child_element(*form).value;
  EXPECT_TRUE(uia().compare_elements(*child, *child).value);
  EXPECT_EQ(desktop_->call_count("get_CurrentName"), 1);
  EXPECT_EQ(desktop_->call_count("GetCurrentPatternAs"), 1);
  EXPECT_EQ(desktop_->call_count("GetFirstChildElement"), 1);
  EXPECT_EQ(desktop_->call_count("CompareElements"), 0);
  EXPECT_EQ(desktop_->total_calls(), 4);
}

TEST_F(SimCache, TheCacheKeepsTheValuesOfItsMoment) {
  auto form = from_handle(1);
  auto agree = find(*form, "Agree");
  auto r = request(TreeScope::Element, false);
  ASSERT_EQ(r->add_property(platform::kToggleToggleStatePropertyId), platform::kSOk);
  ASSERT_EQ(r->add_pattern(platform::kTogglePatternId), platform::kSOk);
  auto before = agree->build_updated_cache(*r).value;
  auto toggle =
      agree->current_pattern_as<platform::TogglePattern>(platform::kTogglePatternId).value;
  ASSERT_EQ(toggle->toggle(), platform::kSOk);
  EXPECT_EQ(toggle->get_current_toggle_state().value, platform::ToggleState::Off);
  auto cached_toggle =
      before->cached_pattern_as<platform::TogglePattern>(platform::kTogglePatternId).value;
  EXPECT_EQ(cached_toggle->get_cached_toggle_state().value, platform::ToggleState::On);
}

TEST_F(SimCache, ReferencesAreCountedPerObject) {
  auto form = from_handle(1);
  EXPECT_EQ(desktop_->live_references(), 2);  // the automation object and the element
  auto second = form->add_ref();
  EXPECT_EQ(desktop_->live_element_references(), 2);
  auto r = request(TreeScope::Subtree, false);
  auto cached = form->build_updated_cache(*r).value;
  auto array = cached->get_cached_children().value;
  EXPECT_EQ(desktop_->live_element_references(), 3);
  EXPECT_EQ(desktop_->live_references(), 6);
  array.reset();
  cached.reset();
  second.reset();
  r.reset();
  EXPECT_EQ(desktop_->live_references(), 2);
}

}  // namespace
}  // namespace uiad::sim::testing
