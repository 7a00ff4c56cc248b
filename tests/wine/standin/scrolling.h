// The Scroll pattern over the two kinds of window that offer it here: list
// boxes with a vertical scroll bar and scroll-bar controls.
#pragma once

#include "standin/node.h"

namespace standin {

struct ScrollState {
  double horizontal_percent = kNoScroll;
  double vertical_percent = kNoScroll;
  double horizontal_view_size = 100.0;
  double vertical_view_size = 100.0;
  bool horizontally_scrollable = false;
  bool vertically_scrollable = false;
};

ScrollState scroll_state(const Node& node);

// Both take the pattern's arguments; an axis that does not scroll accepts only
// NoAmount (or NoScroll for a percent), as UI Automation requires.
HRESULT scroll_by(const Node& node, int horizontal, int vertical);
HRESULT scroll_to_percent(const Node& node, double horizontal, double vertical);

}  // namespace standin
