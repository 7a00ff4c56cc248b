"""A stand-in daemon whose failures are chosen on the command line, for the client's own tests.

Answers every request with {"ok": true, "request": <the request>}, or with the object of its
"reply" key when it has one; "ping" and "shutdown" as the daemon does; and fails as told: --no-ready, --ready-line TEXT, --exit-early STATUS, and on a
given command --hang CMD, --die CMD, --garbage CMD.
"""

import argparse
import json
import sys
import time

parser = argparse.ArgumentParser()
parser.add_argument("--no-ready", action="store_true")
parser.add_argument("--ready-line")
parser.add_argument("--exit-early", type=int)
parser.add_argument("--hang")
parser.add_argument("--die")
parser.add_argument("--garbage")
options = parser.parse_args()


def write(line: str) -> None:
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


if options.exit_early is not None:
    sys.stderr.write("fake daemon: cannot open the desktop\n")
    sys.exit(options.exit_early)
if options.no_ready:
    time.sleep(3600)
if options.ready_line is not None:
    write(options.ready_line)
    sys.exit(0)
write('{"event":"ready","ok":true}')
for raw in sys.stdin:
    if not raw.strip():
        continue
    request = json.loads(raw)
    cmd = request.get("cmd")
    if cmd == options.hang:
        time.sleep(3600)
    if cmd == options.die:
        sys.stderr.write(f"fake daemon: crashed in {cmd}\n")
        sys.stderr.flush()
        sys.exit(3)
    if cmd == options.garbage:
        write("Segmentation fault")
        continue
    if "reply" in request:
        write(json.dumps(request["reply"], separators=(",", ":")))
    elif cmd == "ping":
        write('{"ok":true,"pong":true}')
    elif cmd == "shutdown":
        write('{"event":"shutting_down","ok":true}')
        break
    else:
        write(json.dumps({"ok": True, "request": request}, separators=(",", ":")))
