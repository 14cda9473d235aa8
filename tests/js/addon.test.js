'use strict';
// printReceipt and the other exports of the add-on, from JavaScript, against the virtual printer.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { root, startPrinter, kestrane } = require('./virtual-printer');
const addon = require('../..');

// Read as 'latin1', a Windows-1252 file reaches the jobs as its own bytes (tests/js/strings.test.js).
const sample = fs.readFileSync(path.join(root, 'samples', 'vexo.html'), 'latin1');
const base = path.join(root, 'samples', 'base');
const table = '<table><tr><td>Total</td></tr></table>';
const starSuccess = 'Return - Print Operation was successful';

// One virtual printer for the file: the CUPS client of a thread keeps the scheduler it first
// found, so the file's calls all go to one.
const printer = startPrinter();
test.after(() => printer.stop());

test('printReceipt answers every call with one message', async () => {
  const throwing = { toString() { throw new Error('no text'); } };
  const cases = [
    ['no argument', [], 'Error - Expected 2 arguments - > (1) printerName (2) receiptText.'],
    ['one argument', ['receipt80'], 'Error - Expected 2 arguments - > (1) printerName (2) receiptText.'],
    // The missing arguments are the text "undefined": no markup, after the printer checks.
    ['two arguments', ['receipt80', 'STAR'], 'Error - Unsupported Receipt Layout Format!'],
    ['blank name first', ['  ', '', '', '', ''], 'Error - Printer name cannot be blank!'],
    ['blank type', ['receipt80', '\t\n', 'x', '', table], 'Error - Printer type cannot be blank!'],
    ['blank address, even for STAR', ['receipt80', 'STAR', ' \r ', '', table], 'Error - IP address cannot be blank!'],
    ['blank receipt text', ['receipt80', 'STAR', 'x', '', ' \n'], 'Error - Receipt text cannot be blank!'],
    ['the base directory is not checked', ['receipt80', 'STAR', 'x', '', table], starSuccess],
    ['a type in mixed case', ['receipt80', 'sTaR', 'x', base, table], starSuccess],
    ['a type with a leading space', ['receipt80', ' STAR', 'x', base, table], 'Error - Printer not supported!'],
    ['another type', ['receipt80', 'LASER', 'x', base, table], 'Error - Printer not supported!'],
    ['a number as printer name', [12345, 'STAR', 'x', base, table], 'Error - Printer is offline'],
    ['extra arguments are ignored', ['receipt80', 'STAR', 'x', base, table, 'more', 7], starSuccess],
    ['a Symbol', [Symbol('printer'), 'STAR', 'x', base, table],
      'Error - Argument 1 (printerName) cannot be converted to a string'],
    ['a throwing toString', ['receipt80', 'STAR', 'x', throwing, table],
      'Error - Argument 4 (imageDirectory) cannot be converted to a string'],
  ];
  for (const [what, args, message] of cases) {
    assert.strictEqual(addon.printReceipt(...args), message, what);
    assert.strictEqual(await addon.printReceiptAsync(...args), message, `${what} (async)`);
  }
  // Three of the calls printed, twice each; nothing else did.
  assert.strictEqual(printer.jobs('receipt80', 6).length, 6);
});

test('what reaches the printers is what kestrane sends for the same layout', async () => {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-js-')), 'sample.html');
  fs.writeFileSync(file, sample, 'latin1');

  assert.strictEqual(addon.printReceipt('receipt80', 'STAR', 'x', base, sample), starSuccess);
  const fromJs = printer.jobs('receipt80', 1);
  kestrane(['print', '--type', 'STAR', '--printer', 'receipt80', '--base', base, file]);
  assert.deepStrictEqual(fromJs, printer.jobs('receipt80', 1));

  const epsonBase = path.dirname(file);
  fs.mkdirSync(path.join(epsonBase, 'node_modules', 'printer', 'build'), { recursive: true });
  assert.strictEqual(await addon.printReceiptAsync('till', 'EPSON', printer.lpdAddress, epsonBase, sample),
    'Receipt printed sucessfully');
  const stream = kestrane(['escpos', file]);
  assert.deepStrictEqual(printer.jobs('RAW', 1), [stream]);
  assert.deepStrictEqual(addon.escposReceipt(Buffer.from(sample, 'latin1')), stream);

  const names = addon.listPrinters().map((p) => `${p.name} ${p.state} ${p.accepting} ${p.size && p.size.width}`);
  assert.deepStrictEqual(names, ['RAW idle true null', 'receipt58 idle true 383', 'receipt80 idle true 575',
    'receiptps idle true 575']);
});

// A PNG image's header and its inflated rows: equal for equal pictures however zlib cut them.
function pngRows(png) {
  const parts = { header: null, data: [] };
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    if (type === 'IHDR') parts.header = png.subarray(at + 8, at + 8 + length).toString('hex');
    if (type === 'IDAT') parts.data.push(png.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  return { header: parts.header, rows: zlib.inflateSync(Buffer.concat(parts.data)) };
}

test('renderReceipt gives the images kestrane render writes', async () => {
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-js-'));
  const file = path.join(out, 'sample.html');
  fs.writeFileSync(file, sample, 'latin1');
  kestrane(['render', file, '-o', out, '--base', base]);
  kestrane(['render', file, '-o', out, '--base', base, '--preview']);
  const layout = Buffer.from(sample, 'latin1');
  const images = await addon.renderReceipt(layout, { base });
  assert.deepStrictEqual(images.map(pngRows), [pngRows(fs.readFileSync(path.join(out, 'section-1.png')))]);
  const preview = await addon.renderReceipt(layout, { base, preview: true });
  assert.deepStrictEqual(preview.map(pngRows), [pngRows(fs.readFileSync(path.join(out, 'preview.png')))]);
  await assert.rejects(addon.renderReceipt('<table><tr></table>'), { message: 'Error - Template Could not Pass Correctly' });
  await assert.rejects(addon.renderReceipt('x', { preview: true }), { message: 'Template Could not Render' });
  // The synchronous form: the same bytes, the same Errors thrown.
  assert.deepStrictEqual(addon.renderReceiptSync(layout, { base }), images);
  assert.deepStrictEqual(addon.renderReceiptSync(layout, { base, preview: true }), preview);
  assert.throws(() => addon.renderReceiptSync('<table><tr></table>'), { message: 'Error - Template Could not Pass Correctly' });
  assert.throws(() => addon.renderReceiptSync('x', { preview: true }), { message: 'Template Could not Render' });
  assert.throws(() => addon.renderReceiptSync(), { message: 'Error - Argument 1 (layout) is missing', ok: false });
  assert.throws(() => addon.escposReceipt(' '.repeat(4 * 1024 * 1024 + 1)), /larger than 4194304 bytes/);
});

test('what is not a layout is said so, bytes come in any binary form, and nothing huge is copied first', async () => {
  const layout = fs.readFileSync(path.join(root, 'samples', 'vexo.html'));
  const stream = addon.escposReceipt(layout);
  const copy = new Uint8Array(layout);
  for (const bytes of [copy, copy.buffer, new DataView(copy.buffer)]) {
    assert.deepStrictEqual(addon.escposReceipt(bytes), stream, Object.prototype.toString.call(bytes));
  }
  assert.throws(() => addon.escposReceipt(), { message: 'Error - Argument 1 (layout) is missing', ok: false });
  // A getter that throws is an option not given: the call still answers with its Promise.
  const drawn = addon.renderReceipt(layout, { get base() { throw new Error('no base'); } });
  assert.ok(drawn instanceof Promise);
  assert.strictEqual((await drawn).length, 1);
  // Over the caps, refused before anything is copied.
  assert.strictEqual(addon.printReceipt('x'.repeat(40000), 'STAR', 'x', 'x', 'x'),
    'Error - Argument 1 (printerName) is longer than 32768 characters');
  assert.strictEqual(addon.printReceipt('receipt80', 'STAR', 'x', 'x', 'x'.repeat(9 << 20)),
    'Error - The receipt layout is larger than 4194304 bytes (4 MiB), the most a receipt may be');
});
