// The daemon's screenshots are 32-bit BMP files; agents take PNG images. This reads the bitmap
// and encodes it as PNG.

import { PNG } from 'pngjs';

const FILE_HEADER_BYTES = 14;

/**
 * Decodes an uncompressed 32-bit BMP (top-down or bottom-up rows) into RGBA pixels. GDI leaves
 * the fourth byte of each pixel undefined, so every pixel is made opaque.
 * @param {Buffer} bmp
 * @returns {{width: number, height: number, rgba: Buffer}}
 */
export function decodeBmp(bmp) {
  if (bmp.length < FILE_HEADER_BYTES + 40 || bmp.toString('latin1', 0, 2) !== 'BM') {
    throw new Error('not a BMP file');
  }
  const pixelOffset = bmp.readUInt32LE(10);
  const width = bmp.readInt32LE(18);
  const signedHeight = bmp.readInt32LE(22);
  const bitsPerPixel = bmp.readUInt16LE(28);
  const compression = bmp.readUInt32LE(30);
  if (bitsPerPixel !== 32 || compression !== 0) {
    throw new Error(`unsupported BMP: ${bitsPerPixel} bits per pixel, compression ${compression}`);
  }
  const height = Math.abs(signedHeight);
  if (width <= 0 || height === 0) throw new Error(`BMP of ${width}x${height} pixels has no image`);
  const rowBytes = width * 4;
  if (pixelOffset + rowBytes * height > bmp.length) throw new Error('BMP pixel data is cut short');
  const rgba = Buffer.alloc(rowBytes * height);
  for (let y = 0; y < height; y++) {
    const sourceRow = signedHeight < 0 ? y : height - 1 - y;
    let from = pixelOffset + sourceRow * rowBytes;
    let to = y * rowBytes;
    for (let x = 0; x < width; x++, from += 4, to += 4) {
      rgba[to] = bmp[from + 2];
      rgba[to + 1] = bmp[from + 1];
      rgba[to + 2] = bmp[from];
      rgba[to + 3] = 255;
    }
  }
  return { width, height, rgba };
}

/**
 * @param {Buffer} bmp a 32-bit BMP file as the daemon writes it
 * @returns {{width: number, height: number, png: Buffer}}
 */
export function bmpToPng(bmp) {
  const { width, height, rgba } = decodeBmp(bmp);
  const image = new PNG({ width, height });
  rgba.copy(image.data);
  return { width, height, png: PNG.sync.write(image) };
}
