// The bundled demo desktop behaves as its documentation promises: menus that
// open, a context menu on right click, a dialog its buttons close, a tooltip.
#include <gtest/gtest.h>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

constexpr platform::Hwnd kPreferences = 198030;
constexpr platform::Hwnd kPreferencesOk = 198038;
constexpr platform::Hwnd kEditor = 132004;
constexpr platform::Hwnd kEditorText = 132010;
constexpr platform::Hwnd kContextMenu = 460200;
constexpr platform::Hwnd kBrowser = 263512;
constexpr platform::Hwnd kTooltip = 526100;

class SimDemoDesktop : public SimTest {
 protected:
  void SetUp() override { load(SimDesktop::demo_scene_json()); }

  std::int64_t client_lparam(platform::Hwnd hwnd, platform::Point screen) {
    auto client = os().windows.screen_to_client(hwnd, screen).value();
    return (client.x & 0xFFFF) | (client.y << 16);
  }
};

TEST_F(SimDemoDesktop, TheFileMenuExposesItsItemsOnlyWhileExpanded) {
  auto editor = from_handle(kEditor);
  auto file = find(*editor, "&File");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(find(*file, "&New\tCtrl+N"), nullptr);
  EXPECT_NE(find(*editor, "Select &All\tCtrl+A"), nullptr);  // the Edit menu is static
  auto expand =
      file->current_pattern_as<platform::ExpandCollapsePattern>(platform::kExpandCollapsePatternId);
  ASSERT_EQ(expand.value->expand(), platform::kSOk);
  auto item = find(*file, "&New\tCtrl+N");
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(
      item->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId).value->invoke(),
      platform::kSOk);
  EXPECT_EQ(os().windows.get_window_text(kEditor, 512), u16("Untitled - Text Editor"));
  EXPECT_EQ(find(*file, "&New\tCtrl+N"), nullptr);
}

TEST_F(SimDemoDesktop, ARightClickInTheEditorOpensAContextMenuThatEscapeCloses) {
  const auto lparam = client_lparam(kEditorText, {400, 300});
  ASSERT_TRUE(os().input.post_message(kEditorText, 0x0204, 0, lparam));
  ASSERT_TRUE(os().input.post_message(kEditorText, 0x0205, 0, lparam));
  ASSERT_TRUE(os().windows.is_window(kContextMenu));
  auto root = uia().get_root_element().value;
  auto first = uia().get_raw_view_walker().value->get_first_child_element(*root).value;
  EXPECT_EQ(first->get_current_control_type().value, platform::kMenuControlTypeId);
  EXPECT_EQ(os().windows.get_class_name(first->get_current_native_window_handle().value, 128),
            u16("#32768"));
  auto copy = find(*first, "&Copy\tCtrl+C");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->get_current_accelerator_key().value, u16("Ctrl+C"));
  ASSERT_TRUE(os().input.post_message(os().input.get_foreground_window(), 0x0100, 0x1B, 0));
  EXPECT_FALSE(os().windows.is_window(kContextMenu));
  EXPECT_EQ(copy->get_current_name().hr, platform::kUiaEElementNotAvailable);
}

TEST_F(SimDemoDesktop, APostedClickOnOkClosesThePreferencesDialog) {
  EXPECT_EQ(os().input.get_foreground_window(), kPreferences);
  // The dialog's OK button is a child window: the click lands there.
  const platform::Point ok_centre{660, 525};
  auto client = os().windows.screen_to_client(kPreferences, ok_centre).value();
  EXPECT_EQ(os().windows.child_window_from_point_ex(kPreferences, client, 3), kPreferencesOk);
  const auto lparam = client_lparam(kPreferencesOk, ok_centre);
  ASSERT_TRUE(os().input.post_message(kPreferencesOk, 0x0201, 1, lparam));
  ASSERT_TRUE(os().input.post_message(kPreferencesOk, 0x0202, 0, lparam));
  EXPECT_FALSE(os().windows.is_window(kPreferences));
  EXPECT_EQ(os().input.get_foreground_window(), kEditor);
}

TEST_F(SimDemoDesktop, TheEventLogReadsAsDocumented) {
  desktop_->clear_events();
  auto dialog = from_handle(kPreferences);
  auto check_box = find(*dialog, "Show status bar");
  ASSERT_EQ(check_box->current_pattern_as<platform::TogglePattern>(platform::kTogglePatternId)
                .value->toggle(),
            platform::kSOk);
  const auto lparam = client_lparam(kPreferencesOk, {660, 525});
  ASSERT_TRUE(os().input.post_message(kPreferencesOk, 0x0201, 1, lparam));
  os().clock.sleep_ms(30);
  ASSERT_TRUE(os().input.post_message(kPreferencesOk, 0x0202, 0, lparam));
  const std::vector<std::string> expected{
      R"({"t":0,"type":"uia","call":"Toggle","element":"pref_status_bar","state":0})",
      R"({"t":0,"type":"post_message","hwnd":198038,"msg":513,"wparam":1,"lparam":983080})",
      R"({"t":0,"type":"sleep","ms":30})",
      R"({"t":30,"type":"post_message","hwnd":198038,"msg":514,"wparam":0,"lparam":983080})",
      R"({"t":30,"type":"destroy_window","hwnd":198030})",
      R"({"t":30,"type":"foreground","hwnd":132004})",
  };
  EXPECT_EQ(desktop_->events(), expected);
}

TEST_F(SimDemoDesktop, HoveringTheUpButtonRevealsItsTooltip) {
  EXPECT_FALSE(os().windows.is_window_visible(kTooltip));
  const auto lparam = client_lparam(kBrowser, {210, 160});
  ASSERT_TRUE(os().input.post_message(kBrowser, 0x0200, 0, lparam));
  EXPECT_TRUE(os().windows.is_window_visible(kTooltip));
}

TEST_F(SimDemoDesktop, MovingTheRealCursorOntoTheUpButtonRevealsItsTooltipToo) {
  ASSERT_TRUE(os().input.set_cursor_pos(210, 160));
  EXPECT_TRUE(os().windows.is_window_visible(kTooltip));
}

}  // namespace
}  // namespace uiad::sim::testing
