// List boxes scroll by their own WM_VSCROLL handling and LB_SETTOPINDEX; a
// scroll-bar control only tells its parent, which moves the thumb itself, as
// it does for a user's click.
#include "standin/scrolling.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace {

struct ListMetrics {
  int count = 0;
  int top = 0;
  int visible = 1;
};

ListMetrics list_metrics(HWND list) {
  ListMetrics m;
  bool ok = false;
  m.count = static_cast<int>(send_with_timeout(list, LB_GETCOUNT, 0, 0, &ok));
  if (!ok || m.count < 0) m.count = 0;
  m.top = static_cast<int>(send_with_timeout(list, LB_GETTOPINDEX, 0, 0, &ok));
  if (!ok || m.top < 0) m.top = 0;
  const int item_height = static_cast<int>(send_with_timeout(list, LB_GETITEMHEIGHT, 0, 0, &ok));
  RECT client{};
  GetClientRect(list, &client);
  if (ok && item_height > 0) m.visible = std::max(1, static_cast<int>(client.bottom / item_height));
  return m;
}

bool is_vertical_bar(HWND bar) { return (GetWindowLongW(bar, GWL_STYLE) & SBS_VERT) != 0; }

struct BarRange {
  int min = 0;
  int max_position = 0;  // the largest position the thumb can take
  int position = 0;
  double view_size = 100.0;
};

bool bar_range(HWND bar, BarRange* range) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  bool ok = false;
  if (!send_with_timeout(bar, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info), &ok) || !ok) {
    return false;
  }
  range->min = info.nMin;
  range->max_position = info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0);
  range->position = info.nPos;
  const int span = info.nMax - info.nMin + 1;
  range->view_size = span > 0 ? 100.0 * info.nPage / span : 100.0;
  return true;
}

int scroll_code(int amount) {
  switch (amount) {
    case kLargeDecrement:
      return SB_PAGEUP;
    case kSmallDecrement:
      return SB_LINEUP;
    case kLargeIncrement:
      return SB_PAGEDOWN;
    case kSmallIncrement:
      return SB_LINEDOWN;
    default:
      return -1;
  }
}

bool valid_amount(int amount) { return amount >= kLargeDecrement && amount <= kSmallIncrement; }

// What a scroll bar sends its parent when the user drags or clicks it.
void notify_parent(HWND bar, int code, int position) {
  const UINT message = is_vertical_bar(bar) ? WM_VSCROLL : WM_HSCROLL;
  bool ok = false;
  send_with_timeout(GetParent(bar), message, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar),
                    &ok);
  send_with_timeout(GetParent(bar), message, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(bar),
                    &ok);
}

}  // namespace

ScrollState scroll_state(const Node& node) {
  ScrollState state;
  if (kind_of(node) == Kind::List) {
    const ListMetrics m = list_metrics(node.hwnd);
    if (m.count > m.visible) {
      state.vertically_scrollable = true;
      state.vertical_percent = 100.0 * m.top / (m.count - m.visible);
      state.vertical_view_size = 100.0 * m.visible / m.count;
    }
    return state;
  }
  BarRange range;
  if (!bar_range(node.hwnd, &range) || range.max_position <= range.min) return state;
  const double percent = 100.0 * (range.position - range.min) / (range.max_position - range.min);
  if (is_vertical_bar(node.hwnd)) {
    state.vertically_scrollable = true;
    state.vertical_percent = percent;
    state.vertical_view_size = range.view_size;
  } else {
    state.horizontally_scrollable = true;
    state.horizontal_percent = percent;
    state.horizontal_view_size = range.view_size;
  }
  return state;
}

HRESULT scroll_by(const Node& node, int horizontal, int vertical) {
  if (!valid_amount(horizontal) || !valid_amount(vertical)) return E_INVALIDARG;
  const ScrollState state = scroll_state(node);
  if ((horizontal != kNoAmount && !state.horizontally_scrollable) ||
      (vertical != kNoAmount && !state.vertically_scrollable)) {
    return kInvalidOperation;
  }
  bool ok = false;
  if (kind_of(node) == Kind::List) {
    if (vertical != kNoAmount) {
      send_with_timeout(node.hwnd, WM_VSCROLL, MAKEWPARAM(scroll_code(vertical), 0), 0, &ok);
      send_with_timeout(node.hwnd, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0, &ok);
    }
    return S_OK;
  }
  const int amount = is_vertical_bar(node.hwnd) ? vertical : horizontal;
  if (amount != kNoAmount) notify_parent(node.hwnd, scroll_code(amount), 0);
  return S_OK;
}

HRESULT scroll_to_percent(const Node& node, double horizontal, double vertical) {
  const ScrollState state = scroll_state(node);
  auto check = [](double percent, bool scrollable) {
    if (percent == kNoScroll) return S_OK;
    if (!scrollable) return kInvalidOperation;
    return (percent >= 0.0 && percent <= 100.0) ? S_OK : E_INVALIDARG;
  };
  if (HRESULT hr = check(horizontal, state.horizontally_scrollable); FAILED(hr)) return hr;
  if (HRESULT hr = check(vertical, state.vertically_scrollable); FAILED(hr)) return hr;
  bool ok = false;
  if (kind_of(node) == Kind::List) {
    if (vertical != kNoScroll) {
      const ListMetrics m = list_metrics(node.hwnd);
      const int top = static_cast<int>(std::lround(vertical / 100.0 * (m.count - m.visible)));
      send_with_timeout(node.hwnd, LB_SETTOPINDEX, top, 0, &ok);
    }
    return S_OK;
  }
  const double percent = is_vertical_bar(node.hwnd) ? vertical : horizontal;
  BarRange range;
  if (percent == kNoScroll || !bar_range(node.hwnd, &range)) return S_OK;
  const int position =
      range.min + static_cast<int>(std::lround(percent / 100.0 * (range.max_position - range.min)));
  notify_parent(node.hwnd, SB_THUMBPOSITION, position);
  return S_OK;
}

}  // namespace standin
