// The six control pattern interfaces in their published vtable order, declared
// here because the IDL behind the widl headers only forward-declares them. The
// daemon's Win32 layer declares the same interfaces on its own; keeping two
// independent copies lets the suite catch a slot out of order in either.
#pragma once

#include <windows.h>

#include <ole2.h>

struct IUIAutomationElement;

namespace standin {

enum StandinToggleState { kToggleOff = 0, kToggleOn = 1, kToggleIndeterminate = 2 };
enum StandinExpandCollapseState { kCollapsed = 0, kExpanded = 1, kPartiallyExpanded = 2, kLeafNode = 3 };
enum StandinScrollAmount {
  kLargeDecrement = 0,
  kSmallDecrement = 1,
  kNoAmount = 2,
  kLargeIncrement = 3,
  kSmallIncrement = 4
};
inline constexpr double kNoScroll = -1.0;

inline constexpr GUID kIidInvokePattern = {
    0xfb377fbe, 0x8ea6, 0x46d5, {0x9c, 0x73, 0x64, 0x99, 0x64, 0x2d, 0x30, 0x59}};
inline constexpr GUID kIidTogglePattern = {
    0x94cf8058, 0x9b8d, 0x4ab9, {0x8b, 0xfd, 0x4c, 0xd0, 0xa3, 0x3c, 0x8c, 0x70}};
inline constexpr GUID kIidValuePattern = {
    0xa94cd8b1, 0x0844, 0x4cd6, {0x9d, 0x2d, 0x64, 0x05, 0x37, 0xab, 0x39, 0xe9}};
inline constexpr GUID kIidSelectionItemPattern = {
    0xa8efa66a, 0x0fda, 0x421a, {0x91, 0x94, 0x38, 0x02, 0x1f, 0x35, 0x78, 0xea}};
inline constexpr GUID kIidExpandCollapsePattern = {
    0x619be086, 0x1f4e, 0x4ee4, {0xba, 0xfa, 0x21, 0x01, 0x28, 0x73, 0x87, 0x30}};
inline constexpr GUID kIidScrollPattern = {
    0x88f4d42a, 0xe881, 0x459d, {0xa7, 0x7c, 0x73, 0xbb, 0xbb, 0x7e, 0x02, 0xdc}};

}  // namespace standin

struct IUIAutomationInvokePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};

struct IUIAutomationTogglePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentToggleState(int* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedToggleState(int* state) = 0;
};

struct IUIAutomationSelectionItemPattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentIsSelected(BOOL* selected) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentSelectionContainer(IUIAutomationElement** container) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedIsSelected(BOOL* selected) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedSelectionContainer(IUIAutomationElement** container) = 0;
};

struct IUIAutomationExpandCollapsePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
  virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentExpandCollapseState(int* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedExpandCollapseState(int* state) = 0;
};

struct IUIAutomationScrollPattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Scroll(int horizontal, int vertical) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetScrollPercent(double horizontal, double vertical) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontalScrollPercent(double* percent) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticalScrollPercent(double* percent) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontalViewSize(double* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticalViewSize(double* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontallyScrollable(BOOL* scrollable) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticallyScrollable(BOOL* scrollable) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontalScrollPercent(double* percent) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticalScrollPercent(double* percent) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontalViewSize(double* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticalViewSize(double* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontallyScrollable(BOOL* scrollable) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticallyScrollable(BOOL* scrollable) = 0;
};
