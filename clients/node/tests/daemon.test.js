// The Node client over a daemon process: start-up failures, answers and error answers in order,
// and the watchdog that replaces a hung or dead daemon.

import assert from 'node:assert/strict';
import { describe, test } from 'node:test';

import { Daemon } from '../src/daemon.js';
import {
  DaemonClosed,
  DaemonExited,
  DaemonHung,
  DaemonStartError,
  SESSIONS_LOST,
  UiadError,
} from '../src/errors.js';
import { FAKE_DAEMON, simExecutable } from './helpers.js';

/** @param {string[]} args @param {number} [defaultDeadlineMs] */
const fake = (args, defaultDeadlineMs) =>
  Daemon.launch({ executable: process.execPath, args: [FAKE_DAEMON, ...args], defaultDeadlineMs });

/** @param {number | undefined} pid */
function alive(pid) {
  try {
    process.kill(/** @type {number} */ (pid), 0);
    return true;
  } catch {
    return false;
  }
}

describe('starting', () => {
  const cases = [
    ['a missing executable', { executable: '/nonexistent/uiad-sim' }, /^cannot start \/nonexistent\/uiad-sim: spawn \/nonexistent\/uiad-sim ENOENT$/],
    [
      'an exit before the ready line',
      { executable: process.execPath, args: [FAKE_DAEMON, '--exit-early'] },
      /exited \(status 4\) before it was ready: fake daemon: cannot open the desktop$/,
    ],
    [
      'a scene the simulator cannot read',
      { executable: simExecutable(), args: ['/nonexistent/scene.json'] },
      /uiad-sim exited \(status 2\) before it was ready: uiad-sim: cannot read scene '\/nonexistent\/scene.json'/,
    ],
  ];
  for (const [what, options, message] of cases) {
    test(`${what} is a start error that says why`, async () => {
      await assert.rejects(Daemon.launch(/** @type {any} */ (options)), (error) => {
        assert.ok(error instanceof DaemonStartError);
        assert.match(error.message, /** @type {RegExp} */ (message));
        return true;
      });
    });
  }
});

describe('requests', () => {
  test('queue and are answered in order, errors with the message unchanged', async () => {
    const daemon = await Daemon.launch({ executable: simExecutable() });
    try {
      const [pong, scan, windows, error, foreground] = await Promise.allSettled([
        daemon.ping(),
        daemon.scan('preferences', { max_elements: 2 }),
        daemon.windows('text'),
        daemon.click('notepad', 'auto:1'),
        daemon.foreground(),
      ]);
      assert.deepEqual(pong, { status: 'fulfilled', value: { ok: true, pong: true } });
      assert.equal(scan.status === 'fulfilled' && scan.value.element_count, 2);
      assert.deepEqual(windows.status === 'fulfilled' && windows.value.windows.map((w) => w.title), [
        'notes.txt - Text Editor',
      ]);
      assert.equal(error.status, 'rejected');
      const reason = /** @type {PromiseRejectedResult} */ (error).reason;
      assert.ok(reason instanceof UiadError);
      assert.equal(reason.message, "click: no session for 'notepad'");
      assert.equal(reason.command, 'click');
      assert.deepEqual(reason.response, { error: "click: no session for 'notepad'", ok: false });
      assert.deepEqual(foreground.status === 'fulfilled' && foreground.value, {
        hwnd: 198030, ok: true, title: 'Preferences',
      });
    } finally {
      assert.deepEqual(await daemon.close(), { code: 0, signal: null });
    }
    await assert.rejects(daemon.ping(), new DaemonClosed('ping: the daemon was shut down'));
  });

  test('get answers that arrive in many pieces whole, multi-byte characters included', async () => {
    const daemon = await fake([]);
    try {
      const text = 'é'.repeat(300_000) + '\u{1F600}'.repeat(1000);
      const answer = await daemon.request('echo', { text });
      assert.deepEqual(answer, { ok: true, request: { cmd: 'echo', text } });
      assert.deepEqual(await daemon.ping(), { ok: true, pong: true });
    } finally {
      await daemon.close();
    }
  });

  test('carry text that is not valid Unicode as an escape the daemon refuses, alone', async () => {
    const daemon = await Daemon.launch({ executable: simExecutable() });
    try {
      await assert.rejects(daemon.windows('\ud800'), UiadError);
      assert.deepEqual(await daemon.ping(), { ok: true, pong: true });
    } finally {
      await daemon.close();
    }
  });
});

describe('the watchdog', () => {
  test('kills a hung daemon, starts a fresh one and says the sessions were lost', async () => {
    const daemon = await fake(['--hang', 'scan'], 200);
    const first = daemon.pid;
    try {
      await assert.rejects(daemon.scan('x'), (error) => {
        assert.ok(error instanceof DaemonHung);
        assert.equal(
          error.message,
          `scan: no answer within the deadline of 0.2 s; the daemon was killed and a fresh daemon was started; ${SESSIONS_LOST}`,
        );
        return true;
      });
      assert.equal(daemon.restarts, 1);
      assert.notEqual(daemon.pid, first);
      assert.ok(!alive(first), 'the hung daemon is gone');
      assert.deepEqual(await daemon.ping(), { ok: true, pong: true });
    } finally {
      await daemon.close();
    }
  });

  // The deadline grows by what the request itself asks the daemon to wait.
  const waits = [
    ['click', (/** @type {Daemon} */ d) => d.click('a', 'b', { count: 2 }), '1.65'],
    ['hover', (/** @type {Daemon} */ d) => d.hover('a', 'b', { dwell_ms: 100 }), '0.15'],
    ['wait_for_change', (/** @type {Daemon} */ d) => d.wait_for_change({ timeout_ms: 60000 }), '2.05'],
    ['invoke_menu', (/** @type {Daemon} */ d) => d.invoke_menu('a', 'File>Open'), '0.85'],
  ];
  for (const [cmd, send, seconds] of waits) {
    test(`allows ${cmd} the time it waits`, async () => {
      const daemon = await fake(['--hang', /** @type {string} */ (cmd)], 50);
      try {
        await assert.rejects(/** @type {Function} */ (send)(daemon), (error) => {
          assert.ok(error instanceof DaemonHung);
          assert.match(error.message, new RegExp(`^${cmd}: no answer within the deadline of ${seconds} s;`));
          return true;
        });
      } finally {
        await daemon.close();
      }
    });
  }

  test('cuts a request short when the client closes, and starts no daemon after it', async () => {
    const daemon = await fake(['--hang', 'scan'], 60_000);
    const first = daemon.pid;
    const scan = daemon.scan('x');
    const later = daemon.ping();
    const started = Date.now();
    assert.deepEqual(await daemon.close(300), { code: null, signal: 'SIGKILL' });
    assert.ok(Date.now() - started < 3000);
    await assert.rejects(scan, (error) => {
      assert.ok(error instanceof DaemonExited);
      assert.match(error.message, /^scan: the daemon exited \(killed by SIGKILL\) without answering; a fresh daemon could not be started \(the client is closing\)/);
      return true;
    });
    await assert.rejects(later, new DaemonClosed('ping: the daemon was shut down'));
    assert.equal(daemon.pid, undefined);
    assert.ok(!alive(first));
  });

  const failures = [
    ['--die', 'the daemon exited (status 3) without answering (fake daemon: crashed in windows)'],
    ['--garbage', 'the daemon answered "Segmentation fault", not a JSON object'],
  ];
  for (const [flag, what] of failures) {
    test(`replaces a daemon that ${flag === '--die' ? 'dies' : 'writes garbage'} while answering`, async () => {
      const daemon = await fake([flag, 'windows']);
      try {
        await assert.rejects(
          daemon.windows(),
          new DaemonExited('windows', what, true),
        );
        assert.equal(daemon.restarts, 1);
        assert.deepEqual(await daemon.ping(), { ok: true, pong: true });
      } finally {
        await daemon.close();
      }
    });
  }
});
