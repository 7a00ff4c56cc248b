#!/usr/bin/env python3
"""End-to-end suite: uiad.exe under Wine, against a Win32 test application and
Wine's notepad, with the UI Automation stand-in registered in a fresh prefix.

Prints one line per case (PASS/FAIL name) and a final "N passed, M failed";
exits non-zero when anything failed. A case is a function decorated with
@case("name"); it gets the Suite and raises Failure (see expect()) when a check
does not hold.

Environment: UIAD_EXE (uiad.exe; default BUILD/src/bin/uiad.exe) and
UIAD_WINE_BUILD (the Windows build directory; default REPO/build-wine).
"""

import argparse
import base64
import difflib
import json
import os
import queue
import re
import signal
import struct
import subprocess
import sys
import threading
import time
import traceback
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

from wine_env import (BUILD_PACKAGES, REPO, RUN_PACKAGES, WIN_DIR, Binaries, Daemon, Failure,  # noqa: E402
                      WineBed, ensure_packages, expect, expect_equal)

CASES = []
# Cases still waiting when this much of a run has passed are reported as
# failed without running, so that a hanging daemon cannot stretch the run
# past five minutes.
TIME_BUDGET_S = 240


def case(name, before_standin=False):
    """Registers a case; cases run in the order they are defined, the ones
    marked before_standin before the stand-in is registered."""
    def register(function):
        CASES.append((name, function, before_standin))
        return function
    return register


class Suite:
    """What the cases share: the test bed, the applications and one daemon."""

    def __init__(self, bed):
        self.bed = bed
        self.app = None
        self.notepad = None  # (process, window)
        self._daemon = None
        self._daemon_start_failure = None
        self.ready_line = None

    def daemon(self):
        """The shared daemon, started (and its ready line read) on first use and
        again after a case left it unusable."""
        if self._daemon is not None and (self._daemon.broken or self._daemon.process.poll() is not None):
            self.bed.stop(self._daemon.process)
            self._daemon = None
        if self._daemon_start_failure is not None:
            # Waiting for a daemon that did not start once would only spend
            # the suite's time again in every case.
            raise Failure(self._daemon_start_failure)
        if self._daemon is None:
            self._daemon = Daemon(self.bed, self.bed.work / "uiad.stderr")
            try:
                self.ready_line = self._daemon.line(timeout=30)
            except Failure as error:
                self._daemon_start_failure = f"the daemon did not start: {error}"
                raise Failure(self._daemon_start_failure) from None
        return self._daemon

    def fresh_daemon(self):
        return Daemon(self.bed, self.bed.work / "uiad.stderr")

    def foreground(self):
        return next((w for w in self.bed.top_level_windows() if w["foreground"]), None)


# ---------------------------------------------------------------- expectations

STALE = " is stale \u2014 the UI changed since the last scan; re-scan and retry"

# Role words of the test application's controls, by control id.
APP_ROLES = {
    101: "button", 102: "button", 103: "button", 104: "link", 110: "checkbox", 111: "checkbox",
    120: "group", 121: "radio", 122: "radio", 123: "radio", 130: "text", 131: "input", 132: "text",
    133: "input", 134: "text", 135: "input", 140: "list", 150: "combobox", 1001: "input",
    160: "scroll", 170: "text", 180: "group", 181: "button", 182: "text",
}
UNNAMED_ROLES = {"input", "list", "combobox"}  # their text is the value, not the name


def sanitize_id_text(text):
    out = ""
    replaced = False
    for ch in text.strip():
        if len(out) == 64:
            break
        if re.fullmatch(r"[A-Za-z0-9._-]", ch):
            out += ch
            replaced = False
        elif not replaced:
            out += "_"
            replaced = True
    return out.strip("_") or "_"


def strip_mnemonic(text):
    return re.sub(r"&(.)", r"\1", text)


def escape_attr(text):
    return text.replace("&", "&amp;").replace('"', "&quot;").replace("<", "&lt;").replace(">", "&gt;")


def record(role, label, rect, automation_id="", value="", focused=False, enabled=True,
           checked=None, selected=False):
    left, top, right, bottom = rect
    width, height = right - left, bottom - top
    return dict(role=role, label=label, automation_id=automation_id, value=value,
                cx=left + width // 2, cy=top + height // 2, w=width, h=height, focused=focused,
                enabled=enabled, checked=checked, selected=selected)


def summary(r):
    return {"cx": r["cx"], "cy": r["cy"], "enabled": r["enabled"], "focused": r["focused"],
            "h": r["h"], "id": r["automation_id"], "name": r["label"], "patterns": [],
            "role": r["role"], "value": r["value"], "w": r["w"]}


def render_line(depth, element_id, r, self_closing):
    attrs = [f'e="{element_id}"']
    if r["label"]:
        attrs.append(f'label="{escape_attr(r["label"])}"')
        if r["role"] == "window":
            attrs.append(f'title="{escape_attr(r["label"])}"')
    if r["value"]:
        attrs.append(f'value="{escape_attr(r["value"])}"')
    if r["automation_id"]:
        attrs.append(f'id="{escape_attr(r["automation_id"])}"')
    if r["w"] > 0 and r["h"] > 0:
        attrs.append(f'pos="{r["cx"] - r["w"] // 2},{r["cy"] - r["h"] // 2}" size="{r["w"]},{r["h"]}"')
    if r["focused"]:
        attrs.append('focused="true"')
    if not r["enabled"]:
        attrs.append('disabled="true"')
    if r["checked"] is not None:
        attrs.append(f'checked="{"true" if r["checked"] else "false"}"')
    if r["selected"]:
        attrs.append('selected="true"')
    return "  " * depth + f"<{r['role']} " + " ".join(attrs) + ("/>" if self_closing else ">")


def is_transparent_group(r):
    """An unnamed group without state has no line of its own; its children
    are shown in its place (at their own depth)."""
    return r["role"] == "group" and not r["label"] and not r["value"] and not r["focused"] and \
        not r["selected"] and r["checked"] is None


def render(node, depth=0):
    element_id, r, children = node
    if is_transparent_group(r):
        return [line for child in children for line in render(child, depth + 1)]
    if not children:
        return [render_line(depth, element_id, r, True)]
    lines = [render_line(depth, element_id, r, False)]
    for child in children:
        lines += render(child, depth + 1)
    return lines + ["  " * depth + f"</{r['role']}>"]


def caption_layout(caption):
    """Where the title bar's parts are, from the bar GetTitleBarInfo gives and
    the caption button size the application logged: the buttons right-aligned
    in the bar, the System menu on the window icon left of it."""
    left, top, right, bottom = caption["bar"]
    width, height = caption["cx"], min(caption["cy"], bottom - top)

    def from_right(k):
        edge = right - k * width
        return [max(left, edge - width), top, edge, top + height]
    return {"bar": [left, top, right, bottom], "System": [left - width, top, left, top + height],
            "Minimize": from_right(2), "Maximize": from_right(1), "Close": from_right(0)}


def title_bar_node(caption, max_depth):
    """The title bar of a window with WS_OVERLAPPEDWINDOW as a scan renders it
    below the window (depth 1): an unnamed group, whose id is its place in the
    walk, with the System menu bar and the three caption buttons."""
    layout = caption_layout(caption)
    system_item = ("name:menuitem:System", record("menuitem", "System", layout["System"]), [])
    system_bar = ("auto:MenuBar", record("menubar", "System", layout["System"], automation_id="MenuBar"),
                  [system_item] if max_depth >= 3 else [])
    buttons = [(f"name:button:{n}", record("button", n, layout[n]), []) for n in ("Minimize", "Maximize", "Close")]
    return ["idx:?", record("group", "", layout["bar"]), [system_bar, *buttons] if max_depth >= 2 else []]


def expected_app_snapshot(app, app_is_foreground, max_depth=100):
    """(ui_block, elements) that a scan of the test application must produce,
    built from what the application logged about its windows at start. Windows
    below `max_depth` are found again by the supplement pass over descendant
    windows; list rows below it are not windows and are lost. The title bar
    follows the client controls."""
    focus_events = [e for e in app.log.events() if e["event"] == "focus"]
    focus_id = focus_events[-1]["id"] if focus_events and app_is_foreground else None
    nodes = {}
    # Focus id 0 is the main window itself.
    root = (f"name:window:{sanitize_id_text(app.title)}",
            record("window", app.title, app.rect, focused=focus_id == 0), [])
    nodes[app.hwnd] = (root, 0)
    supplement = []
    for control in app.controls:
        role = APP_ROLES[control["id"]]
        if role == "scroll":
            continue  # walks leave scroll bars out; an unnamed one is not supplemented either
        label = "" if role in UNNAMED_ROLES else strip_mnemonic(re.sub(r"<[^>]*>", "", control["text"]))
        r = record(role, label, control["rect"], automation_id=str(control["id"]),
                   value=control["text"] if role in ("input", "combobox") else "",
                   focused=control["id"] == focus_id, enabled=control["id"] != 103,
                   checked={110: True, 111: False}.get(control["id"]), selected=control["id"] == 121)
        node = (f"auto:{control['id']}", r, [])
        parent, parent_depth = nodes[control["parent"]]
        depth = parent_depth + 1
        nodes[control["hwnd"]] = (node, depth)
        if depth <= max_depth:
            parent[2].append(node)
        else:
            supplement.append(node)
        if control["id"] == 140 and depth + 1 <= max_depth:
            for item in app.items:
                node[2].append((f"name:row:{sanitize_id_text(item['text'])}",
                                record("row", item["text"], item["rect"]), []))
    title_bar = title_bar_node(app.caption, max_depth)
    if max_depth >= 1:
        root[2].append(title_bar)
    elements = {}
    counter = 0

    def collect(node):
        nonlocal counter
        counter += 1  # the walk's element counter, which an unnamed element's id takes
        if node is title_bar:
            node[0] = f"idx:{counter}"
        elements[node[0]] = summary(node[1])
        for child in node[2]:
            collect(child)
    collect(root)
    for node in supplement:
        elements[node[0]] = summary(node[1])
    text = "\n".join(render(root))
    if supplement:
        block = "".join("\n  " + render_line(0, node[0], node[1], True) for node in supplement)
        at = text.rfind("</window>")
        text = text[:at] + block + text[at:]
    return text, elements


def diff(expected, actual):
    lines = list(difflib.unified_diff(expected.splitlines(), actual.splitlines(), "expected", "actual",
                                      lineterm="", n=1))
    return "\n".join(lines[:40])


def scan(suite, app, strategy):
    answer = suite.daemon().request({"cmd": "scan", "app": app, "strategy": strategy}, timeout=60)
    expect(answer.get("ok") is True, f"scan failed: {answer}")
    return answer


def check_scan_of_test_app(suite, strategy, **options):
    app = suite.app
    foreground = suite.foreground()
    answer = suite.daemon().request({"cmd": "scan", "app": app.title, "strategy": strategy, **options},
                                    timeout=60)
    expect(answer.get("ok") is True, f"scan failed: {answer}")
    expected_block, expected_elements = expected_app_snapshot(
        app, foreground is not None and foreground["hwnd"] == app.hwnd, options.get("max_depth", 100))
    expect_equal(answer["app"], app.title.lower(), "app")
    expect_equal(answer["title"], app.title, "title")
    expect_equal(answer["chromium"], False, "chromium")
    expect_equal(answer["truncated"], "max_depth" in options, "truncated")
    expect(answer["ui_block"] == expected_block,
           "ui_block differs from the application's windows:\n" + diff(expected_block, answer["ui_block"]))
    for element_id, expected in expected_elements.items():
        expect_equal(answer["elements"].get(element_id), expected, f"elements[{element_id!r}]")
    expect_equal(sorted(answer["elements"]), sorted(expected_elements), "element ids")
    expect_equal(answer["element_count"], len(expected_elements), "element_count")
    expect_equal(answer["handle_count"], len(expected_elements), "handle_count")
    return answer


def check_scan_of_notepad(suite, strategy):
    _, window = suite.notepad
    answer = scan(suite, window["title"], strategy)
    root = render_line(0, f"name:window:{sanitize_id_text(window['title'])}",
                       record("window", window["title"], window["rect"]), False)
    expect(answer["ui_block"].split("\n")[0] == root,
           f"first line: expected {root!r}, got {answer['ui_block'].splitlines()[:1]}")
    edits = [e for e in answer["elements"].values() if e["role"] == "input"]
    expect(any(e["value"] == NOTEPAD_TEXT for e in edits),
           f"no input element holds the file's text; inputs: {edits}")
    expect(f'value="{NOTEPAD_TEXT}"' in answer["ui_block"], "the file's text is not in ui_block")
    expect_equal(answer["element_count"], len(answer["elements"]), "element_count")
    return answer


NOTEPAD_TEXT = "Hello from the Wine suite"


def close_dialog_with_ok(bed):
    dialog = bed.wait_for_window(lambda w: w["title"] == "Test dialog", timeout=10)
    expect(dialog is not None, "the dialog window did not appear")
    ok_button = [line["element"] for line in bed.probe("tree", dialog["hwnd"])
                 if line["mode"] == "current" and line["element"]["name"] == "OK"]
    expect(ok_button, "no OK button in the dialog")
    bed.probe("act", ok_button[0]["hwnd"], "invoke")


def logged(app, mark, event, **fields):
    found = app.log.wait_for(lambda e: e["event"] == event and all(e.get(k) == v for k, v in fields.items()),
                             5, after=mark)
    expect(found is not None, f"the application did not log {event} {fields}; "
                              f"it logged {app.log.events()[mark:][-12:]}")
    return found


# ---------------------------------------------------------------------- cases


@case("com_init_fails_without_automation", before_standin=True)
def _(suite):
    # Wine 8 has no system text for REGDB_E_CLASSNOTREG, so the code stands alone.
    daemon = suite.fresh_daemon()
    first = daemon.raw_line(timeout=30)
    expect_equal(first, b'{"error":"COM init: 0x80040154","ok":false}\n', "first line")
    expect_equal(daemon.raw_line(timeout=15), None, "output after the COM init line")
    expect_equal(daemon.finish(), 0, "exit status")


@case("standin_tree_matches_test_app")
def _(suite):
    app = suite.app
    lines = suite.bed.probe("tree", app.hwnd)
    expect(lines and "error" not in lines[0], f"uia_dump failed: {lines[:1]}")
    for mode in ("cache", "current"):
        by_aid = {line["element"]["aid"]: line for line in lines if line["mode"] == mode}
        for control in app.controls:
            seen = by_aid.get(str(control["id"]))
            expect(seen is not None, f"{mode}: no element for control {control['id']}")
            expect_equal(seen["element"]["rect"], control["rect"], f"{mode}: rectangle of {control['id']}")
            expect_equal(seen["element"]["hwnd"], control["hwnd"], f"{mode}: window of {control['id']}")
        rows = [line["element"] for line in lines if line["mode"] == mode and line["element"]["type"] == 50007]
        expect_equal([r["name"] for r in rows], [i["text"] for i in app.items], f"{mode}: list items")
        expect_equal([r["rect"] for r in rows], [i["rect"] for i in app.items], f"{mode}: item rectangles")
    strip = [{k: v for k, v in line["element"].items() if k not in ("patterns", "read_only")}
             for line in lines]
    half = len(strip) // 2
    expect_equal(strip[half:], strip[:half], "current reading against the cached reading")


TITLE_BAR, MENU_BAR, MENU_ITEM, BUTTON = 50037, 50010, 50011, 50000
SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_RESTORE = 0xF020, 0xF030, 0xF060, 0xF120


def children_at(lines, parent_index):
    """The elements one level below lines[parent_index] of a depth-first dump."""
    depth = lines[parent_index]["depth"]
    out = []
    for line in lines[parent_index + 1:]:
        if line["depth"] <= depth:
            break
        if line["depth"] == depth + 1:
            out.append(line["element"])
    return out


def inside(inner, outer):
    return outer[0] <= inner[0] < inner[2] <= outer[2] and outer[1] <= inner[1] < inner[3] <= outer[3]


@case("standin_title_bar_follows_the_client_controls_in_every_view")
def _(suite):
    app = suite.app
    layout = caption_layout(app.caption)
    raw = suite.bed.probe("raw", app.hwnd)
    top = children_at(raw, 0)
    client = [str(c["id"]) for c in app.controls if c["parent"] == app.hwnd and c["visible"]]
    expect_equal([(e["type"], e["name"], e["aid"]) for e in top[len(client):]],
                 [(TITLE_BAR, "", ""), (MENU_BAR, "Application", "MenuBar")], "raw view after the client controls")
    expect_equal([e["aid"] for e in top[:len(client)]], client, "client controls first, in Z order")
    bar_at = next(i for i, line in enumerate(raw) if line["element"]["type"] == TITLE_BAR)
    parts = children_at(raw, bar_at)
    expect_equal([(e["type"], e["name"], e["aid"], e["enabled"], e["patterns"]) for e in parts],
                 [(MENU_BAR, "System", "MenuBar", True, []), (BUTTON, "Minimize", "", True, ["Invoke"]),
                  (BUTTON, "Maximize", "", True, ["Invoke"]), (BUTTON, "Close", "", True, ["Invoke"])],
                 "the title bar's parts")
    expect_equal([(e["type"], e["name"], e["patterns"]) for e in children_at(raw, bar_at + 1)],
                 [(MENU_ITEM, "System", [])], "the System menu bar's item")
    expect_equal(raw[bar_at]["element"]["rect"], layout["bar"], "the bar: GetTitleBarInfo's rectangle")
    for e in parts[1:]:
        expect(inside(e["rect"], layout["bar"]), f"{e['name']} {e['rect']} not inside the bar {layout['bar']}")
        expect_equal(e["rect"], layout[e["name"]], f"rectangle of {e['name']}")
    expect(parts[1]["rect"][2] <= parts[2]["rect"][0] and parts[2]["rect"][2] <= parts[3]["rect"][0],
           "the buttons overlap or are out of order")
    expect(parts[0]["rect"][2] <= layout["bar"][0] and parts[0]["rect"][0] >= app.rect[0],
           f"the System menu {parts[0]['rect']} is not on the icon left of the bar")
    first_menu_bar = next(line["element"]["name"] for line in raw if line["element"]["type"] == MENU_BAR)
    expect_equal(first_menu_bar, "System", "the first menu bar of a depth-first raw walk")
    # The control view and the cache show the title bar too, not the menu bar.
    tree = suite.bed.probe("tree", app.hwnd)
    for mode in ("cache", "current"):
        lines = [line for line in tree if line["mode"] == mode]
        names = [(e["type"], e["name"]) for e in children_at(lines, 0)[-1:]]
        expect_equal(names, [(TITLE_BAR, "")], f"{mode}: the last child of the window")
        expect_equal(len([line for line in lines if line["element"]["type"] in (MENU_BAR, MENU_ITEM)]), 2,
                     f"{mode}: menu elements (the System menu bar and its item only)")


@case("standin_message_box_title_bar_has_close_only")
def _(suite):
    bed, app = suite.bed, suite.app
    mark = len(app.log.events())
    dialog = open_test_dialog(bed, app)
    try:
        check_message_box_title_bar(bed, app, dialog, mark)
    finally:
        close_test_dialog_if_open(bed)


def check_message_box_title_bar(bed, app, dialog, mark):
    raw = bed.probe("raw", dialog["hwnd"])
    top = children_at(raw, 0)
    expect_equal([(e["type"], e["name"]) for e in top[-1:]], [(TITLE_BAR, "")], "the dialog's last child")
    expect_equal([line["element"]["name"] for line in raw if line["element"]["type"] in (MENU_BAR, MENU_ITEM)], [],
                 "menu elements in the dialog")
    bar_at = next(i for i, line in enumerate(raw) if line["element"]["type"] == TITLE_BAR)
    close = children_at(raw, bar_at)
    # A message box has a modal frame: no icon, so no System menu, and no
    # minimize or maximize box.
    expect_equal([(e["type"], e["name"], e["enabled"], e["patterns"]) for e in close],
                 [(BUTTON, "Close", True, ["Invoke"])], "the dialog's title-bar parts")
    window = next(w for w in bed.top_level_windows() if w["hwnd"] == dialog["hwnd"])
    expect(inside(close[0]["rect"], window["rect"]) and close[0]["rect"][3] <= top[0]["rect"][1],
           f"Close {close[0]['rect']} is not in the caption of {window['rect']}")
    # ElementFromPoint does not descend into the caption, as on the system:
    # the dialog, just opened and so on top, is the element there.
    centre = ((close[0]["rect"][0] + close[0]["rect"][2]) // 2, (close[0]["rect"][1] + close[0]["rect"][3]) // 2)
    at_close = bed.probe("point", *centre)[0]["element"]
    expect_equal((at_close["type"], at_close["hwnd"]), (50032, dialog["hwnd"]), "the element at Close's centre")
    # Invoke posts SC_CLOSE: the message box ends as Escape would, with IDCANCEL.
    expect_equal(bed.probe("named", dialog["hwnd"], "Close", "invoke")[0]["hr"], "0x00000000", "Invoke of Close")
    logged(app, mark, "dialog_closed", result=2)


@case("standin_invoke_blocks_until_modal_dialog_closes")
def _(suite):
    bed, app = suite.bed, suite.app
    mark = len(app.log.events())
    invoker = bed.spawn([bed.wine, "C:\\uiad\\uia_dump.exe", "act", str(app.control(102)["hwnd"]), "invoke"])
    opened = app.log.wait_for(lambda e: e["event"] == "dialog_open", 15, after=mark)
    expect(opened is not None, "the button's click did not open the dialog")
    time.sleep(1.0)
    expect(invoker.poll() is None, "Invoke returned while the modal dialog was open")
    close_dialog_with_ok(bed)
    closed = app.log.wait_for(lambda e: e["event"] == "dialog_closed", 10, after=mark)
    expect(closed is not None and closed["result"] == 1, f"dialog not closed with OK: {closed}")
    invoker.wait(10)
    expect_equal(invoker.returncode, 0, "status of the blocked Invoke")


@case("ready_line_then_ping")
def _(suite):
    daemon = suite.daemon()
    expect_equal(suite.ready_line, '{"event":"ready","ok":true}\n', "first line")
    expect_equal(daemon.request({"cmd": "ping"}), {"ok": True, "pong": True}, "ping")


@case("windows_lists_the_desktop")
def _(suite):
    app = suite.app
    _, notepad = suite.notepad
    listed = suite.daemon().request({"cmd": "windows"})
    expect(listed.get("ok") is True, f"windows failed: {listed}")
    by_id = {w["id"]: w for w in listed["windows"]}
    left, top, right, bottom = app.rect
    expect_equal(by_id.get(str(app.hwnd)),
                 {"id": str(app.hwnd), "pos": [left, top], "size": [right - left, bottom - top],
                  "title": app.title}, "the test application's entry")
    expect(str(notepad["hwnd"]) in by_id, "notepad is not listed")
    visible = {str(w["hwnd"]) for w in suite.bed.top_level_windows()}
    expect_equal(set(by_id), visible, "listed windows against the visible titled windows")
    filtered = suite.daemon().request({"cmd": "windows", "app": "uiad TEST"})
    expect_equal([w["id"] for w in filtered["windows"]], [str(app.hwnd)], "windows filtered by 'uiad TEST'")


@case("list_apps_names_processes")
def _(suite):
    _, notepad = suite.notepad
    answer = suite.daemon().request({"cmd": "list_apps"})
    expect(answer.get("ok") is True, f"list_apps failed: {answer}")
    apps = answer["apps"]
    expect({"name": suite.app.title, "process": "uiad_test_app"} in apps, f"test application missing: {apps}")
    expect({"name": notepad["title"], "process": "notepad"} in apps, f"notepad missing: {apps}")
    names = [a["name"] for a in apps]
    expect_equal(len(names), len(set(names)), "one entry per title")


@case("foreground_names_the_foreground_window")
def _(suite):
    answer = suite.daemon().request({"cmd": "foreground"})
    window = suite.foreground()
    expected = {"hwnd": window["hwnd"], "ok": True, "title": window["title"]} if window else \
        {"hwnd": 0, "ok": True, "title": ""}
    expect_equal(answer, expected, "foreground")


@case("probe_before_any_scan")
def _(suite):
    answer = suite.daemon().request({"cmd": "probe", "app": "never scanned", "id": "auto:101"})
    expect_equal(answer, {"ok": True, "reason": "no_session", "valid": False}, "probe")


@case("scan_test_app_cached")
def _(suite):
    check_scan_of_test_app(suite, "cache")


@case("scan_test_app_current_matches_cached")
def _(suite):
    current = check_scan_of_test_app(suite, "current")
    cached = scan(suite, suite.app.title, "cache")
    expect_equal(current["ui_block"], cached["ui_block"], "ui_block of the two strategies")
    expect_equal(current["elements"], cached["elements"], "elements of the two strategies")


@case("scan_depth_limit_leaves_descendant_windows_to_the_supplement_pass")
def _(suite):
    # The combo box's edit and the panel's two controls sit at depth 2.
    for strategy in ("cache", "current"):
        answer = check_scan_of_test_app(suite, strategy, max_depth=1)
        expect("\n\n  <input e=\"auto:1001\"" in answer["ui_block"], f"{strategy}: no supplement block")


@case("scan_without_app_scans_the_foreground_window")
def _(suite):
    window = suite.foreground()
    expect(window is not None, "no window has the foreground")
    answer = suite.daemon().request({"cmd": "scan", "max_elements": 1}, timeout=60)
    expect_equal({k: answer.get(k) for k in ("app", "title", "element_count", "truncated", "ok")},
                 {"app": window["title"].lower(), "title": window["title"], "element_count": 1,
                  "truncated": True, "ok": True}, "scan without app")
    expect_equal(suite.daemon().request({"cmd": "probe", "app": window["title"], "id": "idx:1"}),
                 {"ok": True, "reason": "no_handle", "valid": False}, "probe of an id the scan did not make")


@case("scan_notepad_both_strategies")
def _(suite):
    cached = check_scan_of_notepad(suite, "cache")
    current = check_scan_of_notepad(suite, "current")
    expect_equal(current["ui_block"], cached["ui_block"], "ui_block of the two strategies")


@case("probe_answers_from_the_session")
def _(suite):
    daemon = suite.daemon()
    scan(suite, "UIAD Test App", "cache")
    valid = {"ok": True, "valid": True}
    for app, element_id, expected in [
            ("uiad test app", "auto:101", valid),
            ("UIAD TEST APP", "e:auto:101", valid),
            ("uiad test app", "E:name:row:Item_30", valid),
            ("uiad test app", "auto:160", {"ok": True, "reason": "no_handle", "valid": False}),
            ("uiad test app", "", {"ok": True, "reason": "no_handle", "valid": False}),
            (" uiad test app", "auto:101", {"ok": True, "reason": "no_session", "valid": False})]:
        expect_equal(daemon.request({"cmd": "probe", "app": app, "id": element_id}), expected,
                     f"probe {app!r} {element_id!r}")


def closed_app(suite):
    """A second test application, scanned and then ended: made once, for the
    cases about elements whose window is gone. Returns (app, scan answer)."""
    if not hasattr(suite, "_closed_app"):
        bed = suite.bed
        doomed = bed.start_test_app("closed", title="UIAD Closed App")
        try:
            answer = suite.daemon().request({"cmd": "scan", "app": "UIAD Closed App", "strategy": "cache"},
                                            timeout=60)
        except Failure as error:  # the stand-in's case still runs
            answer = {"error": str(error)}
        held = bed.probe("hold", doomed.control(131)["hwnd"])
        bed.stop(doomed.process)
        expect(bed.wait_until(lambda: all(w["hwnd"] != doomed.hwnd for w in bed.top_level_windows()), 10),
               "the ended application's window is still there")
        suite._closed_app = (doomed, answer, held)
    return suite._closed_app


@case("standin_element_of_closed_window_not_available")
def _(suite):
    _, _, held = closed_app(suite)
    expect_equal(held, [{"hr": "0x00000000"}], "holding the edit's element")
    expect_equal(suite.bed.probe("held"),
                 [{"process_id_hr": "0x80040201", "cached_name_hr": "0x00000000", "cached_name": "",
                   "pattern_hr": "0x80040201"}], "reads of the closed window's element")


@case("stale_element_after_window_closes")
def _(suite):
    _, scanned, _ = closed_app(suite)
    expect(scanned.get("ok") is True, f"scan before the close failed: {scanned}")
    daemon = suite.daemon()
    expect_equal(daemon.request({"cmd": "probe", "app": "uiad closed app", "id": "auto:131"}),
                 {"ok": True, "valid": True}, "probe of the closed window's element")
    expect_equal(daemon.request({"cmd": "scan", "app": "UIAD Closed App"}),
                 {"error": "window not found: UIAD Closed App", "ok": False}, "scan of the closed window")
    # The edit is no button with a window of its own, so click tests it too.
    for command, extra in (("click", {}), ("focus", {}), ("set_value", {"text": "late"})):
        expect_equal(daemon.request({"cmd": command, "app": "uiad closed app", "id": "auto:131", **extra}),
                     {"error": f"{'set_value' if command == 'set_value' else 'click'}: element 'auto:131'"
                               + STALE, "ok": False}, f"{command} on the closed window's edit")


@case("shutdown_ends_with_status_zero")
def _(suite):
    daemon = suite.fresh_daemon()
    expect_equal(daemon.line(timeout=30), '{"event":"ready","ok":true}\n', "first line")
    daemon.send('{"cmd":"shutdown"}\n{"cmd":"ping"}')
    expect_equal(daemon.line(), '{"event":"shutting_down","ok":true}\n', "answer to shutdown")
    expect_equal(daemon.raw_line(timeout=15), None, "output after shutting_down")
    expect_equal(daemon.finish(), 0, "exit status")


@case("standin_patterns_act_on_controls")
def _(suite):
    bed = suite.bed
    app = bed.start_test_app("patterns", title="UIAD Pattern App")
    hwnd = {c["id"]: c["hwnd"] for c in app.controls}

    def act(control_id, action, argument=None, expect_hr="0x00000000"):
        mark = len(app.log.events())
        answer = bed.probe("act", hwnd[control_id], action, *([argument] if argument is not None else []))
        expect_equal(answer[-1]["hr"], expect_hr, f"{action} on {control_id}")
        return answer, mark

    answer, mark = act(111, "toggle")
    expect_equal(answer[-1]["element"]["toggle"], 1, "toggle state after Toggle")
    logged(app, mark, "click", id=111)
    answer, mark = act(122, "select")
    expect_equal(answer[-1]["element"]["selected"], True, "Green selected")
    red = [line["element"] for line in bed.probe("tree", app.hwnd)
           if line["mode"] == "current" and line["element"]["aid"] == "121"]
    expect_equal(red[0]["selected"], False, "Red after selecting Green")
    answer, mark = act(140, "item", 5)
    expect_equal(answer[-1]["element"]["name"], "Item 6", "the sixth item")
    logged(app, mark, "select", id=140, index=5)
    # A single-line edit: multi-line ones send no EN_CHANGE for WM_SETTEXT.
    answer, mark = act(131, "set_value", "typed by the stand-in")
    expect_equal(answer[-1]["element"]["value"], "typed by the stand-in", "value after SetValue")
    logged(app, mark, "change", id=131, text="typed by the stand-in")
    act(133, "set_value", "refused", expect_hr="0x80131509")
    act(103, "invoke", expect_hr="0x80040200")
    answer, _ = act(140, "scroll", 4)
    expect(answer[0]["vertical_percent"] > 0, f"list not scrolled: {answer[0]}")
    answer, mark = act(160, "scroll", 3)
    logged(app, mark, "scroll", id=160, pos=10)
    act(150, "expand")
    act(150, "collapse")
    # The element under a point and the focused element.
    left, top, right, bottom = app.control(101)["rect"]
    at_point = bed.probe("point", (left + right) // 2, (top + bottom) // 2)
    expect_equal(at_point[0]["element"]["aid"], "101", "element at the centre of button 101")
    # A SysLink's Invoke follows the link, which opens the modal dialog.
    mark = len(app.log.events())
    invoker = bed.spawn([bed.wine, "C:\\uiad\\uia_dump.exe", "act", str(hwnd[104]), "invoke"])
    logged(app, mark, "link", id=104)
    close_dialog_with_ok(bed)
    logged(app, mark, "dialog_closed", result=1)
    invoker.wait(10)
    # The caption buttons post the system commands; Maximize turns into
    # Restore while the window is maximized; Close ends the application.
    for name, command, renamed in (("Maximize", SC_MAXIMIZE, "Restore"), ("Restore", SC_RESTORE, "Maximize"),
                                   ("Minimize", SC_MINIMIZE, None), ("Close", SC_CLOSE, None)):
        mark = len(app.log.events())
        expect_equal(bed.probe("named", app.hwnd, name, "invoke")[0]["hr"], "0x00000000", f"Invoke of {name}")
        logged(app, mark, "syscommand", command=command)
        if renamed:
            expect(bed.wait_until(lambda: "error" not in bed.probe("named", app.hwnd, renamed)[0], 5),
                   f"no {renamed} button after {name}")
    logged(app, mark, "close")
    logged(app, mark, "exit")
    bed.stop(app.process)


# ------------------------------------------------- posted input and scrolling

def actions_app(suite, name="actions", title="UIAD Actions App"):
    """A test application of its own for the input cases, scanned; made once
    per name (kept as suite._<name>_app)."""
    attribute = f"_{name}_app"
    if getattr(suite, attribute, None) is None:
        setattr(suite, attribute, suite.bed.start_test_app(name, title=title))
    scan(suite, title, "cache")
    return getattr(suite, attribute)


def centre_in_client(app, control_id):
    """The centre of a borderless control as a point of its own client area."""
    left, top, right, bottom = app.control(control_id)["rect"]
    return (right - left) // 2, (bottom - top) // 2


def key_lparam(scan, extended=False, up=False):
    """A key message's lParam as the system posts it: repeat count 1, the scan
    code, the extended-key flag, and previous state and transition on key up."""
    return 1 | (scan & 0xFF) << 16 | (1 << 24 if extended else 0) | (0xC0000000 if up else 0)


def char_lparams(bed, text):
    """WM_CHAR lParams for each UTF-16 unit of the text: repeat count 1 and the
    scan code of the key that types the unit on the current layout (0: none)."""
    return [key_lparam(line["scan"]) for line in bed.probe("chars", text)]


def utf16_units(text):
    data = text.encode("utf-16-le")
    return list(struct.unpack(f"<{len(data) // 2}H", data))


def key_events(app, mark, control_id, events=("keydown", "keyup")):
    return [(e["event"], e["vk"], e["lparam"]) for e in app.log.events()[mark:]
            if e["event"] in events and e["id"] == control_id]


@case("key_posts_names_and_text_to_an_edit")
def _(suite):
    app = actions_app(suite)
    daemon = suite.daemon()
    mark = len(app.log.events())
    answer = daemon.request({"cmd": "key", "app": "uiad actions app", "id": "auto:135", "key": "Hi!"})
    expect_equal(answer, {"count": 1, "focused": True, "key": "Hi!", "kind": "text", "method": "post",
                          "ok": True, "vk": None}, "text answer")
    answer = daemon.request({"cmd": "key", "app": "uiad actions app", "id": "auto:135", "key": " End ",
                             "count": 2})
    expect_equal(answer, {"count": 2, "focused": True, "key": " End ", "kind": "key", "method": "post",
                          "ok": True, "vk": 35}, "key answer")
    logged(app, mark, "activate", state=1)
    typed = [(e["code"], e["lparam"]) for e in app.log.events()[mark:] if e["event"] == "char" and e["id"] == 135]
    expect_equal(typed[:3], list(zip([ord("H"), ord("i"), ord("!")], char_lparams(suite.bed, "Hi!"))),
                 "characters the edit received, with their lParams")
    end = suite.bed.probe("vsc", 35)[0]["scan"]
    expect_equal(key_events(app, mark, 135),
                 [("keydown", 35, key_lparam(end, True)), ("keyup", 35, key_lparam(end, True, True))] * 2,
                 "keys the edit received, with their lParams")
    rescanned = scan(suite, "UIAD Actions App", "current")
    expect_equal(rescanned["elements"]["auto:135"]["value"], "Hi!", "the edit's text read back")


# Key name, virtual key, set-1 scan code on a US layout, extended key.
KEY_TABLE = [("Esc", 0x1B, 0x01, False), ("Backspace", 0x08, 0x0E, False), ("Tab", 0x09, 0x0F, False),
             ("Enter", 0x0D, 0x1C, False), ("Space", 0x20, 0x39, False), ("Home", 0x24, 0x47, True),
             ("Up", 0x26, 0x48, True), ("PageUp", 0x21, 0x49, True), ("Left", 0x25, 0x4B, True),
             ("Right", 0x27, 0x4D, True), ("End", 0x23, 0x4F, True), ("Down", 0x28, 0x50, True),
             ("PageDown", 0x22, 0x51, True), ("Insert", 0x2D, 0x52, True), ("Delete", 0x2E, 0x53, True)]


@case("key_names_post_scan_codes_and_extended_flags")
def _(suite):
    app, bed = actions_app(suite), suite.bed
    daemon = suite.daemon()
    # The bed's layout is US: MapVirtualKeyW gives the set-1 codes, which the
    # daemon must put in bits 16-23.
    scans = {line["vk"]: line["scan"] for line in bed.probe("vsc", *[vk for _, vk, _, _ in KEY_TABLE])}
    expect_equal(scans, {vk: scan for _, vk, scan, _ in KEY_TABLE}, "MapVirtualKeyW on the bed")
    mark = len(app.log.events())
    for name, vk, _, _ in KEY_TABLE:
        answer = daemon.request({"cmd": "key", "app": "uiad actions app", "id": "auto:135", "key": name})
        expect_equal((answer.get("kind"), answer.get("vk")), ("key", vk), f"answer for {name}")
    expected = []
    for _, vk, scan, extended in KEY_TABLE:
        expected += [("keydown", vk, key_lparam(scan, extended)), ("keyup", vk, key_lparam(scan, extended, True))]
    expect(app.log.wait_for(lambda e: e["event"] == "keyup" and e["vk"] == 0x2E, 5, after=mark) is not None,
           "the last key up did not arrive")
    expect_equal(key_events(app, mark, 135), expected, "key messages with their lParams")
    # One character: "a" has a key (A, 0x1E); "\u00e9" and the two halves of
    # U+1F600 have none on a US layout, so their scan code is 0.
    for text in ("a", "\u00e9", "\U0001F600"):
        mark = len(app.log.events())
        answer = daemon.request({"cmd": "key", "app": "uiad actions app", "id": "auto:135", "key": text})
        expect_equal(answer.get("kind"), "char", f"kind of {text!r}")
        units = utf16_units(text)
        expected = list(zip(units, char_lparams(bed, text)))
        expect(app.log.wait_for(lambda e: e["event"] == "char" and e["code"] == units[-1], 5, after=mark),
               f"{text!r} did not arrive")
        got = [(e["code"], e["lparam"]) for e in app.log.events()[mark:] if e["event"] == "char" and e["id"] == 135]
        expect_equal(got, expected, f"WM_CHAR of {text!r} with its lParam")
    expect_equal(char_lparams(bed, "a"), [key_lparam(0x1E)], "the lParam expected for 'a'")


@case("key_types_into_notepad")
def _(suite):
    _, window = suite.notepad
    scan(suite, window["title"], "cache")
    # No element: the keys go to the window that has the focus in notepad's GUI thread.
    answer = suite.daemon().request({"cmd": "key", "app": window["title"], "key": " and more"})
    expect_equal(answer["kind"], "text", "kind")
    # The caret may be at either end of the loaded text.
    typed = {NOTEPAD_TEXT + " and more", " and more" + NOTEPAD_TEXT}
    deadline = time.monotonic() + 5
    while True:
        values = [e["value"] for e in scan(suite, window["title"], "current")["elements"].values()
                  if e["role"] == "input"]
        if typed & set(values) or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    expect(typed & set(values), f"notepad's text after typing: {values}")


@case("mouse_click_posts_left_and_right_at_the_centre")
def _(suite):
    app = actions_app(suite)
    daemon = suite.daemon()
    x, y = centre_in_client(app, 101)
    mark = len(app.log.events())
    answer = daemon.request({"cmd": "mouse_click", "app": "uiad actions app", "id": "auto:101"})
    expect_equal((answer["ok"], answer["button"], answer["count"], answer["success"]),
                 (True, "left", 1, True), "left answer")
    logged(app, mark, "lbuttondown", id=101, x=x, y=y)
    logged(app, mark, "lbuttonup", id=101, x=x, y=y)
    logged(app, mark, "click", id=101)
    mark = len(app.log.events())
    answer = daemon.request({"cmd": "mouse_click", "app": "uiad actions app", "id": "auto:101",
                             "button": "right", "count": 2})
    expect_equal((answer["button"], answer["count"]), ("right", 2), "right answer")
    logged(app, mark, "rbuttondown", id=101, x=x, y=y)
    logged(app, mark, "rbuttonup", id=101, x=x, y=y)
    expect(app.log.wait_for(lambda e: e["event"] == "click", 0.5, after=mark) is None,
           "a right click pressed the button")
    downs = [e for e in app.log.events()[mark:] if e["event"] == "rbuttondown"]
    expect_equal(len(downs), 2, "right-button downs for count 2")


@case("hover_reveals_the_tooltip")
def _(suite):
    app = actions_app(suite)
    daemon = suite.daemon()
    mark = len(app.log.events())
    answer = daemon.request({"cmd": "hover", "app": "uiad actions app", "id": "auto:101"})
    logged(app, mark, "tip_shown", id=101, x=centre_in_client(app, 101)[0])
    revealed = answer.get("revealed_windows")
    expect(isinstance(revealed, list) and any(w["class"] == "UiadTestTip" and w["title"] == "Says hello"
                                              for w in revealed),
           f"the tooltip is not among the revealed windows: {answer}")
    expect_equal((answer["method"], answer["moved_real_cursor"], answer["cursor_restored"]),
                 ("move", False, True), "method and cursor")
    # Moving onto another control hides it: it is not revealed again.
    answer = daemon.request({"cmd": "hover", "app": "uiad actions app", "id": "auto:102", "dwell_ms": 100})
    logged(app, mark, "tip_hidden", id=102)
    expect_equal(answer["revealed_windows"], [], "windows revealed by the second hover")


@case("scroll_moves_the_list_through_its_scroll_pattern")
def _(suite):
    app = actions_app(suite)
    daemon = suite.daemon()
    row = "name:row:Item_1"
    answer = daemon.request({"cmd": "scroll", "app": "uiad actions app", "id": row, "direction": "down"})
    expect(answer.get("verified") is True and answer["from_pct"] == 0 and answer["to_pct"] > 0,
           f"page down: {answer}")
    rows = scan(suite, "UIAD Actions App", "current")["elements"]
    expect(rows["name:row:Item_1"]["w"] == 0 and rows["name:row:Item_9"]["w"] > 0,
           f"rows on screen after page down: Item_1 {rows['name:row:Item_1']}, Item_9 {rows['name:row:Item_9']}")
    answer = daemon.request({"cmd": "scroll", "app": "uiad actions app", "id": row, "direction": "end"})
    expect(answer.get("verified") is True and answer["to_pct"] == 100, f"end: {answer}")
    rows = scan(suite, "UIAD Actions App", "current")["elements"]
    expect(rows["name:row:Item_30"]["w"] > 0, f"Item_30 not on screen at the end: {rows['name:row:Item_30']}")
    answer = daemon.request({"cmd": "scroll", "app": "uiad actions app", "id": row, "direction": "down"})
    expect_equal(answer, {"error": "scroll: 'down' had no effect \u2014 already at the end (nothing scrolled)",
                          "ok": False}, "down at the end")


@case("perform_press_and_show_menu")
def _(suite):
    app = actions_app(suite)
    daemon = suite.daemon()
    mark = len(app.log.events())
    answer = daemon.request({"cmd": "perform", "app": "uiad actions app", "id": "auto:101", "action": "press"})
    expect_equal(answer, {"id": "auto:101", "label": "Say hello", "ok": True, "role": "button"}, "press")
    logged(app, mark, "click", id=101)
    mark = len(app.log.events())
    answer = daemon.request({"cmd": "perform", "app": "uiad actions app", "id": "auto:101",
                             "action": "AXShowMenu"})
    expect_equal(answer["ok"], True, "show_menu")
    # To the top-level window itself, relative to its window rectangle.
    left, top, right, bottom = app.control(101)["rect"]
    x = (left + (right - left) // 2) - app.rect[0]
    y = (top + (bottom - top) // 2) - app.rect[1]
    logged(app, mark, "rbuttondown", id=0, x=x, y=y)
    logged(app, mark, "rbuttonup", id=0, x=x, y=y)
    answer = daemon.request({"cmd": "perform", "app": "uiad actions app", "id": "auto:101", "action": "Press"})
    expect_equal(answer, {"error": "perform: unknown action 'Press'", "ok": False}, "unknown action")
    suite.bed.stop(app.process)
    suite._actions_app = None


# ---------------------------------------------------------------- menus
# Wine lets no other process read the application's menus with the menu API
# (see the facts below); the stand-in reads them inside the application's
# process instead (tests/wine/README.md). The menu bar is seen by raw-view
# walkers only, after the title bar with its System menu bar.

MENU_BAR_NOTE = ("menu-bar items; nested items the app exposes statically are in each `items` "
                 "\u2014 invoke any leaf with invoke_menu(\"Top>Item\")")


@case("menus_reads_the_test_app_menu_bar")
def _(suite):
    scan(suite, suite.app.title, "cache")
    answer = suite.daemon().request({"cmd": "menus", "app": suite.app.title.upper()})
    # The title bar's System menu bar comes first in the raw view; it is not
    # the application's. The separator in File is not an item; names lose
    # their mnemonics.
    expect_equal(answer, {"app": suite.app.title.lower(), "note": MENU_BAR_NOTE, "ok": True, "shortcuts": [
        {"items": ["Open dialog...", "Exit"], "path": "File"},
        {"items": ["Clear notes"], "path": "Edit"},
        {"items": ["About"], "path": "Help"}]}, "menus")


@case("invoke_menu_sends_the_item_command_and_gives_the_foreground_back")
def _(suite):
    scan(suite, suite.app.title, "cache")
    before = suite.foreground()
    mark = len(suite.app.log.events())
    started = time.monotonic()
    answer = suite.daemon().request({"cmd": "invoke_menu", "app": suite.app.title, "path": "edit > clear"})
    expect_equal(answer, {"app": suite.app.title.lower(), "ok": True, "path": "edit > clear"}, "invoke_menu")
    # The static path: Edit has nothing to open it with, 80 ms, then Invoke;
    # the guard ends with 40 ms.
    expect(time.monotonic() - started >= 0.12, "the 80 ms and 40 ms waits were not made")
    expect(suite.app.log.wait_for(lambda e: e["event"] == "menu" and e["id"] == 9003, 5, after=mark),
           "the application received no Clear notes command")
    after = suite.foreground()
    expect_equal(after and after["hwnd"], before and before["hwnd"], "foreground window")


@case("invoke_menu_reports_both_strategies_when_an_item_is_missing")
def _(suite):
    scan(suite, suite.app.title, "cache")
    mark = len(suite.app.log.events())
    answer = suite.daemon().request({"cmd": "invoke_menu", "app": suite.app.title, "path": "File>Print"})
    expect_equal(answer, {"error": "invoke_menu: menu item not found: Print (static resolve: menu path segment "
                                   "'Print' not found (under 'File'); available: [Open dialog..., Exit])",
                          "ok": False}, "invoke_menu")
    answer = suite.daemon().request({"cmd": "invoke_menu", "app": suite.app.title, "path": "Tools>Options"})
    expect_equal(answer, {"error": "invoke_menu: top menu not found: Tools (static resolve: menu path segment "
                                   "'Tools' not found (top-level menu bar); available: [File, Edit, Help])",
                          "ok": False}, "invoke_menu")
    menus = [e for e in suite.app.log.events()[mark:] if e["event"] == "menu"]
    expect_equal(menus, [], "menu commands received by the application")


@case("context_menu_finds_the_popup_below_the_desktop_and_closes_it")
def _(suite):
    scan(suite, suite.app.title, "cache")
    # The edit's own menu: the separators are left out, and with no text, no
    # selection and an empty clipboard every item is disabled.
    names = ["Undo", "Cut", "Copy", "Paste", "Delete", "Select All"]
    # Without and with the foreground flag: the closing Escape goes to the
    # popup menu's own window, so it closes the menu whichever window (if
    # any, without a window manager) has the foreground.
    for foreground in (False, True):
        mark = len(suite.app.log.events())
        answer = suite.daemon().request({"cmd": "context_menu", "app": suite.app.title, "id": "auto:135",
                                         "foreground": foreground})
        expect_equal(answer, {"count": 6, "foregrounded": foreground, "id": "auto:135",
                              "items": [{"enabled": False, "name": n, "shortcut": ""} for n in names],
                              "menu_class": "#32768", "ok": True}, f"context_menu, foreground {foreground}")
        buttons = [[e["event"], e["x"], e["y"]] for e in suite.app.log.events()[mark:]
                   if e["event"] in ("rbuttondown", "rbuttonup")]
        expect_equal([b[0] for b in buttons], ["rbuttondown", "rbuttonup"], "right button messages")
        expect_equal(buttons[0][1:], buttons[1][1:], "down and up at the same point")
        # Escape closed the menu: a right click on a push button opens none,
        # and no popup is left on the desktop to be found.
        again = suite.daemon().request({"cmd": "context_menu", "app": suite.app.title, "id": "auto:101",
                                        "foreground": foreground})
        expect_equal(again, {"count": 0, "foregrounded": foreground, "id": "auto:101", "items": [],
                             "menu_class": "", "ok": False}, f"context_menu on a button, foreground {foreground}")


# ------------------------------------------------- activation and text

ACTIONS_TITLE = "UIAD Activation App"


def activation_app(suite):
    return actions_app(suite, "activation", ACTIONS_TITLE)


def thread_count(process):
    """Threads of a Wine process, as Linux tasks."""
    try:
        return len(os.listdir(f"/proc/{process.pid}/task"))
    except OSError:
        return -1


def not_logged(app, mark, event, **fields):
    return app.log.wait_for(lambda e: e["event"] == event and all(e.get(k) == v for k, v in fields.items()),
                            0.5, after=mark) is None


@case("click_push_button_posts_to_its_window")
def _(suite):
    app = activation_app(suite)
    left, top, right, bottom = app.control(101)["rect"]
    mark = len(app.log.events())
    answer = suite.daemon().request({"cmd": "click", "app": ACTIONS_TITLE, "id": "auto:101"})
    expect_equal(answer, {"center_x": (left + right) // 2, "center_y": (top + bottom) // 2, "id": "auto:101",
                          "label": "Say hello", "method": "post-hwnd", "ok": True, "role": "button"}, "click")
    # The button's own client coordinates: the posted clicks went straight to it.
    down = logged(app, mark, "lbuttondown", id=101)
    expect_equal((down["x"], down["y"]), ((right - left) // 2, (bottom - top) // 2), "client point")
    logged(app, mark, "click", id=101)


@case("click_link_answers_after_800ms_while_the_dialog_stays_open")
def _(suite):
    app, bed, daemon = activation_app(suite), suite.bed, suite.daemon()
    threads_before = thread_count(daemon.process)
    mark = len(app.log.events())
    started = time.monotonic()
    answer = daemon.request({"cmd": "click", "app": ACTIONS_TITLE, "id": "auto:104"})
    elapsed = time.monotonic() - started
    expect_equal((answer.get("method"), answer.get("role")), ("uia-live", "link"), f"click: {answer}")
    expect(0.8 <= elapsed < 5, f"answered after {elapsed:.2f} s, not after the 800 ms limit")
    logged(app, mark, "dialog_open", source="link")
    expect(not_logged(app, mark, "dialog_closed"), "the dialog closed by itself")
    # The worker is still inside Invoke; the daemon answers meanwhile.
    expect_equal(daemon.request({"cmd": "ping"}), {"ok": True, "pong": True}, "ping while the dialog is open")
    expect_equal(thread_count(daemon.process), threads_before + 1, "threads while the worker waits")
    close_dialog_with_ok(bed)
    logged(app, mark, "dialog_closed", result=1)
    expect(bed.wait_until(lambda: thread_count(daemon.process) == threads_before, 10),
           f"the worker did not end with the dialog: {thread_count(daemon.process)} threads, "
           f"{threads_before} before")


@case("daemon_exits_with_a_worker_still_in_invoke")
def _(suite):
    app, bed = activation_app(suite), suite.bed
    daemon = suite.fresh_daemon()
    expect_equal(daemon.line(timeout=30), '{"event":"ready","ok":true}\n', "first line")
    expect(daemon.request({"cmd": "scan", "app": ACTIONS_TITLE}, timeout=60).get("ok") is True, "scan failed")
    mark = len(app.log.events())
    answer = daemon.request({"cmd": "click", "app": ACTIONS_TITLE, "id": "auto:104"})
    expect_equal(answer.get("method"), "uia-live", f"click: {answer}")
    logged(app, mark, "dialog_open", source="link")
    # End of input with the worker blocked in the application: the daemon
    # does not wait for it and ends normally, the dialog still open.
    expect_equal(daemon.finish(), 0, "exit status")
    expect(not_logged(app, mark, "dialog_closed"), "the dialog closed with the daemon")
    close_dialog_with_ok(bed)
    logged(app, mark, "dialog_closed", result=1)


@case("set_value_replaces_the_text_of_an_edit")
def _(suite):
    app, bed, daemon = activation_app(suite), suite.bed, suite.daemon()
    edit = app.control(135)["hwnd"]
    mark = len(app.log.events())
    expect_equal(bed.probe("type", edit, "old", 0), [{"posted": True}], "typing the old text")
    logged(app, mark, "char", id=135, code=ord("d"))
    # A native edit gets its whole text with WM_SETTEXT, typed characters
    # never: the old text is gone, and the text arrives as UTF-16 code units
    # (U+1F600 as its surrogate pair: five units in all).
    mark = len(app.log.events())
    text = "h\u00e9 \U0001F600"
    answer = daemon.request({"cmd": "set_value", "app": ACTIONS_TITLE, "id": "auto:135", "text": text})
    expect_equal(answer, {"id": "auto:135", "label": "", "method": "settext", "ok": True, "role": "input"},
                 "set_value")
    logged(app, mark, "settext", id=135, text=text, units=len(utf16_units(text)))
    expect_equal([e["code"] for e in app.log.events()[mark:] if e["event"] == "char"], [], "characters posted")
    after = scan(suite, ACTIONS_TITLE, "cache")
    expect_equal(after["elements"]["auto:135"]["value"], text, "value in the next scan")


@case("set_value_on_the_read_only_edit")
def _(suite):
    app, daemon = activation_app(suite), suite.daemon()
    mark = len(app.log.events())
    # ES_READONLY: no WM_SETTEXT, and the Value pattern is read-only, so
    # nothing clears it: the characters are typed and change nothing.
    answer = daemon.request({"cmd": "set_value", "app": ACTIONS_TITLE, "id": "auto:133", "text": "no"})
    expect_equal(answer, {"id": "auto:133", "label": "", "method": "post", "ok": True, "role": "input"}, "set_value")
    logged(app, mark, "char", id=133, code=ord("o"))
    expect(not_logged(app, mark, "change", id=133), "the read-only edit changed")
    expect(not_logged(app, mark, "settext", id=133), "the read-only edit received WM_SETTEXT")
    expect_equal(scan(suite, ACTIONS_TITLE, "cache")["elements"]["auto:133"]["value"], "fixed text",
                 "value in the next scan")


@case("set_value_clears_a_combo_box_through_its_value_pattern_then_types")
def _(suite):
    app, daemon = activation_app(suite), suite.daemon()
    mark = len(app.log.events())
    # A ComboBox is no edit class: its writable Value pattern empties it, then
    # the characters go to its window, which hands them to its edit.
    answer = daemon.request({"cmd": "set_value", "app": ACTIONS_TITLE, "id": "auto:150", "text": "Kiwi"})
    expect_equal(answer, {"id": "auto:150", "label": "", "method": "uia-clear+post", "ok": True,
                          "role": "combobox"}, "set_value")
    cleared = logged(app, mark, "settext", id=150, text="")
    logged(app, mark, "char", id=150, code=ord("i"))
    events = app.log.events()[mark:]
    first_char = next(i for i, e in enumerate(events) if e["event"] == "char" and e["id"] == 150)
    expect(events.index(cleared) < first_char, "the combo box was cleared after the typing began")
    expect_equal([e["code"] for e in events if e["event"] == "char" and e["id"] == 150], [ord(c) for c in "Kiwi"],
                 "characters the combo box received")
    expect_equal(scan(suite, ACTIONS_TITLE, "cache")["elements"]["auto:150"]["value"], "Kiwi",
                 "value in the next scan")


@case("attrs_of_a_check_box_and_an_edit")
def _(suite):
    app, daemon = activation_app(suite), suite.daemon()
    recorded = scan(suite, ACTIONS_TITLE, "cache")["elements"]
    for control_id, role, label, value, patterns in ((110, "checkbox", "Enable logging", "", ["Toggle"]),
                                                     (131, "input", "", "alice", ["Value"])):
        left, top, right, bottom = app.control(control_id)["rect"]
        focused = recorded[f"auto:{control_id}"]["focused"]
        expect_equal(daemon.request({"cmd": "attrs", "app": ACTIONS_TITLE, "id": f"auto:{control_id}"}),
                     {"desc": label, "enabled": True, "focused": focused, "id": f"auto:{control_id}", "name": label,
                      "ok": True, "patterns": patterns, "pos": [left, top], "role": role,
                      "size": [right - left, bottom - top], "title": label, "value": value},
                     f"attrs of {control_id}")


@case("set_focused_on_an_edit")
def _(suite):
    app, daemon = activation_app(suite), suite.daemon()
    mark = len(app.log.events())
    expect_equal(daemon.request({"cmd": "set_focused", "app": ACTIONS_TITLE, "id": "auto:131"}), {"ok": True},
                 "set_focused")
    logged(app, mark, "lbuttondown", id=131)
    logged(app, mark, "focus", id=131)
    suite.bed.stop(app.process)
    suite._activation_app = None


@case("set_value_into_notepad")
def _(suite):
    _, window = suite.notepad
    before = scan(suite, window["title"], "cache")
    edit_id = next(i for i, e in before["elements"].items() if e["role"] == "input")
    text = before["elements"][edit_id]["value"]
    expect(NOTEPAD_TEXT in text, f"notepad's text before: {text!r}")
    answer = suite.daemon().request({"cmd": "set_value", "app": window["title"], "id": edit_id, "text": "typed "})
    expect_equal(answer, {"id": edit_id, "label": before["elements"][edit_id]["name"], "method": "settext",
                          "ok": True, "role": "input"}, "set_value")
    # Notepad's Edit has its text replaced as a whole, not typed in at the caret.
    value = scan(suite, window["title"], "cache")["elements"][edit_id]["value"]
    expect_equal(value, "typed ", "notepad's text read back")


# ------------------------------------------- another application on top

def place_over(bed, cover, control_id, target_rect):
    """Moves the cover application's window so that the centre of its control
    lies on the centre of target_rect; returns that point."""
    x = (target_rect[0] + target_rect[2]) // 2
    y = (target_rect[1] + target_rect[3]) // 2
    control = cover.control(control_id)["rect"]
    offset_x = (control[0] + control[2]) // 2 - cover.rect[0]
    offset_y = (control[1] + control[3]) // 2 - cover.rect[1]
    moved = bed.probe("move", cover.hwnd, x - offset_x, y - offset_y)[0]
    expect_equal(moved["rect"][:2], [x - offset_x, y - offset_y], "the cover's position")
    at_point = bed.probe("point", x, y)[0]["element"]
    expect_equal(at_point["hwnd"], cover.control(control_id)["hwnd"],
                 f"the element at {x},{y} (the cover's control {control_id})")
    return x, y


def cover_events(cover, mark):
    return [e for e in cover.log.events()[mark:]
            if e["event"] in ("click", "command", "change", "settext", "char", "select")]


@case("point_fallbacks_leave_another_process_over_the_element_alone")
def _(suite):
    bed, daemon = suite.bed, suite.daemon()
    covered = bed.start_test_app("covered", title="UIAD Covered App")
    cover = None
    try:
        scan(suite, "UIAD Covered App", "cache")
        cover = bed.start_test_app("cover", title="UIAD Cover App")
        # click: label 130 has no pattern, so the scanned element cannot be
        # activated and the daemon looks at its centre, where the other
        # process's button now is. That button is not the session's: the
        # click is posted to the label instead.
        place_over(bed, cover, 101, covered.control(130)["rect"])
        mark, cover_mark = len(covered.log.events()), len(cover.log.events())
        answer = daemon.request({"cmd": "click", "app": "UIAD Covered App", "id": "auto:130"})
        expect_equal((answer.get("ok"), answer.get("method")), (True, "post"), f"click: {answer}")
        logged(covered, mark, "lbuttonup", id=130)
        expect_equal(cover_events(cover, cover_mark), [], "what the covering application received")
        # set_value: a list row has no Value pattern and no window of its
        # own; the other process's edit at its centre must not get the text.
        place_over(bed, cover, 131, covered.items[0]["rect"])
        mark, cover_mark = len(covered.log.events()), len(cover.log.events())
        answer = daemon.request({"cmd": "set_value", "app": "UIAD Covered App", "id": "name:row:Item_1",
                                 "text": "zq"})
        expect_equal((answer.get("ok"), answer.get("method")), (True, "post"), f"set_value: {answer}")
        logged(covered, mark, "char", code=ord("q"))
        expect_equal(cover_events(cover, cover_mark), [], "what the covering application received")
        edit = next(line["element"] for line in bed.probe("tree", cover.hwnd)
                    if line["mode"] == "current" and line["element"]["aid"] == "131")
        expect_equal(edit["value"], "alice", "the covering application's edit")
    finally:
        for app in (covered, cover):
            if app is not None:
                bed.stop(app.process)


# ---------------------------------------------------------------- Wine facts
# What tests/wine/README.md says about Wine, measured again on every run.

def facts(suite):
    if not hasattr(suite, "_facts"):
        mark = len(suite.app.log.events())
        lines = suite.bed.run("wine_facts.exe", suite.app.hwnd)
        expect(lines, "wine_facts printed nothing")
        suite._facts = lines[0]
        suite._facts_events = suite.app.log.events()[mark:]
    return suite._facts


@case("wine_fact_print_window_of_other_process_draws_nothing")
def _(suite):
    f = facts(suite)
    expect_equal(f["print_window_result"], 1, "PrintWindow result")
    expect_equal(f["print_window_untouched_pixels"], f["print_window_pixels"], "pixels left untouched")
    printed = [e for e in suite._facts_events if e["event"] in ("print", "printclient")]
    expect_equal(printed, [], "WM_PRINT or WM_PRINTCLIENT received by the window")


@case("wine_fact_menu_of_other_process_unreadable")
def _(suite):
    f = facts(suite)
    expect_equal(f["menu_handle_nonzero"], 1, "GetMenu gives a handle")
    expect_equal(f["menu_item_count"], -1, "GetMenuItemCount")
    expect_equal(f["menu_item_info_ok"], 0, "GetMenuItemInfoW")
    expect_equal(f["menu_bar_info_ok"], 0, "GetMenuBarInfo")


@case("wine_fact_popup_menu_of_other_process_unreadable")
def _(suite):
    f = facts(suite)
    expect_equal(f["popup_menu_window_appears"], 1, "a #32768 window after a posted right click")
    expect_equal(f["popup_menu_handle_nonzero"], 1, "MN_GETHMENU gives a handle")
    expect_equal(f["popup_menu_item_count"], -1, "GetMenuItemCount of the popup's menu")
    expect_equal(f["popup_menu_closed_by_escape"], 1, "Escape posted to the application's window closes it")


@case("wine_fact_edit_text_of_other_process_needs_wm_gettext")
def _(suite):
    f = facts(suite)
    expect_equal(f["edit_get_window_text"], "", "GetWindowTextW")
    expect_equal(f["edit_send_timeout_text"], "alice", "SendMessageTimeoutW(WM_GETTEXT)")


@case("wine_fact_no_system_text_for_automation_codes")
def _(suite):
    f = facts(suite)
    expect_equal(f["message_text_length_class_not_registered"], 0, "text for 0x80040154")
    expect_equal(f["message_text_length_element_not_available"], 0, "text for 0x80040201")


@case("wine_fact_dwm_cloaked_is_not_implemented")
def _(suite):
    f = facts(suite)
    expect_equal(f["dwm_cloaked_hr"], 0x80004001, "DwmGetWindowAttribute(DWMWA_CLOAKED) (E_NOTIMPL)")
    expect_equal(f["dwm_cloaked_value"], 0xFFFFFFFF, "the value it leaves")


@case("wine_fact_one_monitor_at_the_origin")
def _(suite):
    f = facts(suite)
    expect_equal((f["monitor_count"], f["virtual_screen_left"], f["virtual_screen_top"]), (1, 0, 0),
                 "monitors and the virtual screen's origin")


@case("wine_fact_window_from_point_passes_through_captions")
def _(suite):
    f = facts(suite)
    # The application is on top of notepad, which lies under its caption.
    expect_equal((f["window_from_point_on_caption_is_main"], f["window_from_point_in_client_is_main"]), (0, 1),
                 "WindowFromPoint on the caption and in the client area is the application's window")


@case("wine_fact_title_bar_info_leaves_out_the_icon")
def _(suite):
    f = facts(suite)
    expect_equal(f["title_bar_info_ok"], 1, "GetTitleBarInfo")
    expect_equal(f["title_bar_left"] - f["title_bar_right"], f["cx_size"], "the bar starts SM_CXSIZE further in")
    expect_equal(f["title_bar_height"], f["cy_caption"], "the bar is SM_CYCAPTION high")
    expect_equal(f["title_bar_close_state"], 0, "Close's state")


# --------------------------------------------- waiting, capture and dialogs
# After the facts: typing changes the edit whose text a fact reads.

WM_COMMAND = 0x0111
MENU_OPEN_DIALOG = 9001  # the test application's File > Open dialog...
UNCHANGED = {"changed": False, "notification": None, "ok": True}


def changed(notification):
    return {"changed": True, "notification": notification, "ok": True}


@case("screenshot_of_test_app_writes_the_bitmap_file")
def _(suite):
    bed, app = suite.bed, suite.app
    window = next((w for w in bed.top_level_windows() if w["hwnd"] == app.hwnd), None)
    expect(window is not None, "the test application's window is not listed")
    left, top, right, bottom = window["rect"]
    width, height = right - left, bottom - top
    size = width * height * 4
    shot = bed.drive_dir / "shot.bmp"
    shot.write_bytes(b"\xAA" * (size + 4096))  # an older, longer file at the path
    mark = len(app.log.events())
    daemon = suite.daemon()
    answer = daemon.request({"cmd": "screenshot", "app": f" {app.hwnd} ", "path": f"{WIN_DIR}\\shot.bmp"},
                            timeout=30)
    expect_equal(answer, {"ok": True, "path": f"{WIN_DIR}\\shot.bmp"}, "answer")
    data = shot.read_bytes()
    expect_equal(len(data), 54 + size, "file size (no old bytes left)")
    expect_equal(struct.unpack_from("<2sIHHIIiiHHIIiiII", data, 0),
                 (b"BM", 54 + size, 0, 0, 54, 40, width, -height, 1, 32, 0, size, 0, 0, 0, 0), "header")
    suite._screenshot = (data[54:], app.log.events()[mark:])
    answer = daemon.request({"cmd": "screenshot", "app": "UIAD TEST APP",
                             "path": f"{WIN_DIR}\\no\\such\\shot.bmp"}, timeout=30)
    expect(answer.get("ok") is False and answer["error"].startswith("screenshot: ")
           and answer["error"].endswith(" (os error 3)"), f"missing folder: {answer}")
    expect(not (bed.drive_dir / "no").exists(), "a folder was created")


@case("wine_fact_screenshot_of_other_process_is_blank")
def _(suite):
    expect(hasattr(suite, "_screenshot"), "the screenshot case wrote no file")
    pixels, events = suite._screenshot
    distinct = {pixels[i:i + 4] for i in range(0, len(pixels), 4)}
    expect_equal(distinct, {b"\0\0\0\0"}, "distinct pixels of the daemon's screenshot")
    printed = [e for e in events if e["event"] in ("print", "printclient")]
    expect_equal(printed, [], "WM_PRINT or WM_PRINTCLIENT received by the window")


class McpServer:
    """The MCP server of clients/node run over uiad.exe under Wine, spoken to as
    an agent's client would: JSON-RPC lines on its standard input and output."""

    def __init__(self, bed):
        package = REPO / "clients" / "node"
        if not (package / "node_modules").exists():
            installed = subprocess.run(["npm", "ci", "--no-audit", "--no-fund", "--prefer-offline"],
                                       cwd=package, capture_output=True, timeout=300)
            expect(installed.returncode == 0, f"npm ci failed: {installed.stderr.decode()[-400:]}")
        wrapper = bed.work / "uiad-under-wine.sh"
        wrapper.write_text(f"#!/bin/sh\nexec '{bed.wine}' '{WIN_DIR}\\uiad.exe'\n")
        wrapper.chmod(0o755)
        self._stderr = open(bed.work / "mcp.stderr", "ab")
        self.process = bed.spawn(["node", str(package / "bin" / "uiad-mcp.js"), "--daemon", str(wrapper)],
                                 stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._stderr)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self._next_id = 0

    def _read(self):
        for line in self.process.stdout:
            self._lines.put(line)

    def call(self, method, params, timeout=60):
        self._next_id += 1
        self.process.stdin.write(json.dumps({"jsonrpc": "2.0", "id": self._next_id, "method": method,
                                             "params": params}).encode() + b"\n")
        self.process.stdin.flush()
        ends = time.monotonic() + timeout
        while True:
            try:
                message = json.loads(self._lines.get(timeout=max(ends - time.monotonic(), 0.01)))
            except queue.Empty:
                raise Failure(f"no answer to {method} within {timeout} s") from None
            if message.get("id") == self._next_id:
                expect("result" in message, f"{method} failed: {message}")
                return message["result"]

    def tool(self, name, arguments):
        return self.call("tools/call", {"name": name, "arguments": arguments})

    def close(self):
        self.process.stdin.close()
        try:
            return self.process.wait(15)
        finally:
            self._stderr.close()


@case("mcp_server_over_uiad_exe")
def _(suite):
    bed, app = suite.bed, suite.app
    server = McpServer(bed)
    try:
        init = server.call("initialize", {"protocolVersion": "2025-06-18", "capabilities": {},
                                          "clientInfo": {"name": "wine suite", "version": "1"}})
        expect_equal(init["serverInfo"]["name"], "uiad", "server name")
        server.process.stdin.write(b'{"jsonrpc":"2.0","method":"notifications/initialized"}\n')
        tools = server.call("tools/list", {})["tools"]
        expect_equal(len(tools), 18, "number of tools")
        scan = server.tool("scan", {"app": app.title})
        text = scan["content"][0]["text"]
        expect(text.startswith(f'Window "{app.title}": ') and "<window " in text and not scan.get("isError"),
               f"scan through the server: {text[:300]}")
        shot = server.tool("screenshot", {"app": str(app.hwnd)})
        image = next((c for c in shot["content"] if c["type"] == "image"), None)
        expect(image is not None and image["mimeType"] == "image/png", f"screenshot result: {shot}")
        png = base64.b64decode(image["data"])
        window = next(w for w in bed.top_level_windows() if w["hwnd"] == app.hwnd)
        left, top, right, bottom = window["rect"]
        expect_equal(png[:8], b"\x89PNG\r\n\x1a\n", "PNG signature")
        expect_equal(struct.unpack(">II", png[16:24]), (right - left, bottom - top), "PNG size")
        missing = server.tool("click", {"app": "no such app", "id": "auto:1"})
        expect_equal((missing.get("isError"), missing["content"][0]["text"]),
                     (True, "click: no session for 'no such app'"), "error result")
    finally:
        status = server.close()
    expect_equal(status, 0, "the server's exit status after its input closed")


@case("wait_for_change_reports_text_typed_into_the_focused_edit")
def _(suite):
    bed, app = suite.bed, suite.app
    edit = app.control(131)["hwnd"]
    expect_equal(bed.probe("focus_control", edit), [{"attached": True, "focused": True}], "focusing edit 131")
    focus = bed.probe("focus")
    expect(focus and focus[0].get("element", {}).get("aid") == "131", f"focused element: {focus}")
    daemon = suite.daemon()
    started = time.monotonic()
    expect_equal(daemon.request({"cmd": "wait_for_change", "timeout_ms": 300}), UNCHANGED, "a quiet desktop")
    elapsed = time.monotonic() - started
    expect(0.3 <= elapsed < 2.0, f"a quiet 300 ms wait took {elapsed:.2f} s")
    mark = len(app.log.events())
    daemon.send(json.dumps({"cmd": "wait_for_change", "timeout_ms": 2000}))
    time.sleep(0.3)  # the baseline is taken
    expect_equal(bed.probe("type", edit, "xyz", 60), [{"posted": True}], "typing")
    expect_equal(json.loads(daemon.line(timeout=10)), changed("value-changed"), "answer")
    typed = [e["code"] for e in app.log.events()[mark:] if e["event"] == "char" and e["id"] == 131]
    expect_equal(typed, [ord(c) for c in "xyz"], "characters the edit received")


@case("wait_for_change_sees_the_modal_dialog_open")
def _(suite):
    bed, app = suite.bed, suite.app
    daemon = suite.daemon()
    mark = len(app.log.events())
    daemon.send(json.dumps({"cmd": "wait_for_change", "timeout_ms": 2000}))
    time.sleep(0.3)
    # The menu command opens the dialog without moving the focus first, as a
    # click on the button would.
    expect_equal(bed.probe("post", app.hwnd, WM_COMMAND, MENU_OPEN_DIALOG, 0), [{"posted": True}], "posting")
    answer = json.loads(daemon.line(timeout=10))
    expect(answer in (changed("foreground-window"), changed("window-count")), f"answer: {answer}")
    expect(app.log.wait_for(lambda e: e["event"] == "dialog_open", 5, after=mark) is not None,
           "the application did not open the dialog")
    print(f"# the dialog opening was reported as {answer['notification']}", flush=True)


def open_test_dialog(bed, app):
    dialog = bed.wait_for_window(lambda w: w["title"] == "Test dialog", timeout=1)
    if dialog is None:
        bed.probe("post", app.hwnd, WM_COMMAND, MENU_OPEN_DIALOG, 0)
        dialog = bed.wait_for_window(lambda w: w["title"] == "Test dialog", timeout=10)
    expect(dialog is not None, "the dialog did not open")
    return dialog


def close_test_dialog_if_open(bed):
    """A dialog a failing case left open would block the application."""
    if bed.wait_for_window(lambda w: w["title"] == "Test dialog", timeout=0.5) is not None:
        close_dialog_with_ok(bed)


@case("dismiss_dialogs_presses_the_preferred_button_of_the_modal_dialog")
def _(suite):
    bed, app = suite.bed, suite.app
    open_test_dialog(bed, app)
    mark = len(app.log.events())
    daemon = suite.daemon()
    try:
        # "Close" is asked for first, but the title bar's Close is no button of
        # the dialog's own: Cancel is pressed.
        answer = daemon.request({"cmd": "dismiss_dialogs", "titles": ["TEST DIALOG"], "exclude": "notepad",
                                 "prefer": ["Abort", "Close", " cancel "], "passes": 2}, timeout=30)
        expect_equal(answer, {"dismissed": [{"button": "Cancel", "title": "Test dialog"}], "ok": True}, "answer")
        closed = app.log.wait_for(lambda e: e["event"] == "dialog_closed", 5, after=mark)
        expect(closed is not None and closed["result"] == 2, f"dialog not closed with Cancel (2): {closed}")
        expect_equal(daemon.request({"cmd": "dismiss_dialogs", "titles": ["test dialog"]}),
                     {"dismissed": [], "ok": True}, "with no dialog left")
    finally:
        close_test_dialog_if_open(bed)


@case("dismiss_dialogs_presses_a_button_left_of_x_0")
def _(suite):
    bed, app = suite.bed, suite.app
    dialog = open_test_dialog(bed, app)
    mark = len(app.log.events())
    try:
        # The bed has one monitor at the origin (wine_fact_one_monitor_at_the_origin),
        # so the dialog goes where a monitor left of the primary one would be:
        # only its right 40 pixels, the title bar's Close among them, stay on screen.
        left, top, right, _ = dialog["rect"]
        moved = bed.probe("move", dialog["hwnd"], 40 - (right - left), top)[0]
        expect_equal(moved["rect"][0], 40 - (right - left), "the dialog's left edge after the move")
        ok = next(line["element"] for line in bed.probe("raw", dialog["hwnd"]) if line["element"]["name"] == "OK")
        expect(ok["rect"][2] < 0, f"the OK button {ok['rect']} is not left of x = 0")
        answer = suite.daemon().request({"cmd": "dismiss_dialogs", "titles": ["test dialog"], "prefer": ["ok"],
                                         "passes": 2}, timeout=30)
        expect_equal(answer, {"dismissed": [{"button": "OK", "title": "Test dialog"}], "ok": True}, "answer")
        logged(app, mark, "dialog_closed", result=1)
    finally:
        close_test_dialog_if_open(bed)


# --------------------------------------------------------------------- runner

def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--no-build", action="store_true", help="do not build missing programs")
    parser.add_argument("--keep", action="store_true", help="keep the prefix and logs")
    parser.add_argument("cases", nargs="*", help="run only these cases")
    args = parser.parse_args()
    log = lambda text: print(f"# {text}", flush=True)  # noqa: E731

    def interrupted(signum, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, interrupted)

    started = time.monotonic()
    build_dir = Path(os.environ.get("UIAD_WINE_BUILD", REPO / "build-wine")).resolve()
    binaries = Binaries(build_dir, os.environ.get("UIAD_EXE"))
    selected = [c for c in CASES if not args.cases or c[0] in args.cases]
    passed = failed = 0

    def report(name, error=None, seconds=0.0):
        nonlocal passed, failed
        if error is None:
            passed += 1
            print(f"PASS {name} ({seconds:.1f} s)", flush=True)
        else:
            failed += 1
            print(f"FAIL {name} ({seconds:.1f} s): {error}", flush=True)

    ensure_packages(RUN_PACKAGES, log)
    if binaries.missing() and not args.no_build:
        ensure_packages(BUILD_PACKAGES, log)
        binaries.build(log)
    bed = WineBed(binaries, log)
    try:
        missing = binaries.missing()
        if missing:
            raise Failure(f"not built: {', '.join(missing)} (in {build_dir})")
        if not binaries.uiad_exe.exists():
            log(f"uiad.exe not found at {binaries.uiad_exe}: the daemon cases will fail")
        bed.start()
        suite = Suite(bed)
        phases = [[c for c in selected if c[2]], [c for c in selected if not c[2]]]
        for index, phase in enumerate(phases):
            if index == 1:
                bed.register_standin()
                suite.notepad = bed.start_notepad("hello.txt", NOTEPAD_TEXT)
                # Started last, so it has the foreground.
                suite.app = bed.start_test_app("app")
            for name, function, _ in phase:
                if time.monotonic() - started > TIME_BUDGET_S:
                    report(name, f"not run: the suite's {TIME_BUDGET_S} s are spent")
                    continue
                case_started = time.monotonic()
                try:
                    function(suite)
                    report(name, seconds=time.monotonic() - case_started)
                except Failure as error:
                    report(name, str(error), time.monotonic() - case_started)
                except Exception as error:  # a broken case must not stop the suite
                    report(name, f"{type(error).__name__}: {error}\n{traceback.format_exc(limit=3)}",
                           time.monotonic() - case_started)
    except Failure as error:
        report("setup", str(error))
    except KeyboardInterrupt:
        report("setup", "interrupted")
    finally:
        if args.keep:
            log(f"kept {bed.work}")
            bed.processes.clear()
        else:
            bed.cleanup()
    log(f"suite ran {time.monotonic() - started:.1f} s")
    print(f"{passed} passed, {failed} failed", flush=True)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
