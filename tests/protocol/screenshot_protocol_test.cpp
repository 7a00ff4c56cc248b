// screenshot through the simulated daemon: which window is taken, every
// refusal, the exact bytes of the file, and file-system failures. Nothing is
// written unless the capture succeeded, and no GDI object outlives a request.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/daemon_process.h"

namespace uiad::testing {
namespace {

using Lines = std::vector<std::string>;

// Top of the Z order first. "Tiny clone" appears at 100 ms, above "Tiny".
constexpr const char* kScene = R"({"foreground": 10, "windows": [
  {"hwnd": 5, "title": "Inbox - Google Chrome", "rect": [0, 0, 1, 1]},
  {"hwnd": 6, "title": "Tray helper", "visible": false, "rect": [0, 0, 2, 1], "color": "#010203"},
  {"hwnd": 8, "title": "Tiny clone", "exists": false, "rect": [0, 0, 1, 1], "color": "#FFFFFF"},
  {"hwnd": 10, "title": "Tiny", "rect": [100, 100, 104, 103], "color": "#102030",
   "children": [{"hwnd": 11, "rect": [102, 101, 104, 103], "color": "#A0B0C0"},
                {"hwnd": 12, "rect": [100, 100, 101, 101], "color": "#FFFFFF", "visible": false}]},
  {"hwnd": 20, "title": "Wide", "rect": [0, 0, 100, 50]},
  {"hwnd": 30, "title": "Folded", "minimized": true, "rect": [0, 0, 10, 10]},
  {"hwnd": 40, "title": "Flat", "rect": [0, 0, 0, 10]},
  {"hwnd": 50, "title": "Vanishing", "rect": [0, 0, 10, 10], "faults": [{"call": "GetWindowRect"}]},
  {"hwnd": 60, "title": "Layered", "rect": [0, 0, 1, 1], "color": "#0000FF",
   "faults": [{"call": "PrintWindow", "flags": 2}]},
  {"hwnd": 70, "title": "Blank", "rect": [0, 0, 1, 1], "faults": [{"call": "PrintWindow"}]}],
  "reactions": [{"at_ms": 100, "then": [{"action": "create_window", "window": 8}]}]})";

std::string bytes_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

std::string request(const std::string& app, const std::string& path) {
  return R"({"cmd":"screenshot","app":)" + app + R"(,"path":")" + path + "\"}\n";
}

std::string ok(const std::string& path) { return R"({"ok":true,"path":")" + path + "\"}"; }
std::string error(const std::string& message) {
  return R"({"error":"screenshot: )" + message + R"(","ok":false})";
}

// The 54-byte header of a W x H picture, then its pixels.
std::string bmp(int width, int height, const std::string& pixels) {
  auto u32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  const std::uint32_t n = static_cast<std::uint32_t>(width * height * 4);
  return "BM" + u32(54 + n) + u32(0) + u32(54) + u32(40) + u32(width) +
         u32(static_cast<std::uint32_t>(-height)) + std::string("\x01\x00\x20\x00", 4) + u32(0) +
         u32(n) + u32(0) + u32(0) + u32(0) + u32(0) + pixels;
}

class ScreenshotProtocol : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const {
    return std::filesystem::path(scene_.path()).parent_path() / name;
  }
  DaemonRun run(const std::string& input) {
    DaemonRun result = run_sim(scene_.path(), input, events_.path());
    EXPECT_EQ(result.exit_code, 0) << result.error_output;
    return result;
  }
  // Event lines of the given types, without their times.
  Lines events(std::initializer_list<std::string> types) const {
    Lines out;
    std::istringstream in(events_.read());
    for (std::string line; std::getline(in, line);) {
      for (const std::string& type : types) {
        const auto at = line.find(R"("type":")" + type + "\"");
        if (at == std::string::npos) continue;
        // Appended, not "{" + ...: GCC 12's optimiser warns (-Wrestrict) falsely on that.
        std::string entry = "{";
        entry.append(line, at);
        out.push_back(std::move(entry));
      }
    }
    return out;
  }

  TempFile scene_{kScene};
  TempFile events_{"", "events.log"};
};

TEST_F(ScreenshotProtocol, WritesTheExactFileTopRowFirst) {
  const std::string parent("\x30\x20\x10\x00", 4), child("\xC0\xB0\xA0\x00", 4);
  const DaemonRun result =
      run(request("\"Tiny\"", file("tiny.bmp")) + request("\"wide\"", file("wide.bmp")));
  EXPECT_EQ(result.lines, (Lines{kReadyLine, ok(file("tiny.bmp")), ok(file("wide.bmp"))}));
  EXPECT_EQ(bytes_of(file("tiny.bmp")), bmp(4, 3,
                                            parent + parent + parent + parent + parent + parent +
                                                child + child + parent + parent + child + child));
  const std::string wide = bytes_of(file("wide.bmp"));
  EXPECT_EQ(wide.size(), 20054u);
  EXPECT_EQ(wide.substr(22, 4), std::string("\xCE\xFF\xFF\xFF", 4));  // biHeight -50
  EXPECT_EQ(events({"print_window", "create_file", "close_file"}),
            (Lines{R"({"type":"print_window","hwnd":10,"flags":2})",
                   R"({"type":"create_file","path":")" + file("tiny.bmp") + "\"}",
                   R"({"type":"close_file","path":")" + file("tiny.bmp") + R"(","bytes":102})",
                   R"({"type":"print_window","hwnd":20,"flags":2})",
                   R"({"type":"create_file","path":")" + file("wide.bmp") + "\"}",
                   R"({"type":"close_file","path":")" + file("wide.bmp") + R"(","bytes":20054})"}));
  EXPECT_NE(events_.read().find(R"("live_references":0,"open_handles":0)"), std::string::npos);
}

TEST_F(ScreenshotProtocol, ChoosesByHandleThenSessionThenTitle) {
  const std::string white("\xFF\xFF\xFF\x00", 4), blue("\xFF\x00\x00\x00", 4);
  const DaemonRun result =
      run(R"({"cmd":"scan","app":"Tiny"})"
          "\n" +
          request("\"\"", file("empty.bmp")) +  // first shown titled window without the exclusion
          request("7", file("absent.bmp")) +    // not a string: the empty key
          R"({"cmd":"wait_for_change","timeout_ms":150})"
          "\n" +                                      // "Tiny clone" appears
          request("\"TINY\"", file("session.bmp")) +  // the session's window
          request("\"tiny c\"", file("title.bmp")) +  // the title search
          request("\" +60 \"", file("handle.bmp")));  // by handle, PrintWindow(0)
  ASSERT_EQ(result.lines.size(), 8u) << result.output;
  EXPECT_EQ(result.lines[2], ok(file("empty.bmp")));
  // The hidden "Tray helper" above it is passed over: a window the user can
  // see wins.
  EXPECT_EQ(bytes_of(file("empty.bmp")), bytes_of(file("session.bmp")));
  EXPECT_EQ(result.lines[3], ok(file("absent.bmp")));
  EXPECT_EQ(result.lines[5], ok(file("session.bmp")));
  EXPECT_EQ(bytes_of(file("session.bmp")).size(), 54u + 4 * 3 * 4);
  EXPECT_EQ(result.lines[6], ok(file("title.bmp")));
  EXPECT_EQ(bytes_of(file("title.bmp")), bmp(1, 1, white));
  EXPECT_EQ(result.lines[7], ok(file("handle.bmp")));
  EXPECT_EQ(bytes_of(file("handle.bmp")), bmp(1, 1, blue));
  EXPECT_EQ(events({"print_window"}),
            (Lines{R"({"type":"print_window","hwnd":10,"flags":2})",
                   R"({"type":"print_window","hwnd":10,"flags":2})",
                   R"({"type":"print_window","hwnd":10,"flags":2})",
                   R"({"type":"print_window","hwnd":8,"flags":2})",
                   R"({"type":"print_window","hwnd":60,"flags":2,"ok":false})",
                   R"({"type":"print_window","hwnd":60,"flags":0})"}));
}

TEST_F(ScreenshotProtocol, RefusalsWriteNothing) {
  const DaemonRun result =
      run(request("\"Nowhere\"", file("a.bmp")) + request("\"FOLDED\"", file("a.bmp")) +
          request("\"30\"", file("a.bmp")) + request("\"Flat\"", file("a.bmp")) +
          request("\"Vanishing\"", file("a.bmp")) + request("\"Blank\"", file("a.bmp")) +
          request("\"-20\"", file("a.bmp")));
  const std::string minimized =
      "window is minimized \u2014 it has no content to capture; restore or pick a visible window";
  EXPECT_EQ(result.lines,
            (Lines{kReadyLine, error("window not found 'nowhere'"), error(minimized),
                   error(minimized), error("zero-size window"), error("GetWindowRect failed"),
                   error("PrintWindow failed"), error("window not found '-20'")}));
  EXPECT_FALSE(std::filesystem::exists(file("a.bmp")));
  EXPECT_EQ(events({"print_window", "create_file"}),
            (Lines{R"({"type":"print_window","hwnd":70,"flags":2,"ok":false})",
                   R"({"type":"print_window","hwnd":70,"flags":0,"ok":false})"}));
  EXPECT_NE(events_.read().find(R"("live_references":0,"open_handles":0)"), std::string::npos);
}

TEST_F(ScreenshotProtocol, FileSystemFailures) {
  { std::ofstream(file("old.bmp"), std::ios::binary) << std::string(500, 'x'); }
  const DaemonRun result =
      run(request("\"Tiny\"", file("no/such/dir/a.bmp")) +
          R"({"cmd":"screenshot","app":"Tiny","path":"a\u0000b.bmp"})"
          "\n" +
          request("\"Tiny\"", file("")) +  // the directory itself
          request("\"Tiny\"", file("old.bmp")) + request("\"Tiny\"", "/dev/full"));
  EXPECT_EQ(result.lines,
            (Lines{kReadyLine, error("The system cannot find the path specified. (os error 3)"),
                   error("strings passed to WinAPI cannot contain NULs"),
                   error("Access is denied. (os error 5)"), ok(file("old.bmp")),
                   error("There is not enough space on the disk. (os error 112)")}));
  // The longer old file is replaced entirely.
  EXPECT_EQ(bytes_of(file("old.bmp")).size(), 102u);
  EXPECT_EQ(bytes_of(file("old.bmp")).substr(0, 2), "BM");
  EXPECT_FALSE(std::filesystem::exists(file("a")));
}

TEST(ScreenshotWriteFailure, AFullDiskAfterOpeningIsAnErrorNotATruncatedSuccess) {
  TempFile scene(R"({"windows": [{"hwnd": 1, "title": "One", "rect": [0, 0, 2, 2]}],
                     "faults": [{"call": "WriteFile", "hr": 112}]})");
  const std::string path = std::filesystem::path(scene.path()).parent_path() / "one.bmp";
  const DaemonRun result = run_sim(scene.path(), request("\"one\"", path));
  EXPECT_EQ(result.lines,
            (Lines{kReadyLine, error("There is not enough space on the disk. (os error 112)")}));
}

}  // namespace
}  // namespace uiad::testing

namespace uiad::testing {
namespace {

// GetDIBits failing leaves the picture black, as the zero-filled buffer would;
// a bitmap that cannot be created is an error rather than a black picture.
TEST(ScreenshotGdiFailures, BlackPictureOrError) {
  for (const auto& [call, answer, black] :
       {std::tuple<std::string, std::string, bool>{"GetDIBits", R"({"ok":true,"path":")", true},
        {"CreateCompatibleBitmap",
         R"({"error":"screenshot: CreateCompatibleBitmap failed","ok":false})", false}}) {
    SCOPED_TRACE(call);
    TempFile scene(R"({"windows": [{"hwnd": 1, "title": "One", "rect": [0, 0, 2, 2],
                       "color": "#FFFFFF"}], "faults": [{"call": ")" +
                   call + R"("}]})");
    TempFile events("", "events.log");
    const std::string path = std::filesystem::path(scene.path()).parent_path() / "one.bmp";
    const DaemonRun result = run_sim(scene.path(), request("\"one\"", path), events.path());
    ASSERT_EQ(result.lines.size(), 2u) << result.output;
    EXPECT_EQ(result.lines[1], black ? answer + path + "\"}" : answer);
    EXPECT_EQ(std::filesystem::exists(path), black);
    if (black) {
      EXPECT_EQ(bytes_of(path), bmp(2, 2, std::string(16, '\0')));
    }
    EXPECT_NE(events.read().find(R"("live_references":0,"open_handles":0)"), std::string::npos);
  }
}

}  // namespace
}  // namespace uiad::testing
