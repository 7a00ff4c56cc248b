// One daemon child process: its pipes, its output split into lines that can be awaited with a
// time limit, the tail of its standard error, and its end.

import { spawn } from 'node:child_process';

const STDERR_TAIL_BYTES = 4096;
/** Marks a line that did not arrive in time. */
export const TIMEOUT = Symbol('timeout');

export class DaemonProcess {
  /**
   * @param {string[]} argv the executable and its arguments
   * @param {{cwd?: string, env?: NodeJS.ProcessEnv}} options
   */
  constructor(argv, options) {
    this.argv = argv;
    /** @type {Buffer[]} complete lines, without their line feed */
    this.lines = [];
    /** @type {Buffer[]} the pieces of the line that has not ended yet */
    this.partial = [];
    this.ended = false;
    this.stderr = Buffer.alloc(0);
    /** @type {{code: number | null, signal: NodeJS.Signals | null} | null} */
    this.status = null;
    /** @type {(() => void) | null} wakes the one waiter of nextLine */
    this.wake = null;
    /** @type {Error | null} a failure to start, reported by the first wait */
    this.spawnError = null;

    this.child = spawn(argv[0], argv.slice(1), {
      cwd: options.cwd,
      env: options.env,
      stdio: ['pipe', 'pipe', 'pipe'],
      windowsHide: true,
    });
    this.exited = new Promise((resolve) => {
      this.child.on('close', (code, signal) => {
        this.status = { code, signal };
        resolve(this.status);
      });
    });
    this.child.on('error', (error) => {
      this.spawnError = error;
      this.finishOutput();
    });
    // A write to a daemon that has ended fails on the next write; the exchange reports it.
    this.child.stdin.on('error', () => {});
    this.child.stdout.on('data', (/** @type {Buffer} */ chunk) => this.take(chunk));
    this.child.stdout.on('end', () => this.finishOutput());
    this.child.stderr.on('data', (/** @type {Buffer} */ chunk) => {
      this.stderr = Buffer.concat([this.stderr, chunk]);
      if (this.stderr.length > STDERR_TAIL_BYTES) this.stderr = this.stderr.subarray(-STDERR_TAIL_BYTES);
    });
  }

  get pid() {
    return this.child.pid;
  }

  /**
   * Splits output into lines. The pieces of an unfinished line are kept apart and joined once
   * its end arrives, so a long answer (a large scan runs to megabytes) is copied only once.
   * @param {Buffer} chunk
   */
  take(chunk) {
    let start = 0;
    let newline;
    while ((newline = chunk.indexOf(0x0a, start)) >= 0) {
      this.partial.push(chunk.subarray(start, newline));
      this.lines.push(Buffer.concat(this.partial));
      this.partial = [];
      start = newline + 1;
    }
    if (start < chunk.length) this.partial.push(chunk.subarray(start));
    this.notify();
  }

  finishOutput() {
    this.ended = true;
    this.notify();
  }

  notify() {
    const wake = this.wake;
    this.wake = null;
    if (wake) wake();
  }

  /**
   * The next output line as text, null at the end of output, or TIMEOUT.
   * @param {number} ms
   * @returns {Promise<string | null | typeof TIMEOUT>}
   */
  async nextLine(ms) {
    const ends = Date.now() + ms;
    for (;;) {
      const line = this.lines.shift();
      if (line !== undefined) return line.toString('utf8');
      if (this.ended) return null;
      const left = ends - Date.now();
      if (left <= 0) return TIMEOUT;
      /** @type {NodeJS.Timeout | undefined} */
      let timer;
      await new Promise((resolve) => {
        this.wake = () => resolve(undefined);
        timer = setTimeout(resolve, left);
      });
      clearTimeout(timer);
      this.wake = null;
    }
  }

  /**
   * Writes one request line; resolves once it is handed to the pipe.
   * @param {string} text
   * @returns {Promise<void>}
   */
  write(text) {
    return new Promise((resolve, reject) => {
      if (this.ended || this.child.stdin.destroyed) {
        reject(new Error('the daemon had ended before the request was written'));
        return;
      }
      this.child.stdin.write(text, 'utf8', (error) => (error ? reject(error) : resolve()));
    });
  }

  closeInput() {
    this.child.stdin.end();
  }

  /**
   * Waits up to `ms` for the process to end: its status, or null if it still runs.
   * @param {number} ms
   */
  async exitStatus(ms) {
    if (this.status || this.spawnError) return this.status;
    /** @type {NodeJS.Timeout | undefined} */
    let timer;
    const late = new Promise((resolve) => {
      timer = setTimeout(() => resolve(null), ms);
    });
    const status = await Promise.race([this.exited, late]);
    clearTimeout(timer);
    return /** @type {{code: number | null, signal: NodeJS.Signals | null} | null} */ (status);
  }

  /** Ends the process at once and waits until it is gone. */
  async kill() {
    if (!this.status && !this.spawnError) {
      this.child.kill('SIGKILL');
      await this.exitStatus(5000);
    }
    this.child.stdin.destroy();
  }

  /** The last few kilobytes the daemon wrote on standard error. */
  stderrTail() {
    return this.stderr.toString('utf8').trim();
  }
}

/** @param {{code: number | null, signal: NodeJS.Signals | null} | null} status */
export function describeStatus(status) {
  if (!status) return 'still running';
  if (status.signal) return `killed by ${status.signal}`;
  return `status ${status.code}`;
}
