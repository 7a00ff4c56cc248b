// What the tests share: the daemon under test, scene files, and an MCP client of the server.

import { mkdtempSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';

import { locateDaemon } from '../src/locate.js';

export const SERVER = fileURLToPath(new URL('../bin/uiad-mcp.js', import.meta.url));
export const FAKE_DAEMON = fileURLToPath(new URL('./fake-daemon.js', import.meta.url));

/** The simulated daemon: $UIAD_DAEMON, or a build of this source tree. */
export function simExecutable() {
  const found = locateDaemon();
  if (!found) throw new Error('no uiad-sim: build it or set UIAD_DAEMON');
  return found;
}

/** A fresh temporary folder. */
export function scratch() {
  return mkdtempSync(join(tmpdir(), 'uiad-node-test-'));
}

/**
 * Writes a scene of the simulated desktop and returns its path.
 * @param {object} scene
 */
export function sceneFile(scene) {
  const file = join(scratch(), 'scene.json');
  writeFileSync(file, JSON.stringify(scene));
  return file;
}

/**
 * A dialog with a check box whose application stops answering (its staleness
 * test never returns), beside one that works.
 */
export const STUCK = {
  windows: [
    {
      hwnd: 8, title: 'Sluggish', rect: [0, 0, 400, 300],
      element: {
        children: [
          { type: 'checkbox', name: 'Stuck', rect: [10, 40, 110, 60], patterns: { toggle: {} },
            faults: [{ call: 'get_CurrentProcessId', hangs: true }] },
          { type: 'checkbox', name: 'Fine', rect: [10, 70, 110, 90], patterns: { toggle: {} } },
        ],
      },
    },
  ],
};

/**
 * Starts the MCP server over stdio and connects the SDK's own client to it.
 * @param {string[]} args the server's command line
 */
export async function connectServer(args = []) {
  const transport = new StdioClientTransport({
    command: process.execPath,
    args: [SERVER, '--daemon', simExecutable(), ...args],
    env: /** @type {Record<string, string>} */ (process.env),
    stderr: 'inherit',
  });
  const client = new Client({ name: 'uiad-mcp tests', version: '1.0.0' });
  await client.connect(transport);
  return client;
}

/**
 * The text of a tool result's content.
 * @param {any} result
 */
export function textOf(result) {
  return result.content.filter((/** @type {any} */ item) => item.type === 'text').map((/** @type {any} */ item) => item.text).join('\n');
}

/**
 * The ids of running processes whose command line mentions `text` (Linux only).
 * @param {string} text
 */
export function processesMentioning(text) {
  return readdirSync('/proc').filter((pid) => {
    try {
      return /^\d+$/.test(pid) && readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes(text);
    } catch {
      return false; // it ended meanwhile
    }
  });
}
