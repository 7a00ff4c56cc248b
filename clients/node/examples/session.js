// An agent's session over the demo desktop, as an MCP client sees it: each tool call with its
// arguments (">") and the text of the result ("<"). Run it with `node examples/session.js`
// after `npm ci`, with uiad-sim built in this source tree (or named by UIAD_DAEMON).

import { fileURLToPath } from 'node:url';
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';

const server = fileURLToPath(new URL('../bin/uiad-mcp.js', import.meta.url));
const client = new Client({ name: 'example session', version: '1.0.0' });
await client.connect(
  new StdioClientTransport({ command: process.execPath, args: [server, ...process.argv.slice(2)], stderr: 'inherit' }),
);

const { tools } = await client.listTools();
console.log(`tools: ${tools.map((tool) => tool.name).join(', ')}`);

/** @type {[string, Record<string, unknown>][]} */
const calls = [
  ['list_apps', {}],
  ['scan', { app: 'preferences' }],
  ['click', { app: 'preferences', id: 'auto:chkStatusBar' }],
  ['key', { app: 'preferences', id: 'auto:txtAutosave', key: '5' }],
  ['scan', { app: 'preferences' }],
  ['scan', { app: 'text editor', max_elements: 4 }],
  ['menus', { app: 'text editor' }],
  ['invoke_menu', { app: 'text editor', path: 'Edit > Redo' }],
  ['screenshot', { app: 'preferences' }],
  ['dismiss_dialogs', { titles: ['preferences'], prefer: ['OK'] }],
  ['windows', {}],
];
for (const [name, args] of calls) {
  console.log(`> ${name} ${JSON.stringify(args)}`);
  const result = await client.callTool({ name, arguments: args });
  for (const item of /** @type {any[]} */ (result.content)) {
    const text = item.type === 'text' ? item.text : `[${item.mimeType} image, ${Buffer.from(item.data, 'base64').length} bytes]`;
    console.log(`< ${result.isError ? '(error) ' : ''}${text}`);
  }
}
await client.close();
