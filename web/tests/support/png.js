// Reads the PNG files browsers write for screenshots (8-bit RGB or RGBA, not
// interlaced) into RGBA pixels, so tests can look at pixels without another
// package.
import { deflateSync, inflateSync } from 'node:zlib';

const SIGNATURE = Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]);

export function decodePng(buffer) {
  if (!buffer.subarray(0, 8).equals(SIGNATURE))
    throw new Error('not a PNG file');
  let width = 0, height = 0, bitDepth = 0, colorType = 0, interlace = 0;
  const data = [];
  for (let at = 8; at < buffer.length;) {
    const length = buffer.readUInt32BE(at);
    const type = buffer.toString('latin1', at + 4, at + 8);
    const body = buffer.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      bitDepth = body[8];
      colorType = body[9];
      interlace = body[12];
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  const channels = { 2: 3, 6: 4 }[colorType];
  if (bitDepth !== 8 || !channels || interlace !== 0)
    throw new Error(`unsupported PNG: depth ${bitDepth}, color type ${colorType}, interlace ${interlace}`);
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = rows.subarray(y * stride, (y + 1) * stride);
    const previous = y > 0 ? rows.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? out[x - channels] : 0;
      const b = previous[x];
      const c = x >= channels ? previous[x - channels] : 0;
      let value = line[x];
      switch (filter) {
        case 0: break;
        case 1: value += a; break;
        case 2: value += b; break;
        case 3: value += (a + b) >> 1; break;
        case 4: {
          const p = a + b - c;
          const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          value += pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
          break;
        }
        default: throw new Error(`bad PNG filter ${filter}`);
      }
      out[x] = value & 255;
    }
  }
  const rgba = new Uint8Array(width * height * 4);
  for (let i = 0, j = 0; i < width * height; ++i, j += channels) {
    rgba[i * 4] = rows[j];
    rgba[i * 4 + 1] = rows[j + 1];
    rgba[i * 4 + 2] = rows[j + 2];
    rgba[i * 4 + 3] = channels === 4 ? rows[j + 3] : 255;
  }
  return { width, height, rgba };
}

// The mean of |a - b| over red, green and blue inside the rectangle.
export function meanDifference(a, b, rect = { x: 0, y: 0, width: a.width, height: a.height }) {
  let sum = 0;
  for (let y = rect.y; y < rect.y + rect.height; ++y) {
    for (let x = rect.x; x < rect.x + rect.width; ++x) {
      const i = (y * a.width + x) * 4;
      const j = (y * b.width + x) * 4;
      sum += Math.abs(a.rgba[i] - b.rgba[j]) + Math.abs(a.rgba[i + 1] - b.rgba[j + 1])
        + Math.abs(a.rgba[i + 2] - b.rgba[j + 2]);
    }
  }
  return sum / (rect.width * rect.height * 3);
}

// How many pixels of the rectangle differ by more than `threshold` (summed
// over red, green and blue).
export function changedPixels(a, b, rect, threshold = 30) {
  let count = 0;
  for (let y = rect.y; y < rect.y + rect.height; ++y) {
    for (let x = rect.x; x < rect.x + rect.width; ++x) {
      const i = (y * a.width + x) * 4;
      const d = Math.abs(a.rgba[i] - b.rgba[i]) + Math.abs(a.rgba[i + 1] - b.rgba[i + 1])
        + Math.abs(a.rgba[i + 2] - b.rgba[i + 2]);
      if (d > threshold)
        ++count;
    }
  }
  return count;
}

export function pixel(image, x, y) {
  const i = (y * image.width + x) * 4;
  return [image.rgba[i], image.rgba[i + 1], image.rgba[i + 2]];
}

// Pixels of the rectangle of `shot` that show `photo` rather than its `ice`
// (`distinct`: only where the photo differs clearly from the ice there).
export function photoPixels(shot, photo, ice, rect, distinct = true) {
  let count = 0;
  for (let y = rect.y; y < rect.y + rect.height; ++y) {
    for (let x = rect.x; x < rect.x + rect.width; ++x) {
      const [r, g, b] = pixel(shot, x, y);
      const [pr, pg, pb] = pixel(photo, x, y);
      const [ir, ig, ib] = pixel(ice, x, y);
      const toPhoto = Math.abs(r - pr) + Math.abs(g - pg) + Math.abs(b - pb);
      const toIce = Math.abs(r - ir) + Math.abs(g - ig) + Math.abs(b - ib);
      if (toPhoto < 24 && (!distinct || toIce > 60))
        ++count;
    }
  }
  return count;
}

// A black-and-white PNG (one bit a pixel) of `width` x `height`, all black:
// a few hundred kilobytes even for a picture of a billion pixels. With
// `storedRows`, the header still says `height` but only that many rows
// follow, as in a file cut short.
export function blackPng(width, height, storedRows = height) {
  const row = Buffer.alloc(1 + Math.ceil(width / 8)); // filter byte, then no bits set
  const rows = Buffer.alloc(row.length * storedRows);
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([1, 0, 0, 0, 0], 8); // bit depth 1, greyscale, deflate, no filter, no interlace
  return Buffer.concat([SIGNATURE, chunk('IHDR', header), chunk('IDAT', deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

function chunk(type, data) {
  const typed = Buffer.concat([Buffer.from(type, 'latin1'), data]);
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(typed));
  return Buffer.concat([length, typed, crc]);
}

function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) {
    crc ^= byte;
    for (let bit = 0; bit < 8; ++bit)
      crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return (crc ^ 0xffffffff) >>> 0;
}

// An opaque PNG of `width` x `height` in one colour ([r, g, b]).
export function solidPng(width, height, [r, g, b]) {
  const row = Buffer.alloc(1 + width * 3);
  for (let x = 0; x < width; ++x)
    row.set([r, g, b], 1 + x * 3);
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8); // 8 bits, RGB, deflate, no filter, no interlace
  const rows = Buffer.concat(Array.from({ length: height }, () => row));
  return Buffer.concat([SIGNATURE, chunk('IHDR', header), chunk('IDAT', deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}
