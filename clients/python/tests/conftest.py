"""Fixtures of the client's tests: the stand-in daemon, and the scenes they share."""

import sys
from collections.abc import Callable, Iterator
from pathlib import Path
from typing import Any

import pytest

from uiad import Daemon

pytest_plugins = ["pytester"]

FAKE_DAEMON = Path(__file__).with_name("fake_daemon.py")


@pytest.fixture
def fake() -> Iterator[Callable[..., Daemon]]:
    """Starts the stand-in daemon with the given options; all are closed after the test."""
    started: list[Daemon] = []

    def start(*options: str, script: Path = FAKE_DAEMON, **daemon_options: Any) -> Daemon:
        daemon = Daemon(sys.executable, args=[str(script), *options], **daemon_options)
        started.append(daemon)
        return daemon

    yield start
    for daemon in started:
        daemon.close()
