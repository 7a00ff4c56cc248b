"""Reading snapshot texts into trees, looking elements up, and the difference between two scans."""

import pytest

from uiad import Snapshot, SnapshotDiff

# A window whose unnamed group is not shown (its children sit two levels deep), two buttons sharing
# an automation id, a label with a line break and every escaped character, and an element found
# through a descendant window, which the daemon puts right before the window's closing tag.
SETTINGS = "\n".join([
    '<window e="name:window:Settings" label="Settings" title="Settings" pos="100,100" size="800,600">',
    '    <checkbox e="auto:chkLog" label="Enable logging" id="chkLog" pos="120,150" size="140,20" checked="true"/>',
    '    <input e="auto:txtUser" label="User name" value="alice" id="txtUser" pos="120,200" size="300,24" focused="true"/>',
    '  <button e="auto:btn" label="OK" class="btn" pos="600,640" size="80,30"/>',
    '  <button e="auto:btn#2" label="Cancel" class="btn" pos="700,640" size="80,30" checked="false"/>',
    '  <text e="name:text:Two" label="Two',
    'lines &quot;&amp;lt;&lt;&gt;\'" pos="-5,680" size="101,20" disabled="true" selected="true"/>',
    '  <list e="idx:9" pos="0,0" size="10,10">',
    '  </list>',
    "",
    '  <input e="name:input:Search" label="Search" pos="120,250" size="200,24"/></window>',
])


def test_the_tree_holds_every_line_with_its_attributes():
    snapshot = Snapshot(SETTINGS)
    (window,) = snapshot.roots
    assert [node.id for node in window.children] == [
        "auto:chkLog", "auto:txtUser", "auto:btn", "auto:btn#2", "name:text:Two", "idx:9",
        "name:input:Search",
    ]
    assert [node.id for node in snapshot][:3] == ["name:window:Settings", "auto:chkLog", "auto:txtUser"]
    assert len(snapshot) == 8 and "auto:btn#2" in snapshot and "auto:nope" not in snapshot

    text = snapshot["name:text:Two"]
    assert text.label == "Two\nlines \"&lt;<>'"
    assert (text.pos, text.size, text.center) == ((-5, 680), (101, 20), (45, 690))
    assert (text.enabled, text.selected, text.focused, text.checked) == (False, True, False, None)
    assert text.parent is window

    assert snapshot["auto:chkLog"].checked is True
    assert snapshot["auto:btn#2"].checked is False
    assert snapshot["auto:btn#2"].automation_id == "btn"
    assert snapshot["auto:txtUser"].automation_id == "txtUser"
    assert (snapshot["auto:txtUser"].value, snapshot["auto:txtUser"].focused) == ("alice", True)
    assert window.attrs["title"] == "Settings" and "e" not in window.attrs
    assert snapshot["idx:9"].children == []


def test_lookup_by_role_and_label():
    snapshot = Snapshot(SETTINGS)
    assert [node.id for node in snapshot.find("button")] == ["auto:btn", "auto:btn#2"]
    assert [node.id for node in snapshot.find(label="User name")] == ["auto:txtUser"]
    assert [node.id for node in snapshot.find("input", "se", partial=True)] == ["auto:txtUser", "name:input:Search"]
    assert snapshot.find("button", "ok") == []
    assert snapshot.find_one("button", "ok", partial=True).id == "auto:btn"
    with pytest.raises(LookupError, match="no element with role='row' label=None"):
        snapshot.find_one("row")
    assert snapshot.get("auto:nope") is None


def test_outer_level_entries_without_a_closing_window_tag_are_roots():
    snapshot = Snapshot(
        '<window e="w"/>\n  <input e="a" label="A"/>\n<group e="g" label="G">\n  <button e="b"/>\n</group>'
    )
    assert [node.id for node in snapshot.roots] == ["w", "a", "g"]
    assert snapshot["b"].parent is snapshot["g"]
    assert Snapshot("").roots == []


@pytest.mark.parametrize(
    "text, fault",
    [
        ('<window e="w">', "<window> is never closed"),
        ('<window e="w"/></button>', "unmatched </button>"),
        ('<window e="w"/> stray', "unexpected 'stray'"),
        ('<window e="w" label="a"b"/>', "unexpected"),
    ],
)
def test_text_that_is_not_a_snapshot_is_refused(text, fault):
    with pytest.raises(ValueError, match=fault):
        Snapshot(text)


LAB = {
    "windows": [{
        "hwnd": 10, "title": "Lab", "rect": [0, 0, 500, 400],
        "element": {"children": [
            {"ref": "add", "type": "button", "name": "Add", "rect": [10, 10, 90, 40], "patterns": ["invoke"]},
            {"ref": "old", "type": "text", "name": "Old", "rect": [10, 50, 90, 70]},
            {"ref": "new", "type": "text", "name": "New", "rect": [10, 80, 90, 100], "present": False},
            {"ref": "count", "type": "edit", "name": "Count", "automation_id": "count",
             "rect": [10, 110, 90, 130], "patterns": {"value": {"value": "1"}}},
            {"ref": "pane", "type": "pane", "rect": [10, 140, 90, 160], "children": [
                {"ref": "state", "type": "text", "name": "Idle", "automation_id": "state", "rect": [10, 140, 90, 160]},
            ]},
        ]},
    }],
    "reactions": [{
        "when": {"event": "invoke", "element": "add"},
        "then": [
            {"action": "add_element", "element": "new"},
            {"action": "remove_element", "element": "old"},
            {"action": "set_value", "element": "count", "value": "2"},
            {"action": "set_name", "element": "state", "name": "Busy"},
        ],
    }],
}


def test_diff_of_two_scans_lists_added_removed_and_changed_ids(uiad_sim):
    daemon = uiad_sim(LAB)
    before = Snapshot.from_scan(daemon.scan("lab"))
    assert before.app == "lab" and before.title == "Lab"
    assert before["auto:count"].summary == {
        "cx": 50, "cy": 120, "enabled": True, "focused": False, "h": 20, "id": "count",
        "name": "Count", "patterns": [], "role": "input", "value": "1", "w": 80,
    }
    assert before["auto:count"].center == (50, 120)
    daemon.click("lab", "name:button:Add")
    after = Snapshot.from_scan(daemon.scan("lab"))
    assert after.diff(before) == SnapshotDiff(
        added=["name:text:New"], removed=["name:text:Old"], changed=["auto:count", "auto:state"]
    )
    assert before.diff(after).added == ["name:text:Old"]
    assert not after.diff(after)
    # The unnamed pane is no line of the text, yet it is in the map, so both scans know it.
    hidden = [id for id in after.elements if id not in after]
    assert len(hidden) == 1 and hidden[0].startswith("idx:")
