// Rendering failed platform calls: where the text comes from, the NT facility
// lookup, trailing blanks and the eight-digit code.
#include "daemon/platform_error.h"

#include <gtest/gtest.h>

#include "fake_com.h"

namespace uiad {
namespace {

class PlatformErrorText : public ::testing::Test {
 protected:
  testing::FakeCom com_;
};

TEST_F(PlatformErrorText, UsesTheSystemTextAndTrimsItsLineEnd) {
  com_.system_text = u"Class not registered\r\n";
  EXPECT_EQ(platform_error_text(com_, platform::kRegDbEClassNotReg),
            "Class not registered (0x80040154)");
  ASSERT_EQ(com_.formatted.size(), 1u);
  EXPECT_EQ(com_.formatted[0], std::make_pair(0x80040154u, false));
}

TEST_F(PlatformErrorText, PrefersTheErrorInformationDescription) {
  com_.error_info = u"Element gone \t";
  com_.system_text = u"unused";
  EXPECT_EQ(platform_error_text(com_, platform::kUiaEElementNotAvailable),
            "Element gone (0x80040201)");
  EXPECT_TRUE(com_.formatted.empty());
  // The description is consumed: the next failure falls back to the system text.
  EXPECT_EQ(platform_error_text(com_, platform::kEFail), "unused (0x80004005)");
}

TEST_F(PlatformErrorText, NtStatusCodesAreLookedUpInNtdllWithoutTheFacilityBit) {
  com_.system_text = u"{Access Denied}\r\n";
  EXPECT_EQ(platform_error_text(com_, static_cast<platform::HResult>(0xD0000022u)),
            "{Access Denied} (0xD0000022)");
  ASSERT_EQ(com_.formatted.size(), 1u);
  EXPECT_EQ(com_.formatted[0], std::make_pair(0xC0000022u, true));
}

TEST_F(PlatformErrorText, CodeAloneWhenThereIsNoText) {
  EXPECT_EQ(platform_error_text(com_, static_cast<platform::HResult>(0x8000FFFFu)), "0x8000FFFF");
  com_.system_text = u" \r\n\t\v\f";
  EXPECT_EQ(platform_error_text(com_, 0x1234), "0x00001234");
  com_.system_text = u"The operation completed successfully.\r\n";
  EXPECT_EQ(platform_error_text(com_, platform::kSOk),
            "The operation completed successfully. (0x00000000)");
}

TEST_F(PlatformErrorText, SuccessWithoutObjectUsesTheSystemTextEvenWithErrorInformation) {
  // A description on the thread belongs to some earlier failure, not to a
  // call that succeeded; it is dropped so no later failure picks it up.
  com_.error_info = u"stale description";
  com_.system_text = u"The operation completed successfully.\r\n";
  EXPECT_EQ(platform_error_text(com_, platform::kSOk),
            "The operation completed successfully. (0x00000000)");
  EXPECT_FALSE(com_.error_info.has_value());
}

TEST_F(PlatformErrorText, UnpairedSurrogatesInTheTextBecomeReplacementCharacters) {
  com_.error_info = platform::WString{u'a', char16_t(0xD800)};
  EXPECT_EQ(platform_error_text(com_, platform::kEFail), "a\xEF\xBF\xBD (0x80004005)");
}

}  // namespace
}  // namespace uiad
