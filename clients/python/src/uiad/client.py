"""The daemon as a Python object: one method per command, a deadline per request, and a watchdog
that replaces a hung or dead daemon instead of hanging the caller."""

from __future__ import annotations

import json
import os
import sys
import threading
import time
from pathlib import Path
from collections.abc import Mapping, Sequence
from types import TracebackType
from typing import Any, Final, cast

from .errors import DaemonClosed, DaemonExited, DaemonHung, DaemonStartError, UiadError
from .process import TIMEOUT, DaemonProcess, describe_status
from .results import (
    AttrsResult,
    ChangeResult,
    ClickResult,
    ContextMenuResult,
    DismissResult,
    ForegroundResult,
    HoverResult,
    InvokeMenuResult,
    KeyResult,
    ListAppsResult,
    MenusResult,
    MouseClickResult,
    Ok,
    PerformResult,
    Pong,
    ProbeResult,
    ScanResult,
    ScreenshotResult,
    ScrollResult,
    SetValueResult,
    WindowsResult,
)

READY: Final = {"event": "ready", "ok": True}
SHUTTING_DOWN: Final = {"event": "shutting_down", "ok": True}
DEFAULT_DEADLINE: Final = 30.0
DEFAULT_STARTUP_TIMEOUT: Final = 10.0
SHUTDOWN_SECONDS: Final = 5.0
INVOKE_LIMIT_SECONDS: Final = 0.8  # the daemon's own limit on one UI Automation Invoke


def default_executable() -> str:
    """``$UIAD_DAEMON`` if set, else ``uiad.exe`` on Windows and ``uiad-sim`` elsewhere (on PATH)."""
    configured = os.environ.get("UIAD_DAEMON")
    if configured:
        return configured
    return "uiad.exe" if sys.platform == "win32" else "uiad-sim"


def _count(value: int | None, default: int) -> int:
    """A count as the daemon reads it: a non-negative int, anything else is the default."""
    if isinstance(value, int) and not isinstance(value, bool) and value >= 0:
        return value
    return default


class Daemon:
    """A running daemon (``uiad.exe`` or ``uiad-sim``) serving one request at a time.

    The constructor starts it and waits for its ready line; ``close()`` (or leaving a ``with``
    block) sends ``shutdown`` and reaps it. Every command method sends one request and returns the
    decoded answer; keyword arguments left at ``None`` are not sent, so the daemon's default
    applies. An error answer raises :class:`UiadError` with the daemon's message.

    Every request has a deadline in seconds (``deadline=`` on each method, else
    ``default_deadline`` plus the time the request itself asks the daemon to wait). When it
    passes, the daemon is killed, a fresh one is started with the same arguments and
    :class:`DaemonHung` is raised; the fresh daemon holds no sessions. A daemon that dies or
    writes garbage while answering is replaced the same way and raises :class:`DaemonExited`.
    """

    def __init__(
        self,
        executable: str | os.PathLike[str] | None = None,
        *,
        scene: str | os.PathLike[str] | None = None,
        events: str | os.PathLike[str] | None = None,
        args: Sequence[str] = (),
        cwd: str | os.PathLike[str] | None = None,
        env: Mapping[str, str] | None = None,
        startup_timeout: float = DEFAULT_STARTUP_TIMEOUT,
        default_deadline: float = DEFAULT_DEADLINE,
    ) -> None:
        argv = [os.fspath(executable) if executable is not None else default_executable()]
        if scene is not None:
            argv.append(os.fspath(scene))
        if events is not None:
            argv += ["--events", os.fspath(events)]
        argv += list(args)
        self.argv: list[str] = argv
        self.events_path = None if events is None else Path(events)
        self.cwd = None if cwd is None else os.fspath(cwd)
        self.env = env
        self.startup_timeout = startup_timeout
        self.default_deadline = default_deadline
        self.restarts = 0
        """How many times the watchdog replaced the daemon."""
        self.returncode: int | None = None
        """The exit status of the last daemon, once closed."""
        self._lock = threading.RLock()
        self._closed = False
        self._process: DaemonProcess | None = self._start()

    # -- process life ---------------------------------------------------------------------------

    def _start(self) -> DaemonProcess:
        name = self.argv[0]
        try:
            process = DaemonProcess(self.argv, self.cwd, self.env)
        except OSError as error:
            raise DaemonStartError(f"cannot start {name}: {error}") from error
        line = process.next_line(self.startup_timeout)
        if line is TIMEOUT:
            process.kill()
            raise DaemonStartError(
                f"{name} wrote no ready line within {self.startup_timeout:g} s; it was killed"
            )
        if line is None:
            status = describe_status(process.exit_status())
            process.close_input()
            stderr = process.stderr_tail()
            detail = f": {stderr}" if stderr else ""
            raise DaemonStartError(f"{name} exited ({status}) before it was ready{detail}")
        assert isinstance(line, bytes)
        try:
            first = json.loads(line)
        except ValueError:
            first = None
        if first == READY:
            return process
        process.kill()
        if isinstance(first, dict) and isinstance(first.get("error"), str):
            raise DaemonStartError(f"{name} could not start: {first['error']}")
        raise DaemonStartError(f"{name} wrote {line!r} instead of its ready line")

    def _replace(self) -> tuple[bool, str]:
        """Kills the current daemon and starts a fresh one: (started, why not)."""
        if self._process is not None:
            self._process.kill()
            self._process = None
        self.restarts += 1
        try:
            self._process = self._start()
        except DaemonStartError as error:
            return False, str(error)
        return True, ""

    @property
    def pid(self) -> int | None:
        """The process id of the running daemon, if one runs."""
        return None if self._process is None else self._process.pid

    def close(self, timeout: float = SHUTDOWN_SECONDS) -> None:
        """Sends ``shutdown`` and reaps the daemon, killing it if it has not ended within
        ``timeout`` seconds. Later requests raise DaemonClosed."""
        with self._lock:
            if self._closed:
                return
            self._closed = True
            process, self._process = self._process, None
            if process is None:
                return
            ends = time.monotonic() + timeout
            try:
                process.write(b'{"cmd":"shutdown"}\n')
                while (line := process.next_line(ends - time.monotonic())) not in (None, TIMEOUT):
                    assert isinstance(line, bytes)
                    if json.loads(line) == SHUTTING_DOWN:
                        break
            except (OSError, ValueError):
                pass  # it is gone or confused; it is reaped below either way
            process.close_input()
            self.returncode = process.exit_status(max(ends - time.monotonic(), 0.0))
            if self.returncode is None:
                process.kill()
                self.returncode = process.popen.returncode

    def __enter__(self) -> Daemon:
        return self

    def __exit__(
        self,
        exc_type: type[BaseException] | None,
        exc: BaseException | None,
        tb: TracebackType | None,
    ) -> None:
        self.close()

    def event_log(self) -> list[dict[str, Any]]:
        """The simulator's event log so far (``uiad-sim`` started with ``events``), one dict per
        effect on the simulated desktop."""
        if self.events_path is None:
            raise ValueError("the daemon was started without an event log")
        with open(self.events_path, encoding="utf-8") as log:
            return [json.loads(line) for line in log if line.strip()]

    # -- requests -------------------------------------------------------------------------------

    def request(self, cmd: str, /, *, deadline: float | None = None, **keys: Any) -> dict[str, Any]:
        """Sends one request with exactly these keys and returns the decoded answer.

        Raises UiadError for an error answer; an answer with ``ok`` false and no ``error``
        (``context_menu`` with no items) is returned.
        """
        request = {"cmd": cmd, **keys}
        # ASCII-only JSON: a lone surrogate in a str travels as an escape the daemon rejects as
        # one bad request, instead of as bytes that are not UTF-8, which end the daemon.
        line = json.dumps(request, allow_nan=False, separators=(",", ":")) + "\n"
        seconds = self.default_deadline if deadline is None else deadline
        with self._lock:
            answer = self._exchange(cmd, line.encode("ascii"), seconds)
        if answer.get("ok") is False and "error" in answer:
            raise UiadError(cmd, str(answer["error"]), answer)
        return answer

    def _exchange(self, cmd: str, data: bytes, seconds: float) -> dict[str, Any]:
        if self._closed:
            raise DaemonClosed(f"{cmd}: the daemon was shut down")
        if self._process is None:
            self._process = self._start()  # an earlier replacement failed; try again
        process = self._process
        ends = time.monotonic() + seconds
        # A write blocks only if the daemon stopped reading its input; the watchdog covers it too.
        guard = threading.Timer(seconds, process.popen.kill)
        guard.start()
        try:
            process.write(data)
        except OSError:
            if time.monotonic() >= ends:
                raise self._hung(cmd, seconds) from None
            raise self._exited(cmd, "the daemon had ended before the request was written") from None
        finally:
            guard.cancel()
        line = process.next_line(ends - time.monotonic())
        if line is TIMEOUT:
            raise self._hung(cmd, seconds)
        if line is None:
            status = describe_status(process.exit_status())
            stderr = process.stderr_tail()
            detail = f" ({stderr.splitlines()[-1]})" if stderr else ""
            raise self._exited(cmd, f"the daemon exited ({status}) without answering{detail}")
        assert isinstance(line, bytes)
        try:
            answer = json.loads(line)
        except ValueError:
            answer = None
        if not isinstance(answer, dict):
            raise self._exited(cmd, f"the daemon answered {line[:200]!r}, not a JSON object")
        return answer

    def _hung(self, cmd: str, seconds: float) -> DaemonHung:
        restarted, why = self._replace()
        return DaemonHung(cmd, seconds, restarted, why)

    def _exited(self, cmd: str, what: str) -> DaemonExited:
        restarted, why = self._replace()
        return DaemonExited(cmd, what, restarted, why)

    def _call(self, cmd: str, deadline: float | None, extra: float = 0.0, **keys: Any) -> Any:
        """``request`` without the keys left at None, with ``extra`` seconds on the default deadline."""
        sent = {key: value for key, value in keys.items() if value is not None}
        if deadline is None:
            deadline = self.default_deadline + extra
        return self.request(cmd, deadline=deadline, **sent)

    # -- commands -------------------------------------------------------------------------------
    # Defaults named in the docstrings are the daemon's; they apply when an argument is None.

    def ping(self, *, deadline: float | None = None) -> Pong:
        """``{"ok": true, "pong": true}``."""
        return cast(Pong, self._call("ping", deadline))

    def shutdown(self) -> None:
        """Ends the daemon; the same as ``close()``."""
        self.close()

    def scan(
        self,
        app: str | None = None,
        *,
        max_depth: int | None = None,
        depth: int | None = None,
        max_elements: int | None = None,
        strategy: str | None = None,
        timing: bool | None = None,
        deadline: float | None = None,
    ) -> ScanResult:
        """Snapshots a window and replaces the application's session.

        ``app``: a title fragment (any case) or a decimal window handle; None or "" scans the
        foreground window. ``max_depth``: deepest level recorded (default ``depth``, itself 100).
        ``max_elements``: no limit by default. ``strategy``: "cache" (default) or any other string
        for the current strategy (the default for browser content). ``timing``: add ``timing``.
        ``Snapshot.from_scan(result)`` reads the answer's tree.
        """
        result = self._call(
            "scan",
            deadline,
            app=app,
            max_depth=max_depth,
            depth=depth,
            max_elements=max_elements,
            strategy=strategy,
            timing=timing,
        )
        return cast(ScanResult, result)

    def click(
        self, app: str, id: str, *, count: int | None = None, deadline: float | None = None
    ) -> ClickResult:
        """Activates an element (UI Automation first, posted clicks otherwise); ``count`` 1.

        ``method`` in the answer names the way taken.
        """
        extra = _count(count, 1) * INVOKE_LIMIT_SECONDS
        return cast(ClickResult, self._call("click", deadline, extra, app=app, id=id, count=count))

    def focus(
        self, app: str, id: str, *, count: int | None = None, deadline: float | None = None
    ) -> ClickResult:
        """The same command as ``click`` under its second name."""
        extra = _count(count, 1) * INVOKE_LIMIT_SECONDS
        return cast(ClickResult, self._call("focus", deadline, extra, app=app, id=id, count=count))

    def attrs(self, app: str, id: str, *, deadline: float | None = None) -> AttrsResult:
        """What the last scan recorded about an element, and the patterns it offers now."""
        return cast(AttrsResult, self._call("attrs", deadline, app=app, id=id))

    def set_value(
        self, app: str, id: str, text: str, *, deadline: float | None = None
    ) -> SetValueResult:
        """Puts ``text`` (required, may be empty) into an element."""
        return cast(SetValueResult, self._call("set_value", deadline, app=app, id=id, text=text))

    def set_focused(self, app: str, id: str, *, deadline: float | None = None) -> Ok:
        """Gives an element the keyboard focus by a posted click at its centre."""
        return cast(Ok, self._call("set_focused", deadline, app=app, id=id))

    def perform(
        self, app: str, id: str, action: str, *, deadline: float | None = None
    ) -> PerformResult:
        """A named action by posted messages: "press"/"invoke"/"AXPress", "show_menu"/"AXShowMenu",
        "increment"/"AXIncrement", "decrement"/"AXDecrement"."""
        return cast(
            PerformResult, self._call("perform", deadline, app=app, id=id, action=action)
        )

    def key(
        self,
        app: str,
        key: str,
        *,
        id: str | None = None,
        count: int | None = None,
        deadline: float | None = None,
    ) -> KeyResult:
        """Sends a named key ("enter", "f5", ...), one character or a text, after focusing ``id``
        if given (default none). ``count``: repetitions, 1 by default, at most 50."""
        return cast(
            KeyResult, self._call("key", deadline, app=app, id=id, key=key, count=count)
        )

    def mouse_click(
        self,
        app: str,
        id: str,
        *,
        button: str | None = None,
        count: int | None = None,
        deadline: float | None = None,
    ) -> MouseClickResult:
        """Posted clicks at an element's centre. ``button``: "left" (default) or "right";
        ``count``: 1 (default) to 3."""
        result = self._call(
            "mouse_click", deadline, app=app, id=id, button=button, count=count
        )
        return cast(MouseClickResult, result)

    def hover(
        self,
        app: str,
        id: str,
        *,
        method: str | None = None,
        dwell_ms: int | None = None,
        count: int | None = None,
        restore: bool | None = None,
        deadline: float | None = None,
    ) -> HoverResult:
        """Rests the pointer on an element and reports the windows that appeared.

        ``method``: "move" (default), "move_nc", "hover_msg", "setcursor" or "sendinput";
        ``dwell_ms``: 350; ``count``: 6 moves (1 to 60); ``restore``: put the real cursor back
        (True).
        """
        extra = _count(dwell_ms, 350) / 1000
        result = self._call(
            "hover",
            deadline,
            extra,
            app=app,
            id=id,
            method=method,
            dwell_ms=dwell_ms,
            count=count,
            restore=restore,
        )
        return cast(HoverResult, result)

    def scroll(
        self,
        app: str,
        *,
        id: str | None = None,
        direction: str | None = None,
        deadline: float | None = None,
    ) -> ScrollResult:
        """Scrolls the container of ``id`` (or the application). ``direction``: "down" (default),
        "up", "page_up", "page_down", "left", "right", "home"/"top", "end"/"bottom".

        A scroll that moved nothing is an error ("... had no effect ...")."""
        result = self._call("scroll", deadline, app=app, id=id, direction=direction)
        return cast(ScrollResult, result)

    def wait_for_change(
        self, *, timeout_ms: int | None = None, deadline: float | None = None
    ) -> ChangeResult:
        """Waits until the foreground title, the window count or the focused element changes.

        ``timeout_ms``: 1500 by default, clamped to 150 ... 2000 by the daemon.
        """
        extra = min(max(_count(timeout_ms, 1500), 150), 2000) / 1000
        return cast(ChangeResult, self._call("wait_for_change", deadline, extra, timeout_ms=timeout_ms))

    def probe(self, app: str, id: str, *, deadline: float | None = None) -> ProbeResult:
        """Whether an id still resolves in the session; never an error."""
        return cast(ProbeResult, self._call("probe", deadline, app=app, id=id))

    def menus(self, app: str, *, deadline: float | None = None) -> MenusResult:
        """The menu bar's items and their direct children."""
        return cast(MenusResult, self._call("menus", deadline, app=app))

    def invoke_menu(
        self, app: str, path: str, *, deadline: float | None = None
    ) -> InvokeMenuResult:
        """Invokes a menu item by a path such as "File>Save As"."""
        extra = INVOKE_LIMIT_SECONDS
        return cast(InvokeMenuResult, self._call("invoke_menu", deadline, extra, app=app, path=path))

    def context_menu(
        self,
        app: str,
        id: str,
        *,
        foreground: bool | None = None,
        deadline: float | None = None,
    ) -> ContextMenuResult:
        """Opens an element's context menu, reads its items and closes it. ``foreground``: False.

        ``ok`` false (no error) means no menu items were read.
        """
        result = self._call("context_menu", deadline, app=app, id=id, foreground=foreground)
        return cast(ContextMenuResult, result)

    def windows(self, app: str | None = None, *, deadline: float | None = None) -> WindowsResult:
        """The visible titled top-level windows, filtered by a title fragment (default none)."""
        return cast(WindowsResult, self._call("windows", deadline, app=app))

    def list_apps(self, *, deadline: float | None = None) -> ListAppsResult:
        """The titles of visible windows with their processes."""
        return cast(ListAppsResult, self._call("list_apps", deadline))

    def foreground(self, *, deadline: float | None = None) -> ForegroundResult:
        """The foreground window's handle and title."""
        return cast(ForegroundResult, self._call("foreground", deadline))

    def screenshot(
        self,
        app: str | None = None,
        *,
        path: str | None = None,
        deadline: float | None = None,
    ) -> ScreenshotResult:
        """Captures a window to a 32-bit BMP file. ``app``: handle, session or title fragment;
        ``path``: "screenshot.bmp", relative to the daemon's working directory."""
        return cast(ScreenshotResult, self._call("screenshot", deadline, app=app, path=path))

    def dismiss_dialogs(
        self,
        *,
        titles: Sequence[str] | None = None,
        prefer: Sequence[str] | None = None,
        exclude: str | None = None,
        passes: int | None = None,
        deadline: float | None = None,
    ) -> DismissResult:
        """Presses a button in each visible window whose title contains one of ``titles``.

        ``prefer``: button names in order of preference (default: the first button);
        ``exclude``: a title fragment that disqualifies a window; ``passes``: at most 6 dialogs.
        Each dismissal is followed by a one-second wait, which the default deadline allows for.
        """
        extra = _count(passes, 6) * 1.0
        result = self._call(
            "dismiss_dialogs",
            deadline,
            extra,
            titles=None if titles is None else list(titles),
            prefer=None if prefer is None else list(prefer),
            exclude=exclude,
            passes=passes,
        )
        return cast(DismissResult, result)
