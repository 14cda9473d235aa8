'use strict';
// The Windows command line (kestrane.exe, drawing with GDI) under Wine, driven from this machine:
// STAR jobs printed through Wine's spooler to a queue of the virtual printer, whose PostScript is
// decoded with Ghostscript and compared with the pages the job drew; and the same layouts drawn
// by the Windows and the POSIX command lines, compared section by section, with a report.
const test = require('node:test');
const assert = require('node:assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { root, startPrinter, kestrane } = require('../js/virtual-printer');
const { readPng, readPbms, cut, differingPixels, distantPixels, inkCount } = require('./pixels');

const windowsCli = process.env.KESTRANE_WIN32_CLI;
const report = process.env.KESTRANE_CROSS_REPORT;
const samples = path.join(root, 'samples');
const base = path.join(samples, 'base');

// A path of this machine as Wine's programs see it.
const windowsPath = (file) => `Z:${file.replace(/\//g, '\\')}`;

function windows(args) {
  const out = execFileSync('wine', [windowsCli, ...args], { env: { ...process.env, WINEDEBUG: '-all' } });
  return out.toString('latin1').replace(/\r\n/g, '\n');
}

const temporary = () => fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-wine-'));

// section-N[-page-M].png of a directory, by N then M.
function sections(dir) {
  const number = (name) => name.match(/\d+/g).map(Number);
  return fs.readdirSync(dir).filter((name) => name.endsWith('.png'))
    .sort((a, b) => number(a)[0] - number(b)[0] || (number(a)[1] || 0) - (number(b)[1] || 0))
    .map((name) => ({ name, image: readPng(fs.readFileSync(path.join(dir, name))) }));
}

// The pages of a PostScript job from Wine's driver, decoded at 203 dpi, each with the place of
// the printable area on it: the driver puts that with "X Y translate" in device pixels, Y the
// area's top counted from the page's bottom.
function decodePostScript(job) {
  assert.strictEqual(job.toString('latin1', 0, 4), '%!PS');
  const [, left, top] = /^(\d+) (\d+) translate$/m.exec(job.toString('latin1')).map(Number);
  const decoded = execFileSync('gs', ['-q', '-dSAFER', '-dBATCH', '-dNOPAUSE', '-sDEVICE=pbmraw', '-r203',
    '-sOutputFile=-', '-'], { input: job, maxBuffer: 1 << 28 });
  return readPbms(decoded).map((page) => ({ page, left, top: page.height - top }));
}

test('STAR jobs through Wine\'s spooler arrive as the pages the job drew', () => {
  const printer = startPrinter();
  try {
    // Wine's winspool lists the scheduler's queues; its PostScript driver prints to them.
    const listing = windows(['printers']);
    const size = /^receiptps\tidle\taccepting\t(\d+)x(\d+) px at (\d+)x(\d+) dpi$/m.exec(listing);
    assert.ok(size, listing);
    assert.deepStrictEqual(size.slice(1).map(Number), [576, 1598, 203, 203]);
    for (const sample of ['kestrane', 'vexo', 'invoice']) {
      const layout = path.join(samples, `${sample}.html`);
      const expected = temporary();
      windows(['render', windowsPath(layout), '--base', windowsPath(base), '--device', '576x1598',
        '-o', windowsPath(expected)]);
      const pages = sections(expected);
      const documents = new Set(pages.map((page) => page.name.split('-page-')[0])).size;
      assert.strictEqual(windows(['print', '--type', 'STAR', '--printer', 'receiptps', '--base', windowsPath(base),
        windowsPath(layout)]), 'Return - Print Operation was successful\n', sample);
      const jobs = printer.jobs('receiptps', documents);
      assert.strictEqual(jobs.length, documents, sample);
      const received = jobs.flatMap(decodePostScript);
      assert.strictEqual(received.length, pages.length, sample);
      received.forEach(({ page, left, top }, i) => {
        const want = pages[i].image;
        assert.strictEqual(differingPixels(cut(page, left, top, want.width, want.height), want), 0,
          `${sample} ${pages[i].name}`);
        // Nothing is drawn outside the page the job sent.
        assert.strictEqual(differingPixels(cut(page, 0, 0, page.width, page.height),
          cut(cut(page, left, top, want.width, want.height), -left, -top, page.width, page.height)), 0,
          `${sample} ${pages[i].name} outside`);
      });
      fs.rmSync(expected, { recursive: true, force: true });
    }
  } finally {
    printer.stop();
  }
});

test('ReceiptPreviewer.exe prints the chosen sample through Wine\'s spooler', {
  skip: !process.env.DISPLAY || !process.env.KESTRANE_WINDOW_TEST ? 'needs an X display and the window test' : false,
}, () => {
  const printer = startPrinter();
  try {
    // The window test chooses the printer and Vexo, clicks PRINT and reads the message box.
    execFileSync('wine', [process.env.KESTRANE_WINDOW_TEST, '--gtest_filter=*PrintsTheSample*'],
      { env: { ...process.env, WINEDEBUG: '-all', KESTRANE_WINDOW_TEST_PRINTER: 'receiptps' } });
    const [job] = printer.jobs('receiptps', 1);
    const pages = decodePostScript(job);
    // One page: the preview (drawn without images, which the program's folder does not hold),
    // stretched to the page's 576 pixels.
    const out = temporary();
    windows(['render', windowsPath(path.join(samples, 'vexo.html')), '--preview', '--base', windowsPath(out),
      '-o', windowsPath(out)]);
    const preview = readPng(fs.readFileSync(path.join(out, 'preview.png')));
    fs.rmSync(out, { recursive: true, force: true });
    const rows = Math.trunc(preview.height * 576 / 570);
    assert.strictEqual(pages.length, 1);
    assert.strictEqual(Number(/\/Height (\d+)/.exec(job.toString('latin1'))[1]), rows);
    const [{ page, left, top }] = pages;
    const inked = cut(page, left, top, 576, 1598).rows.map((row) => row.some((byte) => byte));
    assert.ok(inked.indexOf(true) < 50 && inked.lastIndexOf(true) < rows, `${inked.lastIndexOf(true)} ${rows}`);
  } finally {
    printer.stop();
  }
});

// Layouts made from the rows receipts are built of, the same for every run.
function generatedLayouts(count) {
  let seed = 20261208;
  const random = (n) => {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return Math.floor((seed / 2147483648) * n);
  };
  const pick = (list) => list[random(list.length)];
  const words = ['Total', 'VAT', 'Cash', 'Change', 'Flat white', 'Espresso', 'Ham & cheese', 'Mineral water',
    'Receipt No', 'GBP 12.40', '3 x 1.99', 'Till 4', 'MAXIMUM', 'Membership', '|', 'Quantity', '07/12/2026',
    'www.example.com', 'Thank you!', '%', '@ 2.10/kg', 'Wholesale beans, November statement', 'Ref: MM-0042'];
  const text = () => Array.from({ length: 1 + random(4) }, () => pick(words)).join(' ');
  const rows = [
    () => `<tr><td><center>${text()}</center></td></tr>`,
    () => `<tr><td><center><strong>${text()}</strong></center></td></tr>`,
    () => `<tr><td><strong>${pick(words)}</strong></td><td><strong>:</strong></td><td>${text()}</td></tr>`,
    () => `<tr><td>${pick(words)}</td><td>:</td><td align="right">${pick(words)}</td></tr>`,
    () => `<tr><td colspan=3>${text()}<br>${text()}</td></tr>`,
    () => '<tr><td><hr></td></tr>',
    () => '<tr><td>0x01</td></tr>',
    () => '<tr><td><center>&nbsp;</center></td></tr>',
  ];
  return Array.from({ length: count }, (_, n) => {
    const tables = 1 + random(2);
    let layout = '';
    for (let t = 0; t < tables; ++t) {
      layout += `<table>\n${Array.from({ length: 2 + random(12) }, () => pick(rows)()).join('\n')}\n`;
      if (random(3) === 0) layout += `<tr><td><input type="hidden" name="barcodeText" value="${1000 + n}"></td></tr>\n`;
      if (random(3) === 0) layout += `<tr><td><input type="hidden" name="qrcodeText" value="Q${n}"></td></tr>\n`;
      layout += '</table>\n';
    }
    return { name: `generated-${n + 1}`, layout };
  });
}

test('the Windows and the POSIX drawings agree: heights, row boxes, and pixels but for glyph edges', () => {
  const dir = temporary();
  const layouts = ['kestrane', 'vexo', 'invoice'].map((name) =>
    ({ name, layout: fs.readFileSync(path.join(samples, `${name}.html`), 'latin1') }))
    .concat(generatedLayouts(20));
  const lines = ['| Layout | Sections | Heights (rows) | Differing pixels | Of all pixels | Of the ink | ' +
    'Rows with a difference | Differing pixels beyond 2 px of ink |', '|---|---|---|---|---|---|---|---|'];
  let worst = 0;
  try {
    for (const { name, layout } of layouts) {
      const file = path.join(dir, `${name}.html`);
      fs.writeFileSync(file, layout, 'latin1');
      // The layout pass: every section's height, every row's box and line break are the same.
      assert.strictEqual(windows(['tree', windowsPath(file), '--measure', '--base', windowsPath(base)]),
        kestrane(['tree', file, '--measure', '--base', base]).toString('latin1'), name);
      const outs = ['posix', 'windows'].map((side) => path.join(dir, `${name}-${side}`));
      kestrane(['render', file, '--base', base, '-o', outs[0]]);
      windows(['render', windowsPath(file), '--base', windowsPath(base), '-o', windowsPath(outs[1])]);
      const [posix, gdi] = outs.map(sections);
      assert.strictEqual(gdi.length, posix.length, name);
      let differing = 0, pixels = 0, ink = 0, rows = 0, distant = 0;
      posix.forEach(({ image }, i) => {
        const other = gdi[i].image;
        assert.strictEqual(other.height, image.height, `${name} section ${i + 1}`);
        differing += differingPixels(other, image);
        distant += distantPixels(other, image, 2);
        pixels += image.width * image.height;
        ink += inkCount(image);
        rows += image.rows.filter((row, y) => !row.equals(other.rows[y])).length;
      });
      worst = Math.max(worst, differing / pixels);
      const percent = (part, whole) => `${(100 * part / whole).toFixed(2)}%`;
      lines.push(`| ${name} | ${posix.length} | ${posix.map((s) => s.image.height).join(', ')} | ${differing} | ` +
        `${percent(differing, pixels)} | ${percent(differing, ink)} | ${rows} | ${distant} |`);
      // Text and images differ: GDI's glyphs are hinted and DrawTextA places them itself, so
      // strokes and whole glyphs land a few pixels apart along a line, and GDI halftones images
      // its own way; rows are where they were (the layout pass agreed). The bound leaves room
      // above the largest share the report shows.
      assert.ok(differing / pixels < 0.08, `${name}: ${differing} of ${pixels} pixels differ`);
    }
  } finally {
    const text = `${lines.join('\n')}\n\nLargest share of all pixels: ${(100 * worst).toFixed(2)}%\n`;
    if (report) fs.writeFileSync(report, text);
    console.log(text);
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
