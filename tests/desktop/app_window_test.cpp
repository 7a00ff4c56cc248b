// Resolving an `app` string to a window: match form, handle form, title search
// and process names.
#include "desktop/app_window.h"

#include <gtest/gtest.h>

#include "windows/windows_fixture.h"

namespace uiad::testing {
namespace {

constexpr const char* kDesktop = R"({
  "processes": [
    {"pid": 10, "image": "notepad.exe"}, {"pid": 11, "image": "Setup.EXE"},
    {"pid": 12, "image": "a.exe.exe"}, {"pid": 13, "image": "guard.exe", "openable": false},
    {"pid": 14, "image": "browser.exe"}],
  "foreground": 300,
  "windows": [
    {"hwnd": 100, "title": "Inbox - Google Chrome", "process": 14, "rect": [0, 0, 800, 600]},
    {"hwnd": 200, "title": "Hidden notes", "visible": false, "process": 10},
    {"hwnd": 300, "title": "Untitled - Notepad", "process": 10, "rect": [10, 20, 410, 320]},
    {"hwnd": 400, "title": "Installer", "process": 11},
    {"hwnd": 500, "title": "Twice", "process": 12},
    {"hwnd": 600, "title": "Guarded", "process": 13},
    {"hwnd": 700, "class": "NoTitle"},
    {"hwnd": 800, "title": "ΣΟΦΟΣ İstanbul", "process": 10},
    {"hwnd": 900, "title": "Calculator", "process": 10, "cloaked": true},
    {"hwnd": 950, "title": "Calculator", "process": 11},
    {"hwnd": 960, "title": "Mail", "process": 11, "cloaked": true}
  ]})";

class AppWindow : public WindowsTest {
 protected:
  void SetUp() override { load(kDesktop); }
};

TEST(MatchForm, DropsZeroWidthCharactersAndLowerCasesEachCharacterAlone) {
  EXPECT_EQ(match_form("NOTE\u200bPAD\u200c\u200d\ufeff"), "notepad");
  // Per character: U+0130 becomes i + U+0307 and a final capital sigma stays U+03C3.
  EXPECT_EQ(match_form("\u0130\u03a3"), "i\u0307\u03c3");
  EXPECT_EQ(match_form(""), "");
}

TEST_F(AppWindow, TitledWindowsKeepZOrderAndSkipUntitledOnes) {
  auto list = list_titled_windows(os().windows);
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list[0].hwnd, 100u);
  EXPECT_EQ(list[1].title, "Hidden notes");
  for (const auto& w : list) EXPECT_NE(w.hwnd, 700u);
}

TEST_F(AppWindow, HandleFormAcceptsSpacesAndPlusButNotSignsZeroOrOverflow) {
  auto& w = os().windows;
  EXPECT_EQ(parse_window_handle(w, " 300\t"), 300u);
  EXPECT_EQ(parse_window_handle(w, "+300"), 300u);
  EXPECT_EQ(parse_window_handle(w, "\u3000300\u00a0"), 300u);
  EXPECT_FALSE(parse_window_handle(w, "-300"));
  EXPECT_FALSE(parse_window_handle(w, "+"));
  EXPECT_FALSE(parse_window_handle(w, "++300"));
  EXPECT_FALSE(parse_window_handle(w, "0"));
  EXPECT_FALSE(parse_window_handle(w, "3 00"));
  EXPECT_FALSE(parse_window_handle(w, "123456789012345678901"));  // 21 digits
  EXPECT_FALSE(parse_window_handle(w, "301"));                    // not a window
  EXPECT_EQ(parse_window_handle(w, "200"), 200u);                 // invisible still counts
}

TEST_F(AppWindow, TitleSearchTakesTheFirstMatchTheUserCanSeeAndNeverTheExcludedBrowser) {
  auto& w = os().windows;
  // A visible window wins over a hidden one higher in the Z order, and over a
  // cloaked one (another virtual desktop).
  EXPECT_EQ(find_window_by_title(w, "NOTE")->hwnd, 300u);
  EXPECT_EQ(find_window_by_title(w, "calc")->hwnd, 950u);
  // When nothing visible matches, the first hidden or cloaked match.
  EXPECT_EQ(find_window_by_title(w, "hidden")->hwnd, 200u);
  EXPECT_EQ(find_window_by_title(w, "mail")->hwnd, 960u);
  EXPECT_EQ(find_window_by_title(w, "untitled - note\u200bpad")->hwnd, 300u);
  EXPECT_FALSE(find_window_by_title(w, "chrome"));
  EXPECT_FALSE(find_window_by_title(w, "inbox"));
  // The empty query matches the first shown title without the exclusion text.
  EXPECT_EQ(find_window_by_title(w, "")->hwnd, 300u);
  EXPECT_EQ(find_window_by_title(w, "σοφοσ i\u0307stanbul")->hwnd, 800u);
  EXPECT_FALSE(find_window_by_title(w, " untitled"));  // the query is not trimmed
}

TEST_F(AppWindow, ResolutionOrderIsForegroundThenHandleThenTitle) {
  std::string error;
  auto fg = resolve_app_window(os(), Json(), error);
  ASSERT_TRUE(fg);
  EXPECT_EQ(fg->hwnd, 300u);
  EXPECT_EQ(fg->found_by, FoundBy::Foreground);
  EXPECT_EQ(resolve_app_window(os(), Json(""), error)->found_by, FoundBy::Foreground);
  EXPECT_EQ(resolve_app_window(os(), Json(42), error)->found_by, FoundBy::Foreground);

  auto by_handle = resolve_app_window(os(), Json(" 400 "), error);
  EXPECT_EQ(by_handle->hwnd, 400u);
  EXPECT_EQ(by_handle->found_by, FoundBy::Handle);

  auto by_title = resolve_app_window(os(), Json("INSTALL"), error);
  EXPECT_EQ(by_title->hwnd, 400u);
  EXPECT_EQ(by_title->found_by, FoundBy::Title);

  EXPECT_FALSE(resolve_app_window(os(), Json(" Chrome "), error));
  EXPECT_EQ(error, "window not found:  Chrome ");
  EXPECT_FALSE(resolve_app_window(os(), Json("-400"), error));
  EXPECT_EQ(error, "window not found: -400");
}

TEST_F(AppWindow, ProcessNamesLoseEveryTrailingLowerCaseExe) {
  EXPECT_EQ(process_base_name(os(), 300), "notepad");
  EXPECT_EQ(process_base_name(os(), 400), "Setup.EXE");
  EXPECT_EQ(process_base_name(os(), 500), "a");
  EXPECT_EQ(process_base_name(os(), 600), "Unknown");    // cannot be opened
  EXPECT_EQ(process_base_name(os(), 700), "Unknown");    // no process
  EXPECT_EQ(process_base_name(os(), 12345), "Unknown");  // not a window
}

TEST_F(WindowsTest, TitlesAndImageNamesAreCutToTheirBuffers) {
  // 512 units for titles (511 arrive), 260 for image names (259 arrive); a
  // surrogate pair cut in half leaves an unpaired surrogate, shown as U+FFFD.
  const std::string long_title(600, 'a');
  const std::string cut_pair = std::string(510, 'b') + "\xF0\x9F\x98\x80";
  const std::string image = std::string(300, 'p') + ".exe";
  load(R"({"processes": [{"pid": 10, "image": ")" + image + R"("}], "foreground": 1,
           "windows": [{"hwnd": 1, "title": ")" +
       long_title + R"(", "process": 10},
                       {"hwnd": 2, "title": ")" +
       cut_pair + R"("}]})");
  auto list = list_titled_windows(os().windows);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].title, std::string(511, 'a'));
  EXPECT_EQ(list[1].title, std::string(510, 'b') + "\xEF\xBF\xBD");
  EXPECT_EQ(window_title(os().windows, 1), std::string(511, 'a'));
  EXPECT_EQ(process_base_name(os(), 1), std::string(259, 'p'));
}

}  // namespace
}  // namespace uiad::testing
