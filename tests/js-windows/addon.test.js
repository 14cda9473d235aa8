'use strict';
// The Windows add-on (KestranePrinting.node for win32-ia32, drawing with GDI) in a 32-bit
// node.exe under Wine: its checks, its conversion and drawing against the reviewed outputs the
// POSIX build makes, and the EPSON path through an lpr.exe that records what it was given.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { readPng, differingPixels } = require('./pixels');

const addon = require(process.env.KESTRANE_ADDON);
const root = process.env.KESTRANE_SOURCE;
const samples = path.join(root, 'samples');
const base = path.join(samples, 'base');
const reviewed = path.join(root, 'tests', 'data');
const read = (file) => fs.readFileSync(file, 'latin1');

test('the checks answer before anything is printed', () => {
  const table = '<table><tr><td>Total</td></tr></table>';
  const cases = [
    [[], 'Error - Expected 2 arguments - > (1) printerName (2) receiptText.'],
    [['  ', '', '', '', ''], 'Error - Printer name cannot be blank!'],
    [['receipt80', '\t\n', 'x', '', table], 'Error - Printer type cannot be blank!'],
    [['receipt80', 'LASER', 'x', base, table], 'Error - Printer not supported!'],
    // Wine's spooler here has no printer of that name.
    [['receipt80', 'STAR', 'x', base, table], 'Error - Printer is offline'],
    [['x', 'EPSON', '10.0.0.5 -P other', base, table],
      'Error - The printer address must not contain blanks or control characters'],
    // Names reach the ANSI calls in Windows-1252: one it cannot spell is refused, not changed.
    [['Kasse Ω', 'STAR', 'x', base, table],
      'Error - Argument 1 (printerName) holds characters that Windows-1252 cannot hold'],
    [['x', 'EPSON', '10.0.0.5', `${base}\\名`, table],
      'Error - Argument 4 (imageDirectory) holds characters that Windows-1252 cannot hold'],
    [['Kassé €', 'STAR', 'x', base, table], 'Error - Printer is offline'],
    [['receipt80\0other', 'STAR', 'x', base, table], 'Error - Argument 1 (printerName) holds a NUL character'],
  ];
  for (const [args, message] of cases) assert.strictEqual(addon.printReceipt(...args), message, String(args[1]));
});

test('conversion and drawing give what the POSIX build gives', async () => {
  for (const sample of ['kestrane', 'vexo', 'invoice']) {
    const layout = read(path.join(samples, `${sample}.html`));
    const pngs = await addon.renderReceipt(layout, { base });
    const sections = fs.readdirSync(path.join(reviewed, 'receipts', sample)).filter((f) => f.startsWith('section-'));
    assert.strictEqual(pngs.length, sections.length, sample);
    // The same layout: every section as tall as the reviewed one. Pixels differ where GDI
    // draws a glyph or halftones an image otherwise than the POSIX build does; the count is
    // reported and bounded.
    pngs.forEach((png, i) => {
      const [got, want] = [png, fs.readFileSync(path.join(reviewed, 'receipts', sample, `section-${i + 1}.png`))]
        .map(readPng);
      assert.strictEqual(got.height, want.height, `${sample} ${i + 1}`);
      const differing = differingPixels(got, want);
      const share = differing / (570 * got.height);
      console.log(`${sample} section ${i + 1}: ${differing} pixels differ from the POSIX drawing (${(share * 100).toFixed(2)}%)`);
      assert.ok(share < 0.08, `${sample} ${i + 1}: ${differing} pixels differ`);
    });
  }
});

test('EPSON jobs go to the lpr.exe of the job directory, which must succeed', () => {
  const till = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-win-'));
  const jobs = path.join(till, 'node_modules', 'printer', 'build');
  fs.mkdirSync(jobs, { recursive: true });
  fs.copyFileSync(process.env.KESTRANE_FAKE_LPR, path.join(jobs, 'lpr.exe'));
  // Read as 'latin1', the file reaches the job as its own bytes.
  const layout = read(path.join(samples, 'vexo.html'));

  assert.strictEqual(addon.printReceipt('x', 'EPSON', '10.0.0.5', till, layout), 'Receipt printed sucessfully');
  const command = read(path.join(jobs, 'lpr-command.txt'));
  assert.match(command, /^"[^"]*\\lpr\.exe" -S "10\.0\.0\.5" -P RAW "[^"]*\\[0-9a-f]{32}_receipt\.ps"$/);
  // The stream, with its line feeds stored as CR LF, as reviewed.
  assert.deepStrictEqual(fs.readFileSync(path.join(jobs, 'lpr-received.bin')),
    fs.readFileSync(path.join(reviewed, 'escpos', 'vexo.escpos')));

  fs.writeFileSync(path.join(jobs, 'lpr-exit-code.txt'), '2');
  assert.strictEqual(addon.printReceipt('x', 'EPSON', '10.0.0.5', till, layout),
    'Error - lpr.exe could not deliver the job to 10.0.0.5 (exit code 2)');
  // No stream file is left behind either way.
  assert.deepStrictEqual(fs.readdirSync(jobs).filter((f) => f.endsWith('_receipt.ps')), []);
});
