// The tools an agent sees: one per command it acts with, each with the request keys it may send
// and the hints that tell a client whether the tool only looks or may change application data.

import { z } from 'zod';

const count = z.number().int().min(0);

/** The session of an element or menu tool, as scan reported it. */
const sessionApp = z
  .string()
  .describe(
    'The app that scan reported for this window: the app text it was given, in any letter ' +
      "case, or, for a scan of the foreground window, the window's title.",
  );

const elementId = z
  .string()
  .min(1)
  .describe('Element id from the last scan: the e="..." value, such as auto:15 or name:button:OK.');

/** Hints for a tool that only reads the desktop. */
const looks = { readOnlyHint: true, openWorldHint: false };
/** Hints for a tool whose input may change application data (typing, pressing buttons). */
const changes = { readOnlyHint: false, destructiveHint: true, openWorldHint: false };
/** Hints for a tool that acts on the screen without changing application data. */
const gestures = { readOnlyHint: false, destructiveHint: false, openWorldHint: false };

/**
 * @typedef {object} ToolDefinition
 * @property {string} name the command name, which is also the tool's name
 * @property {string} title
 * @property {string} description
 * @property {Record<string, z.ZodType>} input
 * @property {{readOnlyHint: boolean, destructiveHint?: boolean, idempotentHint?: boolean,
 *   openWorldHint: boolean}} annotations
 */

/** @type {ToolDefinition[]} */
export const TOOLS = [
  {
    name: 'scan',
    title: 'Snapshot a window',
    description:
      "Reads a window's user interface as compact mark-up: one line per element with its role, " +
      'label, value, position, size and state, and an e="..." id to act on it with the other ' +
      'tools. Scanning again replaces the element ids of the previous scan of the same app. ' +
      'Scan again after an action to see its effect.',
    input: {
      app: z.string().optional().describe(
        'Window to snapshot: a fragment of its title in any letter case, or a window handle in ' +
          'decimal as listed by the windows tool. Omit for the foreground window. Pass the same ' +
          'text as app to the element tools afterwards.',
      ),
      max_depth: count.optional().describe('Deepest tree level recorded; the window is level 0. Default: depth.'),
      depth: count.optional().describe('Used as max_depth when max_depth is not given. Default 100.'),
      max_elements: count
        .optional()
        .describe(
          'Most elements recorded. This server sends its own limit when none is given, and the ' +
            'result says when a snapshot was truncated.',
        ),
      strategy: z
        .enum(['cache', 'current'])
        .optional()
        .describe(
          '"cache" reads the tree in one cached request (the default for ordinary windows); ' +
            '"current" reads it element by element (the default for browser content).',
        ),
      timing: z.boolean().optional().describe('Add how long the tree walks took.'),
    },
    annotations: looks,
  },
  {
    name: 'click',
    title: 'Activate an element',
    description:
      'Activates an element the way a user would with a left click: UI Automation first ' +
      '(invoke, toggle, select, expand), posted mouse messages otherwise. Does not move the ' +
      "real pointer or take the user's foreground window. The result's method names the way taken.",
    input: {
      app: sessionApp,
      id: elementId,
      count: count.optional().describe('How many times to activate it. Default 1.'),
    },
    annotations: changes,
  },
  {
    name: 'set_value',
    title: 'Set the text of an element',
    description:
      "Replaces the text of an edit field or other value element. The result's method names " +
      'the way taken.',
    input: {
      app: sessionApp,
      id: elementId,
      text: z.string().describe('The new text; may be empty.'),
    },
    annotations: changes,
  },
  {
    name: 'key',
    title: 'Send a key or text',
    description:
      'Sends a named key, one character, or a whole text typed character by character, to ' +
      'the application, after focusing an element if id is given. Key names: enter, tab, ' +
      'escape, space, backspace, delete, insert, home, end, page_up, page_down, left, right, ' +
      'up, down, f1 to f12 (and the short forms esc, del, ins, pgup, pgdn, bksp). There are no ' +
      'modifier keys: ctrl+a is typed as text.',
    input: {
      app: sessionApp,
      key: z.string().min(1).describe('A key name, one character, or a text to type.'),
      id: elementId.optional().describe('Element to focus first. Default: none.'),
      count: count.optional().describe('Repetitions, 1 to 50. Default 1.'),
    },
    annotations: changes,
  },
  {
    name: 'mouse_click',
    title: 'Click an element with a mouse button',
    description:
      "Posts mouse clicks at an element's centre, without moving the real pointer. Use it for " +
      'right clicks and double clicks; click is the better way to activate a control.',
    input: {
      app: sessionApp,
      id: elementId,
      button: z.enum(['left', 'right']).optional().describe('Default "left".'),
      count: count.optional().describe('Clicks, 1 to 3 (2 is a double click). Default 1.'),
    },
    annotations: changes,
  },
  {
    name: 'hover',
    title: 'Hover over an element',
    description:
      'Rests the pointer on an element, by posted messages unless method says otherwise, and ' +
      'reports the windows that appeared meanwhile, such as tooltips and pop-ups.',
    input: {
      app: sessionApp,
      id: elementId,
      method: z
        .enum(['move', 'move_nc', 'hover_msg', 'setcursor', 'sendinput'])
        .optional()
        .describe(
          '"move" (default), "move_nc" and "hover_msg" post messages only; "setcursor" and ' +
            '"sendinput" move the real pointer.',
        ),
      dwell_ms: count.optional().describe('How long to rest on the element, in milliseconds. Default 350.'),
      count: count.optional().describe('Posted mouse moves, 1 to 60. Default 6.'),
      restore: z.boolean().optional().describe('Put the real pointer back after a method that moved it. Default true.'),
    },
    annotations: gestures,
  },
  {
    name: 'scroll',
    title: 'Scroll a container',
    description:
      'Scrolls the container of an element, or the application. Fails, saying so, when the ' +
      'scroll had no effect.',
    input: {
      app: sessionApp,
      id: elementId.optional().describe('An element inside the container to scroll. Default: none.'),
      direction: z
        .enum(['up', 'down', 'page_up', 'page_down', 'left', 'right', 'home', 'top', 'end', 'bottom'])
        .optional()
        .describe('Default "down".'),
    },
    annotations: gestures,
  },
  {
    name: 'perform',
    title: 'Perform a named action on an element',
    description: 'Performs a named action on an element by posted messages.',
    input: {
      app: sessionApp,
      id: elementId,
      action: z
        .enum([
          'press', 'invoke', 'show_menu', 'increment', 'decrement',
          'AXPress', 'AXShowMenu', 'AXIncrement', 'AXDecrement',
        ])
        .describe(
          '"press" or "invoke": a left click; "show_menu": a right click; "increment" and ' +
            '"decrement": the up and down arrow keys. The AX names are the same actions.',
        ),
    },
    annotations: changes,
  },
  {
    name: 'attrs',
    title: 'Read an element',
    description:
      'What the last scan recorded about an element (name, role, value, position, size, state, ' +
      'description), and the UI Automation patterns it offers now.',
    input: { app: sessionApp, id: elementId },
    annotations: looks,
  },
  {
    name: 'menus',
    title: 'List the menu bar',
    description: "Lists the scanned window's menu bar: each top-level menu and its items.",
    input: { app: sessionApp },
    annotations: looks,
  },
  {
    name: 'invoke_menu',
    title: 'Choose a menu item',
    description: 'Chooses a menu item of the scanned window by its path, such as File>Save As.',
    input: {
      app: sessionApp,
      path: z
        .string()
        .min(1)
        .describe(
          'Menu names separated by ">", such as "File > Save As". Each name matches an item ' +
            'whose name begins with it, in any letter case, ignoring & marks and shortcuts.',
        ),
    },
    annotations: changes,
  },
  {
    name: 'context_menu',
    title: "Read an element's context menu",
    description:
      "Opens an element's context menu with a posted right click, reads its items and closes " +
      'it again without choosing one.',
    input: {
      app: sessionApp,
      id: elementId,
      foreground: z
        .boolean()
        .optional()
        .describe(
          'Bring the window to the front for the click (some applications show no menu ' +
            'otherwise) and give the foreground back afterwards. Default false.',
        ),
    },
    annotations: gestures,
  },
  {
    name: 'windows',
    title: 'List windows',
    description:
      'Lists the visible top-level windows that have a title, with their handles, positions and sizes.',
    input: {
      app: z.string().optional().describe('Only windows whose title contains this text, in any letter case.'),
    },
    annotations: looks,
  },
  {
    name: 'list_apps',
    title: 'List applications',
    description: 'Lists the titles of the visible windows with the names of their processes.',
    input: {},
    annotations: looks,
  },
  {
    name: 'foreground',
    title: 'Name the foreground window',
    description: "The handle and title of the user's foreground window.",
    input: {},
    annotations: looks,
  },
  {
    name: 'wait_for_change',
    title: 'Wait for a visible change',
    description:
      'Waits until the foreground window, the number of windows or the focused element changes, ' +
      'and says which changed first, or that nothing changed in time.',
    input: {
      timeout_ms: count.optional().describe('How long to wait, in milliseconds: 150 to 2000. Default 1500.'),
    },
    annotations: looks,
  },
  {
    name: 'screenshot',
    title: 'Capture a window',
    description: 'Captures a window as an image, even when other windows cover it.',
    input: {
      app: z
        .string()
        .optional()
        .describe(
          'Window to capture: a window handle in decimal, the app text of a scan, or a fragment ' +
            'of its title. Default: the foreground window.',
        ),
      path: z
        .string()
        .optional()
        .describe(
          'Also keep the capture as a 32-bit BMP file at this path (relative to the working ' +
            'directory of this server); a file already there is replaced. Default: keep no file.',
        ),
    },
    annotations: { ...gestures, destructiveHint: true },
  },
  {
    name: 'dismiss_dialogs',
    title: 'Dismiss dialogs',
    description:
      'Presses a button in each visible window whose title contains one of the given texts, ' +
      'and lists what it pressed. Each dismissal is followed by a one-second wait.',
    input: {
      titles: z.array(z.string()).describe('Title fragments, in any letter case, of the windows to dismiss.'),
      prefer: z
        .array(z.string())
        .optional()
        .describe('Button names in order of preference, such as ["Cancel", "Close"]. Default: the first button.'),
      exclude: z.string().optional().describe('Leave alone every window whose title contains this text.'),
      passes: count.optional().describe('Most windows dismissed. Default 6.'),
    },
    annotations: changes,
  },
];
