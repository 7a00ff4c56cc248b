// Drawing simulated windows: plain fills, one-pixel frames and a bitmap font.
// Windows are painted parent first, then their visible child windows, then the
// element tree on top; every walk keeps its own stack.
#include "platform/sim/sim_paint.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/sim/sim_font.h"

namespace uiad::sim {
namespace {

using platform::Point;

// Published control type ids the painter knows besides those in types.h.
constexpr ControlTypeId kHyperlink = 50005;
constexpr ControlTypeId kProgressBar = 50012;
constexpr ControlTypeId kStatusBar = 50017;
constexpr ControlTypeId kToolTip = 50022;
constexpr ControlTypeId kTree = 50023;
constexpr ControlTypeId kTreeItem = 50024;
constexpr ControlTypeId kDataItem = 50029;
constexpr ControlTypeId kDocument = 50030;
constexpr ControlTypeId kSplitButton = 50031;
constexpr ControlTypeId kTitleBar = 50037;
constexpr ControlTypeId kSeparator = 50038;

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGreyText = 0xA0A0A0;
constexpr std::uint32_t kActiveFrame = 0x2B5797;
constexpr std::int32_t kIconSize = 14;
constexpr std::uint32_t kInactiveFrame = 0x9DB0C8;
constexpr std::uint32_t kButtonFace = 0xE1E1E1;
constexpr std::uint32_t kButtonBorder = 0xADADAD;
constexpr std::uint32_t kFieldBorder = 0x7A7A7A;
constexpr std::uint32_t kLightLine = 0xD0D0D0;
constexpr std::uint32_t kBar = 0xF0F0F0;
constexpr std::uint32_t kSelection = 0xCCE8FF;
constexpr std::uint32_t kLink = 0x0066CC;
constexpr std::uint32_t kTooltip = 0xFFFFE1;
constexpr std::uint32_t kThumb = 0xC2C3C9;
constexpr std::uint32_t kProgress = 0x06B025;
constexpr int kLineHeight = 15;

bool empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Rect intersect(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

Rect inset(const Rect& r, int by) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

// A bitmap seen through screen coordinates, clipped to the window painted.
class Canvas {
 public:
  Canvas(HandleEntry& bitmap, Point origin, Rect clip)
      : bitmap_(bitmap), origin_(origin), clip_(clip) {}

  void fill(const Rect& screen, std::uint32_t rgb) {
    const Rect r = intersect(screen, clip_);
    const std::int32_t left = std::max(0, r.left - origin_.x);
    const std::int32_t top = std::max(0, r.top - origin_.y);
    const std::int32_t right = std::min(bitmap_.width, r.right - origin_.x);
    const std::int32_t bottom = std::min(bitmap_.height, r.bottom - origin_.y);
    if (left >= right || top >= bottom) return;
    // One row is filled pixel by pixel, the others are copies of it.
    const std::size_t stride = static_cast<std::size_t>(bitmap_.width) * 4;
    const std::size_t bytes = static_cast<std::size_t>(right - left) * 4;
    std::uint8_t* first = bitmap_.pixels.data() + static_cast<std::size_t>(top) * stride + left * 4;
    const std::uint8_t pixel[4] = {static_cast<std::uint8_t>(rgb & 0xFF),
                                   static_cast<std::uint8_t>((rgb >> 8) & 0xFF),
                                   static_cast<std::uint8_t>((rgb >> 16) & 0xFF), 0};
    for (std::size_t x = 0; x < bytes; x += 4) std::memcpy(first + x, pixel, 4);
    for (std::int32_t y = top + 1; y < bottom; ++y)
      std::memcpy(first + static_cast<std::size_t>(y - top) * stride, first, bytes);
  }

  void frame(const Rect& r, std::uint32_t rgb) {
    fill({r.left, r.top, r.right, r.top + 1}, rgb);
    fill({r.left, r.bottom - 1, r.right, r.bottom}, rgb);
    fill({r.left, r.top, r.left + 1, r.bottom}, rgb);
    fill({r.right - 1, r.top, r.right, r.bottom}, rgb);
  }

  // One line of text with its top-left corner at (x, y), cut off at `within`.
  void text(std::int32_t x, std::int32_t y, std::u16string_view s, std::uint32_t rgb,
            const Rect& within) {
    const Rect saved = clip_;
    clip_ = intersect(clip_, within);
    for (std::size_t i = 0; i < s.size() && x < clip_.right; ++i, x += kGlyphWidth) {
      const std::uint8_t* rows = glyph_rows(s[i]);
      for (int r = 0; r < kGlyphHeight; ++r) {
        for (int c = 0; c < kGlyphWidth; ++c) {
          if (rows[r] & (0x80 >> c)) fill({x + c, y + r, x + c + 1, y + r + 1}, rgb);
        }
      }
    }
    clip_ = saved;
  }

 private:
  HandleEntry& bitmap_;
  Point origin_;
  Rect clip_;
};

// What a label shows: mnemonic marks removed and an accelerator after a tab
// cut off (menu items name them "&Save\tCtrl+S").
std::u16string shown(std::u16string_view name) {
  std::u16string out;
  for (std::size_t i = 0; i < name.size() && name[i] != u'\t'; ++i) {
    if (name[i] == u'&' && i + 1 < name.size()) ++i;
    out.push_back(name[i]);
  }
  return out;
}

std::int32_t text_width(std::u16string_view s) {
  return static_cast<std::int32_t>(s.size()) * kGlyphWidth;
}

std::int32_t centred_top(const Rect& r) {
  return r.top + (r.bottom - r.top - kGlyphAscent) / 2 - 1;
}

void label_left(Canvas& canvas, const Rect& r, std::int32_t indent, std::u16string_view s,
                std::uint32_t rgb) {
  canvas.text(r.left + indent, centred_top(r), s, rgb, r);
}

void label_centred(Canvas& canvas, const Rect& r, std::u16string_view s, std::uint32_t rgb) {
  const std::int32_t x = r.left + std::max(2, (r.right - r.left - text_width(s)) / 2);
  canvas.text(x, centred_top(r), s, rgb, r);
}

// Text of several lines (an edit's value), from the top when it has room for
// more than one line, else centred.
void field_text(Canvas& canvas, const Rect& r, std::u16string_view s, std::uint32_t rgb) {
  const Rect inner = inset(r, 1);
  if (r.bottom - r.top < 2 * kLineHeight) {
    label_left(canvas, inner, 3, s.substr(0, s.find(u'\n')), rgb);
    return;
  }
  std::int32_t y = r.top + 3;
  for (std::size_t start = 0; start <= s.size() && y < r.bottom; y += kLineHeight) {
    std::size_t end = s.find(u'\n', start);
    if (end == std::u16string_view::npos) end = s.size();
    std::u16string_view line = s.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    canvas.text(r.left + 4, y, line, rgb, inner);
    start = end + 1;
  }
}

// The symbol a caption button shows instead of its name.
std::u16string caption_symbol(std::u16string_view name) {
  if (name == u"Close") return u"X";
  if (name == u"Minimize") return u"_";
  if (name == u"Maximize" || name == u"Restore") return u"o";
  return std::u16string(name.substr(0, 1));
}

// The arrow a scroll bar's line button shows instead of its name.
std::u16string arrow_symbol(std::u16string_view name) {
  if (name == u"Line up") return u"^";
  if (name == u"Line down") return u"v";
  if (name == u"Line left") return u"<";
  if (name == u"Line right") return u">";
  return std::u16string(name.substr(0, 1));
}

struct ElementPainter {
  const SimState& state;
  Canvas& canvas;
  bool active;  // the window is the foreground window

  std::u16string_view text(std::uint32_t index) const { return state.model.text(index); }

  bool in_scroll_bar(std::int32_t e) const {
    const std::int32_t parent = state.model.links[e].parent;
    return parent != kNone &&
           state.model.elements[parent].control_type == platform::kScrollBarControlTypeId;
  }

  void paint(std::int32_t e, bool in_title_bar) {
    const ElementData& d = state.model.elements[e];
    const Rect& r = d.rect;
    const bool enabled = (d.flags & kEnabled) != 0;
    const std::uint32_t ink = enabled ? kBlack : kGreyText;
    const std::u16string name = shown(text(d.name));
    switch (d.control_type) {
      case kTitleBar: {
        canvas.fill(r, active ? kActiveFrame : kInactiveFrame);
        // A title bar's Name is often empty; it shows the window's title all
        // the same, right of the window icon (the "System" menu bar).
        std::u16string title = name;
        if (title.empty()) {
          const std::int32_t w = state.top_level_window_of_element(e);
          if (w != kNone) title = shown(state.model.windows[w].title);
        }
        const std::int32_t first = state.model.links[e].first_child;
        const bool icon = first != kNone && state.model.elements[first].control_type ==
                                                platform::kMenuBarControlTypeId;
        label_left(canvas, {r.left, r.top, r.right - 4, r.bottom}, icon ? 6 + kIconSize + 6 : 6,
                   title, kWhite);
        break;
      }
      case platform::kButtonControlTypeId:
      case kSplitButton:
        if (in_title_bar) {
          label_centred(canvas, r, caption_symbol(name), kWhite);
          break;
        }
        canvas.fill(r, kButtonFace);
        canvas.frame(r, kButtonBorder);
        label_centred(canvas, r, in_scroll_bar(e) ? arrow_symbol(name) : name, ink);
        break;
      case platform::kEditControlTypeId:
      case kDocument:
      case platform::kComboBoxControlTypeId:
        canvas.fill(r, enabled ? kWhite : kBar);
        canvas.frame(r, kFieldBorder);
        field_text(canvas, r, text(d.value), ink);
        break;
      case platform::kCheckBoxControlTypeId:
      case platform::kRadioButtonControlTypeId: {
        const std::int32_t top = r.top + (r.bottom - r.top - 13) / 2;
        const Rect box{r.left, top, r.left + 13, top + 13};
        canvas.fill(box, kWhite);
        canvas.frame(box, ink == kBlack ? 0x333333 : kGreyText);
        const bool on = (d.patterns & kToggleBit) ? d.toggle == 1 : (d.flags & kSelected) != 0;
        if (on || d.toggle == 2) canvas.fill(inset(box, 3), on ? ink : kGreyText);
        label_left(canvas, r, 19, name, ink);
        break;
      }
      case platform::kTextControlTypeId:
        label_left(canvas, r, 0, name, ink);
        break;
      case kHyperlink:
        label_left(canvas, r, 0, name, kLink);
        canvas.fill({r.left, centred_top(r) + kGlyphAscent + 1, r.left + text_width(name),
                     centred_top(r) + kGlyphAscent + 2},
                    kLink);
        break;
      case platform::kMenuBarControlTypeId:
        if (in_title_bar) {  // the window icon
          const std::int32_t left = r.left + (r.right - r.left - kIconSize) / 2;
          const std::int32_t top = r.top + (r.bottom - r.top - kIconSize) / 2;
          const Rect box{left, top, left + kIconSize, top + kIconSize};
          canvas.fill(box, kWhite);
          canvas.frame(box, kButtonBorder);
          break;
        }
        canvas.fill(r, kWhite);
        canvas.fill({r.left, r.bottom - 1, r.right, r.bottom}, kLightLine);
        break;
      case platform::kMenuControlTypeId:
        canvas.fill(r, kWhite);
        canvas.frame(r, 0x999999);
        break;
      case platform::kMenuItemControlTypeId: {
        if (in_title_bar) break;  // the icon is drawn by its menu bar
        const bool in_menu = state.model.links[e].parent != kNone &&
                             state.model.elements[state.model.links[e].parent].control_type ==
                                 platform::kMenuControlTypeId;
        label_left(canvas, r, in_menu ? 24 : 6, name, ink);
        const std::u16string_view full = text(d.name);
        if (const auto tab = full.find(u'\t'); in_menu && tab != std::u16string_view::npos) {
          const std::u16string_view keys = full.substr(tab + 1);
          canvas.text(r.right - 8 - text_width(keys), centred_top(r), keys, ink, r);
        }
        break;
      }
      case kSeparator: {
        const std::int32_t y = (r.top + r.bottom) / 2;
        canvas.fill({r.left + 2, y, r.right - 2, y + 1}, kLightLine);
        break;
      }
      case kStatusBar:
        canvas.fill(r, kBar);
        canvas.fill({r.left, r.top, r.right, r.top + 1}, kLightLine);
        break;
      case platform::kTabControlTypeId:
        canvas.fill(r, 0xF5F6F7);
        canvas.fill({r.left, r.bottom - 1, r.right, r.bottom}, kLightLine);
        break;
      case platform::kTabItemControlTypeId:
        if (d.flags & kSelected) {
          canvas.fill(r, kWhite);
          canvas.frame(r, kLightLine);
        }
        label_centred(canvas, r, name, ink);
        break;
      case platform::kListControlTypeId:
      case kTree:
      case platform::kDataGridControlTypeId:
      case platform::kTableControlTypeId:
        canvas.fill(r, kWhite);
        canvas.frame(r, 0x828790);
        break;
      case platform::kListItemControlTypeId:
      case kTreeItem:
      case kDataItem:
        if (d.flags & kSelected) canvas.fill(r, kSelection);
        label_left(canvas, r, 4, name, ink);
        break;
      case platform::kScrollBarControlTypeId: {
        canvas.fill(r, kBar);
        const std::int32_t length = (r.bottom - r.top) / 3;
        canvas.fill({r.left + 3, r.top + 2, r.right - 3, r.top + 2 + length}, kThumb);
        break;
      }
      case kToolTip:
        canvas.fill(r, kTooltip);
        canvas.frame(r, 0x767676);
        label_left(canvas, r, 4, name, kBlack);
        break;
      case kProgressBar:
        canvas.fill(r, 0xE6E6E6);
        canvas.frame(r, 0xBCBCBC);
        canvas.fill({r.left + 1, r.top + 1, r.left + (r.right - r.left) / 2, r.bottom - 1},
                    kProgress);
        break;
      default:  // windows, panes, groups, custom controls: their children show
        break;
    }
  }

  // The elements below `root` (itself included) in tree order, parents under
  // their children; absent elements and those of hidden child windows are
  // left out with their subtrees.
  void paint_tree(std::int32_t root) {
    struct Item {
      std::int32_t element;
      bool in_title_bar;
    };
    std::vector<Item> stack{{root, false}};
    std::vector<std::int32_t> children;
    while (!stack.empty()) {
      const Item item = stack.back();
      stack.pop_back();
      const ElementData& d = state.model.elements[item.element];
      if ((d.flags & kPresent) == 0 || hidden_window(d.native_window)) continue;
      if (!empty(d.rect)) paint(item.element, item.in_title_bar);
      const bool title_bar = item.in_title_bar || d.control_type == kTitleBar;
      children.clear();
      for (std::int32_t c = state.model.links[item.element].first_child; c != kNone;
           c = state.model.links[c].next_sibling) {
        children.push_back(c);
      }
      for (auto it = children.rbegin(); it != children.rend(); ++it)
        stack.push_back({*it, title_bar});
    }
  }

  bool hidden_window(Hwnd hwnd) const {
    if (hwnd == 0) return false;
    const std::int32_t w = state.model.index_of(hwnd);
    return w != kNone &&
           (!state.model.windows[w].exists || (state.model.windows[w].style & kWsVisible) == 0);
  }
};

void paint_frame(Canvas& canvas, const SimWindow& w, bool active) {
  const Rect& r = w.rect;
  const Rect& c = w.client;
  if (w.parent != kNone || c == r) return;
  const std::uint32_t colour = active ? kActiveFrame : kInactiveFrame;
  canvas.fill({r.left, r.top, r.right, c.top}, colour);
  canvas.fill({r.left, c.bottom, r.right, r.bottom}, colour);
  canvas.fill({r.left, c.top, c.left, c.bottom}, colour);
  canvas.fill({c.right, c.top, r.right, c.bottom}, colour);
  if (c.top - r.top >= kGlyphHeight)
    canvas.text(c.left + 6, r.top + (c.top - r.top - kGlyphAscent) / 2 - 1, w.title, kWhite,
                {r.left, r.top, r.right - 4, c.top});
}

}  // namespace

void paint_window(const SimState& state, std::int32_t window, Point origin, HandleEntry& bitmap) {
  const DesktopModel& model = state.model;
  const SimWindow& top = model.windows[window];
  Canvas canvas(bitmap, origin, top.rect);
  const bool active = model.foreground == top.hwnd;
  ElementPainter elements{state, canvas, active};

  // Windows in painting order: each before its children, children bottom of
  // their Z order first, so that the topmost ends up on top.
  std::vector<std::int32_t> order;
  std::vector<std::int32_t> stack{window};
  while (!stack.empty()) {
    const std::int32_t w = stack.back();
    stack.pop_back();
    order.push_back(w);
    for (std::int32_t c : model.windows[w].children) {
      const SimWindow& child = model.windows[c];
      if (child.exists && (child.style & kWsVisible)) stack.push_back(c);
    }
  }
  for (std::int32_t w : order) {
    const SimWindow& sw = model.windows[w];
    canvas.fill(sw.rect, sw.color);
    paint_frame(canvas, sw, active);
  }
  // Elements on top of every window fill: an element that stands for a child
  // window is drawn over that window's plain colour.
  for (std::int32_t w : order) {
    const SimWindow& sw = model.windows[w];
    // A window whose element sits in its parent's tree is drawn with that tree.
    if (sw.element != kNone && (model.elements[sw.element].flags & (kTopLevelRoot | kDetached)))
      elements.paint_tree(sw.element);
  }
}

}  // namespace uiad::sim
