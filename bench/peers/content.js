// The "Kestrane" sample receipt as plain content, read from samples/kestrane.html, so that every
// library prints the same texts; and the same layout in our own markup with any number of
// label/value rows.
'use strict';

const fs = require('fs');
const path = require('path');

const root = path.resolve(__dirname, '..', '..');
const base = path.join(root, 'samples', 'base');
const images = path.join(base, 'node_modules', 'printer', 'GDIImageDirectory');
const sample = fs.readFileSync(path.join(root, 'samples', 'kestrane.html'), 'latin1');

const plain = (cell) => cell.replace(/<[^>]*>/g, '').replace(/&nbsp;/g, '').trim();
const lines = sample.split(/\r?\n/);
const rowLines = lines.filter((line) => (line.match(/<td>/g) || []).length === 3);
const centred = lines.filter((line) => line.includes('<center>') && !line.includes('<img'))
  .map((line) => ({ text: plain(line), bold: line.includes('<strong>') })).filter((c) => c.text);
const hidden = (name) => sample.match(new RegExp(`name="${name}" value="([^"]*)"`))[1];

// What the receipt says, top to bottom: the logo, centred lines (company, address, VAT number,
// the strong title), label/value rows, a rule, the strong closing line, the bottom image, the
// legal text, a Code 39 barcode (we print its value zero-filled to 12 characters) and a QR code.
const receipt = {
  logo: 'logo.bmp',
  header: centred.slice(0, 4),
  rows: rowLines.map((line) => line.match(/<td>(.*?)<\/td>/g).map(plain)).map(([l, , v]) => [l, v]),
  closing: centred[4].text,
  bottom: 'bottom.bmp',
  legal: centred[5].text,
  barcode: hidden('barcodeText').padStart(12, '0'),
  qrcode: hidden('qrcodeText'),
};

// The receipt with `count` label/value rows (the sample's nine, repeated in turn).
function withRows(count) {
  const rows = Array.from({ length: count }, (_, i) => receipt.rows[i % receipt.rows.length]);
  return { ...receipt, rows };
}

// Our layout with `count` rows: the sample with its row lines repeated in turn.
function layout(count) {
  const first = lines.indexOf(rowLines[0]);
  const rows = Array.from({ length: count }, (_, i) => rowLines[i % rowLines.length]);
  const text = [...lines.slice(0, first), ...rows, ...lines.slice(first + rowLines.length)].join('\n');
  return Buffer.from(text, 'latin1');
}

// A BMP file (8-bit palette or 24-bit, as the sample images are) as raw RGB pixels for sharp.
function readBmp(name) {
  const bmp = fs.readFileSync(path.join(images, name));
  const offset = bmp.readUInt32LE(10);
  const width = bmp.readInt32LE(18);
  const rawHeight = bmp.readInt32LE(22);
  const height = Math.abs(rawHeight);
  const bits = bmp.readUInt16LE(28);
  const stride = Math.ceil((width * bits) / 32) * 4;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; y += 1) {
    const row = offset + stride * (rawHeight > 0 ? height - 1 - y : y);
    for (let x = 0; x < width; x += 1) {
      const at = bits === 8 ? 14 + bmp.readUInt32LE(14) + 4 * bmp[row + x] : row + 3 * x;
      const to = 3 * (y * width + x);
      rgb[to] = bmp[at + 2]; rgb[to + 1] = bmp[at + 1]; rgb[to + 2] = bmp[at];
    }
  }
  return { data: rgb, info: { width, height, channels: 3 } };
}

module.exports = { root, base, receipt, withRows, layout, readBmp };
