// The Model Context Protocol server: one tool per command an agent acts with, each answered by
// the daemon one request at a time.

import { mkdtemp, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { McpServer } from '@modelcontextprotocol/sdk/server/mcp.js';

import { bmpToPng } from './bitmap.js';
import { DaemonFailure, UiadError } from './errors.js';
import { contextMenuResult, errorResult, jsonResult, scanResult } from './present.js';
import { TOOLS } from './tools.js';

/** The most elements one snapshot records unless the agent asks for another limit. */
export const DEFAULT_MAX_ELEMENTS = 500;

const INSTRUCTIONS = [
  'Drives the user interface of desktop applications.',
  'Find a window with windows or list_apps, then scan it by a fragment of its title. The snapshot ' +
    'gives every element an e="..." id; act on an element with that id and the app the scan ' +
    'reported, and scan again to see what changed. Element ids last until the next scan of the same app.',
  'Actions post messages to the application: unless an option asks for it, they neither move ' +
    "the user's pointer nor take their foreground window.",
  'If a request hangs, the daemon is replaced and every session is lost: scan again.',
].join('\n');

/**
 * @typedef {import('./daemon.js').Daemon} Daemon
 * @typedef {import('./present.js').ToolResult} ToolResult
 * @typedef {Record<string, any>} Args the arguments of a call, as checked by the tool's schema
 */

/**
 * @param {object} options
 * @param {Daemon} options.daemon
 * @param {string} options.version
 * @param {string} [options.cwd] the daemon's working directory, for relative screenshot paths
 * @param {number} [options.maxElements] sent with every scan that names no limit
 */
export function createServer({ daemon, version, cwd = process.cwd(), maxElements = DEFAULT_MAX_ELEMENTS }) {
  const server = new McpServer({ name: 'uiad', version }, { instructions: INSTRUCTIONS });
  const screenshots = new Screenshots(daemon, cwd);

  /** @type {Record<string, (args: Args) => Promise<ToolResult>>} */
  const calls = {
    async scan(a) {
      const limit = a.max_elements ?? maxElements;
      return scanResult(await daemon.scan(a.app, { ...a, max_elements: limit }), limit);
    },
    click: async (a) => jsonResult(await daemon.click(a.app, a.id, a)),
    set_value: async (a) => jsonResult(await daemon.set_value(a.app, a.id, a.text)),
    key: async (a) => jsonResult(await daemon.key(a.app, a.key, a)),
    mouse_click: async (a) => jsonResult(await daemon.mouse_click(a.app, a.id, a)),
    hover: async (a) => jsonResult(await daemon.hover(a.app, a.id, a)),
    scroll: async (a) => jsonResult(await daemon.scroll(a.app, a)),
    perform: async (a) => jsonResult(await daemon.perform(a.app, a.id, a.action)),
    attrs: async (a) => jsonResult(await daemon.attrs(a.app, a.id)),
    menus: async (a) => jsonResult(await daemon.menus(a.app)),
    invoke_menu: async (a) => jsonResult(await daemon.invoke_menu(a.app, a.path)),
    context_menu: async (a) => contextMenuResult(await daemon.context_menu(a.app, a.id, a)),
    windows: async (a) => jsonResult(await daemon.windows(a.app)),
    list_apps: async () => jsonResult(await daemon.list_apps()),
    foreground: async () => jsonResult(await daemon.foreground()),
    wait_for_change: async (a) => jsonResult(await daemon.wait_for_change(a)),
    screenshot: (a) => screenshots.take(a.app, a.path),
    dismiss_dialogs: async (a) => jsonResult(await daemon.dismiss_dialogs(a)),
  };

  for (const tool of TOOLS) {
    const call = calls[tool.name];
    server.registerTool(
      tool.name,
      {
        title: tool.title,
        description: tool.description,
        inputSchema: tool.input,
        annotations: { title: tool.title, ...tool.annotations },
      },
      async (/** @type {Args} */ args) => {
        try {
          return await call(args);
        } catch (error) {
          return failure(tool.name, error);
        }
      },
    );
  }
  return { server, close: () => screenshots.close() };
}

/**
 * A failed call as an error result: the daemon's message as it stands, the watchdog's report of
 * a hung or dead daemon, or what went wrong here, prefixed with the command.
 * @param {string} name
 * @param {unknown} error
 * @returns {ToolResult}
 */
function failure(name, error) {
  if (error instanceof UiadError || error instanceof DaemonFailure) return errorResult(error.message);
  return errorResult(`${name}: ${error instanceof Error ? error.message : String(error)}`);
}

/** Captures through the daemon into a private temporary file and hands back PNG images. */
class Screenshots {
  /** @param {Daemon} daemon @param {string} cwd */
  constructor(daemon, cwd) {
    this.daemon = daemon;
    this.cwd = cwd;
    /** @type {Promise<string> | null} */
    this.folder = null;
    this.taken = 0;
  }

  /**
   * @param {string | undefined} app
   * @param {string | undefined} keep a path to keep the bitmap at, relative to the daemon's folder
   * @returns {Promise<ToolResult>}
   */
  async take(app, keep) {
    this.folder ??= mkdtemp(join(tmpdir(), 'uiad-mcp-'));
    const path = keep ?? join(await this.folder, `capture-${++this.taken}.bmp`);
    const { path: written } = await this.daemon.screenshot(app, { path });
    const file = resolve(this.cwd, written);
    try {
      const { width, height, png } = bmpToPng(await readFile(file));
      const where = keep === undefined ? '' : ` The bitmap was kept at ${JSON.stringify(written)}.`;
      return {
        content: [
          { type: 'image', data: png.toString('base64'), mimeType: 'image/png' },
          { type: 'text', text: `Captured ${width}x${height} pixels.${where}` },
        ],
      };
    } finally {
      if (keep === undefined) await rm(file, { force: true });
    }
  }

  async close() {
    if (this.folder) await rm(await this.folder, { recursive: true, force: true });
  }
}
