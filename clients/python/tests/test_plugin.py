"""The pytest plugin as a client author meets it: installed by its entry point, serving a scene
given by a mark (file or dict), the demo desktop without one, and a factory for several desktops."""

import json
from importlib.metadata import entry_points

from uiad.pytest_plugin import sim_executable

TINY = {"windows": [{"hwnd": 5, "title": "Tiny", "rect": [0, 0, 100, 50]}]}


def test_the_plugin_is_registered_by_its_entry_point():
    assert [entry.value for entry in entry_points(group="pytest11") if entry.name == "uiad"] == [
        "uiad.pytest_plugin"
    ]


def test_fixtures_serve_marked_scenes_the_demo_and_several_desktops(pytester, pytestconfig):
    pytester.makefile(".json", tiny=json.dumps(TINY))
    pytester.makepyfile(
        f"""
        import pytest

        TINY = {TINY!r}
        WINDOW = {{"id": "5", "pos": [0, 0], "size": [100, 50], "title": "Tiny"}}

        @pytest.mark.uiad_scene(TINY)
        def test_dict_scene(uiad):
            assert uiad.windows() == {{"ok": True, "windows": [WINDOW]}}

        @pytest.mark.uiad_scene("tiny.json")
        def test_file_scene(uiad):
            assert uiad.foreground()["title"] == "Tiny"

        def test_demo(uiad):
            assert uiad.foreground()["title"] == "Preferences"

        def test_factory_and_event_log(uiad_sim):
            tiny, demo = uiad_sim(TINY), uiad_sim(events=True)
            assert tiny.foreground()["title"] == "Tiny"
            demo.scan("preferences")
            demo.perform("preferences", "auto:1", "press")
            pressed = [e for e in demo.event_log() if e["type"] == "post_message" and e["hwnd"] == 198038]
            assert [e["msg"] for e in pressed] == [0x201, 0x202]
            with pytest.raises(ValueError, match="without an event log"):
                tiny.event_log()
        """
    )
    result = pytester.runpytest("--uiad-sim", sim_executable(pytestconfig))
    result.assert_outcomes(passed=4)
