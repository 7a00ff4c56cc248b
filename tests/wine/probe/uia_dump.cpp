// A UI Automation client for checking the stand-in on its own, before and
// beside the daemon: it creates the automation object the way the daemon does
// and prints what it sees as JSON lines.
//
//   uia_dump.exe tree HWND          cached subtree, then the same tree read
//                                   through the control-view walker
//   uia_dump.exe act HWND ACTION [ARG]
//                                   one pattern call on the window's element:
//                                   invoke, toggle, select, expand, collapse,
//                                   set_value TEXT, scroll AMOUNT, item N
//                                   (selects list item N)
//   uia_dump.exe raw HWND           the raw-view subtree, read through the
//                                   raw-view walker
//   uia_dump.exe named HWND NAME [invoke]
//                                   the first element named NAME in the
//                                   window's raw-view subtree (depth first),
//                                   invoked when asked
//   uia_dump.exe focus | point X Y  the focused element / the element at a point
//   uia_dump.exe windows            the visible titled top-level windows, read
//                                   with plain Win32 calls (no UI Automation)
//   uia_dump.exe type HWND TEXT MS  posts WM_CHAR for each UTF-16 unit of TEXT
//                                   to the window, MS milliseconds apart, as
//                                   a person typing
//   uia_dump.exe post HWND MSG WPARAM LPARAM
//                                   one posted message (decimal numbers)
//   uia_dump.exe move HWND X Y      moves a top-level window (SetWindowPos)
//                                   and prints its window rectangle
//   uia_dump.exe vsc VK...          MapVirtualKeyW(VK, MAPVK_VK_TO_VSC) per
//                                   virtual key (decimal)
//   uia_dump.exe chars TEXT         per UTF-16 unit: VkKeyScanW and the scan
//                                   code of the key that types it
//   uia_dump.exe focus_control HWND gives the control the keyboard focus and
//                                   its window the foreground, attached to the
//                                   control's thread as a user's click would
//   uia_dump.exe serve              the commands above from standard input, and
//                                   hold HWND / held: keep an element, then
//                                   read it again (after its window closed)
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "standin/uia.h"

namespace {

template <class T>
struct Ref {
  T* p = nullptr;
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() {
    if (p != nullptr) p->Release();
  }
  T** put() { return &p; }
  T* operator->() const { return p; }
};

std::string utf8(const wchar_t* text, int length) {
  if (text == nullptr || length <= 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

std::string quoted(BSTR text) {
  std::string out = "\"";
  for (char c : utf8(text, text != nullptr ? static_cast<int>(SysStringLen(text)) : 0)) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
      continue;
    }
    out += c;
  }
  SysFreeString(text);
  return out + "\"";
}

std::string hr_text(HRESULT hr) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%08lX", static_cast<unsigned long>(hr));
  return buffer;
}

// One element as a JSON object; `cached` reads the values BuildUpdatedCache stored.
std::string describe(IUIAutomationElement* e, bool cached) {
  BSTR name = nullptr, aid = nullptr;
  CONTROLTYPEID type = 0;
  RECT rect{};
  BOOL enabled = FALSE, focus = FALSE;
  UIA_HWND hwnd = nullptr;
  HRESULT hr_name;
  if (cached) {
    hr_name = e->get_CachedName(&name);
    e->get_CachedAutomationId(&aid);
    e->get_CachedControlType(&type);
    e->get_CachedBoundingRectangle(&rect);
    e->get_CachedIsEnabled(&enabled);
    e->get_CachedHasKeyboardFocus(&focus);
    e->get_CachedNativeWindowHandle(&hwnd);
  } else {
    hr_name = e->get_CurrentName(&name);
    e->get_CurrentAutomationId(&aid);
    e->get_CurrentControlType(&type);
    e->get_CurrentBoundingRectangle(&rect);
    e->get_CurrentIsEnabled(&enabled);
    e->get_CurrentHasKeyboardFocus(&focus);
    e->get_CurrentNativeWindowHandle(&hwnd);
  }
  char numbers[200];
  std::snprintf(numbers, sizeof(numbers),
                "\"type\":%d,\"rect\":[%ld,%ld,%ld,%ld],\"enabled\":%s,\"focus\":%s,\"hwnd\":%lld",
                type, rect.left, rect.top, rect.right, rect.bottom, enabled ? "true" : "false",
                focus ? "true" : "false", static_cast<long long>(reinterpret_cast<intptr_t>(hwnd)));
  std::string out = "{\"name\":" + quoted(name) + ",\"aid\":" + quoted(aid) + "," + numbers;
  if (FAILED(hr_name)) out += ",\"name_hr\":\"" + hr_text(hr_name) + "\"";
  // Pattern state, through the same calls the daemon makes.
  auto pattern = [&](PATTERNID id, REFIID iid, void** out_pattern) {
    return cached ? e->GetCachedPatternAs(id, iid, out_pattern) : e->GetCurrentPatternAs(id, iid, out_pattern);
  };
  Ref<IUIAutomationValuePattern> value;
  if (SUCCEEDED(pattern(UIA_ValuePatternId, standin::kIidValuePattern, reinterpret_cast<void**>(value.put()))) &&
      value.p != nullptr) {
    BSTR text = nullptr;
    BOOL read_only = FALSE;
    if (cached) {
      value->get_CachedValue(&text);
    } else {
      value->get_CurrentValue(&text);
      value->get_CurrentIsReadOnly(&read_only);
    }
    out += ",\"value\":" + quoted(text);
    if (!cached) out += std::string(",\"read_only\":") + (read_only ? "true" : "false");
  }
  Ref<IUIAutomationTogglePattern> toggle;
  if (SUCCEEDED(pattern(UIA_TogglePatternId, standin::kIidTogglePattern, reinterpret_cast<void**>(toggle.put()))) &&
      toggle.p != nullptr) {
    int state = -1;
    if (cached) {
      toggle->get_CachedToggleState(&state);
    } else {
      toggle->get_CurrentToggleState(&state);
    }
    out += ",\"toggle\":" + std::to_string(state);
  }
  Ref<IUIAutomationSelectionItemPattern> selection;
  if (SUCCEEDED(pattern(UIA_SelectionItemPatternId, standin::kIidSelectionItemPattern,
                        reinterpret_cast<void**>(selection.put()))) &&
      selection.p != nullptr) {
    BOOL selected = FALSE;
    if (cached) {
      selection->get_CachedIsSelected(&selected);
    } else {
      selection->get_CurrentIsSelected(&selected);
    }
    out += std::string(",\"selected\":") + (selected ? "true" : "false");
  }
  if (!cached) {
    std::string names;
    const struct {
      PATTERNID id;
      const char* name;
    } kPatterns[] = {{UIA_InvokePatternId, "Invoke"},         {UIA_ValuePatternId, "Value"},
                     {UIA_TogglePatternId, "Toggle"},         {UIA_ExpandCollapsePatternId, "ExpandCollapse"},
                     {UIA_SelectionItemPatternId, "SelectionItem"}, {UIA_ScrollPatternId, "Scroll"}};
    for (const auto& p : kPatterns) {
      Ref<IUnknown> unknown;
      if (SUCCEEDED(e->GetCurrentPatternAs(p.id, IID_IUnknown, reinterpret_cast<void**>(unknown.put()))) &&
          unknown.p != nullptr) {
        names += std::string(names.empty() ? "" : ",") + "\"" + p.name + "\"";
      }
    }
    out += ",\"patterns\":[" + names + "]";
  }
  return out + "}";
}

void print_cached(IUIAutomationElement* e, int depth) {
  std::printf("{\"mode\":\"cache\",\"depth\":%d,\"element\":%s}\n", depth, describe(e, true).c_str());
  Ref<IUIAutomationElementArray> children;
  if (FAILED(e->GetCachedChildren(children.put())) || children.p == nullptr) return;
  int length = 0;
  children->get_Length(&length);
  for (int i = 0; i < length; ++i) {
    Ref<IUIAutomationElement> child;
    if (SUCCEEDED(children->GetElement(i, child.put())) && child.p != nullptr) print_cached(child.p, depth + 1);
  }
}

void print_current(IUIAutomation* automation, IUIAutomationElement* e, int depth) {
  std::printf("{\"mode\":\"current\",\"depth\":%d,\"element\":%s}\n", depth, describe(e, false).c_str());
  Ref<IUIAutomationTreeWalker> walker;
  if (FAILED(automation->get_ControlViewWalker(walker.put()))) return;
  Ref<IUIAutomationElement> first;
  walker->GetFirstChildElement(e, first.put());
  IUIAutomationElement* child = first.p;
  if (child != nullptr) child->AddRef();
  while (child != nullptr) {
    print_current(automation, child, depth + 1);
    IUIAutomationElement* next = nullptr;
    walker->GetNextSiblingElement(child, &next);
    child->Release();
    child = next;
  }
}

// Depth-first through a walker; `visit` returns true to stop.
template <class Visit>
bool walk_raw(IUIAutomationTreeWalker* walker, IUIAutomationElement* e, int depth, Visit&& visit) {
  if (visit(e, depth)) return true;
  Ref<IUIAutomationElement> first;
  walker->GetFirstChildElement(e, first.put());
  IUIAutomationElement* child = first.p;
  if (child != nullptr) child->AddRef();
  while (child != nullptr) {
    if (walk_raw(walker, child, depth + 1, visit)) {
      child->Release();
      return true;
    }
    IUIAutomationElement* next = nullptr;
    walker->GetNextSiblingElement(child, &next);
    child->Release();
    child = next;
  }
  return false;
}

int raw(IUIAutomation* automation, HWND hwnd) {
  Ref<IUIAutomationElement> root;
  Ref<IUIAutomationTreeWalker> walker;
  if (FAILED(automation->ElementFromHandle(hwnd, root.put())) || FAILED(automation->get_RawViewWalker(walker.put()))) {
    std::printf("{\"error\":\"no element\"}\n");
    return 1;
  }
  walk_raw(walker.p, root.p, 0, [](IUIAutomationElement* e, int depth) {
    std::printf("{\"mode\":\"raw\",\"depth\":%d,\"element\":%s}\n", depth, describe(e, false).c_str());
    return false;
  });
  return 0;
}

int named(IUIAutomation* automation, HWND hwnd, const wchar_t* wanted, const wchar_t* action) {
  Ref<IUIAutomationElement> root;
  Ref<IUIAutomationTreeWalker> walker;
  if (FAILED(automation->ElementFromHandle(hwnd, root.put())) || FAILED(automation->get_RawViewWalker(walker.put()))) {
    std::printf("{\"error\":\"no element\"}\n");
    return 1;
  }
  IUIAutomationElement* found = nullptr;
  walk_raw(walker.p, root.p, 0, [&](IUIAutomationElement* e, int) {
    BSTR name = nullptr;
    const bool same = SUCCEEDED(e->get_CurrentName(&name)) && name != nullptr && std::wcscmp(name, wanted) == 0;
    SysFreeString(name);
    if (same) {
      e->AddRef();
      found = e;
    }
    return same;
  });
  if (found == nullptr) {
    std::printf("{\"error\":\"not found\"}\n");
    return 1;
  }
  HRESULT hr = S_OK;
  if (action != nullptr && std::wcscmp(action, L"invoke") == 0) {
    Ref<IUIAutomationInvokePattern> invoke;
    hr = found->GetCurrentPatternAs(UIA_InvokePatternId, standin::kIidInvokePattern, reinterpret_cast<void**>(invoke.put()));
    if (SUCCEEDED(hr)) hr = invoke.p != nullptr ? invoke->Invoke() : E_NOINTERFACE;
  }
  std::printf("{\"hr\":\"%s\",\"element\":%s}\n", hr_text(hr).c_str(), describe(found, false).c_str());
  found->Release();
  return 0;
}

int tree(IUIAutomation* automation, HWND hwnd) {
  Ref<IUIAutomationElement> root;
  HRESULT hr = automation->ElementFromHandle(hwnd, root.put());
  if (FAILED(hr) || root.p == nullptr) {
    std::printf("{\"error\":\"ElementFromHandle %s\"}\n", hr_text(hr).c_str());
    return 1;
  }
  Ref<IUIAutomationCacheRequest> request;
  automation->CreateCacheRequest(request.put());
  request->put_TreeScope(TreeScope_SubTree);
  Ref<IUIAutomationCondition> condition;
  automation->get_ControlViewCondition(condition.put());
  request->put_TreeFilter(condition.p);
  for (PROPERTYID id : {UIA_NamePropertyId, UIA_HelpTextPropertyId, UIA_ControlTypePropertyId,
                        UIA_BoundingRectanglePropertyId, UIA_AutomationIdPropertyId, UIA_IsEnabledPropertyId,
                        UIA_NativeWindowHandlePropertyId, UIA_HasKeyboardFocusPropertyId,
                        UIA_ValueValuePropertyId, UIA_ToggleToggleStatePropertyId,
                        UIA_SelectionItemIsSelectedPropertyId}) {
    request->AddProperty(id);
  }
  for (PATTERNID id : {UIA_ValuePatternId, UIA_TogglePatternId, UIA_SelectionItemPatternId}) request->AddPattern(id);
  Ref<IUIAutomationElement> cached;
  hr = root->BuildUpdatedCache(request.p, cached.put());
  if (FAILED(hr) || cached.p == nullptr) {
    std::printf("{\"error\":\"BuildUpdatedCache %s\"}\n", hr_text(hr).c_str());
    return 1;
  }
  print_cached(cached.p, 0);
  print_current(automation, root.p, 0);
  return 0;
}

int act(IUIAutomation* automation, HWND hwnd, const std::wstring& action, const wchar_t* argument) {
  Ref<IUIAutomationElement> element;
  HRESULT hr = automation->ElementFromHandle(hwnd, element.put());
  if (FAILED(hr)) {
    std::printf("{\"hr\":\"%s\"}\n", hr_text(hr).c_str());
    return 1;
  }
  if (action == L"item") {
    // The Nth child of a list, reached through the walker.
    Ref<IUIAutomationTreeWalker> walker;
    automation->get_RawViewWalker(walker.put());
    IUIAutomationElement* item = nullptr;
    walker->GetFirstChildElement(element.p, &item);
    for (int i = 0; item != nullptr && i < _wtoi(argument); ++i) {
      IUIAutomationElement* next = nullptr;
      walker->GetNextSiblingElement(item, &next);
      item->Release();
      item = next;
    }
    if (item == nullptr) {
      std::printf("{\"hr\":\"no item\"}\n");
      return 1;
    }
    Ref<IUIAutomationSelectionItemPattern> selection;
    item->GetCurrentPatternAs(UIA_SelectionItemPatternId, standin::kIidSelectionItemPattern,
                              reinterpret_cast<void**>(selection.put()));
    hr = selection.p != nullptr ? selection->Select() : E_NOINTERFACE;
    std::printf("{\"hr\":\"%s\",\"element\":%s}\n", hr_text(hr).c_str(), describe(item, false).c_str());
    item->Release();
    return 0;
  }
  struct PatternCall {
    const wchar_t* action;
    PATTERNID id;
    const GUID* iid;
  };
  const PatternCall kCalls[] = {
      {L"invoke", UIA_InvokePatternId, &standin::kIidInvokePattern},
      {L"toggle", UIA_TogglePatternId, &standin::kIidTogglePattern},
      {L"select", UIA_SelectionItemPatternId, &standin::kIidSelectionItemPattern},
      {L"expand", UIA_ExpandCollapsePatternId, &standin::kIidExpandCollapsePattern},
      {L"collapse", UIA_ExpandCollapsePatternId, &standin::kIidExpandCollapsePattern},
      {L"set_value", UIA_ValuePatternId, &standin::kIidValuePattern},
      {L"scroll", UIA_ScrollPatternId, &standin::kIidScrollPattern},
  };
  for (const PatternCall& call : kCalls) {
    if (action != call.action) continue;
    IUnknown* pattern = nullptr;
    hr = element->GetCurrentPatternAs(call.id, *call.iid, reinterpret_cast<void**>(&pattern));
    if (FAILED(hr) || pattern == nullptr) {
      std::printf("{\"hr\":\"%s\",\"pattern\":false}\n", hr_text(hr).c_str());
      return 1;
    }
    std::fflush(stdout);
    if (action == L"invoke") hr = static_cast<IUIAutomationInvokePattern*>(pattern)->Invoke();
    if (action == L"toggle") hr = static_cast<IUIAutomationTogglePattern*>(pattern)->Toggle();
    if (action == L"select") hr = static_cast<IUIAutomationSelectionItemPattern*>(pattern)->Select();
    if (action == L"expand") hr = static_cast<IUIAutomationExpandCollapsePattern*>(pattern)->Expand();
    if (action == L"collapse") hr = static_cast<IUIAutomationExpandCollapsePattern*>(pattern)->Collapse();
    if (action == L"set_value") {
      BSTR text = SysAllocString(argument != nullptr ? argument : L"");
      hr = static_cast<IUIAutomationValuePattern*>(pattern)->SetValue(text);
      SysFreeString(text);
    }
    if (action == L"scroll") {
      hr = static_cast<IUIAutomationScrollPattern*>(pattern)->Scroll(standin::kNoAmount, _wtoi(argument));
      double percent = 0;
      static_cast<IUIAutomationScrollPattern*>(pattern)->get_CurrentVerticalScrollPercent(&percent);
      std::printf("{\"vertical_percent\":%.3f}\n", percent);
    }
    pattern->Release();
    std::printf("{\"hr\":\"%s\",\"element\":%s}\n", hr_text(hr).c_str(), describe(element.p, false).c_str());
    return 0;
  }
  std::printf("{\"hr\":\"unknown action\"}\n");
  return 2;
}

BOOL CALLBACK print_window(HWND hwnd, LPARAM) {
  wchar_t title[512] = {};
  const int length = GetWindowTextW(hwnd, title, 512);
  if (length <= 0 || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 128);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  std::printf("{\"hwnd\":%lld,\"pid\":%lu,\"title\":%s,\"class\":%s,\"rect\":[%ld,%ld,%ld,%ld],\"foreground\":%s}\n",
              static_cast<long long>(reinterpret_cast<intptr_t>(hwnd)), pid,
              quoted(SysAllocStringLen(title, length)).c_str(), quoted(SysAllocString(cls)).c_str(), rect.left,
              rect.top, rect.right, rect.bottom, GetForegroundWindow() == hwnd ? "true" : "false");
  return TRUE;
}

}  // namespace

// "hold HWND" keeps a cached element of the window; "held" then tells what
// its current and cached reads answer, for instance after the window closed.
int hold(IUIAutomation* automation, HWND hwnd, Ref<IUIAutomationElement>& held) {
  Ref<IUIAutomationElement> element;
  Ref<IUIAutomationCacheRequest> request;
  HRESULT hr = automation->ElementFromHandle(hwnd, element.put());
  if (SUCCEEDED(hr)) hr = automation->CreateCacheRequest(request.put());
  if (SUCCEEDED(hr)) hr = request->AddProperty(UIA_NamePropertyId);
  if (held.p != nullptr) {
    held.p->Release();
    held.p = nullptr;
  }
  if (SUCCEEDED(hr)) hr = element->BuildUpdatedCache(request.p, held.put());
  std::printf("{\"hr\":\"%s\"}\n", hr_text(hr).c_str());
  return SUCCEEDED(hr) ? 0 : 1;
}

int report_held(IUIAutomationElement* held) {
  if (held == nullptr) return 1;
  int pid = 0;
  const HRESULT pid_hr = held->get_CurrentProcessId(&pid);
  BSTR name = nullptr;
  const HRESULT name_hr = held->get_CachedName(&name);
  IUnknown* pattern = nullptr;
  const HRESULT pattern_hr = held->GetCurrentPatternAs(UIA_ValuePatternId, IID_IUnknown,
                                                       reinterpret_cast<void**>(&pattern));
  if (pattern != nullptr) pattern->Release();
  std::printf("{\"process_id_hr\":\"%s\",\"cached_name_hr\":\"%s\",\"cached_name\":%s,\"pattern_hr\":\"%s\"}\n",
              hr_text(pid_hr).c_str(), hr_text(name_hr).c_str(), quoted(name).c_str(), hr_text(pattern_hr).c_str());
  return 0;
}

// Runs one command; args[0] is the command name.
int run_command(IUIAutomation* automation, const std::vector<std::wstring>& args,
                Ref<IUIAutomationElement>& held) {
  const std::wstring command = args.empty() ? L"" : args[0];
  auto arg = [&](size_t i) { return i < args.size() ? args[i].c_str() : nullptr; };
  if (command == L"windows") {
    EnumWindows(print_window, 0);
    return 0;
  }
  if (command == L"type" && args.size() > 2) {
    const HWND target = reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(args[1].c_str())));
    const DWORD pause = args.size() > 3 ? static_cast<DWORD>(_wtoi(args[3].c_str())) : 0;
    BOOL posted = TRUE;
    for (const wchar_t c : args[2]) {
      posted = posted && PostMessageW(target, WM_CHAR, c, 1);
      Sleep(pause);
    }
    std::printf("{\"posted\":%s}\n", posted ? "true" : "false");
    return posted ? 0 : 1;
  }
  if (command == L"post" && args.size() > 4) {
    const HWND target = reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(args[1].c_str())));
    const BOOL posted = PostMessageW(target, static_cast<UINT>(_wtoi64(args[2].c_str())),
                                     static_cast<WPARAM>(_wtoi64(args[3].c_str())),
                                     static_cast<LPARAM>(_wtoi64(args[4].c_str())));
    std::printf("{\"posted\":%s}\n", posted ? "true" : "false");
    return posted ? 0 : 1;
  }
  if (command == L"move" && args.size() > 3) {
    const HWND target = reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(args[1].c_str())));
    const BOOL moved = SetWindowPos(target, nullptr, _wtoi(args[2].c_str()), _wtoi(args[3].c_str()), 0, 0,
                                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rect{};
    GetWindowRect(target, &rect);
    std::printf("{\"moved\":%s,\"rect\":[%ld,%ld,%ld,%ld]}\n", moved ? "true" : "false", rect.left, rect.top,
                rect.right, rect.bottom);
    return moved ? 0 : 1;
  }
  if (command == L"vsc") {
    for (size_t i = 1; i < args.size(); ++i) {
      const UINT vk = static_cast<UINT>(_wtoi(args[i].c_str()));
      std::printf("{\"vk\":%u,\"scan\":%u}\n", vk, MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    }
    return 0;
  }
  if (command == L"chars" && args.size() > 1) {
    for (const wchar_t c : args[1]) {
      const SHORT key = VkKeyScanW(c);
      const UINT vk = key == -1 ? 0 : static_cast<UINT>(key & 0xFF);
      std::printf("{\"unit\":%u,\"vk\":%u,\"scan\":%u}\n", static_cast<unsigned>(c), vk,
                  vk == 0 ? 0u : MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    }
    return 0;
  }
  if (command == L"focus_control" && args.size() > 1) {
    const HWND control = reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(args[1].c_str())));
    const DWORD thread = GetWindowThreadProcessId(control, nullptr);
    const BOOL attached = AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetForegroundWindow(GetAncestor(control, GA_ROOT));
    SetFocus(control);
    if (attached) AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const bool focused = GetGUIThreadInfo(thread, &info) && info.hwndFocus == control;
    std::printf("{\"attached\":%s,\"focused\":%s}\n", attached ? "true" : "false",
                focused ? "true" : "false");
    return focused ? 0 : 1;
  }
  if (automation == nullptr) return 1;
  const HWND hwnd = args.size() > 1 ? reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(arg(1)))) : nullptr;
  if (command == L"tree" && hwnd != nullptr) return tree(automation, hwnd);
  if (command == L"act" && args.size() > 2) return act(automation, hwnd, args[2], arg(3));
  if (command == L"hold" && hwnd != nullptr) return hold(automation, hwnd, held);
  if (command == L"raw" && hwnd != nullptr) return raw(automation, hwnd);
  if (command == L"named" && args.size() > 2) return named(automation, hwnd, arg(2), arg(3));
  if (command == L"held") return report_held(held.p);
  if (command == L"focus" || command == L"point") {
    Ref<IUIAutomationElement> element;
    const HRESULT found =
        command == L"focus"
            ? automation->GetFocusedElement(element.put())
            : automation->ElementFromPoint(POINT{args.size() > 2 ? _wtoi(arg(1)) : 0, args.size() > 2 ? _wtoi(arg(2)) : 0},
                                           element.put());
    if (SUCCEEDED(found) && element.p != nullptr) {
      std::printf("{\"element\":%s}\n", describe(element.p, false).c_str());
      return 0;
    }
    std::printf("{\"hr\":\"%s\"}\n", hr_text(found).c_str());
    return 1;
  }
  std::printf("{\"error\":\"unknown command\"}\n");
  return 2;
}

// Reads commands from standard input, one a line with tab-separated
// arguments (UTF-8), and ends each answer with {"done":STATUS}: one process
// serves a whole suite run instead of one Wine start-up per question.
int serve(IUIAutomation* automation) {
  Ref<IUIAutomationElement> held;
  char line[4096];
  while (std::fgets(line, sizeof(line), stdin) != nullptr) {
    std::vector<std::wstring> args;
    std::string field;
    for (const char* c = line;; ++c) {
      if (*c == '\t' || *c == '\n' || *c == '\r' || *c == '\0') {
        if (!field.empty() || *c == '\t') {
          std::wstring wide(field.size(), L'\0');
          wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, field.data(), static_cast<int>(field.size()),
                                                              wide.data(), static_cast<int>(wide.size()))));
          args.push_back(wide);
        }
        field.clear();
        if (*c != '\t') break;
      } else {
        field += *c;
      }
    }
    const int status = run_command(automation, args, held);
    std::printf("{\"done\":%d}\n", status);
    std::fflush(stdout);
  }
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Ref<IUIAutomation> automation;
  const HRESULT hr = CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER, IID_IUIAutomation,
                                      reinterpret_cast<void**>(automation.put()));
  const bool needs_automation = argc > 1 && std::wstring(argv[1]) != L"windows" &&
                                std::wstring(argv[1]) != L"serve" && std::wstring(argv[1]) != L"type" &&
                                std::wstring(argv[1]) != L"post" && std::wstring(argv[1]) != L"focus_control" &&
                                std::wstring(argv[1]) != L"move" && std::wstring(argv[1]) != L"vsc" &&
                                std::wstring(argv[1]) != L"chars";
  if ((FAILED(hr) || automation.p == nullptr) && needs_automation) {
    std::printf("{\"error\":\"CoCreateInstance %s\"}\n", hr_text(hr).c_str());
    return 1;
  }
  if (argc > 1 && std::wstring(argv[1]) == L"serve") return serve(automation.p);
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  Ref<IUIAutomationElement> held;
  const int status = run_command(automation.p, args, held);
  std::fflush(stdout);
  return status;
}
