// The MCP server as an agent meets it: the SDK's own client over stdio, the simulated desktop
// behind it.

import assert from 'node:assert/strict';
import { existsSync, readdirSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { PNG } from 'pngjs';

import { STUCK, connectServer, processesMentioning, sceneFile, scratch, textOf } from './helpers.js';

const TOOLS = [
  'attrs', 'click', 'context_menu', 'dismiss_dialogs', 'foreground', 'hover', 'invoke_menu',
  'key', 'list_apps', 'menus', 'mouse_click', 'perform', 'screenshot', 'scroll', 'set_value',
  'wait_for_change', 'windows',
].concat('scan').sort();
const ONLY_LOOK = ['attrs', 'foreground', 'list_apps', 'menus', 'scan', 'wait_for_change', 'windows'];
const MAY_CHANGE_DATA = [
  'click', 'dismiss_dialogs', 'invoke_menu', 'key', 'mouse_click', 'perform', 'screenshot', 'set_value',
];

describe('the demo desktop through the MCP server', () => {
  /** @type {import('@modelcontextprotocol/sdk/client/index.js').Client} */
  let client;
  before(async () => {
    client = await connectServer();
  });
  after(() => client.close());

  /** @param {string} name @param {Record<string, unknown>} args */
  const call = (name, args = {}) => client.callTool({ name, arguments: args });

  test('lists one tool per command an agent acts with, each key described and hinted', async () => {
    const { tools } = await client.listTools();
    assert.deepEqual(tools.map((tool) => tool.name).sort(), TOOLS);
    for (const tool of tools) {
      const properties = tool.inputSchema.properties ?? {};
      for (const [key, schema] of Object.entries(properties)) {
        assert.ok(/** @type {any} */ (schema).description, `${tool.name}.${key} has a description`);
      }
      assert.equal(tool.annotations?.readOnlyHint, ONLY_LOOK.includes(tool.name), `${tool.name} read-only`);
      assert.equal(tool.annotations?.destructiveHint === true, MAY_CHANGE_DATA.includes(tool.name), `${tool.name} destructive`);
      assert.equal(tool.annotations?.openWorldHint, false);
    }
    const byName = Object.fromEntries(tools.map((tool) => [tool.name, tool.inputSchema]));
    assert.deepEqual(byName.click.required, ['app', 'id']);
    assert.deepEqual(byName.set_value.required, ['app', 'id', 'text']);
    assert.deepEqual(byName.key.required, ['app', 'key']);
    assert.deepEqual(byName.dismiss_dialogs.required, ['titles']);
    assert.equal(byName.scan.properties?.max_elements?.type, 'integer');
    assert.deepEqual(/** @type {any} */ (byName.mouse_click.properties?.button).enum, ['left', 'right']);
  });

  // Each step: a call, then the exact text it answers (or a pattern), and whether it is an error.
  const exchange = [
    [
      'windows',
      {},
      '{"windows":[{"id":"198030","pos":[420,260],"size":[400,300],"title":"Preferences"},' +
        '{"id":"132004","pos":[200,120],"size":[800,600],"title":"notes.txt - Text Editor"},' +
        '{"id":"720400","pos":[860,96],"size":[300,204],"title":"Chat - Bob"},' +
        '{"id":"263512","pos":[100,80],"size":[1000,700],"title":"Downloads - File Browser"},' +
        '{"id":"394620","pos":[1300,100],"size":[500,400],"title":"System Monitor"}]}',
    ],
    [
      'scan',
      { app: 'Preferences', max_depth: 1 },
      'Window "Preferences": 9 elements. Act on them with app "preferences" and the e="..." ids below.\n' +
        'Truncated: the snapshot stopped at its depth limit (max_depth). Scan again with a larger limit, ' +
        'or scan a smaller window, to see the rest.\n' +
        '<window e="auto:PreferencesDialog" label="Preferences" title="Preferences" id="PreferencesDialog" pos="420,260" size="400,300">\n' +
        '  <text e="name:text:Changes_apply_to_new_documents." label="Changes apply to new documents." pos="444,470" size="346,20"/>\n' +
        '  <button e="auto:1" label="OK" id="1" pos="620,510" size="80,30"/>\n' +
        '  <button e="auto:2" label="Cancel" id="2" pos="710,510" size="80,30"/>\n' +
        '\n' +
        '  <checkbox e="auto:chkStatusBar" label="Show status bar" id="chkStatusBar" pos="444,310" size="200,20" checked="true"/>\n' +
        '  <input e="auto:txtUserName" label="User name:" value="alice" id="txtUserName" pos="600,350" size="190,24" focused="true"/>\n' +
        '  <input e="auto:txtAutosave" label="Autosave every (minutes):" value="10" id="txtAutosave" pos="600,390" size="60,24"/></window>',
    ],
    ['scan', { app: 'preferences' }, /^Window "Preferences": 14 elements\.[^\n]*\n<window [^]*checked="true"/],
    [
      'click',
      { app: 'preferences', id: 'auto:chkStatusBar' },
      '{"center_x":544,"center_y":320,"id":"auto:chkStatusBar","label":"Show status bar","method":"uia-live","role":"checkbox"}',
    ],
    ['scan', { app: 'preferences' }, /checked="false"/],
    ['scan', { app: 'file browser' }, /<input e="auto:SearchBox" label="Search Downloads" id="SearchBox"/],
    [
      'set_value',
      { app: 'File Browser', id: 'auto:SearchBox', text: 'report' },
      '{"id":"auto:SearchBox","label":"Search Downloads","method":"uia-live","role":"input"}',
    ],
    ['scan', { app: 'file browser' }, /<input e="auto:SearchBox" label="Search Downloads" value="report"/],
    ['click', { app: 'notepad', id: 'auto:1' }, "click: no session for 'notepad'", true],
    [
      'attrs',
      { app: 'preferences', id: 'auto:nothing' },
      "attrs: no element id=auto:nothing in 'preferences'",
      true,
    ],
    [
      'context_menu',
      { app: 'preferences', id: 'auto:txtAutosave' },
      'No menu items were read: the element showed no context menu, or an empty one.\n' +
        '{"count":0,"foregrounded":false,"id":"auto:txtAutosave","items":[],"menu_class":""}',
    ],
    ['scan', { app: 'text editor', max_elements: 4 }, /^Window "notes\.txt - Text Editor": 4 elements\.[^\n]*\nTruncated: the snapshot stopped at its limit of 4 elements \(max_elements\)\./],
    ['invoke_menu', { app: 'text editor', path: 'View > Zoom In' }, '{"app":"text editor","path":"View > Zoom In"}'],
    ['wait_for_change', { timeout_ms: 150 }, '{"changed":false,"notification":null}'],
  ];
  test('answers each call with the text an agent reads', async () => {
    for (const [name, args, expected, isError = false] of exchange) {
      const result = await call(/** @type {string} */ (name), /** @type {any} */ (args));
      const text = textOf(result);
      if (expected instanceof RegExp) assert.match(text, expected, `${name} ${JSON.stringify(args)}`);
      else assert.equal(text, expected, `${name} ${JSON.stringify(args)}`);
      assert.equal(result.isError === true, isError, `${name} isError`);
    }
  });

  test('rejects arguments outside the schema before they reach the daemon', async () => {
    const result = await call('mouse_click', { app: 'preferences', id: 'auto:1', button: 'middle' });
    assert.equal(result.isError, true);
    assert.match(textOf(result), /button/);
  });

  test('returns a screenshot as a PNG image and leaves no file behind', async () => {
    const before = readdirSync(tmpdir()).filter((name) => name.startsWith('uiad-mcp-'));
    const result = await call('screenshot', { app: 'preferences' });
    assert.equal(result.isError, undefined);
    const [image, caption] = /** @type {any[]} */ (result.content);
    assert.equal(image.type, 'image');
    assert.equal(image.mimeType, 'image/png');
    assert.equal(caption.text, 'Captured 400x300 pixels.');
    const png = PNG.sync.read(Buffer.from(image.data, 'base64'));
    assert.deepEqual([png.width, png.height], [400, 300]);
    // The dialog's face colour, #F0F0F0, opaque, inside the client area.
    const at = (/** @type {number} */ x, /** @type {number} */ y) => [...png.data.subarray((y * 400 + x) * 4, (y * 400 + x) * 4 + 4)];
    assert.deepEqual(at(20, 200), [0xf0, 0xf0, 0xf0, 0xff]);
    const folders = readdirSync(tmpdir()).filter((name) => name.startsWith('uiad-mcp-') && !before.includes(name));
    for (const folder of folders) assert.deepEqual(readdirSync(join(tmpdir(), folder)), []);
  });

  test('keeps the bitmap when a path is given', async () => {
    const path = join(scratch(), 'kept.bmp');
    const result = await call('screenshot', { app: 'text editor', path });
    assert.equal(textOf(result), `Captured 800x600 pixels. The bitmap was kept at ${JSON.stringify(path)}.`);
    assert.equal(readFileSync(path).subarray(0, 2).toString(), 'BM');
  });

  test('says what went wrong when the capture fails', async () => {
    const result = await call('screenshot', { app: 'no such window' });
    assert.equal(result.isError, true);
    assert.equal(textOf(result), "screenshot: window not found 'no such window'");
    assert.ok(!existsSync(join(process.cwd(), 'screenshot.bmp')));
  });
});

describe('the server process', () => {
  test('replaces a daemon stuck in a hung application and says the sessions were lost', async () => {
    const scene = sceneFile(STUCK);
    const client = await connectServer([scene, '--deadline', '1']);
    try {
      const call = (/** @type {string} */ name, /** @type {any} */ args) => client.callTool({ name, arguments: args });
      assert.match(textOf(await call('scan', { app: 'sluggish' })), /name:checkbox:Stuck/);
      const started = Date.now();
      const hung = await call('click', { app: 'sluggish', id: 'name:checkbox:Stuck' });
      const waited = Date.now() - started;
      assert.equal(hung.isError, true);
      assert.equal(
        textOf(hung),
        'click: no answer within the deadline of 1.8 s; the daemon was killed and a fresh daemon ' +
          'was started; every session was lost: scan again before using element ids from earlier scans',
      );
      assert.ok(waited >= 1800 && waited < 6000, `waited ${waited} ms`);
      assert.equal(textOf(await call('click', { app: 'sluggish', id: 'name:checkbox:Fine' })), "click: no session for 'sluggish'");
      await call('scan', { app: 'sluggish' });
      assert.match(textOf(await call('click', { app: 'sluggish', id: 'name:checkbox:Fine' })), /"label":"Fine","method":"uia-live"/);
    } finally {
      await client.close();
    }
    // Closing the client ends the server, which shuts its daemon down: none is left behind.
    for (let tries = 0; processesMentioning(scene).length > 0 && tries < 50; tries++) {
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    assert.deepEqual(processesMentioning(scene), []);
  });

  test('sends its own element limit with a scan that names none', async () => {
    const client = await connectServer(['--max-elements', '3']);
    try {
      const scan = await client.callTool({ name: 'scan', arguments: { app: 'preferences' } });
      assert.match(textOf(scan), /^Window "Preferences": 3 elements\.[^\n]*\nTruncated: the snapshot stopped at its limit of 3 elements \(max_elements\)\./);
    } finally {
      await client.close();
    }
  });
});
