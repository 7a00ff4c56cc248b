// perform, key, mouse_click, hover and scroll through the simulated daemon
// binary: each case scans one application, sends its requests and pins the
// exact response lines and every event the desktop logged (posted messages,
// waits, pattern calls, window changes), so message ids, packing, targets and
// pacing are all checked. The scene is tests/data/scenes/actions_widgets.json.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "protocol/daemon_process.h"

namespace uiad {
namespace {

using testing::run_sim;
using testing::TempFile;
using testing::test_data_path;

const std::string kWidgets = test_data_path("scenes/actions_widgets.json");

struct Exchange {
  std::vector<std::string> responses;  // after the ready line and the scan
  std::vector<std::string> events;     // without the start-up line
  std::string exit_line;
};

Exchange run_after_scan(const std::string& scene, const std::string& app,
                        const std::vector<std::string>& requests) {
  std::string input = R"({"cmd":"scan","app":")" + app + "\"}\n";
  for (const std::string& r : requests) input += r + "\n";
  TempFile events("", "events.log");
  const auto run = run_sim(scene, input, events.path());
  Exchange out;
  EXPECT_EQ(run.exit_code, 0) << run.error_output;
  EXPECT_GE(run.lines.size(), 2u) << run.output;
  EXPECT_NE(run.lines.at(1).find(R"("ok":true)"), std::string::npos) << run.lines.at(1);
  for (std::size_t i = 2; i < run.lines.size(); ++i) {
    if (!run.lines[i].empty()) out.responses.push_back(run.lines[i]);
  }
  std::string log = events.read();
  std::size_t start = 0;
  for (std::size_t lf; (lf = log.find('\n', start)) != std::string::npos; start = lf + 1) {
    const std::string line = log.substr(start, lf - start);
    if (line.find(R"("type":"set_dpi_awareness")") != std::string::npos) continue;
    if (line.find(R"("type":"exit")") != std::string::npos) {
      out.exit_line = line;
      continue;
    }
    out.events.push_back(line);
  }
  return out;
}

struct Case {
  const char* name;
  const char* app;
  std::vector<std::string> requests;
  std::vector<std::string> responses;
  std::vector<std::string> events;
};

void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Exchange got = run_after_scan(kWidgets, c.app, c.requests);
    EXPECT_EQ(got.responses, c.responses);
    EXPECT_EQ(got.events, c.events);
    EXPECT_NE(got.exit_line.find(R"("live_references":0,)"), std::string::npos) << got.exit_line;
  }
}

std::size_t count_lines(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(),
                    [&](const std::string& l) { return l.find(part) != std::string::npos; }));
}

// Posted at the recorded centre after the activation; no pattern is called.
TEST(ElementActionsProtocol, Perform) {
  check({
      {"press clicks the deepest window at the client point",
       "widgets",
       {R"({"cmd":"perform","app":"widgets","id":"auto:plain","action":"press"})"},
       {R"({"id":"auto:plain","label":"Plain","ok":true,"role":"button"})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":513,"wparam":1,"lparam":5570612})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":514,"wparam":0,"lparam":5570612})"}},
      {"AXPress is press; the right click is relative to the window rectangle",
       "widgets",
       {R"({"cmd":"perform","app":"widgets","id":"auto:overLocked","action":"AXPress"})",
        R"({"cmd":"perform","app":"widgets","id":"e:auto:fileA","action":"show_menu"})"},
       {R"({"id":"auto:overLocked","label":"Over locked","ok":true,"role":"button"})",
        R"({"id":"auto:fileA","label":"a.txt","ok":true,"role":"row"})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":513,"wparam":1,"lparam":1638742})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":514,"wparam":0,"lparam":1638742})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":80,"type":"sleep","ms":50})",
        R"({"t":130,"type":"post_message","hwnd":5001,"msg":516,"wparam":0,"lparam":10617043})",
        R"({"t":130,"type":"sleep","ms":30})",
        R"({"t":160,"type":"post_message","hwnd":5001,"msg":517,"wparam":0,"lparam":10617043})"}},
      {"increment and decrement tap up and down",
       "widgets",
       {R"({"cmd":"perform","app":"widgets","id":"auto:fileA","action":"AXIncrement"})",
        R"({"cmd":"perform","app":"widgets","id":"auto:fileA","action":"decrement"})"},
       {R"({"id":"auto:fileA","label":"a.txt","ok":true,"role":"row"})",
        R"({"id":"auto:fileA","label":"a.txt","ok":true,"role":"row"})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":256,"wparam":38,"lparam":0})",
        R"({"t":50,"type":"scroll_message","element":"files","vertical":0})",
        R"({"t":50,"type":"sleep","ms":10})",
        R"({"t":60,"type":"post_message","hwnd":5001,"msg":257,"wparam":38,"lparam":0})",
        R"({"t":60,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":60,"type":"sleep","ms":50})",
        R"({"t":110,"type":"post_message","hwnd":5001,"msg":256,"wparam":40,"lparam":0})",
        R"({"t":110,"type":"scroll_message","element":"files","vertical":5})",
        R"({"t":110,"type":"sleep","ms":10})",
        R"({"t":120,"type":"post_message","hwnd":5001,"msg":257,"wparam":40,"lparam":0})"}},
      {"unknown actions answer after the activation",
       "widgets",
       {R"({"cmd":"perform","app":"widgets","id":"auto:fileA","action":"Press"})",
        R"({"cmd":"perform","app":"widgets","id":"auto:fileA"})",
        R"({"cmd":"perform","app":"widgets","id":"auto:fileA","action":7})"},
       {R"({"error":"perform: unknown action 'Press'","ok":false})",
        R"({"error":"perform: unknown action ''","ok":false})",
        R"({"error":"perform: unknown action ''","ok":false})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":50})",
        R"({"t":100,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":100,"type":"sleep","ms":50})"}},
      {"a chromium session clicks inside its content window",
       "browser",
       {R"({"cmd":"perform","app":"Browser","id":"auto:go","action":"invoke"})",
        R"({"cmd":"perform","app":"browser","id":"auto:go","action":"AXShowMenu"})"},
       {R"({"id":"auto:go","label":"Go","ok":true,"role":"button"})",
        R"({"id":"auto:go","label":"Go","ok":true,"role":"button"})"},
       {R"({"t":0,"type":"post_message","hwnd":7001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"post_message","hwnd":7002,"msg":7,"wparam":0,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":7003,"msg":513,"wparam":1,"lparam":3932310})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":7003,"msg":514,"wparam":0,"lparam":3932310})",
        R"({"t":80,"type":"post_message","hwnd":7001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":80,"type":"post_message","hwnd":7002,"msg":7,"wparam":0,"lparam":0})",
        R"({"t":80,"type":"sleep","ms":50})",
        R"({"t":130,"type":"post_message","hwnd":7002,"msg":516,"wparam":0,"lparam":3932310})",
        R"({"t":130,"type":"sleep","ms":30})",
        R"({"t":160,"type":"post_message","hwnd":7002,"msg":517,"wparam":0,"lparam":3932310})"}},
      {"lookup failures post nothing",
       "widgets",
       {R"({"cmd":"perform","app":"widget","id":"auto:plain","action":"press"})",
        R"({"cmd":"perform","app":"widgets","id":"auto:gone","action":"press"})"},
       {R"({"error":"perform: no session for 'widget'","ok":false})",
        R"({"error":"perform: no element id=auto:gone in 'widgets'","ok":false})"},
       {}},
  });
}

// Kind, target window and pacing of each kind; errors before any message.
TEST(ElementActionsProtocol, Key) {
  check({
      {"a trimmed, lower-cased name is a key for the focused child",
       "widgets",
       {R"({"cmd":"key","app":"widgets","key":" ENTER ","count":0})"},
       {R"({"count":1,"focused":false,"key":" ENTER ","kind":"key","method":"post","ok":true,"vk":13})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5002,"msg":256,"wparam":13,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":10})",
        R"({"t":60,"type":"post_message","hwnd":5002,"msg":257,"wparam":13,"lparam":0})",
        R"({"t":60,"type":"sleep","ms":20})"}},
      {"one space is a character, not the space key",
       "widgets",
       {R"({"cmd":"key","app":"widgets","key":" ","count":-3})"},
       {R"({"count":1,"focused":false,"key":" ","kind":"char","method":"post","ok":true,"vk":null})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5002,"msg":258,"wparam":32,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":8})", R"({"t":58,"type":"sleep","ms":20})"}},
      {"two letters are text, sent per repetition",
       "widgets",
       {R"({"cmd":"key","app":"widgets","key":"ab","count":2})"},
       {R"({"count":2,"focused":false,"key":"ab","kind":"text","method":"post","ok":true,"vk":null})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5002,"msg":258,"wparam":97,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":4})",
        R"({"t":54,"type":"post_message","hwnd":5002,"msg":258,"wparam":98,"lparam":0})",
        R"({"t":54,"type":"sleep","ms":4})", R"({"t":58,"type":"sleep","ms":20})",
        R"({"t":78,"type":"post_message","hwnd":5002,"msg":258,"wparam":97,"lparam":0})",
        R"({"t":78,"type":"sleep","ms":4})",
        R"({"t":82,"type":"post_message","hwnd":5002,"msg":258,"wparam":98,"lparam":0})",
        R"({"t":82,"type":"sleep","ms":4})", R"({"t":86,"type":"sleep","ms":20})"}},
      {"F10 in any case is a name; f13 is text",
       "widgets",
       {R"({"cmd":"key","app":"widgets","id":"auto:nameEdit","key":"F10"})",
        R"({"cmd":"key","app":"widgets","id":"auto:nameEdit","key":"f13","count":"2"})"},
       {R"({"count":1,"focused":true,"key":"F10","kind":"key","method":"post","ok":true,"vk":121})",
        R"({"count":1,"focused":true,"key":"f13","kind":"text","method":"post","ok":true,"vk":null})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5002,"msg":256,"wparam":121,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":10})",
        R"({"t":60,"type":"post_message","hwnd":5002,"msg":257,"wparam":121,"lparam":0})",
        R"({"t":60,"type":"sleep","ms":20})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":80,"type":"sleep","ms":50})",
        R"({"t":130,"type":"post_message","hwnd":5002,"msg":258,"wparam":102,"lparam":0})",
        R"({"t":130,"type":"sleep","ms":4})",
        R"({"t":134,"type":"post_message","hwnd":5002,"msg":258,"wparam":49,"lparam":0})",
        R"({"t":134,"type":"sleep","ms":4})",
        R"({"t":138,"type":"post_message","hwnd":5002,"msg":258,"wparam":51,"lparam":0})",
        R"({"t":138,"type":"sleep","ms":4})", R"({"t":142,"type":"sleep","ms":20})"}},
      {"an element with its own window gets the keys without a click",
       "widgets",
       {R"({"cmd":"key","app":"widgets","id":"E:auto:nameEdit","key":"A"})"},
       {R"({"count":1,"focused":true,"key":"A","kind":"char","method":"post","ok":true,"vk":null})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5002,"msg":258,"wparam":65,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":8})", R"({"t":58,"type":"sleep","ms":20})"}},
      {"an element without a window is clicked, then the focused child typed into",
       "widgets",
       {R"({"cmd":"key","app":"widgets","id":"auto:plain","key":"x"})"},
       {R"({"count":1,"focused":true,"key":"x","kind":"char","method":"post","ok":true,"vk":null})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":513,"wparam":1,"lparam":5570612})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":514,"wparam":0,"lparam":5570612})",
        R"({"t":80,"type":"sleep","ms":30})",
        R"({"t":110,"type":"post_message","hwnd":5002,"msg":258,"wparam":120,"lparam":0})",
        R"({"t":110,"type":"sleep","ms":8})", R"({"t":118,"type":"sleep","ms":20})"}},
      {"a character above U+FFFF goes as its surrogate pair",
       "widgets",
       {R"({"cmd":"key","app":"widgets","id":"auto:nameEdit","key":"😀"})"},
       {R"({"count":1,"focused":true,"key":"😀","kind":"char","method":"post","ok":true,"vk":null})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5002,"msg":258,"wparam":55357,"lparam":0})",
        R"({"t":50,"type":"post_message","hwnd":5002,"msg":258,"wparam":56832,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":8})", R"({"t":58,"type":"sleep","ms":20})"}},
      {"a chromium session types into its content window",
       "browser",
       {R"({"cmd":"key","app":"browser","key":"tab"})"},
       {R"({"count":1,"focused":false,"key":"tab","kind":"key","method":"post","ok":true,"vk":9})"},
       {R"({"t":0,"type":"post_message","hwnd":7001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"post_message","hwnd":7002,"msg":7,"wparam":0,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":7002,"msg":256,"wparam":9,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":10})",
        R"({"t":60,"type":"post_message","hwnd":7002,"msg":257,"wparam":9,"lparam":0})",
        R"({"t":60,"type":"sleep","ms":20})"}},
      {"the three errors come before anything is posted",
       "widgets",
       {R"({"cmd":"key","app":"nowhere"})", R"({"cmd":"key","app":"widgets","key":""})",
        R"({"cmd":"key","app":"widgets","key":5})", R"({"cmd":"key","app":"nowhere","key":"a"})",
        R"({"cmd":"key","app":"widgets","id":"auto:gone","key":"a"})"},
       {R"({"error":"key: missing 'key' field","ok":false})",
        R"({"error":"key: missing 'key' field","ok":false})",
        R"({"error":"key: missing 'key' field","ok":false})",
        R"({"error":"key: no session for 'nowhere'","ok":false})",
        R"({"error":"key: no element id=auto:gone in 'widgets'","ok":false})"},
       {}},
  });
}

// Button words, click counts and the window descent per click.
TEST(ElementActionsProtocol, MouseClick) {
  check({
      {"right posts right-button pairs with wParam 0",
       "widgets",
       {R"({"cmd":"mouse_click","app":"widgets","id":"auto:fileA","button":"right","count":0})"},
       {R"({"button":"right","center_x":211,"center_y":162,"count":1,"id":"auto:fileA","label":"a.txt","ok":true,"role":"row","success":true,"x":211,"y":162})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":516,"wparam":0,"lparam":8650955})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":517,"wparam":0,"lparam":8650955})",
        R"({"t":80,"type":"sleep","ms":40})"}},
      {"any other word is the left button, repeated as sent; at most three clicks",
       "widgets",
       {R"({"cmd":"mouse_click","app":"widgets","id":"auto:fileA","button":"Right","count":5})"},
       {R"({"button":"Right","center_x":211,"center_y":162,"count":3,"id":"auto:fileA","label":"a.txt","ok":true,"role":"row","success":true,"x":211,"y":162})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":513,"wparam":1,"lparam":8650955})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":514,"wparam":0,"lparam":8650955})",
        R"({"t":80,"type":"sleep","ms":40})",
        R"({"t":120,"type":"post_message","hwnd":5001,"msg":513,"wparam":1,"lparam":8650955})",
        R"({"t":120,"type":"sleep","ms":30})",
        R"({"t":150,"type":"post_message","hwnd":5001,"msg":514,"wparam":0,"lparam":8650955})",
        R"({"t":150,"type":"sleep","ms":40})",
        R"({"t":190,"type":"post_message","hwnd":5001,"msg":513,"wparam":1,"lparam":8650955})",
        R"({"t":190,"type":"sleep","ms":30})",
        R"({"t":220,"type":"post_message","hwnd":5001,"msg":514,"wparam":0,"lparam":8650955})",
        R"({"t":220,"type":"sleep","ms":40})"}},
      {"a point over a disabled child goes to its enabled parent",
       "widgets",
       {R"({"cmd":"mouse_click","app":"widgets","id":"auto:overLocked","button":3})"},
       {R"({"button":"left","center_x":350,"center_y":55,"count":1,"id":"auto:overLocked","label":"Over locked","ok":true,"role":"button","success":true,"x":350,"y":55})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":513,"wparam":1,"lparam":1638742})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":514,"wparam":0,"lparam":1638742})",
        R"({"t":80,"type":"sleep","ms":40})"}},
      {"a chromium session descends from its content window",
       "browser",
       {R"({"cmd":"mouse_click","app":"browser","id":"auto:go"})"},
       {R"({"button":"left","center_x":1050,"center_y":420,"count":1,"id":"auto:go","label":"Go","ok":true,"role":"button","success":true,"x":1050,"y":420})"},
       {R"({"t":0,"type":"post_message","hwnd":7001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"post_message","hwnd":7002,"msg":7,"wparam":0,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":7003,"msg":513,"wparam":1,"lparam":3932310})",
        R"({"t":50,"type":"sleep","ms":30})",
        R"({"t":80,"type":"post_message","hwnd":7003,"msg":514,"wparam":0,"lparam":3932310})",
        R"({"t":80,"type":"sleep","ms":40})"}},
      {"lookup failures",
       "widgets",
       {R"({"cmd":"mouse_click","app":"nowhere","id":"auto:fileA"})",
        R"({"cmd":"mouse_click","app":"widgets","id":""})"},
       {R"({"error":"mouse_click: no session for 'nowhere'","ok":false})",
        R"({"error":"mouse_click: no element id= in 'widgets'","ok":false})"},
       {}},
  });
}

// Methods, the window lists before and after, the cursor and the foreground.
TEST(ElementActionsProtocol, Hover) {
  check({
      {"defaults: six moves, 350 ms dwell, a tooltip revealed, cursor untouched",
       "widgets",
       {R"({"cmd":"hover","app":"widgets","id":"auto:tip"})"},
       {R"({"center_x":160,"center_y":115,"cursor_restored":true,"fg_after":5001,"fg_before":5001,"fg_changed":false,"id":"auto:tip","label":"Tip","method":"move","moved_real_cursor":false,"ok":true,"revealed_windows":[{"class":"tooltips_class32","h":18,"title":"Plain tip","w":140,"x":120,"y":132}],"role":"button"})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570712})",
        R"({"t":0,"type":"create_window","hwnd":5100})", R"({"t":0,"type":"sleep","ms":16})",
        R"({"t":16,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570712})",
        R"({"t":16,"type":"create_window","hwnd":5100})", R"({"t":16,"type":"sleep","ms":16})",
        R"({"t":32,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570712})",
        R"({"t":32,"type":"create_window","hwnd":5100})", R"({"t":32,"type":"sleep","ms":16})",
        R"({"t":48,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570712})",
        R"({"t":48,"type":"create_window","hwnd":5100})", R"({"t":48,"type":"sleep","ms":16})",
        R"({"t":64,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570712})",
        R"({"t":64,"type":"create_window","hwnd":5100})", R"({"t":64,"type":"sleep","ms":16})",
        R"({"t":80,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570712})",
        R"({"t":80,"type":"create_window","hwnd":5100})", R"({"t":80,"type":"sleep","ms":16})",
        R"({"t":96,"type":"sleep","ms":350})"}},
      {"leaving the element hides its tooltip; a window shown and gone within the dwell is not "
       "revealed",
       "widgets",
       {R"({"cmd":"hover","app":"widgets","id":"auto:tip","count":1,"dwell_ms":0})",
        R"({"cmd":"hover","app":"widgets","id":"auto:flash","count":1,"dwell_ms":100,"method":5})"},
       {R"({"center_x":160,"center_y":115,"cursor_restored":true,"fg_after":5001,"fg_before":5001,"fg_changed":false,"id":"auto:tip","label":"Tip","method":"move","moved_real_cursor":false,"ok":true,"revealed_windows":[{"class":"tooltips_class32","h":18,"title":"Plain tip","w":140,"x":120,"y":132}],"role":"button"})",
        R"({"center_x":260,"center_y":115,"cursor_restored":true,"fg_after":5001,"fg_before":5001,"fg_changed":false,"id":"auto:flash","label":"Flash","method":"move","moved_real_cursor":false,"ok":true,"revealed_windows":[],"role":"button"})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570712})",
        R"({"t":0,"type":"create_window","hwnd":5100})", R"({"t":0,"type":"sleep","ms":16})",
        R"({"t":16,"type":"sleep","ms":0})",
        R"({"t":16,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570812})",
        R"({"t":16,"type":"destroy_window","hwnd":5100})",
        R"({"t":16,"type":"create_window","hwnd":5101})", R"({"t":16,"type":"sleep","ms":16})",
        R"({"t":32,"type":"sleep","ms":100})", R"({"t":56,"type":"destroy_window","hwnd":5101})"}},
      {"a hidden window made visible is revealed; a hover that takes the foreground says so",
       "widgets",
       {R"({"cmd":"hover","app":"widgets","id":"auto:peek","count":1,"dwell_ms":0,"method":"move_nc"})",
        R"({"cmd":"hover","app":"widgets","id":"auto:grab","count":1,"dwell_ms":"x","restore":false})"},
       {R"({"center_x":360,"center_y":115,"cursor_restored":true,"fg_after":5001,"fg_before":5001,"fg_changed":false,"id":"auto:peek","label":"Peek","method":"move_nc","moved_real_cursor":false,"ok":true,"revealed_windows":[{"class":"PeekPanel","h":100,"title":"","w":200,"x":320,"y":132}],"role":"button"})",
        R"({"center_x":460,"center_y":115,"cursor_restored":false,"fg_after":6001,"fg_before":5001,"fg_changed":true,"id":"auto:grab","label":"Grab","method":"move","moved_real_cursor":false,"ok":true,"revealed_windows":[],"role":"button"})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":160,"wparam":1,"lparam":5570912})",
        R"({"t":0,"type":"show_window","hwnd":5102})",
        R"({"t":0,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570912})",
        R"({"t":0,"type":"show_window","hwnd":5102})", R"({"t":0,"type":"sleep","ms":16})",
        R"({"t":16,"type":"sleep","ms":0})",
        R"({"t":16,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5571012})",
        R"({"t":16,"type":"foreground","hwnd":6001})", R"({"t":16,"type":"sleep","ms":16})",
        R"({"t":32,"type":"sleep","ms":350})"}},
      {"sendinput puts the cursor back; setcursor without restore leaves it",
       "widgets",
       {R"({"cmd":"hover","app":"widgets","id":"auto:plain","count":1,"dwell_ms":0,"method":"sendinput","restore":1})",
        R"({"cmd":"hover","app":"widgets","id":"auto:plain","count":1,"dwell_ms":0,"method":"setcursor","restore":false})"},
       {R"({"center_x":60,"center_y":115,"cursor_restored":true,"fg_after":5001,"fg_before":5001,"fg_changed":false,"id":"auto:plain","label":"Plain","method":"sendinput","moved_real_cursor":true,"ok":true,"revealed_windows":[],"role":"button"})",
        R"({"center_x":60,"center_y":115,"cursor_restored":false,"fg_after":5001,"fg_before":5001,"fg_changed":false,"id":"auto:plain","label":"Plain","method":"setcursor","moved_real_cursor":true,"ok":true,"revealed_windows":[],"role":"button"})"},
       {R"({"t":0,"type":"send_input","inputs":[{"type":0,"dx":2047,"dy":6978,"mouse_data":0,"flags":49153}]})",
        R"({"t":0,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570612})",
        R"({"t":0,"type":"sleep","ms":16})", R"({"t":16,"type":"sleep","ms":0})",
        R"({"t":16,"type":"set_cursor_pos","x":700,"y":500})",
        R"({"t":16,"type":"set_cursor_pos","x":60,"y":115})",
        R"({"t":16,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570612})",
        R"({"t":16,"type":"sleep","ms":16})", R"({"t":32,"type":"sleep","ms":0})"}},
      {"hover_msg: a move, the dwell, a hover message, 60 ms",
       "widgets",
       {R"({"cmd":"hover","app":"widgets","id":"auto:plain","method":"hover_msg","dwell_ms":0,"count":9})"},
       {R"({"center_x":60,"center_y":115,"cursor_restored":true,"fg_after":5001,"fg_before":5001,"fg_changed":false,"id":"auto:plain","label":"Plain","method":"hover_msg","moved_real_cursor":false,"ok":true,"revealed_windows":[],"role":"button"})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":512,"wparam":0,"lparam":5570612})",
        R"({"t":0,"type":"sleep","ms":0})",
        R"({"t":0,"type":"post_message","hwnd":5001,"msg":673,"wparam":0,"lparam":5570612})",
        R"({"t":0,"type":"sleep","ms":60})"}},
      {"unknown methods and lookups post nothing",
       "widgets",
       {R"({"cmd":"hover","app":"widgets","id":"auto:plain","method":"Move"})",
        R"({"cmd":"hover","app":"nowhere","id":"auto:plain"})",
        R"({"cmd":"hover","app":"widgets","id":"auto:zzz"})"},
       {R"({"error":"hover: unknown method 'Move'","ok":false})",
        R"({"error":"hover: no session for 'nowhere'","ok":false})",
        R"({"error":"hover: no element id=auto:zzz in 'widgets'","ok":false})"},
       {}},
  });
}

// The ancestor search, the pattern route with its guard, the wheel and key routes.
TEST(ElementActionsProtocol, Scroll) {
  check({
      {"the pattern route pages down, keeping the user's foreground",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:fileA"})"},
       {R"({"direction":"down","from_pct":0.0,"id":"auto:fileA","ok":true,"to_pct":25.0,"verified":true})"},
       {R"({"t":0,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":0,"type":"uia","call":"Scroll","element":"files","horizontal_amount":2,"vertical_amount":3,"horizontal":-1,"vertical":25})",
        R"({"t":0,"type":"foreground","hwnd":6001})", R"({"t":0,"type":"sleep","ms":40})",
        R"({"t":40,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})",
        R"({"t":40,"type":"send_input","inputs":[{"type":0,"dx":0,"dy":0,"mouse_data":0,"flags":1}]})",
        R"({"t":40,"type":"attach_thread_input","attach":1,"attach_to":61,"attach_on":true,"ok":true})",
        R"({"t":40,"type":"set_foreground_window","hwnd":5001,"ok":true})",
        R"({"t":40,"type":"foreground","hwnd":5001})",
        R"({"t":40,"type":"attach_thread_input","attach":1,"attach_to":61,"attach_on":false,"ok":true})"}},
      {"end, then down at the end; home, then up at the start",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:fileB","direction":"end"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:fileB","direction":"bottom"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:fileB","direction":"home"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:fileB","direction":"up"})"},
       {R"({"direction":"end","from_pct":0.0,"id":"auto:fileB","ok":true,"to_pct":100.0,"verified":true})",
        R"j({"error":"scroll: 'bottom' had no effect — already at the end (nothing scrolled)","ok":false})j",
        R"({"direction":"home","from_pct":100.0,"id":"auto:fileB","ok":true,"to_pct":0.0,"verified":true})",
        R"j({"error":"scroll: 'up' had no effect — already at the start (nothing scrolled)","ok":false})j"},
       {R"({"t":0,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":0,"type":"uia","call":"SetScrollPercent","element":"files","horizontal":-1,"vertical":100})",
        R"({"t":0,"type":"sleep","ms":40})",
        R"({"t":40,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})",
        R"({"t":40,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":40,"type":"uia","call":"SetScrollPercent","element":"files","horizontal":-1,"vertical":100})",
        R"({"t":40,"type":"sleep","ms":40})",
        R"({"t":80,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})",
        R"({"t":80,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":80,"type":"uia","call":"SetScrollPercent","element":"files","horizontal":-1,"vertical":0})",
        R"({"t":80,"type":"sleep","ms":40})",
        R"({"t":120,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})",
        R"({"t":120,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":120,"type":"uia","call":"Scroll","element":"files","horizontal_amount":2,"vertical_amount":0,"horizontal":-1,"vertical":0})",
        R"({"t":120,"type":"foreground","hwnd":6001})",
        R"({"t":120,"type":"sleep","ms":40})",
        R"({"t":160,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})",
        R"({"t":160,"type":"send_input","inputs":[{"type":0,"dx":0,"dy":0,"mouse_data":0,"flags":1}]})",
        R"({"t":160,"type":"attach_thread_input","attach":1,"attach_to":61,"attach_on":true,"ok":true})",
        R"({"t":160,"type":"set_foreground_window","hwnd":5001,"ok":true})",
        R"({"t":160,"type":"foreground","hwnd":5001})",
        R"({"t":160,"type":"attach_thread_input","attach":1,"attach_to":61,"attach_on":false,"ok":true})"}},
      {"the horizontal axis: left scrolls a horizontal pane; up on it has no vertical ancestor",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:cell","direction":"left"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:cell","direction":"up"})"},
       {R"({"direction":"left","from_pct":50.0,"id":"auto:cell","ok":true,"to_pct":40.0,"verified":true})",
        R"({"direction":"up","id":"auto:cell","ok":true,"verified":false})"},
       {R"({"t":0,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":0,"type":"uia","call":"Scroll","element":"wide","horizontal_amount":0,"vertical_amount":2,"horizontal":40,"vertical":-1})",
        R"({"t":0,"type":"sleep","ms":40})",
        R"({"t":40,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})",
        R"({"t":40,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":40,"type":"sleep","ms":50})",
        R"({"t":90,"type":"post_message","hwnd":5001,"msg":522,"wparam":7864320,"lparam":31457755})"}},
      {"a vertical list has no horizontal ancestor: left posts one notch down",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:fileA","direction":"left"})"},
       {R"({"direction":"left","id":"auto:fileA","ok":true,"verified":false})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":522,"wparam":4287102976,"lparam":10617043})",
        R"({"t":50,"type":"scroll_message","element":"files","vertical":5})"}},
      {"an unknown direction: refused on the pattern route, one notch down on the wheel route",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:fileA","direction":"Down"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:farRow","direction":"sideways"})"},
       {R"({"error":"scroll: unknown direction 'Down'","ok":false})",
        R"({"direction":"sideways","id":"auto:farRow","ok":true,"verified":false})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":522,"wparam":4287102976,"lparam":20972130})",
        R"({"t":50,"type":"scroll_message","element":"far_list","vertical":41})"}},
      {"the element and nine ancestors are searched, not ten",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:nearRow","direction":"page_down"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:farRow","direction":"page_up"})"},
       {R"({"direction":"page_down","from_pct":40.0,"id":"auto:nearRow","ok":true,"to_pct":50.0,"verified":true})",
        R"({"direction":"page_up","id":"auto:farRow","ok":true,"verified":false})"},
       {R"({"t":0,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":0,"type":"uia","call":"Scroll","element":"near_list","horizontal_amount":2,"vertical_amount":3,"horizontal":-1,"vertical":50})",
        R"({"t":0,"type":"sleep","ms":40})",
        R"({"t":40,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})",
        R"({"t":40,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":40,"type":"sleep","ms":50})",
        R"({"t":90,"type":"post_message","hwnd":5001,"msg":522,"wparam":23592960,"lparam":20972130})",
        R"({"t":90,"type":"scroll_message","element":"far_list","vertical":37})"}},
      {"a provider that refuses the pattern gets the wheel and Home at its child window",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:oldRow","direction":"down"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:oldRow","direction":"top"})"},
       {R"({"direction":"down","id":"auto:oldRow","ok":true,"verified":false})",
        R"({"direction":"top","id":"auto:oldRow","ok":true,"verified":false})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5004,"msg":522,"wparam":4287102976,"lparam":30933203})",
        R"({"t":50,"type":"scroll_message","element":"legacy","vertical":3})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":50,"type":"sleep","ms":50})",
        R"({"t":100,"type":"post_message","hwnd":5004,"msg":256,"wparam":36,"lparam":0})",
        R"({"t":100,"type":"scroll_message","element":"legacy","vertical":0})",
        R"({"t":100,"type":"sleep","ms":10})",
        R"({"t":110,"type":"post_message","hwnd":5004,"msg":257,"wparam":36,"lparam":0})"}},
      {"a move of exactly 0.5 is no effect",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:halfRow","direction":"page_down"})"},
       {R"j({"error":"scroll: 'page_down' had no effect — already at the end (nothing scrolled)","ok":false})j"},
       {R"({"t":0,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":0,"type":"uia","call":"Scroll","element":"half","horizontal_amount":2,"vertical_amount":3,"horizontal":-1,"vertical":10.5})",
        R"({"t":0,"type":"sleep","ms":40})",
        R"({"t":40,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})"}},
      {"a failing Scroll call still ends the guard",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","id":"auto:brokenRow"})"},
       {R"j({"error":"scroll: ScrollPattern failed: Unspecified error (0x80004005)","ok":false})j"},
       {R"({"t":0,"type":"set_window_long","hwnd":5001,"index":-20,"value":134217728,"previous":0})",
        R"({"t":0,"type":"uia","call":"Scroll","element":"broken","hr":"0x80004005"})",
        R"({"t":0,"type":"sleep","ms":40})",
        R"({"t":40,"type":"set_window_long","hwnd":5001,"index":-20,"value":0,"previous":134217728})"}},
      {"without an element: the key route, and its unknown directions",
       "widgets",
       {R"({"cmd":"scroll","app":"widgets","direction":"page_down"})",
        R"({"cmd":"scroll","app":"widgets","id":"auto:nothing","direction":"end"})",
        R"({"cmd":"scroll","app":"widgets","direction":"left"})",
        R"({"cmd":"scroll","app":"Nowhere"})"},
       {R"({"direction":"page_down","id":"","ok":true,"verified":false})",
        R"({"direction":"end","id":"auto:nothing","ok":true,"verified":false})",
        R"({"error":"scroll: unknown direction 'left'","ok":false})",
        R"({"error":"scroll: no session for 'nowhere'","ok":false})"},
       {R"({"t":0,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":5001,"msg":256,"wparam":34,"lparam":0})",
        R"({"t":50,"type":"scroll_message","element":"files","vertical":25})",
        R"({"t":50,"type":"sleep","ms":10})",
        R"({"t":60,"type":"post_message","hwnd":5001,"msg":257,"wparam":34,"lparam":0})",
        R"({"t":60,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":60,"type":"sleep","ms":50})",
        R"({"t":110,"type":"post_message","hwnd":5001,"msg":256,"wparam":35,"lparam":0})",
        R"({"t":110,"type":"scroll_message","element":"files","vertical":100})",
        R"({"t":110,"type":"sleep","ms":10})",
        R"({"t":120,"type":"post_message","hwnd":5001,"msg":257,"wparam":35,"lparam":0})",
        R"({"t":120,"type":"post_message","hwnd":5001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":120,"type":"sleep","ms":50})"}},
      {"the wheel route starts at the top-level window of a chromium session",
       "browser",
       {R"({"cmd":"scroll","app":"browser","id":"auto:go","direction":3})"},
       {R"({"direction":"down","id":"auto:go","ok":true,"verified":false})"},
       {R"({"t":0,"type":"post_message","hwnd":7001,"msg":6,"wparam":1,"lparam":0})",
        R"({"t":0,"type":"post_message","hwnd":7002,"msg":7,"wparam":0,"lparam":0})",
        R"({"t":0,"type":"sleep","ms":50})",
        R"({"t":50,"type":"post_message","hwnd":7003,"msg":522,"wparam":4287102976,"lparam":27526170})"}},
  });
}

TEST(ElementActionsProtocol, CountsAreClamped) {
  const Exchange got = run_after_scan(
      kWidgets, "widgets",
      {R"({"cmd":"key","app":"widgets","key":"up","count":1000})",
       R"({"cmd":"hover","app":"widgets","id":"auto:plain","count":0,"dwell_ms":0})",
       R"({"cmd":"hover","app":"widgets","id":"auto:plain","count":1000,"dwell_ms":0})"});
  ASSERT_EQ(got.responses.size(), 3u);
  EXPECT_NE(got.responses[0].find(R"("count":50,)"), std::string::npos) << got.responses[0];
  EXPECT_EQ(count_lines(got.events, R"("msg":256,"wparam":38,)"), 50u);
  EXPECT_EQ(count_lines(got.events, R"("msg":512,)"), 1u + 60u);
}

TEST(ElementActionsProtocol, HoverWithoutAForegroundWindowNeverReportsAChange) {
  std::ifstream file(kWidgets, std::ios::binary);
  const std::string scene((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::string from = R"({"foreground": 5001,)";
  ASSERT_EQ(scene.rfind(from, 0), 0u);
  const TempFile no_foreground(R"({"foreground": null,)" + scene.substr(from.size()));
  const Exchange got = run_after_scan(
      no_foreground.path(), "widgets",
      {R"({"cmd":"hover","app":"widgets","id":"auto:grab","count":1,"dwell_ms":0})"});
  ASSERT_EQ(got.responses.size(), 1u);
  EXPECT_NE(got.responses[0].find(R"("fg_after":6001,"fg_before":0,"fg_changed":false,)"),
            std::string::npos)
      << got.responses[0];
}

}  // namespace
}  // namespace uiad
