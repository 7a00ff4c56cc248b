// Menu item names: what clean_menu_name keeps and how a path segment matches.
#include <gtest/gtest.h>

#include <string>

#include "menus/menu_tree.h"

namespace uiad::menus {
namespace {

TEST(MenuNames, CleaningKeepsTheTextBeforeTheTabWithoutAmpersandsTrimmed) {
  const struct {
    const char* raw;
    const char* clean;
  } cases[] = {
      {"&File", "File"},
      {"Save &As...\tCtrl+Shift+S", "Save As..."},
      {" Help && Support ", "Help  Support"},
      {"\xE3\x80\x80&Zoom\xC2\xA0", "Zoom"},  // ideographic space, no-break space
      {"\tCtrl+N", ""},
      {" & ", ""},
      {"A\tB\tC", "A"},
  };
  for (const auto& c : cases) EXPECT_EQ(clean_menu_name(c.raw), c.clean) << c.raw;
}

TEST(MenuNames, ASegmentMatchesACaseInsensitivePrefixOfTheCleanedName) {
  EXPECT_TRUE(menu_name_matches("&Save\tCtrl+S", "save"));
  EXPECT_TRUE(menu_name_matches("Save &As...", " SAVE A "));
  EXPECT_FALSE(menu_name_matches("&Save", "save a"));
  EXPECT_TRUE(menu_name_matches("&Open", "Open"));
  EXPECT_FALSE(menu_name_matches("&Open", ""));
  EXPECT_FALSE(menu_name_matches("&Open", " \t "));
  // The accelerator after the tab is not part of the name.
  EXPECT_FALSE(menu_name_matches("&New\tCtrl+N", "new\tctrl"));
  // Whole-string lower-casing on both sides: a final capital sigma.
  EXPECT_TRUE(menu_name_matches("ΟΔΟΣ", "οδος"));
}

}  // namespace
}  // namespace uiad::menus
