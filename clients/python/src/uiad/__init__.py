"""Python client of the uiad daemon: drive desktop applications' user interfaces over its
line-based JSON protocol, with a watchdog so a hung application cannot hang the caller."""

from .client import Daemon, default_executable
from .errors import (
    DaemonClosed,
    DaemonExited,
    DaemonFailure,
    DaemonHung,
    DaemonStartError,
    UiadError,
)
from .snapshot import Node, Snapshot, SnapshotDiff

__all__ = [
    "Daemon",
    "DaemonClosed",
    "DaemonExited",
    "DaemonFailure",
    "DaemonHung",
    "DaemonStartError",
    "Node",
    "Snapshot",
    "SnapshotDiff",
    "UiadError",
    "default_executable",
]
