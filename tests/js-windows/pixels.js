'use strict';
// One-bit pictures as rows of packed bytes, a set bit a black pixel: read from the PNGs kestrane
// writes and the PBMs Ghostscript writes, cut, and compared.
const zlib = require('zlib');

// A one-bit greyscale PNG (filters undone; PNG's 0 is black, so the bits are inverted).
function readPng(bytes) {
  const width = bytes.readUInt32BE(16), height = bytes.readUInt32BE(20), stride = Math.ceil(width / 8);
  const chunks = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at), type = bytes.toString('latin1', at + 4, at + 8);
    if (type === 'IDAT') chunks.push(bytes.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(chunks));
  const rows = [];
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], row = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let x = 0; x < stride; ++x) {
      const a = x ? row[x - 1] : 0, b = previous[x], c = x ? previous[x - 1] : 0, p = a + b - c;
      const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a
        : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
      row[x] = (row[x] + [0, a, b, (a + b) >> 1, paeth][filter]) & 255;
    }
    previous = row;
    rows.push(row.map((byte) => ~byte & 255));
  }
  return { width, height, rows: clearPadding(rows, width) };
}

// Binary PBM (P4), as Ghostscript's pbmraw device writes it; several images may follow each other.
function readPbms(bytes) {
  const images = [];
  for (let at = 0; at < bytes.length;) {
    const fields = [];
    while (fields.length < 3) {
      while (/\s/.test(String.fromCharCode(bytes[at]))) ++at;
      if (bytes[at] === 0x23) {  // a comment, to the end of its line
        while (bytes[at] !== 0x0a) ++at;
        continue;
      }
      const start = at;
      while (!/\s/.test(String.fromCharCode(bytes[at]))) ++at;
      fields.push(bytes.toString('latin1', start, at));
    }
    ++at;
    const [magic, width, height] = [fields[0], Number(fields[1]), Number(fields[2])];
    if (magic !== 'P4') throw new Error(`not a binary PBM: ${magic}`);
    const stride = Math.ceil(width / 8), rows = [];
    for (let y = 0; y < height; ++y, at += stride) rows.push(Buffer.from(bytes.subarray(at, at + stride)));
    images.push({ width, height, rows: clearPadding(rows, width) });
  }
  return images;
}

function clearPadding(rows, width) {
  const mask = width % 8 ? (0xff << (8 - (width % 8))) & 255 : 255;
  for (const row of rows) if (row.length) row[row.length - 1] &= mask;
  return rows;
}

const pixel = (image, x, y) => x >= 0 && y >= 0 && x < image.width && y < image.height &&
  (image.rows[y][x >> 3] >> (7 - (x & 7))) & 1;

// The part of `image` from (left, top), `width` x `height`; outside the image is white.
function cut(image, left, top, width, height) {
  const rows = [];
  for (let y = 0; y < height; ++y) {
    const row = Buffer.alloc(Math.ceil(width / 8));
    for (let x = 0; x < width; ++x) if (pixel(image, left + x, top + y)) row[x >> 3] |= 0x80 >> (x & 7);
    rows.push(row);
  }
  return { width, height, rows };
}

// How many pixels of two pictures of the same size differ.
function differingPixels(a, b) {
  let count = 0;
  a.rows.forEach((row, y) => row.forEach((byte, x) => {
    for (let bits = byte ^ b.rows[y][x]; bits; bits &= bits - 1) ++count;
  }));
  return count;
}

// `image` with every black pixel grown by one pixel in each direction (a 3 x 3 square).
function grown(image) {
  const wide = image.rows.map((row) => row.map((byte, x) =>
    byte | (byte >> 1) | ((row[x - 1] || 0) << 7) | (byte << 1) | ((row[x + 1] || 0) >> 7)));
  wide.forEach((row) => { row.forEach((_, x) => { row[x] &= 255; }); });
  const rows = wide.map((row, y) => row.map((byte, x) =>
    byte | (y > 0 ? wide[y - 1][x] : 0) | (y + 1 < wide.length ? wide[y + 1][x] : 0)));
  return clearPaddingOf({ width: image.width, height: image.height, rows });
}

const clearPaddingOf = (image) => ({ ...image, rows: clearPadding(image.rows, image.width) });

// The black pixels of `a` farther than `distance` pixels (in x and in y) from every black pixel
// of `b`, and the other way round: what differs beyond a glyph's edge.
function distantPixels(a, b, distance) {
  const count = (from, other) => {
    let near = other;
    for (let i = 0; i < distance; ++i) near = grown(near);
    let n = 0;
    from.rows.forEach((row, y) => row.forEach((byte, x) => {
      for (let bits = byte & ~near.rows[y][x] & 255; bits; bits &= bits - 1) ++n;
    }));
    return n;
  };
  return count(a, b) + count(b, a);
}

const inkCount = (image) => image.rows.reduce((sum, row) => sum + row.reduce((s, byte) => {
  let n = 0;
  for (let bits = byte; bits; bits &= bits - 1) ++n;
  return s + n;
}, 0), 0);

module.exports = { readPng, readPbms, cut, differingPixels, distantPixels, inkCount };
