// Rendering of records and node trees into the snapshot text, in one pass
// over a single growing buffer.
#include "snapshot/snapshot_text.h"

#include <charconv>
#include <unordered_map>

#include "daemon/unicode.h"

namespace uiad {
namespace {

constexpr std::string_view kWindowClose = "</window>";

void append_int(std::string& out, std::int64_t n) {
  char buffer[24];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, n).ptr;
  out.append(buffer, end);
}

void append_indent(std::string& out, std::uint64_t depth) {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
}

void append_attr(std::string& out, std::string_view name, std::string_view raw) {
  out += ' ';
  out += name;
  out += "=\"";
  append_escaped_attr(out, raw);
  out += '"';
}

void append_flag(std::string& out, std::string_view name, bool value) {
  out += ' ';
  out += name;
  out += value ? "=\"true\"" : "=\"false\"";
}

// The line up to, not including, its closing ">" or "/>".
void render_line_head(const ElementRecord& r, std::string_view id, std::uint64_t depth,
                      const DuplicateIdSet& duplicates, std::string& out) {
  append_indent(out, depth);
  out += '<';
  out += r.role;
  out += " e=\"";
  out += id;
  out += '"';
  if (!r.label.empty()) {
    append_attr(out, "label", r.label);
    if (r.role == "window") append_attr(out, "title", r.label);
  }
  if (!r.help.empty()) append_attr(out, "help", r.help);
  if (!r.value.empty()) append_attr(out, "value", r.value);
  if (!r.automation_id.empty())
    append_attr(out, duplicates.contains(r.automation_id) ? "class" : "id", r.automation_id);
  if (r.width > 0 && r.height > 0) {
    out += " pos=\"";
    append_int(out, std::int64_t{r.center_x} - r.width / 2);
    out += ',';
    append_int(out, std::int64_t{r.center_y} - r.height / 2);
    out += "\" size=\"";
    append_int(out, r.width);
    out += ',';
    append_int(out, r.height);
    out += '"';
  }
  if (r.focused) append_flag(out, "focused", true);
  if (!r.enabled) append_flag(out, "disabled", true);
  if (r.checked != CheckedState::None) append_flag(out, "checked", r.checked == CheckedState::On);
  if (r.selected) append_flag(out, "selected", true);
}

bool blank(std::string_view text) { return unicode::trim_white_space(text).empty(); }

}  // namespace

DuplicateIdSet duplicate_automation_ids(const ElementRecordTable& records) {
  std::unordered_map<std::string_view, bool> seen_twice;
  DuplicateIdSet duplicates;
  for (const auto& [id, r] : records) {
    if (r.automation_id.empty()) continue;
    auto [it, first] = seen_twice.try_emplace(r.automation_id, false);
    if (!first && !it->second) {
      it->second = true;
      duplicates.insert(r.automation_id);
    }
  }
  return duplicates;
}

void append_escaped_attr(std::string& out, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view entity;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '"':
        entity = "&quot;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      default:
        continue;
    }
    out.append(text, start, i - start);
    out += entity;
    start = i + 1;
  }
  out.append(text, start, text.size() - start);
}

std::string escape_attr(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  append_escaped_attr(out, text);
  return out;
}

bool is_transparent_group(const ElementRecord& r) {
  return r.role == "group" && blank(r.label) && blank(r.help) && blank(r.value) && !r.focused &&
         !r.selected && r.checked == CheckedState::None;
}

void render_line(const ElementRecord& record, std::string_view id, std::uint64_t depth,
                 bool self_closing, const DuplicateIdSet& duplicates, std::string& out) {
  render_line_head(record, id, depth, duplicates, out);
  out += self_closing ? "/>" : ">";
}

bool render_node(const SnapshotNode& node, std::uint64_t depth, const DuplicateIdSet& duplicates,
                 std::string& out) {
  // An explicit stack of open nodes, so a tree of any depth renders.
  struct Frame {
    const SnapshotNode* node;
    std::uint64_t depth;
    bool transparent;      // no line of its own: children shown in its place
    bool any = false;      // a child has rendered text
    std::size_t next = 0;  // the next child to render
    std::size_t mark = 0;  // where the text of the child being rendered starts
  };
  std::vector<Frame> stack;
  auto open = [&](const SnapshotNode& n, std::uint64_t d) {
    const bool transparent = is_transparent_group(*n.record);
    if (!transparent) {
      render_line_head(*n.record, *n.id, d, duplicates, out);
      out += '>';
    }
    stack.push_back(Frame{&n, d, transparent});
  };
  open(node, depth);
  for (;;) {
    Frame& f = stack.back();
    if (f.next < f.node->children.size()) {
      f.mark = out.size();
      // A transparent group puts no line break before its first shown child.
      if (!f.transparent || f.any) out += '\n';
      open(f.node->children[f.next++], f.depth + 1);
      continue;
    }
    bool rendered = true;
    if (f.transparent) {
      rendered = f.any;
    } else if (!f.any) {
      // No child text: the open line becomes self-closing.
      out.back() = '/';
      out += '>';
    } else {
      out += '\n';
      append_indent(out, f.depth);
      out += "</";
      out += f.node->record->role;
      out += '>';
    }
    stack.pop_back();
    if (stack.empty()) return rendered;
    Frame& parent = stack.back();
    if (rendered) {
      parent.any = true;
    } else {
      out.resize(parent.mark);
    }
  }
}

std::string render_snapshot(const SnapshotNode* main,
                            const std::vector<SupplementEntry>& supplement,
                            const DuplicateIdSet& duplicates, std::size_t size_hint) {
  std::string text;
  text.reserve(size_hint * 128);
  if (main != nullptr) render_node(*main, 0, duplicates, text);

  std::string block;
  for (const SupplementEntry& entry : supplement) {
    if (entry.kind == SupplementEntry::Kind::Single) {
      block += "\n  ";
      render_line(*entry.node.record, *entry.node.id, 0, true, duplicates, block);
    } else {
      const std::size_t mark = block.size();
      block += '\n';
      if (!render_node(entry.node, 0, duplicates, block)) block.resize(mark);
    }
  }
  if (block.empty()) return text;
  const auto at = text.rfind(kWindowClose);
  if (at == std::string::npos) {
    text += block;
  } else {
    text.insert(at, block);
  }
  return text;
}

}  // namespace uiad
