"""One daemon child process: its pipes, a reader thread per output stream, and its end."""

from __future__ import annotations

import os
import queue
import subprocess
import sys
import threading
from collections.abc import Mapping, Sequence
from typing import IO, Final

STDERR_TAIL_BYTES: Final = 4096
REAP_SECONDS: Final = 5.0
CREATE_NO_WINDOW: Final = 0x08000000


def creation_flags(platform: str) -> int:
    """Windows: no console window for the daemon.

    Started from a host without a console (a GUI program, a service wrapper), the daemon would get a
    console window of its own, which it would then list and act on like any other window.
    """
    return CREATE_NO_WINDOW if platform == "win32" else 0


class Timeout:
    """Marker for a line that did not arrive in time."""


TIMEOUT: Final = Timeout()


class DaemonProcess:
    """Owns the child; lines of its standard output arrive through a queue, so waits can time out.

    The reader threads only read; every other call is made by the thread that owns the ``Daemon``.
    """

    def __init__(
        self, argv: Sequence[str], cwd: str | None, env: Mapping[str, str] | None
    ) -> None:
        self.argv = list(argv)
        self.popen = subprocess.Popen(
            self.argv,
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            cwd=cwd,
            env=None if env is None else dict(env),
            creationflags=creation_flags(sys.platform),
        )
        self._lines: queue.Queue[bytes | None] = queue.Queue()
        self._stderr = bytearray()
        self._stderr_lock = threading.Lock()
        assert self.popen.stdout is not None and self.popen.stderr is not None
        self._stdout_reader = threading.Thread(
            target=self._read_lines, args=(self.popen.stdout,), daemon=True
        )
        self._stderr_reader = threading.Thread(
            target=self._read_stderr, args=(self.popen.stderr,), daemon=True
        )
        self._stdout_reader.start()
        self._stderr_reader.start()

    @property
    def pid(self) -> int:
        return self.popen.pid

    # Each reader closes its own pipe at the end of output: closing it from another thread while
    # a read is blocked on it would race with the descriptor's reuse.
    def _read_lines(self, stream: IO[bytes]) -> None:
        try:
            for line in iter(stream.readline, b""):
                self._lines.put(line)
        except OSError:
            pass
        finally:
            stream.close()
            self._lines.put(None)

    def _read_stderr(self, stream: IO[bytes]) -> None:
        try:
            while chunk := os.read(stream.fileno(), 4096):
                with self._stderr_lock:
                    self._stderr += chunk
                    del self._stderr[:-STDERR_TAIL_BYTES]
        except OSError:
            pass
        finally:
            stream.close()

    def write(self, data: bytes) -> None:
        """Writes and flushes; raises OSError when the daemon's input is closed."""
        assert self.popen.stdin is not None
        try:
            self.popen.stdin.write(data)
            self.popen.stdin.flush()
        except ValueError as error:  # already closed on our side
            raise BrokenPipeError(str(error)) from error

    def next_line(self, seconds: float) -> bytes | None | Timeout:
        """The next output line, None at the end of output, or TIMEOUT."""
        try:
            return self._lines.get(timeout=max(seconds, 0.0))
        except queue.Empty:
            return TIMEOUT

    def stderr_tail(self) -> str:
        """The last few kilobytes the daemon wrote on standard error, once it has ended."""
        if self.popen.poll() is not None:
            self._stderr_reader.join(timeout=1.0)
        with self._stderr_lock:
            return self._stderr.decode("utf-8", "replace").strip()

    def exit_status(self, seconds: float = REAP_SECONDS) -> int | None:
        """Waits up to ``seconds`` for the process to end; its status, or None if it still runs."""
        try:
            return self.popen.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            return None

    def kill(self) -> None:
        """Ends the process at once and releases its pipes."""
        if self.popen.poll() is None:
            try:
                self.popen.kill()
            except OSError:
                pass  # it ended on its own meanwhile
        self.exit_status()
        self.close_input()

    def close_input(self) -> None:
        if self.popen.stdin is not None:
            try:
                self.popen.stdin.close()
            except OSError:
                pass  # its last flush failed: the daemon is gone


def describe_status(status: int | None) -> str:
    if status is None:
        return "still running"
    if status < 0 and os.name != "nt":
        return f"killed by signal {-status}"
    return f"status {status}"
