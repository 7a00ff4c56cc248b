// Round trips through the MCP server and through the client alone, against uiad-sim on the demo
// desktop: `UIAD_DAEMON=path/to/uiad-sim node bench/roundtrip.js`. Prints the median of 300
// calls per tool, in milliseconds.

import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';
import { Daemon } from '../src/daemon.js';
const sim = process.env.UIAD_DAEMON ?? 'uiad-sim';
let t = performance.now();
const client = new Client({ name: 'bench', version: '1' });
await client.connect(new StdioClientTransport({ command: process.execPath, args: [new URL('../bin/uiad-mcp.js', import.meta.url).pathname, '--daemon', sim] }));
await client.listTools();
console.log('server start + initialize + tools/list ms', (performance.now() - t).toFixed(1));
const median = (/** @type {number[]} */ xs) => xs.sort((a, b) => a - b)[xs.length >> 1];
for (const [name, args] of /** @type {[string, Record<string, unknown>][]} */ ([['foreground', {}], ['scan', { app: 'file browser' }], ['click', { app: 'file browser', id: 'name:tab:View' }], ['screenshot', { app: 'preferences' }]])) {
  const times = [];
  for (let i = 0; i < 300; i++) { t = performance.now(); await client.callTool({ name, arguments: args }); times.push(performance.now() - t); }
  console.log('mcp', name, 'median ms', median(times).toFixed(3));
}
await client.close();
const d = await Daemon.launch({ executable: sim });
for (const [name, f] of /** @type {[string, () => Promise<unknown>][]} */ ([['foreground', () => d.foreground()], ['scan', () => d.scan('file browser')]])) {
  const times = [];
  for (let i = 0; i < 300; i++) { t = performance.now(); await f(); times.push(performance.now() - t); }
  console.log('client', name, 'median ms', median(times).toFixed(3));
}
await d.close();
