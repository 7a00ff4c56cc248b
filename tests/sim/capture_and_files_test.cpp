// Window capture paints windows in their scene colours; files are real files
// with the Win32 error codes of the failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sim/sim_fixture.h"
#include "windows/screenshot.h"

namespace uiad::sim::testing {
namespace {

using uiad::capture_window;
using uiad::WindowCapture;

class SimCapture : public SimTest {};

TEST_F(SimCapture, PrintWindowPaintsChildrenOverTheWindowAndGetDIBitsCopiesTopDown) {
  load(R"({"windows": [{"hwnd": 1, "rect": [100, 100, 104, 103], "color": "#102030",
           "children": [{"hwnd": 2, "rect": [102, 101, 104, 103], "color": "#A0B0C0"},
                        {"hwnd": 3, "rect": [100, 100, 101, 101], "color": "#FFFFFF", "visible": false}]}]})");
  auto& gdi = os().gdi;
  const auto screen = gdi.get_dc(0);
  const auto mem = gdi.create_compatible_dc(screen);
  const auto bitmap = gdi.create_compatible_bitmap(screen, 4, 3);
  const auto old = gdi.select_object(mem, bitmap);
  ASSERT_NE(old, 0u);
  ASSERT_TRUE(gdi.print_window(1, mem, 2));
  EXPECT_FALSE(gdi.delete_object(bitmap));  // still selected
  platform::BitmapInfoHeader header;
  header.width = 4;
  header.height = -3;
  std::vector<std::uint8_t> pixels(4 * 3 * 4);
  // GDI wants the bitmap out of every DC before GetDIBits reads it.
  EXPECT_EQ(gdi.get_di_bits(mem, bitmap, 0, 3, pixels, header, 0), 0);
  EXPECT_EQ(gdi.select_object(mem, old), bitmap);
  EXPECT_EQ(gdi.get_di_bits(mem, bitmap, 0, 3, pixels, header, 0), 3);
  auto pixel = [&](int x, int y) {
    const std::uint8_t* p = &pixels[(y * 4 + x) * 4];
    return std::array<int, 4>{p[0], p[1], p[2], p[3]};
  };
  EXPECT_EQ(pixel(0, 0), (std::array<int, 4>{0x30, 0x20, 0x10, 0}));  // hidden child not painted
  EXPECT_EQ(pixel(1, 0), (std::array<int, 4>{0x30, 0x20, 0x10, 0}));
  EXPECT_EQ(pixel(2, 1), (std::array<int, 4>{0xC0, 0xB0, 0xA0, 0}));
  EXPECT_EQ(pixel(3, 2), (std::array<int, 4>{0xC0, 0xB0, 0xA0, 0}));
  EXPECT_EQ(pixel(2, 0), (std::array<int, 4>{0x30, 0x20, 0x10, 0}));
  EXPECT_EQ(desktop_->open_handles(), 3);
  // Bottom-up rows, and a buffer too small for the lines asked for.
  header.height = 3;
  std::vector<std::uint8_t> bottom_up(pixels.size());
  EXPECT_EQ(gdi.get_di_bits(mem, bitmap, 0, 3, bottom_up, header, 0), 3);
  EXPECT_TRUE(std::equal(bottom_up.begin(), bottom_up.begin() + 16, pixels.end() - 16));
  std::vector<std::uint8_t> small(8);
  EXPECT_EQ(gdi.get_di_bits(mem, bitmap, 0, 3, small, header, 0), 0);
  EXPECT_TRUE(gdi.delete_object(bitmap));
  EXPECT_TRUE(gdi.delete_dc(mem));
  EXPECT_EQ(gdi.release_dc(0, screen), 1);
  EXPECT_FALSE(gdi.print_window(99, mem, 0));
}

// A readable picture: controls drawn from the element tree with their labels;
// absent elements and those of hidden child windows are not drawn.
TEST_F(SimCapture, ElementsAreDrawnAsControlsWithTheirLabels) {
  load(R"({"windows": [{"hwnd": 1, "title": "Form", "rect": [0, 0, 120, 60],
           "children": [{"hwnd": 2, "class": "Edit", "rect": [70, 35, 110, 55], "visible": false}],
           "element": {"children": [
             {"type": "button", "name": "OK", "rect": [10, 10, 50, 30]},
             {"type": "button", "name": "No", "rect": [60, 10, 100, 30], "enabled": false},
             {"type": "checkbox", "name": "on", "rect": [10, 35, 60, 55],
              "patterns": {"toggle": {"state": "on"}}},
             {"type": "edit", "native_window": 2, "patterns": {"value": {"value": "hidden"}}},
             {"type": "text", "name": "absent", "rect": [70, 35, 110, 55], "present": false}]}}]})");
  auto captured = capture_window(os().gdi, 1, 120, 60);
  ASSERT_TRUE(std::holds_alternative<WindowCapture>(captured));
  const auto& pixels = std::get<WindowCapture>(captured).pixels;
  auto rgb = [&](int x, int y) {
    const std::uint8_t* p = &pixels[(y * 120 + x) * 4];
    return (p[2] << 16) | (p[1] << 8) | p[0];
  };
  auto count = [&](int left, int top, int right, int bottom, int colour) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += rgb(x, y) == colour;
    return n;
  };
  EXPECT_EQ(rgb(10, 10), 0xADADAD);                // button border
  EXPECT_EQ(rgb(11, 11), 0xE1E1E1);                // button face
  EXPECT_GT(count(10, 10, 50, 30, 0x000000), 20);  // "OK" in black
  EXPECT_EQ(count(60, 10, 100, 30, 0x000000), 0);  // "No" disabled: grey text
  EXPECT_GT(count(60, 10, 100, 30, 0xA0A0A0), 20);
  EXPECT_EQ(rgb(13, 41), 0x000000);  // the check mark
  EXPECT_EQ(count(70, 35, 110, 55, 0xF0F0F0), 40 * 20);
}

class SimFiles : public SimTest {
 protected:
  void SetUp() override {
    load("{}");
    dir_ =
        std::filesystem::temp_directory_path() / ("uiad_sim_files_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    SimTest::TearDown();
  }
  std::filesystem::path dir_;
};

TEST_F(SimFiles, WritesReplaceTheFileAndMissingDirectoriesGiveCode3) {
  const auto path = dir_ / "shot.bmp";
  { std::ofstream(path) << "old content that is longer"; }
  auto& files = os().files;
  auto created = files.create_file_for_write(u16(path.string()));
  ASSERT_EQ(created.hr, platform::kSOk);
  EXPECT_EQ(desktop_->open_handles(), 1);
  const std::uint8_t bytes[] = {'B', 'M'};
  EXPECT_EQ(files.write_file(created.value, bytes), 0);
  EXPECT_EQ(files.close_file(created.value), 0);
  EXPECT_EQ(std::filesystem::file_size(path), 2u);

  auto missing = files.create_file_for_write(u16((dir_ / "no" / "such" / "x.bmp").string()));
  EXPECT_EQ(missing.hr, 3);
  EXPECT_EQ(missing.value, platform::kInvalidHandleValue);
  EXPECT_EQ(files.create_file_for_write(u16(dir_.string())).hr, 5);  // a directory
  EXPECT_EQ(files.create_file_for_write(std::u16string(u"a\0b", 3)).hr, 123);
}

}  // namespace
}  // namespace uiad::sim::testing
