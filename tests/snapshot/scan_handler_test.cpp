// The scan command in process: options, failure messages, the render widget
// search, edit windows, sessions and their element references, and what the
// two strategies cost in calls into the application.
#include <gtest/gtest.h>

#include "daemon/element_lookup.h"
#include "daemon/json_writer.h"
#include "sim_fixture.h"
#include "snapshot/scan.h"

namespace uiad {
namespace {

class Scan : public testing::SimFixture {
 protected:
  // The response as a client reads it: the element map is written as text.
  Json scan(Json request) {
    request["cmd"] = "scan";
    return Json::parse(serialize_json(handle_scan(context(), request)));
  }
  const Session& session(const std::string& key) { return context().sessions.at(key); }
};

TEST_F(Scan, ResultDescribesEveryRecordedElement) {
  load_file("scenes/scan_settings.json");
  Json r = scan({{"app", "SETTINGS"}});
  ASSERT_EQ(r["ok"], true) << r.dump();
  EXPECT_EQ(r["app"], "settings");
  EXPECT_EQ(r["title"], "Settings");
  EXPECT_EQ(r["chromium"], false);
  EXPECT_EQ(r["truncated"], false);
  EXPECT_EQ(r["element_count"], 8);
  EXPECT_EQ(r["handle_count"], 8);
  EXPECT_FALSE(r.contains("timing"));
  ASSERT_EQ(r["elements"].size(), 8u);
  // The transparent group has no line but is in the map.
  EXPECT_EQ(r["elements"]["idx:2"],
            Json::parse(R"({"cx":310,"cy":190,"enabled":true,"focused":false,"h":100,"id":"",
                            "name":"","patterns":[],"role":"group","value":"","w":400})"));
  EXPECT_EQ(r["elements"]["auto:txtUser"],
            Json::parse(R"({"cx":270,"cy":212,"enabled":true,"focused":true,"h":24,"id":"txtUser",
                            "name":"User name","patterns":[],"role":"input","value":"alice","w":300})"));
  const Session& s = session("settings");
  EXPECT_EQ(s.window, 1001u);
  EXPECT_FALSE(s.content_window);
  EXPECT_EQ(s.element_records.size(), 8u);
  EXPECT_EQ(s.element_records.at("auto:chkLog").checked, CheckedState::On);
  for (const auto& [id, record] : s.element_records)
    EXPECT_TRUE(s.live_elements.contains(id)) << id;
}

TEST_F(Scan, LimitsComeFromNonNegativeIntegersOnly) {
  load_file("scenes/scan_settings.json");
  Json none = scan({{"app", "Settings"}, {"max_elements", 0}});
  EXPECT_EQ(none["ui_block"], "");
  EXPECT_EQ(none["element_count"], 0);
  EXPECT_EQ(none["handle_count"], 0);
  EXPECT_EQ(none["elements"], Json::object());
  EXPECT_EQ(none["truncated"], true);

  // Depth 0 keeps the root; the supplement pass still adds Search.
  Json root = scan({{"app", "Settings"}, {"max_depth", 0}, {"depth", 5}});
  EXPECT_EQ(root["element_count"], 2);
  EXPECT_EQ(root["truncated"], true);
  EXPECT_EQ(
      root["ui_block"],
      "<window e=\"name:window:Settings\" label=\"Settings\" title=\"Settings\" pos=\"100,100\" "
      "size=\"800,600\"/>\n  <input e=\"name:input:Search\" label=\"Search\" pos=\"120,250\" "
      "size=\"200,24\"/>");

  for (Json ignored : {Json(3.0), Json(-1), Json("1"), Json(1e0), Json(true)}) {
    Json r = scan({{"app", "Settings"}, {"depth", ignored}, {"max_elements", ignored}});
    EXPECT_EQ(r["element_count"], 8) << ignored.dump();
    EXPECT_EQ(r["truncated"], false) << ignored.dump();
  }
  Json shallow = scan({{"app", "Settings"}, {"depth", 1}});
  EXPECT_EQ(shallow["element_count"], 6);  // window, group, three named children, Search
  EXPECT_EQ(shallow["truncated"], true);
}

TEST_F(Scan, StrategyAndTimingFollowTheRequest) {
  load_file("scenes/scan_settings.json");
  Json plain = scan({{"app", "Settings"}, {"timing", true}});
  EXPECT_EQ(plain["timing"]["strategy"], "cache");
  EXPECT_TRUE(plain["timing"]["build_ms"].is_number_float());
  EXPECT_TRUE(plain["timing"]["supplement_ms"].is_number_float());
  desktop().reset_call_counts();
  Json capital = scan({{"app", "Settings"}, {"timing", true}, {"strategy", "Cache"}});
  EXPECT_EQ(capital["timing"]["strategy"], "Cache");
  EXPECT_EQ(desktop().call_count("BuildUpdatedCache"), 0);  // read over current properties
  EXPECT_EQ(capital["ui_block"], plain["ui_block"]);
  for (Json off : {Json("true"), Json(1), Json(false)}) {
    EXPECT_FALSE(scan({{"app", "Settings"}, {"timing", off}}).contains("timing")) << off.dump();
  }
}

TEST(ScanTiming, RoundsMillisecondsToOneDecimal) {
  EXPECT_EQ(rounded_milliseconds(0), Json(0.0));
  EXPECT_EQ(rounded_milliseconds(40'000), Json(0.0));
  EXPECT_EQ(rounded_milliseconds(60'000), Json(0.1));
  EXPECT_EQ(rounded_milliseconds(1'260'000), Json(1.3));
  EXPECT_EQ(rounded_milliseconds(1'240'000), Json(1.2));
  EXPECT_EQ(rounded_milliseconds(3'600'000'000'000), Json(3600000.0));
  EXPECT_TRUE(rounded_milliseconds(1'260'000).is_number_float());
}

TEST_F(Scan, CachedStrategyReadsOnlyTheCacheAndCurrentReadsEachElement) {
  // No descendant windows and no childless container: nothing beyond the tree's cache.
  load(
      R"({"windows": [{"hwnd": 1, "title": "Plain", "rect": [0, 0, 100, 100], "element": {"children": [
    {"type": "button", "name": "OK"},
    {"type": "list", "name": "L", "children": [{"type": "listitem", "name": "I{i}", "repeat": {"count": 3}}]},
    {"type": "text"},
    {"type": "checkbox", "name": "C", "focused": true, "patterns": {"toggle": {"state": "on"}}}]}}]})");
  desktop().reset_call_counts();
  Json cached = scan({{"app", "plain"}});
  ASSERT_EQ(cached["element_count"], 7);
  EXPECT_EQ(desktop().call_count("BuildUpdatedCache"), 1);
  EXPECT_EQ(desktop().call_count("get_CurrentName"), 0);
  EXPECT_EQ(desktop().call_count("GetCurrentPatternAs"), 0);
  // With ElementFromHandle and GetFocusedElement, that is all.
  EXPECT_EQ(desktop().total_calls(), 3);

  desktop().reset_call_counts();
  Json current = scan({{"app", "plain"}, {"strategy", "current"}});
  EXPECT_EQ(current["ui_block"], cached["ui_block"]);
  EXPECT_EQ(desktop().call_count("BuildUpdatedCache"), 0);
  // Eight elements read (the unnamed text is left out after reading).
  EXPECT_EQ(desktop().call_count("get_CurrentName"), 8);
  EXPECT_EQ(desktop().call_count("get_CurrentBoundingRectangle"), 8);
  EXPECT_EQ(desktop().call_count("GetCurrentPatternAs"), 24);
}

constexpr std::string_view kSeveralWindows = R"({
  "messages": {"0x80070005": "Access is denied.\r\n"},
  "windows": [
    {"hwnd": 10, "title": "Editor \u039f\u0394\u039f\u03a3", "rect": [0, 0, 400, 300],
     "element": {"children": [{"type": "button", "name": "Save"}, {"type": "group"}]},
     "children": [
       {"hwnd": 11, "class": "EDIT", "rect": [5, 6, 100, 30], "children": [
         {"hwnd": 12, "class": "myEDITor", "rect": [-7, 8, 100, 30]}]},
       {"hwnd": 13, "class": "Edit", "rect": [0, 0, 10, 10]},
       {"hwnd": 14, "class": "RichEDIT50W", "rect": [20, 30, 100, 130], "faults": [{"call": "GetWindowRect"}]}
     ]},
    {"hwnd": 20, "title": "Locked", "faults": [{"call": "ElementFromHandle", "hr": "0x80070005"}]},
    {"hwnd": 30, "title": "Empty", "faults": [{"call": "ElementFromHandle", "hr": 0}]},
    {"hwnd": 40, "title": "Browser", "rect": [0, 0, 400, 300], "children": [
      {"hwnd": 41, "class": "Frame", "children": [{"hwnd": 42, "class": "Inner", "children": [
        {"hwnd": 43, "class": "Chrome_RenderWidgetHostHWND"}]}]},
      {"hwnd": 44, "class": "Other", "children": [
        {"hwnd": 45, "class": "Chrome_RenderWidgetHostHWND"}]}]},
    {"hwnd": 50, "title": "Too deep", "children": [{"hwnd": 51, "children": [{"hwnd": 52, "children": [
      {"hwnd": 53, "children": [{"hwnd": 54, "class": "Chrome_RenderWidgetHostHWND"}]}]}]}]}
  ],
  "foreground": 10
})";

TEST_F(Scan, FailuresNameHowTheWindowWasFound) {
  load(kSeveralWindows);
  EXPECT_EQ(scan({{"app", " nothing Here "}}),
            Json::parse(R"({"error":"window not found:  nothing Here ","ok":false})"));
  EXPECT_EQ(scan({{"app", "locked"}})["error"],
            "ElementFromHandle: Access is denied. (0x80070005)");
  EXPECT_EQ(scan({{"app", " +20"}})["error"], "window id  +20: Access is denied. (0x80070005)");
  EXPECT_EQ(scan({{"app", "empty"}})["error"],
            "ElementFromHandle: The operation completed successfully. (0x00000000)");
  EXPECT_TRUE(context().sessions.empty());
}

TEST_F(Scan, ForegroundFailureAndBuildUpdatedCacheFailureKeepTheOldSession) {
  load(
      R"({"windows": [{"hwnd": 5, "title": "Only", "element": {"children": [{"type": "button", "name": "B"}]}}],
           "faults": [{"call": "BuildUpdatedCache", "hr": "0x80004005", "description": "cache broke", "times": 1}]})");
  EXPECT_EQ(scan({{"app", "only"}})["error"], "BuildUpdatedCache: cache broke (0x80004005)");
  EXPECT_TRUE(context().sessions.empty());
  ASSERT_EQ(scan({{"app", "only"}})["ok"], true);
  const auto held = session_references();
  EXPECT_EQ(desktop().live_element_references(), held);

  load(R"({"windows": [{"hwnd": 5, "title": "Only"}],
           "faults": [{"call": "ElementFromHandle", "hr": "0x80004005", "description": "no element"}]})");
  EXPECT_EQ(scan(Json::object())["error"], "foreground: no element (0x80004005)");
  EXPECT_EQ(scan({{"app", 7}})["error"], "foreground: no element (0x80004005)");
}

TEST_F(Scan, WithoutAppTheForegroundTitleIsTheKey) {
  load(kSeveralWindows);
  Json r = scan({{"app", ""}});
  ASSERT_EQ(r["ok"], true) << r.dump();
  // Whole-string lower-casing: the capital sigma at the end becomes final.
  EXPECT_EQ(r["app"], "editor \u03bf\u03b4\u03bf\u03c2");
  EXPECT_EQ(r["title"], "Editor \u039f\u0394\u039f\u03a3");
  EXPECT_TRUE(context().sessions.contains("editor \u03bf\u03b4\u03bf\u03c2"));
}

TEST_F(Scan, EditWindowsAreDescendantsWhoseClassContainsEdit) {
  load(kSeveralWindows);
  ASSERT_EQ(scan({{"app", "editor"}})["ok"], true);
  const Session& s = session("editor");
  ASSERT_EQ(s.edit_windows.size(), 3u);
  EXPECT_EQ(s.edit_windows[0].hwnd, 11u);
  EXPECT_EQ(s.edit_windows[0].left, 5);
  EXPECT_EQ(s.edit_windows[0].top, 6);
  EXPECT_EQ(s.edit_windows[1].hwnd, 12u);
  EXPECT_EQ(s.edit_windows[1].left, -7);
  EXPECT_EQ(s.edit_windows[2].hwnd, 14u);  // GetWindowRect failed: a zero rectangle
  EXPECT_EQ(s.edit_windows[2].left, 0);
  EXPECT_EQ(s.edit_windows[2].top, 0);
  // The unnamed edit windows come from the supplement pass, numbered on from
  // the walk's window (name id), Save (name id) and empty group (idx:3).
  EXPECT_TRUE(s.element_records.contains("idx:3"));
  for (const char* id : {"idx:4", "idx:5", "idx:6", "idx:7"}) {
    ASSERT_TRUE(s.element_records.contains(id)) << id;
    EXPECT_EQ(s.element_records.at(id).role, "input") << id;
  }
  EXPECT_EQ(s.element_records.size(), 7u);
}

TEST_F(Scan, RenderWidgetSwitchesToCurrentReading) {
  load(kSeveralWindows);
  Json r = scan({{"app", "browser"}, {"timing", true}});
  ASSERT_EQ(r["ok"], true) << r.dump();
  EXPECT_EQ(r["chromium"], true);
  EXPECT_EQ(r["timing"]["strategy"], "current");
  const Session& s = session("browser");
  // All levels below the first child come before the second child's children.
  EXPECT_EQ(s.content_window, 43u);
  EXPECT_TRUE(s.chromium);
  EXPECT_TRUE(s.edit_windows.empty());

  Json deep = scan({{"app", "too deep"}, {"timing", true}});
  EXPECT_EQ(deep["chromium"], false);
  EXPECT_EQ(deep["timing"]["strategy"], "cache");
  EXPECT_FALSE(session("too deep").content_window);
}

TEST_F(Scan, SessionsAreReplacedWholeAndHoldTheOnlyReferences) {
  load(kSeveralWindows);
  ASSERT_EQ(scan({{"app", "Editor"}})["ok"], true);
  EXPECT_EQ(desktop().live_element_references(), session_references());
  const auto first = session_references();
  ASSERT_GT(first, 0);

  ASSERT_EQ(scan({{"app", "editor"}, {"max_elements", 1}})["ok"], true);
  EXPECT_EQ(session("editor").element_records.size(), 1u);
  EXPECT_EQ(desktop().live_element_references(), 1);

  ASSERT_EQ(scan({{"app", "browser"}})["ok"], true);
  ASSERT_EQ(scan({{"app", "missing"}})["ok"], false);
  ASSERT_EQ(scan({{"app", "locked"}})["ok"], false);
  EXPECT_EQ(context().sessions.size(), 2u);
  EXPECT_EQ(desktop().live_element_references(), session_references());

  // Each scan numbers its own elements from 1.
  ASSERT_EQ(scan({{"app", "editor"}})["ok"], true);
  EXPECT_TRUE(session("editor").element_records.contains("idx:3"));
  EXPECT_EQ(desktop().live_element_references(), session_references());
}

}  // namespace
}  // namespace uiad
