// Runs before `npm pack`: copies the daemons built in this source tree into vendor/, so the
// package serves the real desktop on Windows and the demo desktop on Linux with nothing else
// installed. A daemon that has not been built is left out.

import { chmodSync, copyFileSync, existsSync, mkdirSync, rmSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const packageRoot = join(dirname(fileURLToPath(import.meta.url)), '..');
const build = join(packageRoot, '..', '..', 'build');
const bundles = [
  { from: [join(build, 'win', 'src', 'bin', 'uiad.exe')], to: join('win32-x64', 'uiad.exe') },
  {
    from: ['release', 'release-tests'].map((dir) => join(build, dir, 'src', 'bin', 'uiad-sim')),
    to: join('linux-x64', 'uiad-sim'),
  },
];

const vendor = join(packageRoot, 'vendor');
rmSync(vendor, { recursive: true, force: true });
for (const { from, to } of bundles) {
  const source = from.find((file) => existsSync(file));
  if (!source) {
    console.error(`not bundled: ${to} (no build at ${from.join(' or ')})`);
    continue;
  }
  const target = join(vendor, to);
  mkdirSync(dirname(target), { recursive: true });
  copyFileSync(source, target);
  chmodSync(target, 0o755);
  console.error(`bundled ${source} as vendor/${to}`);
}
