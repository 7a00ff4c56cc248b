"""pytest plugin: fixtures that run ``uiad-sim`` on a scene, so an automation script can be tested
against a simulated desktop on any machine.

    @pytest.mark.uiad_scene("scenes/login.json")      # or a dict, or no mark for the demo desktop
    def test_login(uiad):
        uiad.scan("login")

    def test_two_desktops(uiad_sim):
        first = uiad_sim({"windows": [...]})
        second = uiad_sim("other.json", events=True)    # event log in second.events_path
"""

from __future__ import annotations

import json
import os
import shutil
from collections.abc import Iterator, Mapping
from pathlib import Path
from typing import Any, Protocol

import pytest

from .client import Daemon

Scene = str | os.PathLike[str] | Mapping[str, Any] | None


class StartSim(Protocol):
    def __call__(
        self, scene: Scene = None, *, events: bool = False, **daemon_options: Any
    ) -> Daemon: ...


def pytest_addoption(parser: pytest.Parser) -> None:
    group = parser.getgroup("uiad")
    group.addoption(
        "--uiad-sim",
        default=None,
        help="the uiad-sim executable for the uiad fixtures (default: $UIAD_SIM, else on PATH)",
    )
    parser.addini("uiad_sim", "the uiad-sim executable for the uiad fixtures")


def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line(
        "markers", "uiad_scene(scene): the scene (file path or dict) the uiad fixture serves"
    )


def sim_executable(config: pytest.Config) -> str:
    """--uiad-sim, else the uiad_sim ini value, else $UIAD_SIM, else uiad-sim on PATH."""
    option = config.getoption("uiad_sim")
    configured = option or config.getini("uiad_sim") or os.environ.get("UIAD_SIM")
    if configured:
        return str(configured)
    return shutil.which("uiad-sim") or "uiad-sim"


@pytest.fixture
def uiad_sim(request: pytest.FixtureRequest, tmp_path: Path) -> Iterator[StartSim]:
    """Starts ``uiad-sim`` daemons for the test; all are shut down after it.

    ``scene``: a scene file, a scene as a dict (written to the test's temporary directory) or
    None for the bundled demo desktop. ``events=True`` writes the event log to
    ``daemon.events_path``. Other keywords go to ``Daemon``.
    """
    executable = sim_executable(request.config)
    started: list[Daemon] = []

    def start(scene: Scene = None, *, events: bool = False, **daemon_options: Any) -> Daemon:
        number = len(started)
        if isinstance(scene, Mapping):
            path = tmp_path / f"uiad-scene-{number}.json"
            path.write_text(json.dumps(scene), encoding="utf-8")
            scene = path
        events_path = tmp_path / f"uiad-events-{number}.jsonl" if events else None
        daemon = Daemon(executable, scene=scene, events=events_path, **daemon_options)
        started.append(daemon)
        return daemon

    yield start
    for daemon in started:
        daemon.close()


@pytest.fixture
def uiad(request: pytest.FixtureRequest, uiad_sim: StartSim) -> Daemon:
    """A ``uiad-sim`` daemon on the scene of the test's ``uiad_scene`` mark, or the demo desktop."""
    mark = request.node.get_closest_marker("uiad_scene")
    return uiad_sim(mark.args[0] if mark is not None and mark.args else None)
