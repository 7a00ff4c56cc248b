// Daemon answers as tool results an agent can read: the snapshot text instead of the element
// map, the other answers as compact JSON, errors as their message, and nothing longer than an
// agent can take in.

/** About 20,000 tokens: within what common agents accept from one tool call. */
export const MAX_TEXT_CHARS = 80_000;

/**
 * @typedef {{type: 'text', text: string} | {type: 'image', data: string, mimeType: string}} Content
 * @typedef {{content: Content[], isError?: boolean}} ToolResult
 */

/**
 * Cuts a text at a line end before `max` characters and says how much was left out.
 * @param {string} text
 * @param {number} [max]
 */
export function capText(text, max = MAX_TEXT_CHARS) {
  if (text.length <= max) return text;
  const cut = text.lastIndexOf('\n', max);
  const kept = text.slice(0, cut > 0 ? cut : max);
  return `${kept}\n[... ${text.length - kept.length} more characters not shown]`;
}

/** @param {string} text @returns {ToolResult} */
export function textResult(text) {
  return { content: [{ type: 'text', text: capText(text) }] };
}

/** @param {string} message @returns {ToolResult} */
export function errorResult(message) {
  return { content: [{ type: 'text', text: capText(message) }], isError: true };
}

/**
 * An answer without its `ok` key, as one line of JSON.
 * @param {import('./results.js').Ok} answer
 * @returns {ToolResult}
 */
export function jsonResult(answer) {
  const { ok: _ok, ...rest } = answer;
  return textResult(JSON.stringify(rest));
}

/**
 * The snapshot text under one line that names the window, the session and the element count,
 * and says when the element limit cut the snapshot short.
 * @param {import('./results.js').ScanResult} scan
 * @param {number | undefined} limit the max_elements that was sent, if any
 * @returns {ToolResult}
 */
export function scanResult(scan, limit) {
  const lines = [
    `Window ${JSON.stringify(scan.title)}: ${scan.element_count} elements. ` +
      (scan.app
        ? `Act on them with app ${JSON.stringify(scan.app)} and the e="..." ids below.`
        : 'Act on them with the e="..." ids below and no app.'),
  ];
  if (scan.truncated) {
    const byCount = limit !== undefined && scan.element_count >= limit;
    const cause = byCount ? `its limit of ${limit} elements (max_elements)` : 'its depth limit (max_depth)';
    lines.push(
      `Truncated: the snapshot stopped at ${cause}. Scan again with a larger limit, or scan a ` +
        'smaller window, to see the rest.',
    );
  }
  if (scan.chromium) lines.push('Browser content: the page is read through its render widget.');
  if (scan.timing) lines.push(`Timing: ${JSON.stringify(scan.timing)}`);
  lines.push(scan.ui_block);
  return textResult(lines.join('\n'));
}

/**
 * A context menu's items; no items is an answer, not an error.
 * @param {import('./results.js').ContextMenuResult} menu
 * @returns {ToolResult}
 */
export function contextMenuResult(menu) {
  const { ok, ...rest } = menu;
  const lead = ok ? '' : 'No menu items were read: the element showed no context menu, or an empty one.\n';
  return textResult(lead + JSON.stringify(rest));
}
