"""Exceptions of the client: the daemon's own error answers, and failures of the daemon process."""

from __future__ import annotations

from typing import Any

SESSIONS_LOST = (
    "every session was lost: scan again before using element ids from earlier scans"
)


class UiadError(Exception):
    """The daemon answered a request with an error; ``str(error)`` is its message, unchanged."""

    def __init__(self, command: str, message: str, response: dict[str, Any]) -> None:
        super().__init__(message)
        self.command = command
        self.message = message
        self.response = response


class DaemonFailure(Exception):
    """The daemon process itself failed: it did not start, hung, or died."""


def _replacement(restarted: bool, detail: str) -> str:
    if restarted:
        return "a fresh daemon was started"
    return f"a fresh daemon could not be started ({detail}); the next request tries again"


class DaemonStartError(DaemonFailure):
    """The daemon could not be started or did not announce itself as ready."""


class DaemonHung(DaemonFailure):
    """A request passed its deadline; the daemon was killed and, if possible, replaced."""

    def __init__(self, command: str, deadline: float, restarted: bool, detail: str = "") -> None:
        super().__init__(
            f"{command}: no answer within the deadline of {deadline:g} s; the daemon was killed "
            f"and {_replacement(restarted, detail)}; {SESSIONS_LOST}"
        )
        self.command = command
        self.deadline = deadline
        self.restarted = restarted


class DaemonExited(DaemonFailure):
    """The daemon ended, or wrote something other than one JSON object, while answering."""

    def __init__(self, command: str, what: str, restarted: bool, detail: str = "") -> None:
        super().__init__(f"{command}: {what}; {_replacement(restarted, detail)}; {SESSIONS_LOST}")
        self.command = command
        self.restarted = restarted


class DaemonClosed(DaemonFailure):
    """A request was made after the daemon was shut down."""
