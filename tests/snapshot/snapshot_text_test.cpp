// Snapshot text: tag lines, transparent groups, nesting and where the
// supplement block goes.
#include "snapshot/snapshot_text.h"

#include <gtest/gtest.h>

namespace uiad {
namespace {

ElementRecord make(std::string role, std::string label = "") {
  ElementRecord r;
  r.role = std::move(role);
  r.label = std::move(label);
  return r;
}

ElementRecord boxed(std::string role, std::string label, int left, int top, int w, int h) {
  ElementRecord r = make(std::move(role), std::move(label));
  r.width = w;
  r.height = h;
  r.center_x = left + w / 2;
  r.center_y = top + h / 2;
  return r;
}

// Owns the records the nodes point to, as the walk's table does.
class Tree {
 public:
  SnapshotNode node(const std::string& id, ElementRecord r,
                    std::vector<SnapshotNode> children = {}) {
    auto it = records_.insert_or_assign(id, std::move(r)).first;
    return SnapshotNode{&it->first, &it->second, std::move(children)};
  }
  SupplementEntry single(const std::string& id, ElementRecord r) {
    return {SupplementEntry::Kind::Single, node(id, std::move(r))};
  }
  const ElementRecordTable& records() const { return records_; }

 private:
  ElementRecordTable records_;
};

std::string line(const ElementRecord& r, std::string_view id, bool self_closing = true,
                 std::uint64_t depth = 0, const DuplicateIdSet& dups = {}) {
  std::string out;
  render_line(r, id, depth, self_closing, dups, out);
  return out;
}

TEST(EscapeAttr, EscapesOnlyTheFourMarkupCharacters) {
  EXPECT_EQ(escape_attr("a\"b&c<d>e'f\tg\nh"), "a&quot;b&amp;c&lt;d&gt;e'f\tg\nh");
  EXPECT_EQ(escape_attr("&amp;"), "&amp;amp;");
  EXPECT_EQ(escape_attr(""), "");
}

TEST(RenderLine, WritesAttributesInTheirFixedOrder) {
  ElementRecord r = boxed("checkbox", "Log \"all\"", 10, 20, 30, 40);
  r.help = "h<1>";
  r.value = "v&";
  r.automation_id = "chk";
  r.focused = true;
  r.enabled = false;
  r.checked = CheckedState::Off;
  r.selected = true;
  EXPECT_EQ(line(r, "auto:chk", true, 2),
            "    <checkbox e=\"auto:chk\" label=\"Log &quot;all&quot;\" help=\"h&lt;1&gt;\" "
            "value=\"v&amp;\" id=\"chk\" pos=\"10,20\" size=\"30,40\" focused=\"true\" "
            "disabled=\"true\" checked=\"false\" selected=\"true\"/>");
  r.checked = CheckedState::On;
  EXPECT_NE(line(r, "x").find(" checked=\"true\" "), std::string::npos);
}

TEST(RenderLine, TitleOnlyForNamedWindowsAndClassForDuplicatedIds) {
  EXPECT_EQ(line(make("window", "Main"), "w", false),
            "<window e=\"w\" label=\"Main\" title=\"Main\">");
  EXPECT_EQ(line(make("window"), "idx:1"), "<window e=\"idx:1\"/>");
  EXPECT_EQ(line(make("button", "Go"), "b"), "<button e=\"b\" label=\"Go\"/>");
  ElementRecord r = make("button");
  r.automation_id = "a\"b";
  const DuplicateIdSet dups{r.automation_id};
  EXPECT_EQ(line(r, "auto:a_b", true, 0, dups), "<button e=\"auto:a_b\" class=\"a&quot;b\"/>");
  EXPECT_EQ(line(r, "auto:a_b"), "<button e=\"auto:a_b\" id=\"a&quot;b\"/>");
}

TEST(RenderLine, GeometryNeedsPositiveSizeAndMayBeNegative) {
  EXPECT_EQ(line(boxed("text", "t", -50, -7, 20, 10), "t"),
            "<text e=\"t\" label=\"t\" pos=\"-50,-7\" size=\"20,10\"/>");
  EXPECT_EQ(line(boxed("text", "t", 5, 5, 0, 10), "t"), "<text e=\"t\" label=\"t\"/>");
  EXPECT_EQ(line(boxed("text", "t", 5, 5, 10, -3), "t"), "<text e=\"t\" label=\"t\"/>");
  // An odd width: the centre was rounded down, the left edge comes back.
  EXPECT_EQ(line(boxed("text", "t", 3, 4, 7, 5), "t"),
            "<text e=\"t\" label=\"t\" pos=\"3,4\" size=\"7,5\"/>");
  // A blank label is still shown.
  EXPECT_EQ(line(make("text", "  "), "t"), "<text e=\"t\" label=\"  \"/>");
}

TEST(TransparentGroup, DependsOnTrimmedTextsAndStates) {
  ElementRecord g = make("group", " \u00a0");
  g.automation_id = "pane1";
  g.enabled = false;
  g.width = 10;
  g.height = 10;
  EXPECT_TRUE(is_transparent_group(g));
  // Characters, not "x": GCC 12's optimiser warns (-Wrestrict) falsely on
  // assigning a literal here.
  for (auto change : std::vector<void (*)(ElementRecord&)>{
           [](ElementRecord& r) { r.label = 'x'; }, [](ElementRecord& r) { r.help = 'x'; },
           [](ElementRecord& r) { r.value = 'x'; }, [](ElementRecord& r) { r.focused = true; },
           [](ElementRecord& r) { r.selected = true; },
           [](ElementRecord& r) { r.checked = CheckedState::Off; },
           [](ElementRecord& r) { r.role = "list"; }}) {
    ElementRecord copy = g;
    change(copy);
    EXPECT_FALSE(is_transparent_group(copy));
  }
}

TEST(RenderNode, NestsDropsEmptyChildrenAndLiftsTransparentGroups) {
  Tree t;
  SnapshotNode root =
      t.node("w", make("window", "W"),
             {t.node("g1", make("group"),
                     {t.node("b1", make("button", "A")), t.node("b2", make("button", "B"))}),
              t.node("g2", make("group")),  // renders empty
              t.node("l", make("list", "L"), {t.node("g3", make("group"))}),
              t.node("g4", make("group"),
                     {t.node("g5", make("group"), {t.node("r", make("row", "R"))})})});
  std::string out;
  ASSERT_TRUE(render_node(root, 0, {}, out));
  EXPECT_EQ(out,
            "<window e=\"w\" label=\"W\" title=\"W\">\n"
            "    <button e=\"b1\" label=\"A\"/>\n"
            "    <button e=\"b2\" label=\"B\"/>\n"
            "  <list e=\"l\" label=\"L\"/>\n"
            "      <row e=\"r\" label=\"R\"/>\n"
            "</window>");

  std::string empty = "keep";
  EXPECT_FALSE(
      render_node(t.node("g", make("group"), {t.node("g6", make("group"))}), 3, {}, empty));
  EXPECT_EQ(empty, "keep");
}

TEST(RenderSnapshot, InsertsTheSupplementBlockBeforeTheLastWindowClose) {
  Tree t;
  SnapshotNode root = t.node("p", make("group", "P"),
                             {t.node("w1", make("window", "A"), {t.node("x", make("text", "x"))}),
                              t.node("w2", make("window", "B"), {t.node("y", make("text", "y"))})});
  std::vector<SupplementEntry> extra;
  extra.push_back(t.single("s", make("input", "S")));
  extra.push_back({SupplementEntry::Kind::Subtree,
                   t.node("m", make("menubar", "M"), {t.node("i", make("menuitem", "F"))})});
  extra.push_back({SupplementEntry::Kind::Subtree, t.node("g", make("group"))});  // empty
  EXPECT_EQ(render_snapshot(&root, extra, {}),
            "<group e=\"p\" label=\"P\">\n"
            "  <window e=\"w1\" label=\"A\" title=\"A\">\n"
            "    <text e=\"x\" label=\"x\"/>\n"
            "  </window>\n"
            "  <window e=\"w2\" label=\"B\" title=\"B\">\n"
            "    <text e=\"y\" label=\"y\"/>\n"
            "  \n"
            "  <input e=\"s\" label=\"S\"/>\n"
            "<menubar e=\"m\" label=\"M\">\n"
            "  <menuitem e=\"i\" label=\"F\"/>\n"
            "</menubar></window>\n"
            "</group>");
}

TEST(RenderSnapshot, AppendsWithoutWindowCloseAndStandsAloneWithoutMainNode) {
  Tree t;
  SnapshotNode root = t.node("w", make("window", "W"), {t.node("g", make("group"))});
  std::vector<SupplementEntry> extra;
  extra.push_back(t.single("s", make("button", "S")));
  EXPECT_EQ(render_snapshot(&root, extra, {}),
            "<window e=\"w\" label=\"W\" title=\"W\"/>\n  <button e=\"s\" label=\"S\"/>");
  EXPECT_EQ(render_snapshot(nullptr, extra, {}), "\n  <button e=\"s\" label=\"S\"/>");
  EXPECT_EQ(render_snapshot(nullptr, {}, {}), "");
}

TEST(DuplicateAutomationIds, HoldsIdsUsedTwiceOrMoreOnly) {
  ElementRecordTable records;
  auto add = [&](const std::string& key, const std::string& automation_id) {
    ElementRecord r;
    r.automation_id = automation_id;
    records.emplace(key, r);
  };
  add("1", "btn");
  add("2", "btn");
  add("3", "btn");
  add("4", "solo");
  add("5", "");
  add("6", "");
  add("7", " ");
  add("8", " ");
  const DuplicateIdSet dups = duplicate_automation_ids(records);
  EXPECT_EQ(dups, (DuplicateIdSet{"btn", " "}));
}

}  // namespace
}  // namespace uiad
