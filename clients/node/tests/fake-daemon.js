// A stand-in daemon whose failures are chosen on the command line, for the client's own tests.
// Answers every request with {"ok":true,"request":<the request>}, "ping" and "shutdown" as the
// daemon does, and fails as told: --exit-early, or on a given command --hang CMD, --die CMD,
// --garbage CMD.

import { createInterface } from 'node:readline';

const args = process.argv.slice(2);
/** @param {string} flag */
const option = (flag) => (args.includes(flag) ? args[args.indexOf(flag) + 1] : undefined);

if (args.includes('--exit-early')) {
  process.stderr.write('fake daemon: cannot open the desktop\n');
  process.exit(4);
}
process.stdout.write('{"event":"ready","ok":true}\n');
for await (const line of createInterface({ input: process.stdin })) {
  if (!line.trim()) continue;
  const request = JSON.parse(line);
  const cmd = request.cmd;
  if (cmd === option('--hang')) await new Promise(() => setInterval(() => {}, 1000));
  if (cmd === option('--die')) {
    process.stderr.write(`fake daemon: crashed in ${cmd}\n`);
    process.exit(3);
  }
  if (cmd === option('--garbage')) process.stdout.write('Segmentation fault\n');
  else if (cmd === 'ping') process.stdout.write('{"ok":true,"pong":true}\n');
  else if (cmd === 'shutdown') {
    process.stdout.write('{"event":"shutting_down","ok":true}\n');
    break;
  } else process.stdout.write(`${JSON.stringify({ ok: true, request })}\n`);
}
