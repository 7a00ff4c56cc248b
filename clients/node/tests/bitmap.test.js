// Screenshots reach agents as PNG: the daemon's bitmaps are read in either row order and
// anything else is refused with a reason.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import { PNG } from 'pngjs';

import { bmpToPng } from '../src/bitmap.js';

/**
 * A 2x2 32-bit bitmap: top row red, green; bottom row blue, white (BGRA bytes on disk).
 * @param {{topDown?: boolean, bits?: number, cut?: number}} options
 */
function bitmap({ topDown = true, bits = 32, cut = 0 } = {}) {
  const rows = [
    [0, 0, 255, 0, 0, 255, 0, 0],
    [255, 0, 0, 0, 255, 255, 255, 0],
  ];
  const pixels = Buffer.from((topDown ? rows : [...rows].reverse()).flat());
  const header = Buffer.alloc(54);
  header.write('BM', 0, 'latin1');
  header.writeUInt32LE(54 + pixels.length, 2);
  header.writeUInt32LE(54, 10);
  header.writeUInt32LE(40, 14);
  header.writeInt32LE(2, 18);
  header.writeInt32LE(topDown ? -2 : 2, 22);
  header.writeUInt16LE(1, 26);
  header.writeUInt16LE(bits, 28);
  const file = Buffer.concat([header, pixels]);
  return file.subarray(0, file.length - cut);
}

const RGBA = [255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255];

for (const topDown of [true, false]) {
  test(`a ${topDown ? 'top-down' : 'bottom-up'} bitmap becomes an opaque PNG of the same picture`, () => {
    const { width, height, png } = bmpToPng(bitmap({ topDown }));
    assert.deepEqual([width, height], [2, 2]);
    const image = PNG.sync.read(png);
    assert.deepEqual([...image.data], RGBA);
  });
}

const refused = [
  ['that is not a bitmap', Buffer.from('GIF89a'.padEnd(80, '\0')), 'not a BMP file'],
  ['of 24 bits per pixel', bitmap({ bits: 24 }), 'unsupported BMP: 24 bits per pixel, compression 0'],
  ['cut short', bitmap({ cut: 1 }), 'BMP pixel data is cut short'],
];
for (const [what, file, message] of refused) {
  test(`a bitmap ${what} is refused`, () => {
    assert.throws(() => bmpToPng(/** @type {Buffer} */ (file)), { message: /** @type {string} */ (message) });
  });
}
