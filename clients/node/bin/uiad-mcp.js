#!/usr/bin/env node
// Serves the daemon's tools to an agent over the Model Context Protocol on standard input and
// output. On Windows it drives the real desktop; elsewhere the simulated one, with the bundled
// demo desktop or a scene file.

import { readFileSync } from 'node:fs';
import { parseArgs } from 'node:util';
import { StdioServerTransport } from '@modelcontextprotocol/sdk/server/stdio.js';

import { Daemon } from '../src/daemon.js';
import { DEFAULT_DEADLINE_MS } from '../src/connection.js';
import { locateDaemon } from '../src/locate.js';
import { DEFAULT_MAX_ELEMENTS, createServer } from '../src/server.js';

const USAGE = `usage: uiad-mcp [SCENE] [--daemon PATH] [--deadline SECONDS] [--max-elements N]

Serves the desktop-automation tools over the Model Context Protocol (stdio).
  SCENE             scene file of the simulated desktop (not on Windows);
                    default: the bundled demo desktop
  --daemon PATH     the daemon to start (default: $UIAD_DAEMON, the bundled one,
                    a build in this source tree, or PATH)
  --deadline S      seconds a request may take before the daemon counts as hung
                    and is replaced (default ${DEFAULT_DEADLINE_MS / 1000}, plus what the request waits)
  --max-elements N  element limit of a scan that names none (default ${DEFAULT_MAX_ELEMENTS})`;

/** @param {string} message @returns {never} */
function fail(message) {
  process.stderr.write(`uiad-mcp: ${message}\n`);
  process.exit(2);
}

/** @param {string | undefined} text @param {string} option */
function positive(text, option) {
  const value = Number(text);
  if (text === undefined || !(value > 0) || !Number.isFinite(value)) fail(`${option} needs a positive number`);
  return value;
}

/** The command line, or an exit with the usage on a mistake. */
function readCommandLine() {
  try {
    return parseArgs({
      allowPositionals: true,
      options: {
        daemon: { type: 'string' },
        deadline: { type: 'string' },
        'max-elements': { type: 'string' },
        help: { type: 'boolean', short: 'h' },
        version: { type: 'boolean' },
      },
    });
  } catch (error) {
    return fail(`${error instanceof Error ? error.message : error}\n${USAGE}`);
  }
}

const version = JSON.parse(readFileSync(new URL('../package.json', import.meta.url), 'utf8')).version;
const { values, positionals } = readCommandLine();
if (values.help) {
  process.stdout.write(`${USAGE}\n`);
  process.exit(0);
}
if (values.version) {
  process.stdout.write(`${version}\n`);
  process.exit(0);
}
if (positionals.length > 1) fail(`more than one scene given\n${USAGE}`);
if (positionals.length === 1 && process.platform === 'win32') {
  fail('a scene is for the simulated desktop; on Windows the real desktop is served');
}
const deadlineMs = values.deadline === undefined ? undefined : positive(values.deadline, '--deadline') * 1000;
const maxElements =
  values['max-elements'] === undefined ? undefined : Math.floor(positive(values['max-elements'], '--max-elements'));

const executable =
  values.daemon ??
  locateDaemon() ??
  fail(
    process.platform === 'win32'
      ? 'uiad.exe not found: pass --daemon PATH or set UIAD_DAEMON'
      : 'uiad-sim not found: build it with "bash scripts/demo.sh" in the source tree, or pass --daemon PATH',
  );

const daemon = await Daemon.launch({ executable, args: positionals, defaultDeadlineMs: deadlineMs }).catch(
  (error) => fail(error instanceof Error ? error.message : String(error)),
);
const { server, close } = createServer({ daemon, version, maxElements });
let closing = false;
async function shutdown() {
  if (closing) return;
  closing = true;
  await daemon.close();
  await close();
  process.exit(0);
}
server.server.onclose = shutdown;
process.stdin.on('end', shutdown);
process.on('SIGINT', shutdown);
process.on('SIGTERM', shutdown);
await server.connect(new StdioServerTransport());
