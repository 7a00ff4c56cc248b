// The UI Automation client declarations the Win32 layer compiles against, the
// same with the Windows SDK's <uiautomation.h> and with the widl-generated
// headers that a MinGW build uses.
#pragma once

#include <windows.h>
// OLE after the base Windows headers.
#include <ole2.h>
#include <oleauto.h>

#if defined(UIAD_UIA_HEADERS_FROM_WIDL)
#include <uiautomationclient.h>
#include <uiautomationcore.h>
#else
#include <uiautomation.h>
#endif

#if defined(UIAD_UIA_HEADERS_FROM_WIDL)
// The IDL that the widl headers come from only forward-declares the control
// pattern interfaces below (Value is complete there). Their layout is the
// published one: the vtable order matters, the names of the slots we never call
// do not.

enum ToggleState { ToggleState_Off = 0, ToggleState_On = 1, ToggleState_Indeterminate = 2 };

enum ExpandCollapseState {
  ExpandCollapseState_Collapsed = 0,
  ExpandCollapseState_Expanded = 1,
  ExpandCollapseState_PartiallyExpanded = 2,
  ExpandCollapseState_LeafNode = 3
};

enum ScrollAmount {
  ScrollAmount_LargeDecrement = 0,
  ScrollAmount_SmallDecrement = 1,
  ScrollAmount_NoAmount = 2,
  ScrollAmount_LargeIncrement = 3,
  ScrollAmount_SmallIncrement = 4
};

struct IUIAutomationInvokePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};

struct IUIAutomationTogglePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentToggleState(enum ToggleState* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedToggleState(enum ToggleState* value) = 0;
};

struct IUIAutomationSelectionItemPattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentIsSelected(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentSelectionContainer(IUIAutomationElement** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedIsSelected(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedSelectionContainer(IUIAutomationElement** value) = 0;
};

struct IUIAutomationExpandCollapsePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
  virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
  virtual HRESULT STDMETHODCALLTYPE
  get_CurrentExpandCollapseState(enum ExpandCollapseState* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE
  get_CachedExpandCollapseState(enum ExpandCollapseState* value) = 0;
};

struct IUIAutomationScrollPattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Scroll(enum ScrollAmount horizontal,
                                           enum ScrollAmount vertical) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetScrollPercent(double horizontal, double vertical) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontallyScrollable(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticallyScrollable(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontallyScrollable(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticallyScrollable(BOOL* value) = 0;
};
#endif

namespace uiad::win32 {

// Our own names for the class and interface ids: MinGW's uuid library has none
// of them, and the SDK's IID_ symbols would clash with a definition of ours.
inline constexpr GUID kClsidCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
inline constexpr GUID kIidIUIAutomation = {
    0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
inline constexpr GUID kIidIUIAutomationInvokePattern = {
    0xfb377fbe, 0x8ea6, 0x46d5, {0x9c, 0x73, 0x64, 0x99, 0x64, 0x2d, 0x30, 0x59}};
inline constexpr GUID kIidIUIAutomationTogglePattern = {
    0x94cf8058, 0x9b8d, 0x4ab9, {0x8b, 0xfd, 0x4c, 0xd0, 0xa3, 0x3c, 0x8c, 0x70}};
inline constexpr GUID kIidIUIAutomationValuePattern = {
    0xa94cd8b1, 0x0844, 0x4cd6, {0x9d, 0x2d, 0x64, 0x05, 0x37, 0xab, 0x39, 0xe9}};
inline constexpr GUID kIidIUIAutomationSelectionItemPattern = {
    0xa8efa66a, 0x0fda, 0x421a, {0x91, 0x94, 0x38, 0x02, 0x1f, 0x35, 0x78, 0xea}};
inline constexpr GUID kIidIUIAutomationExpandCollapsePattern = {
    0x619be086, 0x1f4e, 0x4ee4, {0xba, 0xfa, 0x21, 0x01, 0x28, 0x73, 0x87, 0x30}};
inline constexpr GUID kIidIUIAutomationScrollPattern = {
    0x88f4d42a, 0xe881, 0x459d, {0xa7, 0x7c, 0x73, 0xbb, 0xbb, 0x7e, 0x02, 0xdc}};

}  // namespace uiad::win32
