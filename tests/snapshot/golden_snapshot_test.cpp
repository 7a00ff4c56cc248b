// Snapshot texts of whole scenes against golden files in tests/data/snapshots/,
// compared line by line. UIAD_UPDATE_GOLDENS=1 rewrites the files instead,
// for a change that is meant.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim_fixture.h"
#include "snapshot/scan.h"

namespace uiad {
namespace {

struct GoldenCase {
  const char* name;  // golden file name without ".txt"
  const char* scene;
  const char* request;
};

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class GoldenSnapshot : public testing::SimFixture,
                       public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenSnapshot, MatchesTheGoldenText) {
  const GoldenCase& c = GetParam();
  load_file(std::string("scenes/") + c.scene);
  Json request = Json::parse(c.request);
  Json result = handle_scan(context(), request);
  ASSERT_EQ(result["ok"], true) << result.dump();
  const std::string actual = result["ui_block"].get<std::string>() + "\n";

  const std::string path = std::string(UIAD_TEST_DATA_DIR) + "/snapshots/" + c.name + ".txt";
  const char* update = std::getenv("UIAD_UPDATE_GOLDENS");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    GTEST_SKIP() << "rewrote " << path;
  }
  const std::string expected = testing::read_test_file(std::string("snapshots/") + c.name + ".txt");
  ASSERT_FALSE(expected.empty()) << "missing golden " << path
                                 << " (UIAD_UPDATE_GOLDENS=1 makes it)";
  const auto want = split_lines(expected);
  const auto got = split_lines(actual);
  for (std::size_t i = 0; i < want.size() && i < got.size(); ++i) {
    ASSERT_EQ(got[i], want[i]) << c.name << ".txt line " << i + 1;
  }
  EXPECT_EQ(got.size(), want.size()) << c.name << ".txt line count";
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, GoldenSnapshot,
    ::testing::Values(
        GoldenCase{"settings", "scan_settings.json", R"({"app": "Settings"})"},
        GoldenCase{"settings", "scan_settings.json",
                   R"({"app": "Settings", "strategy": "current"})"},
        GoldenCase{"gallery", "scan_gallery.json", R"({"app": "gallery"})"},
        GoldenCase{"gallery", "scan_gallery.json", R"({"app": "gallery", "strategy": "current"})"},
        GoldenCase{"gallery_depth2", "scan_gallery.json", R"({"app": "gallery", "max_depth": 2})"},
        GoldenCase{"gallery_first20", "scan_gallery.json",
                   R"({"app": "gallery", "max_elements": 20})"}),
    [](const auto& info) {
      return std::string(info.param.name) + "_" + std::to_string(info.index);
    });

}  // namespace
}  // namespace uiad
