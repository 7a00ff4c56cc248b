"""Every command method: the request line it sends (through the stand-in daemon, which echoes it),
and the answers of the simulated demo desktop passed back unchanged."""

import pytest

from uiad import UiadError

# (method call, the request the daemon receives): keys named as on the wire, None never sent.
REQUESTS = [
    (lambda d: d.scan(), {"cmd": "scan"}),
    (
        lambda d: d.scan("Notepad", max_depth=3, depth=4, max_elements=50, strategy="current", timing=True),
        {"cmd": "scan", "app": "Notepad", "max_depth": 3, "depth": 4, "max_elements": 50,
         "strategy": "current", "timing": True},
    ),
    (lambda d: d.click("a", "auto:1"), {"cmd": "click", "app": "a", "id": "auto:1"}),
    (lambda d: d.focus("a", "auto:1", count=2), {"cmd": "focus", "app": "a", "id": "auto:1", "count": 2}),
    (lambda d: d.attrs("a", "b"), {"cmd": "attrs", "app": "a", "id": "b"}),
    (lambda d: d.set_value("a", "b", ""), {"cmd": "set_value", "app": "a", "id": "b", "text": ""}),
    (lambda d: d.set_focused("a", "b"), {"cmd": "set_focused", "app": "a", "id": "b"}),
    (lambda d: d.perform("a", "b", "AXPress"), {"cmd": "perform", "app": "a", "id": "b", "action": "AXPress"}),
    (lambda d: d.key("a", "enter"), {"cmd": "key", "app": "a", "key": "enter"}),
    (lambda d: d.key("a", "x", id="b", count=5), {"cmd": "key", "app": "a", "id": "b", "key": "x", "count": 5}),
    (
        lambda d: d.mouse_click("a", "b", button="right", count=2),
        {"cmd": "mouse_click", "app": "a", "id": "b", "button": "right", "count": 2},
    ),
    (
        lambda d: d.hover("a", "b", method="hover_msg", dwell_ms=0, count=1, restore=False),
        {"cmd": "hover", "app": "a", "id": "b", "method": "hover_msg", "dwell_ms": 0, "count": 1,
         "restore": False},
    ),
    (lambda d: d.scroll("a"), {"cmd": "scroll", "app": "a"}),
    (lambda d: d.scroll("a", id="b", direction="end"), {"cmd": "scroll", "app": "a", "id": "b", "direction": "end"}),
    (lambda d: d.wait_for_change(), {"cmd": "wait_for_change"}),
    (lambda d: d.wait_for_change(timeout_ms=150), {"cmd": "wait_for_change", "timeout_ms": 150}),
    (lambda d: d.probe("a", "b"), {"cmd": "probe", "app": "a", "id": "b"}),
    (lambda d: d.menus("a"), {"cmd": "menus", "app": "a"}),
    (lambda d: d.invoke_menu("a", "File>Save As"), {"cmd": "invoke_menu", "app": "a", "path": "File>Save As"}),
    (lambda d: d.context_menu("a", "b"), {"cmd": "context_menu", "app": "a", "id": "b"}),
    (
        lambda d: d.context_menu("a", "b", foreground=True),
        {"cmd": "context_menu", "app": "a", "id": "b", "foreground": True},
    ),
    (lambda d: d.windows(), {"cmd": "windows"}),
    (lambda d: d.windows("edit"), {"cmd": "windows", "app": "edit"}),
    (lambda d: d.list_apps(), {"cmd": "list_apps"}),
    (lambda d: d.foreground(), {"cmd": "foreground"}),
    (lambda d: d.screenshot(), {"cmd": "screenshot"}),
    (lambda d: d.screenshot("132004", path="C:\\shot.bmp"), {"cmd": "screenshot", "app": "132004", "path": "C:\\shot.bmp"}),
    (lambda d: d.dismiss_dialogs(), {"cmd": "dismiss_dialogs"}),
    (
        lambda d: d.dismiss_dialogs(titles=("Save",), prefer=["No"], exclude="Editor", passes=2),
        {"cmd": "dismiss_dialogs", "titles": ["Save"], "prefer": ["No"], "exclude": "Editor", "passes": 2},
    ),
]


def test_every_method_sends_its_keys_by_their_wire_names(fake):
    daemon = fake()
    for call, request in REQUESTS:
        assert call(daemon) == {"ok": True, "request": request}
    assert daemon.ping() == {"ok": True, "pong": True}
    sent = {request["cmd"] for _, request in REQUESTS} | {"ping", "shutdown"}
    assert len(sent) == 23  # the whole command table
    daemon.shutdown()
    assert daemon.returncode == 0


DEMO_EXCHANGES = [
    (lambda d: d.foreground(), {"hwnd": 198030, "ok": True, "title": "Preferences"}),
    (
        lambda d: d.windows("text editor"),
        {"ok": True, "windows": [{"id": "132004", "pos": [200, 120], "size": [800, 600],
                                  "title": "notes.txt - Text Editor"}]},
    ),
    (
        lambda d: d.list_apps()["apps"][:2],
        [{"name": "Preferences", "process": "texteditor"},
         {"name": "notes.txt - Text Editor", "process": "texteditor"}],
    ),
    (lambda d: d.scan("Preferences")["element_count"], 14),  # with its title bar's four
    (lambda d: d.probe("PREFERENCES", "e:auto:1"), {"ok": True, "valid": True}),
    (lambda d: d.probe("calculator", "auto:1"), {"ok": True, "reason": "no_session", "valid": False}),
    (
        lambda d: d.attrs("preferences", "auto:chkStatusBar"),
        {"desc": "Show status bar", "enabled": True, "focused": False, "id": "auto:chkStatusBar",
         "name": "Show status bar", "ok": True, "patterns": ["Toggle"], "pos": [444, 310],
         "role": "checkbox", "size": [200, 20], "title": "Show status bar", "value": ""},
    ),
    (
        lambda d: d.click("preferences", "auto:chkStatusBar"),
        {"center_x": 544, "center_y": 320, "id": "auto:chkStatusBar", "label": "Show status bar",
         "method": "uia-live", "ok": True, "role": "checkbox"},
    ),
    (lambda d: d.set_focused("preferences", "auto:txtAutosave"), {"ok": True}),
    (
        lambda d: d.context_menu("preferences", "auto:chkStatusBar"),  # no menu: ok false, no error
        {"count": 0, "foregrounded": False, "id": "auto:chkStatusBar", "items": [], "menu_class": "", "ok": False},
    ),
    (
        lambda d: d.key("preferences", "Enter"),
        {"count": 1, "focused": False, "key": "Enter", "kind": "key", "method": "post", "ok": True, "vk": 13},
    ),
    (lambda d: d.scan("text editor")["app"], "text editor"),
    (
        lambda d: d.menus("text editor")["shortcuts"][1],
        {"items": ["Undo", "Cut", "Copy", "Paste", "Select All"], "path": "Edit"},
    ),
    (
        lambda d: d.context_menu("text editor", "auto:15")["items"][:2],
        [{"enabled": False, "name": "Undo", "shortcut": "Ctrl+Z"}, {"enabled": True, "name": "Cut", "shortcut": "Ctrl+X"}],
    ),
    (lambda d: d.invoke_menu("text editor", "file > new"), {"app": "text editor", "ok": True, "path": "file > new"}),
    (lambda d: d.windows("text editor")["windows"][0]["title"], "Untitled - Text Editor"),
    (lambda d: d.scan("file browser")["title"], "Downloads - File Browser"),
    (
        lambda d: d.scroll("file browser", id="name:row:photo.jpg", direction="page_down"),
        {"direction": "page_down", "from_pct": 0.0, "id": "name:row:photo.jpg", "ok": True,
         "to_pct": 25.0, "verified": True},
    ),
    (
        lambda d: d.hover("file browser", "name:button:Up")["revealed_windows"],
        [{"class": "tooltips_class32", "h": 20, "title": "Go to the parent folder", "w": 150, "x": 190, "y": 180}],
    ),
    (
        lambda d: d.mouse_click("file browser", "name:row:setup.exe", button="right"),
        {"button": "right", "center_x": 355, "center_y": 237, "count": 1, "id": "name:row:setup.exe",
         "label": "setup.exe", "ok": True, "role": "row", "success": True, "x": 355, "y": 237},
    ),
    (
        lambda d: d.perform("file browser", "name:button:Up", "AXPress"),
        {"id": "name:button:Up", "label": "Up", "ok": True, "role": "button"},
    ),
]


def test_demo_desktop_answers_pass_through_unchanged(uiad):
    for call, answer in DEMO_EXCHANGES:
        assert call(uiad) == answer


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda d: d.click("nowhere", "auto:1"), "click: no session for 'nowhere'"),
        (lambda d: d.focus("preferences", ""), "click: no element id= in 'preferences'"),
        (lambda d: d.key("preferences", ""), "key: missing 'key' field"),
        (lambda d: d.scan("no such window"), "window not found: no such window"),
        (lambda d: d.request("Ping"), "unknown cmd: Ping"),
    ],
)
def test_error_answers_of_the_demo_desktop(uiad, call, message):
    uiad.scan("preferences")
    with pytest.raises(UiadError) as caught:
        call(uiad)
    assert str(caught.value) == message


def test_waiting_dialogs_and_capture_on_the_demo_desktop(uiad, tmp_path):
    # The demo's "Download complete" dialog appears at three seconds of the daemon's waits.
    assert uiad.wait_for_change(timeout_ms=2000) == {"changed": False, "notification": None, "ok": True}
    assert uiad.wait_for_change(timeout_ms=2000) == {"changed": True, "notification": "window-count", "ok": True}
    assert uiad.dismiss_dialogs(titles=["DOWNLOAD COMPLETE"], prefer=[" close "]) == {
        "dismissed": [{"button": "Close", "title": "Download complete"}], "ok": True
    }
    shot = tmp_path / "monitor.bmp"
    assert uiad.screenshot("system monitor", path=str(shot)) == {"ok": True, "path": str(shot)}
    header = shot.read_bytes()[:54]
    assert header[:2] == b"BM" and int.from_bytes(header[2:6], "little") == shot.stat().st_size
