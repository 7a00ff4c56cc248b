"""Result shapes of the daemon's commands: plain dicts as decoded from the wire, typed for checkers.

Keys are the daemon's own. ``NotRequired`` marks keys the daemon writes only in some cases.
"""

from __future__ import annotations

from typing import Literal, NotRequired, TypedDict


class Pong(TypedDict):
    ok: bool
    pong: bool


class ElementSummary(TypedDict):
    """One entry of a scan's ``elements`` map, keyed by element id."""

    cx: int
    cy: int
    enabled: bool
    focused: bool
    h: int
    id: str  # the automation id, not the element id
    name: str
    patterns: list[str]
    role: str
    value: str
    w: int


class ScanTiming(TypedDict):
    build_ms: float | None
    strategy: str
    supplement_ms: float | None


class ScanResult(TypedDict):
    app: str
    chromium: bool
    element_count: int
    elements: dict[str, ElementSummary]
    handle_count: int
    ok: bool
    timing: NotRequired[ScanTiming]
    title: str
    truncated: bool
    ui_block: str


class ClickResult(TypedDict):
    center_x: int
    center_y: int
    id: str
    label: str
    method: str
    ok: bool
    role: str
    selected: NotRequired[bool | None]


class AttrsResult(TypedDict):
    desc: str
    enabled: bool
    focused: bool
    id: str
    name: str
    ok: bool
    patterns: list[str]
    pos: list[int]
    role: str
    size: list[int]
    title: str
    value: str


class SetValueResult(TypedDict):
    id: str
    label: str
    method: str
    ok: bool
    role: str


class Ok(TypedDict):
    ok: bool


class PerformResult(TypedDict):
    id: str
    label: str
    ok: bool
    role: str


class KeyResult(TypedDict):
    count: int
    focused: bool
    key: str
    kind: Literal["key", "char", "text"]
    method: str
    ok: bool
    vk: int | None


class MouseClickResult(TypedDict):
    button: str
    center_x: int
    center_y: int
    count: int
    id: str
    label: str
    ok: bool
    role: str
    success: bool
    x: int
    y: int


# "class" is a keyword, so this shape is spelled functionally.
RevealedWindow = TypedDict(
    "RevealedWindow",
    {"class": str, "h": int, "title": str, "w": int, "x": int, "y": int},
)


class HoverResult(TypedDict):
    center_x: int
    center_y: int
    cursor_restored: bool
    fg_after: int
    fg_before: int
    fg_changed: bool
    id: str
    label: str
    method: str
    moved_real_cursor: bool
    ok: bool
    revealed_windows: list[RevealedWindow]
    role: str


class ScrollResult(TypedDict):
    direction: str
    from_pct: NotRequired[float]
    id: str
    ok: bool
    to_pct: NotRequired[float]
    verified: bool


class ChangeResult(TypedDict):
    changed: bool
    notification: str | None
    ok: bool


class ProbeResult(TypedDict):
    ok: bool
    reason: NotRequired[Literal["no_handle", "no_session"]]
    valid: bool


class MenuShortcut(TypedDict):
    items: list[str]
    path: str


class MenusResult(TypedDict):
    app: str
    note: str
    ok: bool
    shortcuts: list[MenuShortcut]


class InvokeMenuResult(TypedDict):
    app: str
    ok: bool
    path: str


class ContextMenuItem(TypedDict):
    enabled: bool
    name: str
    shortcut: str


class ContextMenuResult(TypedDict):
    """``ok`` is false, without an ``error``, when the menu showed no items."""

    count: int
    foregrounded: bool
    id: str
    items: list[ContextMenuItem]
    menu_class: str
    ok: bool


class WindowEntry(TypedDict):
    id: str  # the window handle in decimal; usable as ``app``
    pos: list[int]
    size: list[int]
    title: str


class WindowsResult(TypedDict):
    ok: bool
    windows: list[WindowEntry]


class AppEntry(TypedDict):
    name: str
    process: str


class ListAppsResult(TypedDict):
    apps: list[AppEntry]
    ok: bool


class ForegroundResult(TypedDict):
    hwnd: int
    ok: bool
    title: str


class ScreenshotResult(TypedDict):
    ok: bool
    path: str


class Dismissal(TypedDict):
    button: str
    title: str


class DismissResult(TypedDict):
    dismissed: list[Dismissal]
    ok: bool
