// Finding a request's session and record: app keys, id normalisation, the
// lookup messages and the staleness test.
#include "daemon/element_lookup.h"

#include <gtest/gtest.h>

#include "sim_fixture.h"
#include "snapshot/scan.h"

namespace uiad {
namespace {

TEST(NormalizeElementId, StripsPrefixesInTheirFixedOrder) {
  EXPECT_EQ(normalize_element_id("auto:btn"), "auto:btn");
  EXPECT_EQ(normalize_element_id("e:auto:btn"), "auto:btn");
  EXPECT_EQ(normalize_element_id("e:e:E:E:name:button:OK"), "name:button:OK");
  EXPECT_EQ(normalize_element_id("eeEEidx:3"), "idx:3");
  // "E:" only counts before the single letters: "e:E" loses "e:" and then "E".
  EXPECT_EQ(normalize_element_id("e:Eidx:3"), "idx:3");
  // Lower-case e goes before upper-case E, so "Ee" keeps its e.
  EXPECT_EQ(normalize_element_id("Eeidx:1"), "eidx:1");
  EXPECT_EQ(normalize_element_id("E:e:x"), ":x");
  EXPECT_EQ(normalize_element_id(""), "");
  EXPECT_EQ(normalize_element_id(" e:x"), " e:x");
}

TEST(ReadTarget, LowerCasesTheAppAndNormalisesTheId) {
  ElementTarget t = read_target({{"app", " NotePad \u039f\u03a3"}, {"id", "E:auto:x"}});
  EXPECT_EQ(t.key, " notepad \u03bf\u03c2");
  EXPECT_EQ(t.id, "auto:x");
  ElementTarget absent = read_target({{"app", 5}, {"id", nullptr}});
  EXPECT_EQ(absent.key, "");
  EXPECT_EQ(absent.id, "");
  EXPECT_EQ(read_target(Json::array()).key, "");
}

class ElementLookup : public testing::SimFixture {
 protected:
  void SetUp() override {
    load(R"({"windows": [{"hwnd": 1, "title": "Pad", "element": {"children": [
      {"type": "button", "name": "OK", "ref": "ok", "patterns": ["invoke"]},
      {"type": "button", "name": "Gone", "ref": "gone"},
      {"type": "button", "name": "Odd", "faults": [{"call": "get_CurrentProcessId", "hr": "0x80004005"}]}]}}],
      "reactions": [{"when": {"event": "invoke", "element": "ok"},
                     "then": [{"action": "remove_element", "element": "gone"}]}]})");
    ASSERT_EQ(handle_scan(context(), {{"cmd", "scan"}, {"app", "Pad"}})["ok"], true);
  }
};

TEST_F(ElementLookup, ReportsMissingSessionsAndIds) {
  std::string error;
  auto found = lookup_element(context(), "pad", "name:button:OK", "click", error);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->record.label, "OK");
  EXPECT_EQ(found->session, &context().sessions.at("pad"));

  EXPECT_FALSE(lookup_element(context(), " pad", "name:button:OK", "click", error));
  EXPECT_EQ(error, "click: no session for ' pad'");
  EXPECT_FALSE(lookup_element(context(), "", "x", "hover", error));
  EXPECT_EQ(error, "hover: no session for ''");
  EXPECT_FALSE(lookup_element(context(), "pad", "", "attrs", error));
  EXPECT_EQ(error, "attrs: no element id= in 'pad'");
  EXPECT_FALSE(lookup_element(context(), "pad", "name:button:Nope", "perform", error));
  EXPECT_EQ(error, "perform: no element id=name:button:Nope in 'pad'");
  EXPECT_EQ(stale_element_message("set_value", "auto:x"),
            "set_value: element 'auto:x' is stale \u2014 the UI changed since the last scan; "
            "re-scan and retry");
}

TEST_F(ElementLookup, OnlyElementNotAvailableMeansStale) {
  const Session& s = context().sessions.at("pad");
  platform::Element& gone = *s.live_elements.at("name:button:Gone");
  EXPECT_FALSE(is_stale(gone));
  // Other failures of the process id read do not make an element stale.
  EXPECT_FALSE(is_stale(*s.live_elements.at("name:button:Odd")));

  auto invoke = s.live_elements.at("name:button:OK")
                    ->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId);
  ASSERT_TRUE(invoke.value);
  ASSERT_EQ(invoke.value->invoke(), platform::kSOk);
  EXPECT_TRUE(is_stale(gone));
  EXPECT_FALSE(is_stale(*s.live_elements.at("name:button:OK")));
  // The record stays as the scan saw it.
  std::string error;
  EXPECT_TRUE(lookup_element(context(), "pad", "name:button:Gone", "click", error));
}

}  // namespace
}  // namespace uiad
