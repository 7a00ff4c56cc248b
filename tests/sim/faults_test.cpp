// Injected faults: failing reads and pattern calls with their error
// information, limited repetitions, failing start-up, and the message texts.
#include <gtest/gtest.h>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

class SimFaults : public SimTest {};

TEST_F(SimFaults, AFailingCallLeavesItsDescriptionForOneTake) {
  load(R"({"windows": [{"hwnd": 1, "element": {"children": [
      {"type": "button", "name": "Flaky", "patterns": ["invoke"], "faults": [
         {"call": "get_CurrentName", "hr": "0x80070005", "description": "Access to the name was refused"},
         {"call": "GetCurrentPatternAs", "pattern": "invoke", "hr": 2147500037, "times": 1},
         {"call": "get_CurrentHelpText", "hr": 0}]}]}}]})");
  auto window = from_handle(1);
  auto flaky = uia().get_control_view_walker().value->get_first_child_element(*window).value;
  ASSERT_NE(flaky, nullptr);
  auto& com = os().com;
  EXPECT_EQ(flaky->get_current_name().hr, static_cast<platform::HResult>(0x80070005u));
  EXPECT_EQ(com.take_error_info_description(), u16("Access to the name was refused"));
  EXPECT_EQ(com.take_error_info_description(), std::nullopt);

  // A later failure without description must not show the earlier text.
  EXPECT_EQ(flaky->get_current_name().hr, static_cast<platform::HResult>(0x80070005u));
  auto first = flaky->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId);
  EXPECT_EQ(first.hr, platform::kEFail);
  EXPECT_EQ(com.take_error_info_description(), std::nullopt);
  auto second = flaky->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId);
  EXPECT_EQ(second.hr, platform::kSOk);
  EXPECT_NE(second.value, nullptr);

  // A fault with a success code: success, but nothing handed back.
  auto help = flaky->get_current_help_text();
  EXPECT_EQ(help.hr, platform::kSOk);
  EXPECT_TRUE(help.value.empty());
}

TEST_F(SimFaults, GlobalAndWindowFaultsHitTheirCalls) {
  load(R"({"faults": [{"call": "get_RawViewWalker", "hr": "0x80004005"}, {"call": "EnumWindows"}],
           "windows": [{"hwnd": 1, "faults": [{"call": "ElementFromHandle", "hr": "0x80040201"},
                                              {"call": "PrintWindow", "flags": 2}]}]})");
  EXPECT_EQ(uia().get_raw_view_walker().hr, platform::kEFail);
  EXPECT_TRUE(uia().get_control_view_walker().succeeded());
  std::vector<platform::Hwnd> windows;
  EXPECT_FALSE(os().windows.enum_windows(windows));
  EXPECT_EQ(uia().element_from_handle(1).hr, platform::kUiaEElementNotAvailable);

  auto& gdi = os().gdi;
  const auto screen = gdi.get_dc(0);
  const auto mem = gdi.create_compatible_dc(screen);
  EXPECT_FALSE(gdi.print_window(1, mem, 2));
  EXPECT_TRUE(gdi.print_window(1, mem, 0));
  EXPECT_TRUE(gdi.delete_dc(mem));
  EXPECT_EQ(gdi.release_dc(0, screen), 1);
}

TEST(SimStartUpFaults, CreatingTheAutomationObjectCanFail) {
  std::string error;
  auto d = SimDesktop::from_scene_json(
      R"({"faults": [{"call": "CoCreateInstance", "hr": "0x80040154"}]})", error);
  ASSERT_NE(d, nullptr) << error;
  EXPECT_EQ(d->platform().com.co_initialize_multithreaded(), platform::kSOk);
  EXPECT_EQ(d->platform().com.co_initialize_multithreaded(), 1);  // S_FALSE: already initialised
  auto automation = d->platform().com.create_automation();
  EXPECT_EQ(automation.hr, platform::kRegDbEClassNotReg);
  EXPECT_EQ(automation.value, nullptr);
  EXPECT_EQ(d->platform().com.format_message(0x80040154u, false), u"Class not registered\r\n");
}

TEST(SimMessageTexts, SystemTextsEndInCrLfAndScenesMayOverrideThem) {
  std::string error;
  auto d = SimDesktop::from_scene_json(
      R"({"messages": {"0x80004005": "Custom failure\r\n", "1234": "Made up"},
          "ntdll_messages": {"0xC0000022": "Denied here"}})",
      error);
  ASSERT_NE(d, nullptr) << error;
  auto& com = d->platform().com;
  EXPECT_EQ(com.format_message(0x80004005u, false), u"Custom failure\r\n");
  EXPECT_EQ(com.format_message(1234, false), u"Made up");
  EXPECT_EQ(com.format_message(0xC0000022u, true), u"Denied here");
  EXPECT_EQ(com.format_message(0, false), u"The operation completed successfully.\r\n");
  EXPECT_EQ(com.format_message(3, false), u"The system cannot find the path specified.\r\n");
  EXPECT_EQ(com.format_message(0x80070005u, false), u"Access is denied.\r\n");
  EXPECT_EQ(com.format_message(0x80070057u, false), u"The parameter is incorrect.\r\n");
  EXPECT_EQ(com.format_message(0x80040201u, false),
            u"An event was unable to invoke any of the subscribers\r\n");
  EXPECT_EQ(com.format_message(0x80040200u, false), u"");
  EXPECT_EQ(com.format_message(0xC000000Du, true),
            u"An invalid parameter was passed to a service or function.\r\n");
}

}  // namespace
}  // namespace uiad::sim::testing
