// A long session on the simulated desktop keeps its memory: texts set again
// and again reuse their element's storage while caches keep the text of their
// moment, and an event log nobody reads is not kept.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

constexpr std::uint32_t kWmChar = 0x0102;
constexpr std::uint32_t kWmSetText = 0x000C;

constexpr const char* kScene =
    R"({"windows": [{"hwnd": 1, "title": "Form", "rect": [0, 0, 300, 300],
  "element": {"children": [
    {"type": "edit", "name": "Name", "ref": "name", "focused": true, "patterns": {"value": {"value": "bob"}}},
    {"type": "edit", "name": "Other", "patterns": {"value": {}}}]},
  "children": [{"hwnd": 2, "class": "Edit", "title": "note", "rect": [0, 0, 10, 10]}]}],
 "reactions": [{"when": {"event": "set_value", "element": "name"},
                "then": [{"action": "set_name", "element": "name", "name": "Renamed"}]}]})";

class SimLongSession : public SimTest {
 protected:
  void SetUp() override { load(kScene); }

  Ref<platform::ValuePattern> value_of(std::string_view name) {
    auto form = from_handle(1);
    return find(*form, name)
        ->current_pattern_as<platform::ValuePattern>(platform::kValuePatternId)
        .value;
  }
  std::u16string current_value(platform::ValuePattern& p) { return p.get_current_value().value; }
};

TEST_F(SimLongSession, TextsSetAgainAndAgainReuseTheirStorage) {
  auto name = value_of("Name");
  auto other = value_of("Other");
  auto note =
      from_handle(2)->current_pattern_as<platform::ValuePattern>(platform::kValuePatternId).value;
  const std::u16string long_text(100, u'x');
  auto round = [&](int i) {
    ASSERT_EQ(name->set_value(long_text), platform::kSOk);
    // Typed one character at a time, each one a whole new value.
    for (char16_t c : std::u16string(u"abc"))
      ASSERT_TRUE(os().input.post_message(1, kWmChar, c, 0));
    ASSERT_EQ(other->set_value(i % 2 ? u"" : u"set"), platform::kSOk);
    ASSERT_EQ(os().input.send_message_text(2, kWmSetText, 0, long_text + u"!"), 1);
  };
  round(0);
  round(1);
  const std::int64_t after_two_rounds = desktop_->stored_text_units();
  for (int i = 2; i < 1000; ++i) round(i);

  EXPECT_EQ(desktop_->stored_text_units(), after_two_rounds);
  EXPECT_EQ(current_value(*name), long_text + u"abc");
  EXPECT_EQ(current_value(*other), u"");
  EXPECT_EQ(current_value(*note), long_text + u"!");
  EXPECT_EQ(name_of(*find(*from_handle(1), "Renamed")), "Renamed");
  ASSERT_EQ(other->set_value(u"again"), platform::kSOk);
  EXPECT_EQ(current_value(*other), u"again");
}

TEST_F(SimLongSession, ACacheKeepsTheTextOfItsMomentWhileTheSlotChanges) {
  auto form = from_handle(1);
  auto field = find(*form, "Name");
  auto name = value_of("Name");
  auto other = value_of("Other");
  ASSERT_EQ(name->set_value(u"first"), platform::kSOk);
  auto request = uia().create_cache_request().value;
  ASSERT_EQ(request->add_property(platform::kNamePropertyId), platform::kSOk);
  ASSERT_EQ(request->add_property(platform::kValueValuePropertyId), platform::kSOk);
  ASSERT_EQ(request->add_pattern(platform::kValuePatternId), platform::kSOk);
  auto cached = field->build_updated_cache(*request).value;

  // The same slot is written again, then freed and taken by another field.
  ASSERT_EQ(name->set_value(u"second"), platform::kSOk);
  ASSERT_EQ(name->set_value(u""), platform::kSOk);
  ASSERT_EQ(other->set_value(u"someone else's"), platform::kSOk);

  auto cached_value =
      cached->cached_pattern_as<platform::ValuePattern>(platform::kValuePatternId).value;
  EXPECT_EQ(cached_value->get_cached_value().value, u"first");
  EXPECT_EQ(cached->get_cached_name().value, u"Renamed");
  EXPECT_EQ(current_value(*name), u"");
  EXPECT_EQ(current_value(*other), u"someone else's");
}

TEST_F(SimLongSession, ALogKeptOnlyInItsFileLeavesNothingInMemory) {
  const auto path = std::filesystem::temp_directory_path() / "uiad_long_session_events.txt";
  std::string error;
  ASSERT_TRUE(desktop_->write_events_to(path.string(), error)) << error;
  auto name = value_of("Name");
  ASSERT_EQ(name->set_value(u"logged"), platform::kSOk);
  const std::size_t in_memory = desktop_->events().size();
  ASSERT_GT(in_memory, 0u);

  desktop_->keep_events_in_memory(false);
  EXPECT_TRUE(desktop_->events().empty());
  ASSERT_EQ(name->set_value(u"file only"), platform::kSOk);
  EXPECT_TRUE(desktop_->events().empty());
  desktop_->log_exit();

  std::ifstream file(path);
  std::string line, last;
  std::size_t lines = 0;
  while (std::getline(file, line)) {
    ++lines;
    last = line;
  }
  EXPECT_GT(lines, in_memory);
  EXPECT_NE(last.find(R"("type":"exit")"), std::string::npos) << last;
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace uiad::sim::testing
