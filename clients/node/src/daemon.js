// One typed method per command of the daemon. Options left undefined are not sent, so the
// daemon's own default applies; the defaults named below are the daemon's.

import { DaemonConnection } from './connection.js';

/** The daemon's own limit on one UI Automation Invoke call. */
export const INVOKE_LIMIT_MS = 800;

/** @typedef {import('./connection.js').DaemonOptions} DaemonOptions */
/** @typedef {{deadlineMs?: number}} Deadline an explicit deadline replaces the computed one */

/**
 * A count as the daemon reads it: a non-negative integer, anything else is the default.
 * @param {unknown} value
 * @param {number} fallback
 */
function count(value, fallback) {
  return Number.isSafeInteger(value) && /** @type {number} */ (value) >= 0
    ? /** @type {number} */ (value)
    : fallback;
}

/**
 * The request keys that were given.
 * @param {Record<string, unknown>} keys
 */
function given(keys) {
  return Object.fromEntries(Object.entries(keys).filter(([, value]) => value !== undefined));
}

export class Daemon extends DaemonConnection {
  /**
   * Starts a daemon and waits until it is ready.
   * @param {DaemonOptions} options
   */
  static async launch(options) {
    const daemon = new Daemon(options);
    await daemon.start();
    return daemon;
  }

  /**
   * A request whose deadline is the default plus `extraMs` the request itself asks to wait.
   * @template T
   * @param {string} cmd
   * @param {Record<string, unknown>} keys
   * @param {Deadline} options
   * @param {number} [extraMs]
   * @returns {Promise<T>}
   */
  async call(cmd, keys, options, extraMs = 0) {
    const deadlineMs = options.deadlineMs ?? this.defaultDeadlineMs + extraMs;
    return /** @type {T} */ (await this.request(cmd, given(keys), { deadlineMs }));
  }

  /** @param {Deadline} [options] @returns {Promise<import('./results.js').Pong>} */
  ping(options = {}) {
    return this.call('ping', {}, options);
  }

  /** Ends the daemon; the same as `close()`. */
  shutdown() {
    return this.close();
  }

  /**
   * Snapshots a window and replaces the application's session. `app`: a title fragment (any
   * case) or a decimal window handle; undefined or "" scans the foreground window.
   * `max_depth` (default `depth`, itself 100), `max_elements` (no limit), `strategy` ("cache",
   * or any other string for the current strategy), `timing`.
   * @param {string | undefined} app
   * @param {{max_depth?: number, depth?: number, max_elements?: number, strategy?: string,
   *   timing?: boolean} & Deadline} [options]
   * @returns {Promise<import('./results.js').ScanResult>}
   */
  scan(app, options = {}) {
    const { max_depth, depth, max_elements, strategy, timing } = options;
    return this.call('scan', { app, max_depth, depth, max_elements, strategy, timing }, options);
  }

  /**
   * Activates an element, UI Automation first and posted clicks otherwise; `count` 1.
   * @param {string} app @param {string} id
   * @param {{count?: number} & Deadline} [options]
   * @returns {Promise<import('./results.js').ClickResult>}
   */
  click(app, id, options = {}) {
    const extra = count(options.count, 1) * INVOKE_LIMIT_MS;
    return this.call('click', { app, id, count: options.count }, options, extra);
  }

  /**
   * The same command as `click` under its second name.
   * @param {string} app @param {string} id
   * @param {{count?: number} & Deadline} [options]
   * @returns {Promise<import('./results.js').ClickResult>}
   */
  focus(app, id, options = {}) {
    const extra = count(options.count, 1) * INVOKE_LIMIT_MS;
    return this.call('focus', { app, id, count: options.count }, options, extra);
  }

  /**
   * What the last scan recorded about an element, and the patterns it offers now.
   * @param {string} app @param {string} id @param {Deadline} [options]
   * @returns {Promise<import('./results.js').AttrsResult>}
   */
  attrs(app, id, options = {}) {
    return this.call('attrs', { app, id }, options);
  }

  /**
   * Puts `text` (may be empty) into an element.
   * @param {string} app @param {string} id @param {string} text @param {Deadline} [options]
   * @returns {Promise<import('./results.js').SetValueResult>}
   */
  set_value(app, id, text, options = {}) {
    return this.call('set_value', { app, id, text }, options);
  }

  /**
   * Gives an element the keyboard focus by a posted click at its centre.
   * @param {string} app @param {string} id @param {Deadline} [options]
   * @returns {Promise<import('./results.js').Ok>}
   */
  set_focused(app, id, options = {}) {
    return this.call('set_focused', { app, id }, options);
  }

  /**
   * A named action by posted messages: "press"/"invoke"/"AXPress", "show_menu"/"AXShowMenu",
   * "increment"/"AXIncrement", "decrement"/"AXDecrement".
   * @param {string} app @param {string} id @param {string} action @param {Deadline} [options]
   * @returns {Promise<import('./results.js').PerformResult>}
   */
  perform(app, id, action, options = {}) {
    return this.call('perform', { app, id, action }, options);
  }

  /**
   * Sends a named key ("enter", "f5", ...), one character or a text, after focusing `id` if
   * given. `count`: repetitions, 1 by default, at most 50.
   * @param {string} app @param {string} key
   * @param {{id?: string, count?: number} & Deadline} [options]
   * @returns {Promise<import('./results.js').KeyResult>}
   */
  key(app, key, options = {}) {
    return this.call('key', { app, id: options.id, key, count: options.count }, options);
  }

  /**
   * Posted clicks at an element's centre. `button`: "left" (default) or "right"; `count`: 1
   * (default) to 3.
   * @param {string} app @param {string} id
   * @param {{button?: string, count?: number} & Deadline} [options]
   * @returns {Promise<import('./results.js').MouseClickResult>}
   */
  mouse_click(app, id, options = {}) {
    const { button } = options;
    return this.call('mouse_click', { app, id, button, count: options.count }, options);
  }

  /**
   * Rests the pointer on an element and reports the windows that appeared. `method`: "move"
   * (default), "move_nc", "hover_msg", "setcursor" or "sendinput"; `dwell_ms` 350; `count` 6
   * moves (1 to 60); `restore` the real cursor (true).
   * @param {string} app @param {string} id
   * @param {{method?: string, dwell_ms?: number, count?: number, restore?: boolean} & Deadline}
   *   [options]
   * @returns {Promise<import('./results.js').HoverResult>}
   */
  hover(app, id, options = {}) {
    const { method, dwell_ms, restore } = options;
    const keys = { app, id, method, dwell_ms, count: options.count, restore };
    return this.call('hover', keys, options, count(dwell_ms, 350));
  }

  /**
   * Scrolls the container of `id` (or the application). `direction`: "down" (default), "up",
   * "page_up", "page_down", "left", "right", "home"/"top", "end"/"bottom". A scroll that moved
   * nothing is an error.
   * @param {string} app
   * @param {{id?: string, direction?: string} & Deadline} [options]
   * @returns {Promise<import('./results.js').ScrollResult>}
   */
  scroll(app, options = {}) {
    return this.call('scroll', { app, id: options.id, direction: options.direction }, options);
  }

  /**
   * Waits until the foreground title, the window count or the focused element changes.
   * `timeout_ms`: 1500, clamped to 150 ... 2000 by the daemon.
   * @param {{timeout_ms?: number} & Deadline} [options]
   * @returns {Promise<import('./results.js').ChangeResult>}
   */
  wait_for_change(options = {}) {
    const { timeout_ms } = options;
    const extra = Math.min(Math.max(count(timeout_ms, 1500), 150), 2000);
    return this.call('wait_for_change', { timeout_ms }, options, extra);
  }

  /**
   * Whether an id still resolves in the session; never an error.
   * @param {string} app @param {string} id @param {Deadline} [options]
   * @returns {Promise<import('./results.js').ProbeResult>}
   */
  probe(app, id, options = {}) {
    return this.call('probe', { app, id }, options);
  }

  /**
   * The menu bar's items and their direct children.
   * @param {string} app @param {Deadline} [options]
   * @returns {Promise<import('./results.js').MenusResult>}
   */
  menus(app, options = {}) {
    return this.call('menus', { app }, options);
  }

  /**
   * Invokes a menu item by a path such as "File>Save As".
   * @param {string} app @param {string} path @param {Deadline} [options]
   * @returns {Promise<import('./results.js').InvokeMenuResult>}
   */
  invoke_menu(app, path, options = {}) {
    return this.call('invoke_menu', { app, path }, options, INVOKE_LIMIT_MS);
  }

  /**
   * Opens an element's context menu, reads its items and closes it. `ok` false (no error)
   * means no items were read. `foreground`: false.
   * @param {string} app @param {string} id
   * @param {{foreground?: boolean} & Deadline} [options]
   * @returns {Promise<import('./results.js').ContextMenuResult>}
   */
  context_menu(app, id, options = {}) {
    return this.call('context_menu', { app, id, foreground: options.foreground }, options);
  }

  /**
   * The visible titled top-level windows, filtered by a title fragment (default none).
   * @param {string} [app] @param {Deadline} [options]
   * @returns {Promise<import('./results.js').WindowsResult>}
   */
  windows(app, options = {}) {
    return this.call('windows', { app }, options);
  }

  /**
   * The titles of visible windows with their processes.
   * @param {Deadline} [options] @returns {Promise<import('./results.js').ListAppsResult>}
   */
  list_apps(options = {}) {
    return this.call('list_apps', {}, options);
  }

  /**
   * The foreground window's handle and title.
   * @param {Deadline} [options] @returns {Promise<import('./results.js').ForegroundResult>}
   */
  foreground(options = {}) {
    return this.call('foreground', {}, options);
  }

  /**
   * Captures a window to a 32-bit BMP file. `app`: handle, session or title fragment; `path`:
   * "screenshot.bmp", relative to the daemon's working directory.
   * @param {string | undefined} app
   * @param {{path?: string} & Deadline} [options]
   * @returns {Promise<import('./results.js').ScreenshotResult>}
   */
  screenshot(app, options = {}) {
    return this.call('screenshot', { app, path: options.path }, options);
  }

  /**
   * Presses a button in each visible window whose title contains one of `titles`. `prefer`:
   * button names in order of preference (default the first button); `exclude`: a title
   * fragment that disqualifies a window; `passes`: at most 6 dialogs, each followed by a wait
   * of one second, which the deadline allows for.
   * @param {{titles?: string[], prefer?: string[], exclude?: string, passes?: number} & Deadline}
   *   [options]
   * @returns {Promise<import('./results.js').DismissResult>}
   */
  dismiss_dialogs(options = {}) {
    const { titles, prefer, exclude, passes } = options;
    const extra = count(passes, 6) * 1000;
    return this.call('dismiss_dialogs', { titles, prefer, exclude, passes }, options, extra);
  }
}
