// Errors of the client: the daemon's own error answers, and failures of the daemon process.

export const SESSIONS_LOST =
  'every session was lost: scan again before using element ids from earlier scans';

/** The daemon answered with an error; `message` is its text, unchanged. */
export class UiadError extends Error {
  /**
   * @param {string} command
   * @param {string} message
   * @param {Record<string, unknown>} response
   */
  constructor(command, message, response) {
    super(message);
    this.name = 'UiadError';
    this.command = command;
    this.response = response;
  }
}

/** The daemon process itself failed: it did not start, hung, or died. */
export class DaemonFailure extends Error {
  /** @param {string} message */
  constructor(message) {
    super(message);
    this.name = 'DaemonFailure';
  }
}

/** The daemon could not be started or did not announce itself as ready. */
export class DaemonStartError extends DaemonFailure {
  /** @param {string} message */
  constructor(message) {
    super(message);
    this.name = 'DaemonStartError';
  }
}

/**
 * @param {boolean} restarted
 * @param {string} detail why a fresh daemon could not be started
 */
function replacement(restarted, detail) {
  return restarted
    ? 'a fresh daemon was started'
    : `a fresh daemon could not be started (${detail}); the next request tries again`;
}

/** A request passed its deadline; the daemon was killed and, if possible, replaced. */
export class DaemonHung extends DaemonFailure {
  /**
   * @param {string} command
   * @param {number} deadlineMs
   * @param {boolean} restarted
   * @param {string} [detail]
   */
  constructor(command, deadlineMs, restarted, detail = '') {
    super(
      `${command}: no answer within the deadline of ${deadlineMs / 1000} s; the daemon was killed ` +
        `and ${replacement(restarted, detail)}; ${SESSIONS_LOST}`,
    );
    this.name = 'DaemonHung';
    this.command = command;
    this.deadlineMs = deadlineMs;
    this.restarted = restarted;
  }
}

/** The daemon ended, or wrote something other than one JSON object, while answering. */
export class DaemonExited extends DaemonFailure {
  /**
   * @param {string} command
   * @param {string} what
   * @param {boolean} restarted
   * @param {string} [detail]
   */
  constructor(command, what, restarted, detail = '') {
    super(`${command}: ${what}; ${replacement(restarted, detail)}; ${SESSIONS_LOST}`);
    this.name = 'DaemonExited';
    this.command = command;
    this.restarted = restarted;
  }
}

/** A request was made after the daemon was shut down. */
export class DaemonClosed extends DaemonFailure {
  /** @param {string} message */
  constructor(message) {
    super(message);
    this.name = 'DaemonClosed';
  }
}
