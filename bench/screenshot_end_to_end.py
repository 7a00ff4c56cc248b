#!/usr/bin/env python3
"""Times a 3840x2160 screenshot through uiad-sim end to end (from writing the
request line to having read the response, the file written and closed)
against writing the same number of bytes to a new file with a plain write
loop (1 MiB os.write calls, then close), alternating the two in one run so
that both see the same disk and cache state.

Usage: bench/screenshot_end_to_end.py [BUILD_DIR] [SAMPLES]   (default build/release, 9)
Build without sanitizers in Release first.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

WIDTH, HEIGHT = 3840, 2160
SIZE = 54 + WIDTH * HEIGHT * 4
CHUNK = 1 << 20

# A full-screen editor: frame, title, menu bar, a document with some lines and
# a status bar, so the capture draws text as well as fills.
SCENE = {
    "monitors": [{"rect": [0, 0, WIDTH, HEIGHT]}],
    "windows": [{
        "hwnd": 1, "title": "big.txt - Editor", "rect": [0, 0, WIDTH, HEIGHT],
        "client": [8, 31, WIDTH - 8, HEIGHT - 8],
        "element": {"children": [
            {"type": "titlebar", "name": "big.txt - Editor", "rect": [8, 3, WIDTH - 8, 31]},
            {"type": "menubar", "rect": [8, 31, WIDTH - 8, 51], "children": [
                {"type": "menuitem", "name": "&File", "rect": [8, 31, 48, 51]},
                {"type": "menuitem", "name": "&Edit", "rect": [48, 31, 88, 51]}]},
            {"type": "document", "rect": [8, 51, WIDTH - 8, HEIGHT - 30],
             "patterns": {"value": {"value": "\n".join(f"line {i} of the document" for i in range(120))}}},
            {"type": "statusbar", "rect": [8, HEIGHT - 30, WIDTH - 8, HEIGHT - 8], "children": [
                {"type": "text", "name": "Ln 1, Col 1", "rect": [WIDTH - 300, HEIGHT - 28, WIDTH - 100, HEIGHT - 10]}]}]}}],
}


def screenshot(daemon, path):
    request = json.dumps({"cmd": "screenshot", "app": "editor", "path": path}).encode() + b"\n"
    start = time.perf_counter()
    daemon.stdin.write(request)
    daemon.stdin.flush()
    line = daemon.stdout.readline()
    elapsed = time.perf_counter() - start
    assert json.loads(line)["ok"], line
    return elapsed


def plain_write(path, payload):
    start = time.perf_counter()
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    view = memoryview(payload)
    for offset in range(0, len(view), CHUNK):
        os.write(fd, view[offset:offset + CHUNK])
    os.close(fd)
    return time.perf_counter() - start


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join("build", "release")
    samples = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    binary = os.path.join(build, "src", "bin", "uiad-sim")
    if not os.access(binary, os.X_OK):
        sys.exit(f"missing {binary}: build {build} first")
    with tempfile.TemporaryDirectory() as work:
        scene = os.path.join(work, "scene.json")
        with open(scene, "w") as f:
            json.dump(SCENE, f)
        shot, plain = os.path.join(work, "shot.bmp"), os.path.join(work, "plain.bmp")
        payload = os.urandom(SIZE)
        daemon = subprocess.Popen([binary, scene], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            assert daemon.stdout.readline() == b'{"event":"ready","ok":true}\n'
            screenshot(daemon, shot)  # warm-up: first touch of the allocator and the file
            plain_write(plain, payload)
            shots, writes = [], []
            for _ in range(samples):
                shots.append(screenshot(daemon, shot))
                writes.append(plain_write(plain, payload))
            assert os.path.getsize(shot) == SIZE
        finally:
            daemon.stdin.close()
            daemon.wait()
    mib = SIZE / (1 << 20)
    s, w = statistics.median(shots), statistics.median(writes)
    print(f"file: {SIZE} bytes ({mib:.1f} MiB), {samples} samples each, medians")
    print(f"screenshot over uiad-sim: {s * 1000:7.1f} ms  {mib / s:7.0f} MiB/s")
    print(f"plain write loop:         {w * 1000:7.1f} ms  {mib / w:7.0f} MiB/s")
    print(f"screenshot rate / plain write rate: {w / s:.2f}")


if __name__ == "__main__":
    main()
