// windows, list_apps and foreground over a simulated desktop.
#include "windows/desktop_commands.h"

#include <gtest/gtest.h>

#include "windows/windows_fixture.h"

namespace uiad::testing {
namespace {

constexpr const char* kDesktop = R"({
  "processes": [{"pid": 10, "image": "notepad.exe"}, {"pid": 11, "image": "calc.exe"},
                {"pid": 13, "image": "guard.exe", "openable": false}],
  "foreground": 300,
  "windows": [
    {"hwnd": 100, "title": "Inbox - Google Chrome", "process": 11, "rect": [-1920, -10, 0, 1070]},
    {"hwnd": 200, "title": "Hidden notes", "visible": false, "process": 10, "rect": [0, 0, 10, 10]},
    {"hwnd": 300, "title": "Untitled - Notepad", "process": 10, "rect": [10, 20, 410, 320]},
    {"hwnd": 310, "title": "Untitled - Notepad", "process": 11, "rect": [30, 40, 50, 60]},
    {"hwnd": 400, "title": "Guarded", "process": 13, "rect": [0, 0, 100, 100]},
    {"hwnd": 700, "class": "NoTitle"}
  ]})";

class DesktopCommands : public WindowsTest {
 protected:
  void SetUp() override { load(kDesktop); }
};

TEST_F(DesktopCommands, WindowsListsVisibleTitledWindowsWithRectangles) {
  Json r = handle_windows(context(), Json::object());
  EXPECT_EQ(r["ok"], true);
  ASSERT_EQ(r["windows"].size(), 4u);
  EXPECT_EQ(r["windows"][0], (Json{{"id", "100"},
                                   {"pos", {-1920, -10}},
                                   {"size", {1920, 1080}},
                                   {"title", "Inbox - Google Chrome"}}));
  EXPECT_EQ(r["windows"][1]["id"], "300");
  EXPECT_EQ(r["windows"][1]["size"], (Json{400, 300}));
}

TEST_F(DesktopCommands, WindowsFiltersByMatchFormWithoutTheBrowserExclusion) {
  Json r = handle_windows(context(), Json{{"app", "NOTE\u200bPAD"}});
  ASSERT_EQ(r["windows"].size(), 2u);
  EXPECT_EQ(r["windows"][0]["id"], "300");
  EXPECT_EQ(handle_windows(context(), Json{{"app", "chrome"}})["windows"].size(), 1u);
  // A non-string filter counts as empty.
  EXPECT_EQ(handle_windows(context(), Json{{"app", 5}})["windows"].size(), 4u);
}

TEST_F(DesktopCommands, ListAppsKeepsOneEntryPerDistinctVisibleTitle) {
  Json r = handle_list_apps(context(), Json::object());
  EXPECT_EQ(r, (Json{{"apps",
                      {{{"name", "Inbox - Google Chrome"}, {"process", "calc"}},
                       {{"name", "Untitled - Notepad"}, {"process", "notepad"}},
                       {{"name", "Guarded"}, {"process", "Unknown"}}}},
                     {"ok", true}}));
}

TEST_F(DesktopCommands, ForegroundNamesTheWindow) {
  EXPECT_EQ(handle_foreground(context(), Json::object()),
            (Json{{"hwnd", 300}, {"ok", true}, {"title", "Untitled - Notepad"}}));
}

TEST_F(WindowsTest, FailingWindowCallsGiveEmptyValuesNotErrors) {
  load(R"({"processes": [{"pid": 10, "image": "notepad.exe"}],
           "faults": [{"call": "GetModuleBaseNameW"}], "foreground": 2,
           "windows": [
             {"hwnd": 1, "title": "Unreadable rect", "process": 10, "rect": [5, 5, 50, 50],
              "faults": [{"call": "GetWindowRect"}]},
             {"hwnd": 2, "title": "Unreadable title", "faults": [{"call": "GetWindowTextW"}]}]})");
  EXPECT_EQ(
      handle_windows(context(), Json::object()),
      (Json{{"ok", true},
            {"windows",
             {{{"id", "1"}, {"pos", {0, 0}}, {"size", {0, 0}}, {"title", "Unreadable rect"}}}}}));
  // The process was opened but its name could not be read; the handle is
  // still closed (checked at tear-down).
  EXPECT_EQ(
      handle_list_apps(context(), Json::object()),
      (Json{{"apps", {{{"name", "Unreadable rect"}, {"process", "Unknown"}}}}, {"ok", true}}));
  EXPECT_EQ(handle_foreground(context(), Json::object()),
            (Json{{"hwnd", 2}, {"ok", true}, {"title", ""}}));
}

TEST_F(WindowsTest, FailedEnumerationListsNothing) {
  load(R"({"faults": [{"call": "EnumWindows"}], "windows": [{"hwnd": 1, "title": "A"}]})");
  EXPECT_EQ(handle_windows(context(), Json::object()),
            (Json{{"ok", true}, {"windows", Json::array()}}));
  EXPECT_EQ(handle_list_apps(context(), Json::object()),
            (Json{{"apps", Json::array()}, {"ok", true}}));
}

TEST(DesktopCommandsNoForeground, ReportsZeroAndEmptyTitle) {
  std::string error;
  auto desktop = sim::SimDesktop::from_scene_json(R"({"foreground": null, "windows": [{"hwnd": 5, "title": "A"}]})", error);
  ASSERT_NE(desktop, nullptr) << error;
  auto automation = desktop->platform().com.create_automation();
  DaemonContext context(desktop->platform(), std::move(automation.value));
  EXPECT_EQ(handle_foreground(context, Json::object()),
            (Json{{"hwnd", 0}, {"ok", true}, {"title", ""}}));
}

}  // namespace
}  // namespace uiad::testing
