'use strict';
// JavaScript strings on their way to the engine: layout text as Windows-1252, the character set
// receipts are drawn in; names and paths as UTF-8 on Linux; U+0000 refused rather than cut at.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { root, startPrinter } = require('./virtual-printer');
const addon = require('../..');

const [open, close] = ['<table><tr><td>', '</td></tr></table>'];
const cell = (text) => open + text + close;
const cellBytes = (bytes) => Buffer.concat([Buffer.from(open), Buffer.from(bytes), Buffer.from(close)]);
const range = (from, to) => Array.from({ length: to - from + 1 }, (_, i) => from + i);
const base = path.join(root, 'samples', 'base');
const starSuccess = 'Return - Print Operation was successful';

// Windows-1252's characters for bytes 0x80 to 0x9F; the five bytes it leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of their own value.
const high = '€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8DŽ\x8F\x90‘’“”•–—˜™š›œ\x9DžŸ';

const printer = startPrinter();
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-js-'));
test.after(() => { printer.stop(); fs.rmSync(scratch, { recursive: true, force: true }); });

test('layout text reaches the engine as Windows-1252 bytes', async () => {
  const cases = [
    ['ASCII', 'Total 12.50', Buffer.from('Total 12.50')],
    ['the euro and copyright signs', 'Kaffee 3,50 € ©', [...Buffer.from('Kaffee 3,50 '), 0x80, 0x20, 0xA9]],
    ['0x80 to 0x8F', high.slice(0, 16), range(0x80, 0x8F)],
    ['0x90 to 0x9F', high.slice(16), range(0x90, 0x9F)],
    ['U+00A1 to U+00BF', String.fromCharCode(...range(0xA1, 0xBF)), range(0xA1, 0xBF)],
    ['U+00C0 to U+00FF', String.fromCharCode(...range(0xC0, 0xDF)), range(0xC0, 0xDF)],
    ['C1 controls keep their byte, as a file read as latin1 gives them', '\x80\x8A\x9F', [0x80, 0x8A, 0x9F]],
    ['Greek, past U+00FF, CJK', 'Ω Ā 名', Buffer.from('? ? ?')],
    ['an astral character is one ?', 'a😀b', Buffer.from('a?b')],
    ['lone and reversed surrogates', 'a\uD800b\uDC00c\uDE00\uD83D', Buffer.from('a?b?c??')],
  ];
  for (const [what, text, bytes] of cases) {
    const stream = addon.escposReceipt(cell(text));
    assert.deepStrictEqual(stream, addon.escposReceipt(cellBytes(bytes)), what);
    assert.ok(stream.includes(Buffer.from(bytes)), what);
    const [png] = await addon.renderReceipt(cell(text));
    assert.deepStrictEqual(png, (await addon.renderReceipt(cellBytes(bytes)))[0], `${what} (rendered)`);
  }
  // Drawn, the euro sign is not what its UTF-8 bytes would draw.
  const [euro] = await addon.renderReceipt(cell('€'));
  assert.notDeepStrictEqual(euro, (await addon.renderReceipt(cellBytes(Buffer.from('€'))))[0]);
});

test('printReceipt sends layout text as Windows-1252 to both types of printer', async () => {
  const epsonBase = path.join(scratch, 'epson');
  fs.mkdirSync(path.join(epsonBase, 'node_modules', 'printer', 'build'), { recursive: true });
  const want = addon.escposReceipt(cellBytes([0x80, 0x20, 0xA9]));
  assert.strictEqual(addon.printReceipt('-', 'EPSON', printer.lpdAddress, epsonBase, cell('€ ©')), 'Receipt printed sucessfully');
  assert.strictEqual(await addon.printReceiptAsync('-', 'EPSON', printer.lpdAddress, epsonBase, cell('€ ©')),
    'Receipt printed sucessfully');
  assert.deepStrictEqual(printer.jobs('RAW', 2), [want, want]);

  // The same bytes from real characters and from the latin1 reading of a Windows-1252 file.
  for (const text of ['€ ©', '\x80 \xA9']) {
    assert.strictEqual(addon.printReceipt('receipt80', 'STAR', 'x', base, cell(text)), starSuccess);
    assert.strictEqual(await addon.printReceiptAsync('receipt80', 'STAR', 'x', base, cell(text)), starSuccess);
  }
  const jobs = printer.jobs('receipt80', 4);
  assert.strictEqual(jobs.length, 4);
  jobs.forEach((job) => assert.deepStrictEqual(job, jobs[0]));
});

test('a string holding U+0000 is refused; a Buffer passes its zero bytes', async () => {
  const names = ['printerName', 'printerType', 'ipAddress', 'imageDirectory', 'receiptText'];
  const good = ['receipt80', 'STAR', 'x', base, cell('Total')];
  const cut = ['receipt80\0other', 'STAR\0', 'x\0y', '\0', cell('Total') + '\0<b>rest</b>'];
  for (let i = 0; i < 5; i += 1) {
    const args = good.map((value, k) => (k === i ? cut[i] : value));
    const message = `Error - Argument ${i + 1} (${names[i]}) holds a NUL character`;
    assert.strictEqual(addon.printReceipt(...args), message);
    assert.strictEqual(await addon.printReceiptAsync(...args), message);
  }
  assert.deepStrictEqual(printer.jobs('receipt80', 0), []);

  await assert.rejects(addon.renderReceipt(cell('a\0b')), { message: 'Error - Argument 1 (layout) holds a NUL character' });
  await assert.rejects(addon.renderReceipt(cell('a'), { base: `${base}\0` }),
    { message: 'Error - Argument 2 (options.base) holds a NUL character' });
  assert.throws(() => addon.escposReceipt(cell('a\0b')), { message: 'Error - Argument 1 (layout) holds a NUL character' });
  assert.ok(addon.escposReceipt(cellBytes([0x61, 0, 0x62])).includes(Buffer.from([0x61, 0, 0x62])));
});

test('names and paths pass as UTF-8 on Linux', async () => {
  // A base directory whose name Windows-1252 could not even spell, holding the samples' images.
  const till = path.join(scratch, 'Kasse Ω €');
  fs.cpSync(base, till, { recursive: true });
  const layout = fs.readFileSync(path.join(root, 'samples', 'vexo.html'), 'latin1');
  const [withImages] = await addon.renderReceipt(layout, { base });
  assert.deepStrictEqual((await addon.renderReceipt(layout, { base: till }))[0], withImages);
  assert.notDeepStrictEqual((await addon.renderReceipt(layout, { base: scratch }))[0], withImages);

  fs.mkdirSync(path.join(till, 'node_modules', 'printer', 'build'));
  assert.strictEqual(addon.printReceipt('-', 'EPSON', printer.lpdAddress, till, layout), 'Receipt printed sucessfully');
  assert.strictEqual(printer.jobs('RAW', 1).length, 1);
});
