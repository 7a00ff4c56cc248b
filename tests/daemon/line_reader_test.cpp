// Framing of the input stream: line ends, CR LF, a last line without LF,
// chunk boundaries, long lines, read failures and invalid UTF-8.
#include "daemon/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "daemon/memory_transport.h"

namespace uiad {
namespace {

struct Read {
  std::vector<std::string> lines;
  ReadStatus end = ReadStatus::Line;
};

Read read_all(const std::string& input, std::size_t chunk_size, bool fail_at_end = false) {
  MemoryTransport transport(input, chunk_size, fail_at_end);
  Read read;
  std::string line;
  while ((read.end = transport.read_line(line)) == ReadStatus::Line) read.lines.push_back(line);
  return read;
}

class LineFraming : public ::testing::TestWithParam<std::size_t> {};

TEST_P(LineFraming, SplitsAtLfAndDropsOneCr) {
  const Read read = read_all("a\nb\r\n\r\n\n c \r\r\nlast", GetParam());
  EXPECT_EQ(read.lines, (std::vector<std::string>{"a", "b", "", "", " c \r", "last"}));
  EXPECT_EQ(read.end, ReadStatus::End);
}

TEST_P(LineFraming, CrWithoutLfStaysInTheLine) {
  const Read read = read_all("a\rb\nc\r", GetParam());
  EXPECT_EQ(read.lines, (std::vector<std::string>{"a\rb", "c\r"}));
}

TEST_P(LineFraming, EmptyInputHasNoLines) {
  EXPECT_TRUE(read_all("", GetParam()).lines.empty());
  EXPECT_EQ(read_all("\n", GetParam()).lines, (std::vector<std::string>{""}));
}

TEST_P(LineFraming, InvalidUtf8EndsTheStreamAsAFailure) {
  const Read read = read_all("ok\n\xC3\x28\nnever\n", GetParam());
  EXPECT_EQ(read.lines, (std::vector<std::string>{"ok"}));
  EXPECT_EQ(read.end, ReadStatus::ReadFailure);
}

TEST_P(LineFraming, MultiByteCharactersMaySpanChunks) {
  const Read read = read_all("\xE2\x80\x94\xF0\x9F\x98\x80\n\xC3\xA9", GetParam());
  EXPECT_EQ(read.lines, (std::vector<std::string>{"\xE2\x80\x94\xF0\x9F\x98\x80", "\xC3\xA9"}));
}

TEST_P(LineFraming, ReadFailureAfterLastLine) {
  const Read read = read_all("a\nb\n", GetParam(), true);
  EXPECT_EQ(read.lines, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(read.end, ReadStatus::ReadFailure);
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, LineFraming, ::testing::Values(1, 2, 3, 7, 64 * 1024));

TEST(LineReader, LinesHaveNoLengthLimit) {
  const std::string big(5 * 1024 * 1024 + 3, 'x');
  const Read read = read_all(big + "\r\n" + big, 64 * 1024);
  ASSERT_EQ(read.lines.size(), 2u);
  EXPECT_EQ(read.lines[0], big);
  EXPECT_EQ(read.lines[1], big);
}

TEST(LineReader, RetriesNothingAfterTheEnd) {
  int calls = 0;
  LineReader reader([&](char*, std::size_t) -> long long {
    ++calls;
    return 0;
  });
  std::string line;
  EXPECT_EQ(reader.read_line(line), ReadStatus::End);
  EXPECT_EQ(reader.read_line(line), ReadStatus::End);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace uiad
