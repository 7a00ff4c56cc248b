// The connection to one daemon: one request at a time, a deadline per request, and a watchdog
// that replaces a hung or dead daemon instead of leaving the caller waiting.

import { DaemonProcess, TIMEOUT, describeStatus } from './process.js';
import { DaemonClosed, DaemonExited, DaemonHung, DaemonStartError, UiadError } from './errors.js';

export const DEFAULT_DEADLINE_MS = 30_000;
export const DEFAULT_STARTUP_TIMEOUT_MS = 10_000;
const SHUTDOWN_MS = 5_000;

/**
 * @typedef {object} DaemonOptions
 * @property {string} executable `uiad.exe` or `uiad-sim`
 * @property {string[]} [args] arguments after the executable, such as a scene file
 * @property {string} [cwd] working directory; relative screenshot paths are relative to it
 * @property {NodeJS.ProcessEnv} [env]
 * @property {number} [startupTimeoutMs] how long to wait for the ready line
 * @property {number} [defaultDeadlineMs] a request's deadline before the time it asks to wait
 */

/** @typedef {Record<string, unknown>} Answer a decoded response line */

/**
 * A running daemon. `start` launches it and waits for its ready line; `close` sends
 * `shutdown` and reaps it. Requests queue and go out strictly one at a time.
 *
 * When a request passes its deadline the daemon is killed, a fresh one is started with the same
 * arguments and the request fails with DaemonHung; a daemon that dies or writes garbage is
 * replaced the same way (DaemonExited). Either way the fresh daemon holds no sessions.
 */
export class DaemonConnection {
  /** @param {DaemonOptions} options */
  constructor(options) {
    this.argv = [options.executable, ...(options.args ?? [])];
    this.cwd = options.cwd;
    this.env = options.env;
    this.startupTimeoutMs = options.startupTimeoutMs ?? DEFAULT_STARTUP_TIMEOUT_MS;
    this.defaultDeadlineMs = options.defaultDeadlineMs ?? DEFAULT_DEADLINE_MS;
    /** How many times the watchdog replaced the daemon. */
    this.restarts = 0;
    /** @type {DaemonProcess | null} */
    this.process = null;
    /** Set by `close`: no daemon is started any more. */
    this.closing = false;
    /** Set once `close` has let the queue run: requests fail with DaemonClosed. */
    this.closed = false;
    /** @type {Promise<unknown>} the tail of the request queue */
    this.queue = Promise.resolve();
  }

  /** Starts the daemon and waits until it is ready. */
  async start() {
    this.process = await this.spawnReady();
    return this;
  }

  get pid() {
    return this.process?.pid;
  }

  /** @returns {Promise<DaemonProcess>} */
  async spawnReady() {
    const name = this.argv[0];
    const process = new DaemonProcess(this.argv, { cwd: this.cwd, env: this.env });
    const line = await process.nextLine(this.startupTimeoutMs);
    if (process.spawnError) {
      throw new DaemonStartError(`cannot start ${name}: ${process.spawnError.message}`);
    }
    if (line === TIMEOUT) {
      await process.kill();
      throw new DaemonStartError(
        `${name} wrote no ready line within ${this.startupTimeoutMs / 1000} s; it was killed`,
      );
    }
    if (line === null) {
      const status = describeStatus(await process.exitStatus(SHUTDOWN_MS));
      const stderr = process.stderrTail();
      throw new DaemonStartError(
        `${name} exited (${status}) before it was ready${stderr ? `: ${stderr}` : ''}`,
      );
    }
    const first = parseObject(line);
    if (first && first.event === 'ready' && first.ok === true && Object.keys(first).length === 2) {
      return process;
    }
    await process.kill();
    if (first && typeof first.error === 'string') {
      throw new DaemonStartError(`${name} could not start: ${first.error}`);
    }
    throw new DaemonStartError(`${name} wrote ${JSON.stringify(line)} instead of its ready line`);
  }

  /**
   * Kills the current daemon and starts a fresh one.
   * @returns {Promise<[boolean, string]>} whether it started, and why not
   */
  async replace() {
    const old = this.process;
    this.process = null;
    if (old) await old.kill();
    if (this.closing) return [false, 'the client is closing'];
    this.restarts += 1;
    try {
      this.process = await this.spawnReady();
      return [true, ''];
    } catch (error) {
      return [false, error instanceof Error ? error.message : String(error)];
    }
  }

  /**
   * Sends one request with exactly these keys and resolves to the decoded answer. An error
   * answer rejects with UiadError; `context_menu` without items (ok false, no error) resolves.
   * @param {string} cmd
   * @param {Record<string, unknown>} [keys]
   * @param {{deadlineMs?: number}} [options]
   * @returns {Promise<Answer>}
   */
  request(cmd, keys = {}, options = {}) {
    const line = `${JSON.stringify({ cmd, ...keys })}\n`;
    const deadlineMs = options.deadlineMs ?? this.defaultDeadlineMs;
    const answer = this.queue.then(() => this.exchange(cmd, line, deadlineMs));
    this.queue = answer.catch(() => {});
    return answer.then((response) => {
      if (response.ok === false && 'error' in response) {
        throw new UiadError(cmd, String(response.error), response);
      }
      return response;
    });
  }

  /**
   * @param {string} cmd
   * @param {string} line
   * @param {number} deadlineMs
   * @returns {Promise<Answer>}
   */
  async exchange(cmd, line, deadlineMs) {
    if (this.closed) throw new DaemonClosed(`${cmd}: the daemon was shut down`);
    if (!this.process) this.process = await this.spawnReady(); // an earlier replacement failed
    const process = this.process;
    const ends = Date.now() + deadlineMs;
    // A write stalls only when the daemon stopped reading; the deadline covers that too.
    /** @type {NodeJS.Timeout | undefined} */
    let timer;
    const written = await Promise.race([
      process.write(line).then(
        () => 'written',
        () => 'failed',
      ),
      new Promise((resolve) => {
        timer = setTimeout(() => resolve('late'), deadlineMs);
      }),
    ]);
    clearTimeout(timer);
    if (written === 'late') throw await this.hung(cmd, deadlineMs);
    if (written === 'failed') {
      throw await this.exited(cmd, 'the daemon had ended before the request was written');
    }
    const answerLine = await process.nextLine(ends - Date.now());
    if (answerLine === TIMEOUT) throw await this.hung(cmd, deadlineMs);
    if (answerLine === null) {
      const status = describeStatus(await process.exitStatus(SHUTDOWN_MS));
      const stderr = process.stderrTail().split('\n').pop();
      throw await this.exited(
        cmd,
        `the daemon exited (${status}) without answering${stderr ? ` (${stderr})` : ''}`,
      );
    }
    const answer = parseObject(answerLine);
    if (!answer) {
      throw await this.exited(
        cmd,
        `the daemon answered ${JSON.stringify(answerLine.slice(0, 200))}, not a JSON object`,
      );
    }
    return answer;
  }

  /** @param {string} cmd @param {number} deadlineMs */
  async hung(cmd, deadlineMs) {
    const [restarted, why] = await this.replace();
    return new DaemonHung(cmd, deadlineMs, restarted, why);
  }

  /** @param {string} cmd @param {string} what */
  async exited(cmd, what) {
    const [restarted, why] = await this.replace();
    return new DaemonExited(cmd, what, restarted, why);
  }

  /**
   * Sends `shutdown` once the queued requests are answered and reaps the daemon. Whatever is
   * still running after `ms` is cut short: a request in progress fails with DaemonExited and
   * the daemon is killed. Later requests fail with DaemonClosed.
   * @param {number} [ms]
   * @returns {Promise<{code: number | null, signal: NodeJS.Signals | null} | null>}
   */
  async close(ms = SHUTDOWN_MS) {
    if (this.closing) return null;
    this.closing = true;
    const ends = Date.now() + ms;
    /** @type {NodeJS.Timeout | undefined} */
    let timer;
    const idle = await Promise.race([
      this.queue.then(() => true),
      new Promise((resolve) => {
        timer = setTimeout(() => resolve(false), ms);
      }),
    ]);
    clearTimeout(timer);
    this.closed = true;
    const process = this.process;
    this.process = null;
    if (!process) return null;
    if (!idle) {
      await process.kill();
      return process.status;
    }
    try {
      await process.write('{"cmd":"shutdown"}\n');
      for (;;) {
        const line = await process.nextLine(ends - Date.now());
        if (line === null || line === TIMEOUT) break;
        if (parseObject(line)?.event === 'shutting_down') break;
      }
    } catch {
      // It is gone already; it is reaped below either way.
    }
    process.closeInput();
    const status = await process.exitStatus(Math.max(ends - Date.now(), 0));
    if (status) return status;
    await process.kill();
    return process.status;
  }
}

/**
 * A response line as an object, or null when it is not one JSON object.
 * @param {string} line
 * @returns {Answer | null}
 */
function parseObject(line) {
  try {
    const value = JSON.parse(line);
    return value !== null && typeof value === 'object' && !Array.isArray(value) ? value : null;
  } catch {
    return null;
  }
}
