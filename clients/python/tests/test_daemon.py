"""The daemon process as the client sees it: start-up failures, error answers, the watchdog that
replaces a hung or dead daemon, and shutting down."""

import os
import shutil
import time

import pytest

from uiad import (
    Daemon,
    DaemonClosed,
    DaemonExited,
    DaemonHung,
    DaemonStartError,
    UiadError,
)
from uiad.process import creation_flags
from uiad.pytest_plugin import sim_executable


FORM = {
    "windows": [
        {"hwnd": 100, "title": "Form", "rect": [0, 0, 400, 300], "element": {"children": [
            {"type": "edit", "name": "Name", "automation_id": "name", "rect": [10, 10, 200, 40],
             "patterns": {"value": {"value": ""}}}]}}
    ]
}

SLUGGISH = {
    "windows": [
        {"hwnd": 8, "title": "Sluggish", "rect": [0, 0, 400, 300], "element": {"children": [
            {"type": "checkbox", "name": "Slow", "rect": [10, 10, 110, 30], "patterns": {"toggle": {}},
             "faults": [{"call": "Toggle", "delay_ms": 300}]},
            {"type": "checkbox", "name": "Stuck", "rect": [10, 40, 110, 60], "patterns": {"toggle": {}},
             "faults": [{"call": "get_CurrentProcessId", "hangs": True}]}]}}
    ]
}


@pytest.fixture
def sim(pytestconfig):
    return sim_executable(pytestconfig)


def _alive_child(pid):
    """Whether the child still exists; a reaped child's pid no longer does."""
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    return True


class TestStartup:
    def test_on_windows_the_daemon_is_started_without_a_console_window(self):
        # CREATE_NO_WINDOW there; POSIX refuses any flag.
        assert creation_flags("win32") == 0x08000000
        assert creation_flags("linux") == 0

    def test_a_missing_executable_names_it(self, tmp_path):
        missing = tmp_path / "no-such-daemon"
        with pytest.raises(DaemonStartError, match=f"^cannot start {missing}: .*No such file"):
            Daemon(missing)

    def test_an_early_exit_carries_status_and_standard_error(self, sim, tmp_path):
        scene = tmp_path / "bad.json"
        scene.write_text('{"windows": [{"hwnd": 1, "titel": "x"}]}')
        with pytest.raises(DaemonStartError) as caught:
            Daemon(sim, scene=scene)
        message = str(caught.value)
        assert message.startswith(f"{sim} exited (status 2) before it was ready: uiad-sim: ")
        assert "unknown key 'titel'" in message

    def test_the_com_init_line_becomes_the_message(self, sim, tmp_path):
        scene = tmp_path / "no-automation.json"
        scene.write_text('{"faults": [{"call": "CoCreateInstance", "hr": "0x80040154"}]}')
        with pytest.raises(DaemonStartError) as caught:
            Daemon(sim, scene=scene)
        assert str(caught.value) == (
            f"{sim} could not start: COM init: Class not registered (0x80040154)"
        )

    def test_no_ready_line_in_time_kills_the_child(self, fake):
        started = time.monotonic()
        with pytest.raises(DaemonStartError, match=r"wrote no ready line within 0\.5 s; it was killed"):
            fake("--no-ready", startup_timeout=0.5)
        assert time.monotonic() - started < 5

    def test_a_wrong_first_line_is_refused(self, fake):
        with pytest.raises(DaemonStartError, match=r"wrote b'hello\\n' instead of its ready line"):
            fake("--ready-line", "hello")


class TestAnswers:
    def test_error_answers_raise_with_the_message_unchanged(self, fake):
        daemon = fake()
        message = "click: element 'a' is stale \u2014 the UI changed since the last scan; re-scan and retry"
        with pytest.raises(UiadError) as caught:
            daemon.request("click", reply={"error": message, "ok": False})
        assert str(caught.value) == message
        assert caught.value.command == "click"
        assert caught.value.response == {"error": message, "ok": False}
        assert daemon.ping() == {"ok": True, "pong": True}

    def test_ok_false_without_error_is_a_result(self, fake):
        empty = {"count": 0, "foregrounded": False, "id": "a", "items": [], "menu_class": "", "ok": False}
        assert fake().request("context_menu", reply=empty) == empty

    def test_values_json_cannot_carry_are_refused_before_sending(self, fake):
        daemon = fake()
        with pytest.raises(ValueError):
            daemon.set_value("app", "id", float("nan"))  # type: ignore[arg-type]
        with pytest.raises(TypeError):
            daemon.request("scan", app=object())
        assert daemon.restarts == 0 and daemon.ping()["pong"]

    def test_text_round_trips_and_a_lone_surrogate_costs_one_request(self, uiad_sim):
        daemon = uiad_sim(FORM)
        daemon.scan("form")
        text = 'say "hi"\\\t\u2014 \U0001f600 caf\u00e9'
        assert daemon.set_value("form", "auto:name", text)["method"] == "uia-live"
        assert daemon.scan("form")["elements"]["auto:name"]["value"] == text
        with pytest.raises(UiadError, match="^JSON parse: "):
            daemon.set_value("form", "auto:name", "\ud800")
        assert daemon.restarts == 0
        assert daemon.probe("form", "auto:name") == {"ok": True, "valid": True}


class TestWatchdog:
    def test_a_hung_request_is_abandoned_and_the_next_runs_on_a_fresh_daemon(self, fake):
        daemon = fake("--hang", "scan")
        old_pid = daemon.pid
        started = time.monotonic()
        with pytest.raises(DaemonHung) as caught:
            daemon.scan("notepad", deadline=0.5)
        assert time.monotonic() - started < 5
        assert str(caught.value) == (
            "scan: no answer within the deadline of 0.5 s; the daemon was killed and a fresh "
            "daemon was started; every session was lost: scan again before using element ids "
            "from earlier scans"
        )
        assert (caught.value.command, caught.value.deadline, caught.value.restarted) == ("scan", 0.5, True)
        assert daemon.restarts == 1 and daemon.pid != old_pid and not _alive_child(old_pid)
        assert daemon.ping() == {"ok": True, "pong": True}

    @pytest.mark.parametrize(
        "command, call, deadline",
        [
            ("ping", lambda d: d.ping(), 0.1),
            ("ping", lambda d: d.ping(deadline=0.3), 0.3),
            ("wait_for_change", lambda d: d.wait_for_change(timeout_ms=10), 0.1 + 0.15),
            ("wait_for_change", lambda d: d.wait_for_change(timeout_ms=60000), 0.1 + 2.0),
            ("hover", lambda d: d.hover("a", "b", dwell_ms=200), 0.1 + 0.2),
            ("dismiss_dialogs", lambda d: d.dismiss_dialogs(titles=["x"], passes=1), 0.1 + 1.0),
        ],
    )
    def test_deadlines_allow_for_the_waits_a_request_asks_for(self, fake, command, call, deadline):
        daemon = fake("--hang", command, default_deadline=0.1)
        with pytest.raises(DaemonHung) as caught:
            call(daemon)
        assert caught.value.deadline == pytest.approx(deadline)

    def test_a_slow_application_is_waited_for_and_a_hung_one_costs_one_request(self, uiad_sim):
        daemon = uiad_sim(SLUGGISH)
        daemon.scan("sluggish")
        started = time.monotonic()
        assert daemon.click("sluggish", "name:checkbox:Slow", deadline=5)["method"] == "uia-live"
        assert 0.3 <= time.monotonic() - started < 5
        with pytest.raises(DaemonHung, match=r"^click: no answer within the deadline of 1 s; "):
            daemon.click("sluggish", "name:checkbox:Stuck", deadline=1)
        assert daemon.probe("sluggish", "name:checkbox:Slow")["reason"] == "no_session"
        assert daemon.scan("sluggish")["element_count"] == 3
        assert daemon.restarts == 1

    def test_a_daemon_that_dies_is_replaced_and_says_why(self, fake):
        daemon = fake("--die", "click")
        with pytest.raises(DaemonExited) as caught:
            daemon.click("notepad", "auto:1")
        assert str(caught.value).startswith(
            "click: the daemon exited (status 3) without answering (fake daemon: crashed in click); "
            "a fresh daemon was started; every session was lost"
        )
        assert daemon.ping()["pong"]

    def test_a_line_that_is_not_json_is_a_lost_daemon(self, fake):
        daemon = fake("--garbage", "attrs")
        with pytest.raises(DaemonExited, match=r"^attrs: the daemon answered b'Segmentation fault\\n'"):
            daemon.attrs("notepad", "auto:1")
        assert daemon.restarts == 1 and daemon.ping()["pong"]

    def test_a_failed_restart_is_retried_by_the_next_request(self, fake, tmp_path):
        script = tmp_path / "daemon.py"
        shutil.copy(os.path.join(os.path.dirname(__file__), "fake_daemon.py"), script)
        daemon = fake("--hang", "scan", script=script)
        script.unlink()
        with pytest.raises(DaemonHung) as caught:
            daemon.scan(deadline=0.3)
        assert not caught.value.restarted
        assert "a fresh daemon could not be started" in str(caught.value)
        assert daemon.pid is None
        with pytest.raises(DaemonStartError, match="exited .* before it was ready"):
            daemon.ping()
        shutil.copy(os.path.join(os.path.dirname(__file__), "fake_daemon.py"), script)
        assert daemon.ping()["pong"]


class TestShutdown:
    def test_close_shuts_down_and_reaps_and_later_requests_are_refused(self, sim):
        with Daemon(sim) as daemon:
            pid = daemon.pid
            assert daemon.ping()["pong"]
        # 0 also means the sanitizers found no leak when the daemon is an instrumented build
        assert daemon.returncode == 0
        assert not _alive_child(pid)
        daemon.close()
        with pytest.raises(DaemonClosed, match="^ping: the daemon was shut down$"):
            daemon.ping()

    def test_a_daemon_that_ignores_shutdown_is_killed(self, fake):
        daemon = fake("--hang", "shutdown")
        started = time.monotonic()
        daemon.close(timeout=0.5)
        assert daemon.returncode is not None and daemon.returncode != 0
        assert time.monotonic() - started < 5
