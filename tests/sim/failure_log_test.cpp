// Texts a scene cannot write as plain JSON, and the event log's entries for
// calls that fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

class SimSceneTexts : public SimTest {};

TEST_F(SimSceneTexts, LoneSurrogateEscapesBecomeLoneUnits) {
  load(R"({"windows": [{"hwnd": 1, "title": "T\ud800", "class": "\udfffC",
    "element": {"children": [{"type": "menuitem", "name": "N\ud83d\ude00\udc00",
                              "accelerator_key": "Ctrl+\udbff", "help": "\\ud800"}]}}]})");
  auto& windows = os().windows;
  EXPECT_EQ(windows.get_window_text(1, 512), (std::u16string{u'T', char16_t(0xD800)}));
  EXPECT_EQ(windows.get_class_name(1, 256), (std::u16string{char16_t(0xDFFF), u'C'}));
  auto item = uia().get_raw_view_walker().value->get_first_child_element(*from_handle(1)).value;
  ASSERT_NE(item, nullptr);
  // A proper pair stays the character it encodes.
  EXPECT_EQ(item->get_current_name().value,
            (std::u16string{u'N', char16_t(0xD83D), char16_t(0xDE00), char16_t(0xDC00)}));
  EXPECT_EQ(item->get_current_accelerator_key().value,
            u"Ctrl+" + std::u16string(1, char16_t(0xDBFF)));
  // An escaped backslash is no escape.
  EXPECT_EQ(item->get_current_help_text().value, u"\\ud800");
}

TEST(SimSceneTextsLoading, TheCarrierRangeCannotMixWithLoneSurrogates) {
  std::string error;
  EXPECT_NE(SimDesktop::from_scene_json(R"({"desktop_name": "\udbff\udfff"})", error), nullptr);
  EXPECT_EQ(SimDesktop::from_scene_json(R"({"desktop_name": "\udbff\udfff\ud800"})", error),
            nullptr);
  EXPECT_EQ(error,
            "scene: a scene with lone surrogates (\\ud800) cannot also hold U+10F800 to U+10FFFF");
}

class SimFailureLog : public SimTest {};

TEST_F(SimFailureLog, EveryLoggedCallLeavesAnEntryWhenItFails) {
  load(R"({"faults": [{"call": "PostMessageW"}, {"call": "SendMessageW"}, {"call": "SendInput"},
                      {"call": "SetCursorPos"}, {"call": "SetWindowLongW"},
                      {"call": "CreateFileW", "hr": 5}, {"call": "PrintWindow", "times": 1}],
           "windows": [{"hwnd": 7, "rect": [0, 0, 10, 10]}]})");
  auto& p = os();
  EXPECT_FALSE(p.input.post_message(7, 256, 65, 0));
  EXPECT_EQ(p.input.send_message(7, 14, 0, 0), 0);
  const platform::InputRecord move{};
  EXPECT_EQ(p.input.send_input({&move, 1}), 0u);
  EXPECT_FALSE(p.input.set_cursor_pos(3, 4));
  EXPECT_EQ(p.windows.set_window_long(7, -20, 8), 0);
  EXPECT_EQ(p.files.create_file_for_write(u"/nowhere/x.bmp").hr, 5);
  EXPECT_EQ(p.files.close_file(12345), 6);  // ERROR_INVALID_HANDLE
  EXPECT_TRUE(p.dpi.set_process_dpi_awareness_context(-4));
  EXPECT_FALSE(p.dpi.set_process_dpi_awareness_context(-4));
  const auto screen = p.gdi.get_dc(0);
  const auto mem = p.gdi.create_compatible_dc(screen);
  EXPECT_FALSE(p.gdi.print_window(7, mem, 2));  // the fault
  EXPECT_FALSE(p.gdi.print_window(8, mem, 2));  // no such window
  EXPECT_TRUE(p.gdi.print_window(7, mem, 0));
  EXPECT_TRUE(p.gdi.delete_dc(mem));
  EXPECT_EQ(p.gdi.release_dc(0, screen), 1);
  EXPECT_EQ(
      desktop_->events(),
      (std::vector<std::string>{
          R"({"t":0,"type":"post_message","hwnd":7,"msg":256,"wparam":65,"lparam":0,"ok":false})",
          R"({"t":0,"type":"send_message","hwnd":7,"msg":14,"wparam":0,"lparam":0,"ok":false})",
          R"({"t":0,"type":"send_input","inputs":[{"type":0,"dx":0,"dy":0,"mouse_data":0,"flags":0}],"ok":false})",
          R"({"t":0,"type":"set_cursor_pos","x":3,"y":4,"ok":false})",
          R"({"t":0,"type":"set_window_long","hwnd":7,"index":-20,"value":8,"ok":false})",
          R"({"t":0,"type":"create_file","path":"/nowhere/x.bmp","error":5})",
          R"({"t":0,"type":"close_file","handle":12345,"ok":false})",
          R"({"t":0,"type":"set_dpi_awareness","context":-4})",
          R"({"t":0,"type":"set_dpi_awareness","context":-4,"ok":false})",
          R"({"t":0,"type":"print_window","hwnd":7,"flags":2,"ok":false})",
          R"({"t":0,"type":"print_window","hwnd":8,"flags":2,"ok":false})",
          R"({"t":0,"type":"print_window","hwnd":7,"flags":0})",
      }));
}

}  // namespace
}  // namespace uiad::sim::testing
