"""The Wine test bed: an X server, a fresh Wine prefix, the programs copied into
it, the processes started in it, and a client for uiad.exe.

Everything started here is tracked by its process id and stopped by cleanup();
`wineserver -k` is only ever run for the prefix made here. Python 3 standard
library only.
"""

import json
import os
import queue
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
WINE_DIR = Path("/usr/lib/wine")
STANDIN_CLSID = "{ff48dba4-60ef-4201-aa87-54103eef594e}"
# Inside the prefix the programs live in C:\uiad.
WIN_DIR = "C:\\uiad"

# Debian packages the suite runs on; the main test script installs them too.
RUN_PACKAGES = ["wine64", "xvfb", "xauth"]
BUILD_PACKAGES = ["cmake", "ninja-build", "g++-mingw-w64-x86-64-posix", "mingw-w64-tools",
                  "libwine-dev", "nlohmann-json3-dev"]


class Failure(Exception):
    """A check that did not hold; the message says what was expected."""


def expect(condition, message):
    if not condition:
        raise Failure(message)


def expect_equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


def windows_path(path):
    """A Unix path as Wine sees it through drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


def ensure_packages(names, log):
    """Installs the missing packages with apt-get, when running as root."""
    missing = [n for n in names
               if subprocess.run(["dpkg-query", "-W", "-f=${Status}", n], capture_output=True,
                                 text=True).stdout.find("install ok installed") < 0]
    if not missing:
        return True
    if os.geteuid() != 0:
        log(f"missing packages (not root, not installing): {' '.join(missing)}")
        return False
    log(f"installing: {' '.join(missing)}")
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(["apt-get", "update", "-qq"], env=env, check=False)
    return subprocess.run(["apt-get", "install", "-y", "-qq", *missing], env=env).returncode == 0


def wine_program(name):
    for candidate in (WINE_DIR / name, shutil.which(name)):
        if candidate and Path(candidate).exists():
            return str(candidate)
    return None


class Binaries:
    """Where the programs under test are: uiad.exe and the suite's own."""

    NAMES = ("uia_standin.dll", "uiad_test_app.exe", "uia_dump.exe", "wine_facts.exe")

    def __init__(self, build_dir, uiad_exe):
        self.build_dir = Path(build_dir)
        self.uiad_exe = Path(uiad_exe).resolve() if uiad_exe else self.build_dir / "src" / "bin" / "uiad.exe"

    def find(self, name):
        for directory in (self.build_dir / "tests" / "wine", self.build_dir / "standalone"):
            if (directory / name).exists():
                return directory / name
        return None

    def missing(self):
        return [n for n in self.NAMES if self.find(n) is None]

    def build(self, log):
        """Builds the suite's programs: with the whole project when it
        configures, else tests/wine on its own into BUILD/standalone."""
        toolchain = REPO / "cmake" / "mingw-w64-x86_64.cmake"
        common = ["-G", "Ninja", f"-DCMAKE_TOOLCHAIN_FILE={toolchain}", "-DCMAKE_BUILD_TYPE=Release"]
        whole = subprocess.run(["cmake", "-S", str(REPO), "-B", str(self.build_dir), *common,
                                "-DUIAD_TESTS=OFF"], capture_output=True, text=True)
        if whole.returncode == 0:
            subprocess.run(["cmake", "--build", str(self.build_dir), "-j2"], capture_output=True)
        if self.missing():
            log("building tests/wine on its own")
            alone = self.build_dir / "standalone"
            subprocess.run(["cmake", "-S", str(REPO / "tests" / "wine"), "-B", str(alone), *common],
                           capture_output=True)
            subprocess.run(["cmake", "--build", str(alone), "-j2"], capture_output=True)
        return not self.missing()


class AppLog:
    """The JSON-lines log a test application writes."""

    def __init__(self, path):
        self.path = Path(path)

    def events(self):
        if not self.path.exists():
            return []
        out = []
        for line in self.path.read_text(encoding="utf-8", errors="replace").splitlines():
            try:
                out.append(json.loads(line))
            except json.JSONDecodeError:
                pass  # a line still being written
        return out

    def wait_for(self, predicate, timeout, after=0):
        """The first event past index `after` that satisfies `predicate`."""
        deadline = time.monotonic() + timeout
        while True:
            events = self.events()
            for event in events[after:]:
                if predicate(event):
                    return event
            if time.monotonic() > deadline:
                return None
            time.sleep(0.05)


class TestApp:
    """A running instance of the test application and what it logged at start."""

    def __init__(self, process, log):
        self.process = process
        self.log = log
        events = log.events()
        start = next(e for e in events if e["event"] == "start")
        self.hwnd = start["hwnd"]
        self.title = start["title"]
        self.rect = start["rect"]
        self.controls = [e for e in events if e["event"] == "control"]
        self.items = [e for e in events if e["event"] == "item"]
        self.caption = next(e for e in events if e["event"] == "caption")

    def control(self, control_id):
        return next(c for c in self.controls if c["id"] == control_id)


class Daemon:
    """uiad.exe run the way a client runs it: a child process, one JSON request
    per line on its input, one JSON line per request read back with a time-out."""

    def __init__(self, bed, stderr_path):
        expect((bed.drive_dir / "uiad.exe").exists(), f"uiad.exe is not built ({bed.binaries.uiad_exe})")
        self._stderr = open(stderr_path, "ab")
        self.process = bed.spawn([bed.wine, f"{WIN_DIR}\\uiad.exe"], stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE, stderr=self._stderr)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.broken = False

    def _read(self):
        for raw in self.process.stdout:
            self._lines.put(raw)
        self._lines.put(None)

    def raw_line(self, timeout=20):
        """The next output line as bytes (with its line feed); None at end of output."""
        try:
            return self._lines.get(timeout=timeout)
        except queue.Empty:
            self.broken = True
            raise Failure(f"no output line within {timeout} s") from None

    def line(self, timeout=20):
        raw = self.raw_line(timeout)
        if raw is None:
            self.broken = True
            raise Failure("the daemon ended its output")
        expect(raw.endswith(b"\n") and not raw.endswith(b"\r\n"),
               f"output line not ended by a single LF: {raw!r}")
        return raw.decode("utf-8")

    def send(self, text):
        try:
            self.process.stdin.write(text.encode("utf-8") + b"\n")
            self.process.stdin.flush()
        except (BrokenPipeError, OSError):
            self.broken = True
            raise Failure("the daemon's input is closed") from None

    def request(self, request, timeout=20):
        """Sends a request object (or a raw line) and parses the one answer."""
        self.send(request if isinstance(request, str) else json.dumps(request, ensure_ascii=False))
        text = self.line(timeout)
        try:
            return json.loads(text)
        except json.JSONDecodeError:
            self.broken = True
            raise Failure(f"answer is not JSON: {text!r}") from None

    def finish(self, timeout=15):
        """Closes the input and returns the exit status."""
        try:
            self.process.stdin.close()
        except OSError:
            pass
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise Failure(f"the daemon did not exit within {timeout} s of end of input") from None
        finally:
            self._stderr.close()


class Probe:
    """One long-running uia_dump.exe answering the suite's questions about the
    desktop: a Wine process start costs seconds on a busy machine."""

    def __init__(self, bed):
        self.process = bed.spawn([bed.wine, f"{WIN_DIR}\\uia_dump.exe", "serve"], stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.process.stdout:
            self._lines.put(raw)
        self._lines.put(None)

    def ask(self, *args, timeout=30):
        self.process.stdin.write("\t".join(map(str, args)).encode("utf-8") + b"\n")
        self.process.stdin.flush()
        answer = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                raw = self._lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise Failure(f"uia_dump gave no answer to {args} within {timeout} s") from None
            if raw is None:
                raise Failure(f"uia_dump ended while answering {args}")
            line = json.loads(raw)
            if "done" in line:
                return answer
            answer.append(line)


class WineBed:
    """Xvfb, a fresh prefix and every process started for one suite run."""

    def __init__(self, binaries, log):
        self.binaries = binaries
        self.log = log
        self.wine = wine_program("wine64")
        self.wineserver = wine_program("wineserver") or wine_program("wineserver64")
        self.work = Path(tempfile.mkdtemp(prefix="uiad-wine-"))
        self.prefix = self.work / "prefix"
        self.processes = []
        self.xvfb = None
        self.display = None
        self._probe = None
        self._xvfb_pipe = None

    @property
    def drive_dir(self):
        return self.prefix / "drive_c" / "uiad"

    def env(self):
        env = dict(os.environ)
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG="-all", DISPLAY=self.display or "",
                   # No Mono or Gecko installer dialogs in a fresh prefix.
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        return env

    def start(self):
        expect(self.wine is not None, "wine64 is not installed")
        self._start_xvfb()
        started = time.monotonic()
        boot = subprocess.run([self.wine, "wineboot", "-i"], env=self.env(), capture_output=True,
                              timeout=120)
        expect(boot.returncode == 0, f"wineboot failed: {boot.stderr[-500:]!r}")
        self.log(f"display {self.display}, prefix {self.prefix} ready in "
                 f"{time.monotonic() - started:.1f} s")
        self.drive_dir.mkdir(parents=True, exist_ok=True)
        for name in Binaries.NAMES:
            shutil.copy2(self.binaries.find(name), self.drive_dir / name)
        if self.binaries.uiad_exe.exists():
            shutil.copy2(self.binaries.uiad_exe, self.drive_dir / "uiad.exe")

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            # -noreset: the server must not reset (and refuse clients for a while)
            # each time its last client leaves.
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=open(self.work / "xvfb.log", "wb"))
        os.close(write_end)
        # Xvfb writes the number and the line feed separately and dies if the
        # second write fails, so read the whole line and keep the pipe open.
        self._xvfb_pipe = read_end
        text = b""
        deadline = time.monotonic() + 15
        while not text.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 32) if ready else b""
            if not chunk:
                break
            text += chunk
        number = text.decode().strip()
        expect(number.isdigit(), "Xvfb did not report a display")
        self.display = f":{number}"

    def spawn(self, args, **kwargs):
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(args, env=self.env(), **kwargs)
        self.processes.append(process)
        return process

    def run(self, program, *args, timeout=30):
        """Runs one of the suite's console programs to its end; returns its
        output lines parsed as JSON."""
        result = subprocess.run([self.wine, f"{WIN_DIR}\\{program}", *map(str, args)], env=self.env(),
                                capture_output=True, timeout=timeout)
        lines = []
        for line in result.stdout.decode("utf-8", errors="replace").splitlines():
            if line.strip():
                lines.append(json.loads(line))
        return lines

    def probe(self, *args, timeout=30):
        """Asks the long-running uia_dump (started on first use)."""
        if self._probe is None or self._probe.process.poll() is not None:
            self._probe = Probe(self)
        return self._probe.ask(*args, timeout=timeout)

    def register_standin(self):
        reg = self.work / "standin.reg"
        dll = f"{WIN_DIR}\\uia_standin.dll".replace("\\", "\\\\")
        reg.write_text("REGEDIT4\n\n"
                       f"[HKEY_CLASSES_ROOT\\CLSID\\{STANDIN_CLSID}]\n@=\"UI Automation stand-in\"\n\n"
                       f"[HKEY_CLASSES_ROOT\\CLSID\\{STANDIN_CLSID}\\InprocServer32]\n"
                       f"@=\"{dll}\"\n\"ThreadingModel\"=\"Both\"\n")
        result = subprocess.run([self.wine, "regedit", "/S", windows_path(reg)], env=self.env(),
                                capture_output=True, timeout=60)
        expect(result.returncode == 0, "regedit failed")
        # A probe started before this has no automation object.
        if self._probe is not None:
            self.stop(self._probe.process)
            self._probe = None

    def top_level_windows(self):
        return self.probe("windows")

    @staticmethod
    def wait_until(condition, timeout):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                return False
            time.sleep(0.2)
        return True

    def wait_for_window(self, predicate, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window in self.top_level_windows():
                if predicate(window):
                    return window
            time.sleep(0.2)
        return None

    def start_test_app(self, name, title=None):
        log = AppLog(self.work / f"{name}.log")
        args = [self.wine, f"{WIN_DIR}\\uiad_test_app.exe", windows_path(log.path)]
        if title:
            args += ["--title", title]
        process = self.spawn(args)
        expect(log.wait_for(lambda e: e["event"] == "ready", 30) is not None,
               f"test application {name} did not start")
        return TestApp(process, log)

    def start_notepad(self, file_name, text):
        (self.drive_dir / file_name).write_text(text, encoding="utf-8")
        process = self.spawn([self.wine, "notepad", f"{WIN_DIR}\\{file_name}"])
        # The title names the file only once notepad has loaded it.
        window = self.wait_for_window(
            lambda w: w["class"].lower() == "notepad" and file_name in w["title"], timeout=30)
        expect(window is not None,
               f"notepad's window did not appear; windows: {self.top_level_windows()}")
        return process, window

    def stop(self, process, timeout=5):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def cleanup(self):
        for process in self.processes:
            try:
                self.stop(process)
            except OSError:
                pass
        if self.wineserver and self.prefix.exists():
            subprocess.run([self.wineserver, "-k"], env=self.env(), capture_output=True, timeout=30)
            subprocess.run([self.wineserver, "-w"], env=self.env(), capture_output=True, timeout=30)
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.send_signal(signal.SIGTERM)
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        if self._xvfb_pipe is not None:
            os.close(self._xvfb_pipe)
        shutil.rmtree(self.work, ignore_errors=True)
