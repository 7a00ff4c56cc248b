#!/usr/bin/env python3
"""Times cached scans through uiad-sim end to end, from writing the request
line to having read the whole response line, for the 10,000- and the
100,000-element table scenes in one run.

For every sample a fresh daemon loads the scene, then gets two scans: the
first builds the application's session, the second (after a pause, so the
daemon has finished freeing the first response) replaces it, as a client's
rescan does.

Usage: bench/scan_end_to_end.py [BUILD_DIR] [SAMPLES]   (default build-release, 5)
Build without sanitizers in Release first.
"""
import json
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SCENES = [("10k", "scan_tables_10k.json"), ("100k", "scan_tables_100k.json")]
REQUEST = b'{"cmd":"scan","app":"Ledger"}\n'
PAUSE_S = 2.0


def timed_scan(daemon):
    start = time.perf_counter()
    daemon.stdin.write(REQUEST)
    daemon.stdin.flush()
    line = daemon.stdout.readline()
    elapsed = time.perf_counter() - start
    return elapsed, line


def sample(binary, scene):
    daemon = subprocess.Popen([binary, scene], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    try:
        ready = daemon.stdout.readline()
        assert ready == b'{"event":"ready","ok":true}\n', ready
        time.sleep(PAUSE_S / 4)
        first, line = timed_scan(daemon)
        time.sleep(PAUSE_S)
        second, line = timed_scan(daemon)
        response = json.loads(line)
        assert response["ok"], response
        return first, second, response["element_count"], len(line)
    finally:
        daemon.stdin.close()
        daemon.wait()


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-release"
    samples = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    binary = os.path.join(build, "src", "bin", "uiad-sim")
    if not os.access(binary, os.X_OK):
        sys.exit(f"missing {binary}: build {build} first")
    medians = {}
    for label, scene in SCENES:
        firsts, seconds = [], []
        for _ in range(samples):
            first, second, count, size = sample(binary, os.path.join(HERE, scene))
            firsts.append(first)
            seconds.append(second)
        medians[label] = (statistics.median(firsts), statistics.median(seconds))
        print(f"{label:>5}: {count} elements, response {size / 1e6:.1f} MB; "
              f"first scan median {medians[label][0] * 1000:.0f} ms (min {min(firsts) * 1000:.0f}), "
              f"rescan median {medians[label][1] * 1000:.0f} ms (min {min(seconds) * 1000:.0f}) "
              f"over {samples} samples")
    for i, name in enumerate(("first scan", "rescan")):
        print(f"ratio 100k/10k, {name}: {medians['100k'][i] / medians['10k'][i]:.2f}")


if __name__ == "__main__":
    main()
