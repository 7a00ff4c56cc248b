// Finds the daemon to start: `uiad.exe` on Windows, the simulated desktop `uiad-sim` elsewhere.

import { accessSync, constants } from 'node:fs';
import { delimiter, dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const packageRoot = join(dirname(fileURLToPath(import.meta.url)), '..');

/**
 * The places searched, in order: the daemon bundled into the package, the builds of the source
 * tree this package sits in, and the folders on PATH.
 * @param {NodeJS.Platform} platform
 * @param {NodeJS.ProcessEnv} env
 */
export function candidates(platform = process.platform, env = process.env) {
  const windows = platform === 'win32';
  const name = windows ? 'uiad.exe' : 'uiad-sim';
  const repository = join(packageRoot, '..', '..', 'build');
  const builds = windows ? ['win'] : ['release', 'release-tests', 'asan'];
  const path = (env.PATH ?? '').split(delimiter).filter(Boolean);
  return [
    join(packageRoot, 'vendor', `${platform}-${process.arch}`, name),
    ...builds.map((build) => join(repository, build, 'src', 'bin', name)),
    ...path.map((folder) => join(folder, name)),
  ];
}

/**
 * The daemon executable: `$UIAD_DAEMON` when set, else the first candidate that exists.
 * @param {NodeJS.ProcessEnv} [env]
 * @returns {string | null}
 */
export function locateDaemon(env = process.env) {
  if (env.UIAD_DAEMON) return env.UIAD_DAEMON;
  for (const file of candidates(process.platform, env)) {
    try {
      accessSync(file, constants.X_OK);
      return file;
    } catch {
      // not there; try the next place
    }
  }
  return null;
}
