// The package as a user gets it: `npm pack` bundles the daemons built in this tree, and an MCP
// client configuration that runs `npx uiad-mcp` gets a working server from the installed package.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';

import { scratch, textOf } from './helpers.js';

const packageRoot = fileURLToPath(new URL('..', import.meta.url));
const build = join(packageRoot, '..', '..', 'build');
const windowsDaemon = existsSync(join(build, 'win', 'src', 'bin', 'uiad.exe'));
const linuxDaemon = ['release', 'release-tests'].some((dir) => existsSync(join(build, dir, 'src', 'bin', 'uiad-sim')));

/** @param {string[]} args @param {string} cwd */
const npm = (args, cwd) => execFileSync('npm', args, { cwd, encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });

test(
  'the packed package carries its daemons and serves the demo desktop through npx',
  { skip: !linuxDaemon && 'no optimised uiad-sim has been built', timeout: 180_000 },
  async () => {
    const folder = scratch();
    const [packed] = JSON.parse(npm(['pack', '--json', '--pack-destination', folder], packageRoot));
    const files = packed.files.map((/** @type {{path: string}} */ file) => file.path);
    assert.ok(files.includes('bin/uiad-mcp.js'));
    assert.ok(files.includes('vendor/linux-x64/uiad-sim'));
    assert.equal(files.includes('vendor/win32-x64/uiad.exe'), windowsDaemon);
    assert.ok(!files.some((/** @type {string} */ file) => file.startsWith('tests/')));

    const project = join(folder, 'project');
    execFileSync('mkdir', [project]);
    writeFileSync(join(project, 'package.json'), '{"private": true}');
    npm(['install', '--no-audit', '--no-fund', '--prefer-offline', join(folder, packed.filename)], project);

    const env = { ...process.env };
    delete env.UIAD_DAEMON; // the bundled daemon must be found on its own
    const transport = new StdioClientTransport({
      command: 'npx',
      args: ['--no-install', 'uiad-mcp'],
      cwd: project,
      env: /** @type {Record<string, string>} */ (env),
      stderr: 'inherit',
    });
    const client = new Client({ name: 'package test', version: '1.0.0' });
    await client.connect(transport);
    try {
      assert.equal((await client.listTools()).tools.length, 18);
      const scan = await client.callTool({ name: 'scan', arguments: {} });
      assert.match(textOf(scan), /^Window "Preferences": 14 elements\. Act on them with app "preferences" and the e="\.\.\." ids below\.\n/);
    } finally {
      await client.close();
    }
  },
);
