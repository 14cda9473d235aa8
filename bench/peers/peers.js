#!/usr/bin/env node
// Our engine against peer receipt libraries on the same receipt (the "Kestrane" sample, see
// content.js): raster images and ESC/POS streams made in this process, the same made once by a
// fresh process, and the receipt grown to 10 to 10,000 label/value rows. Prints one Markdown
// table of medians with the ratio peer/ours and writes it to PEERS_DIR/latest.md.
// Run it through bench/peers/run, which installs the peers and builds what is missing.
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const libs = require('./libs');
const content = require('./content');
const { engineTable } = require('./engine');

const NAMES = {
  ours: 'ours', cli: 'kestrane CLI', receiptline: 'receiptline',
  ntp: 'node-thermal-printer', rpe: 'receipt-printer-encoder',
};
const BUDGET_MS = 1000;   // timed calls per measurement: at least 5 and at least this long
const SLOW_MS = 3000;     // a first call slower than this is the measurement (one run)
const PROCESS_RUNS = 20;
const ROWS = [10, 100, 1000, 10000];

const now = () => process.hrtime.bigint();
const msSince = (start) => Number(now() - start) / 1e6;
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

// Median milliseconds of one call, after warm-up calls.
async function timeCalls(call) {
  const once = async () => { const start = now(); await call(); return msSince(start); };
  const first = await once();
  if (first > SLOW_MS) return { ms: first, single: true };
  for (let warm = first, i = 1; i < 3 && warm < BUDGET_MS / 2; i += 1) warm += await once();
  const times = [];
  let spent = 0;
  while (times.length < 200 && (times.length < 5 || spent < BUDGET_MS)
         && !(times.length >= 3 && spent > 3 * BUDGET_MS)) {
    times.push(await once());
    spent += times[times.length - 1];
  }
  return { ms: median(times) };
}

// Median wall time and peak memory of a fresh process, after two warm-up runs. The peak comes
// from /usr/bin/time when there is one, else from what a node child reports itself.
const timeTool = fs.existsSync('/usr/bin/time');
function timeProcess(command, args) {
  const once = () => {
    const start = now();
    const run = spawnSync(timeTool ? '/usr/bin/time' : command,
      timeTool ? ['-f', '%M', command, ...args] : args, { encoding: 'utf8' });
    const ms = msSince(start);
    const last = (text) => text.trim().split('\n').pop();
    if (run.status !== 0) throw new Error(`${command} ${args.join(' ')}: ${last(run.stderr || '')}`);
    return { ms, kib: Number(last(timeTool ? run.stderr : run.stdout)) };
  };
  once(); once();
  const runs = Array.from({ length: PROCESS_RUNS }, once);
  return { ms: median(runs.map((r) => r.ms)), mib: median(runs.map((r) => r.kib)) / 1024 };
}

// Each library's call for one kind of output, timed in this process.
async function inProcess(kind, receipt, layout) {
  const cells = {};
  for (const [lib, maker] of Object.entries(libs[kind])) {
    try {
      cells[lib] = await timeCalls(maker(receipt, layout));
    } catch (error) {
      cells[lib] = { error: error.message };
    }
  }
  return cells;
}

function wholeProcess(kind) {
  const sample = path.join(content.root, 'samples', 'kestrane.html');
  const cli = path.join(content.root, 'build-bench', 'kestrane');
  const once = path.join(libs.peersDir, 'once');
  fs.mkdirSync(once, { recursive: true });
  const cliArgs = kind === 'raster'
    ? ['render', sample, '--out', once, '--base', content.base]
    : ['escpos', sample, '-o', path.join(once, 'cli.escpos')];
  const cells = { cli: timeProcess(cli, cliArgs) };
  for (const lib of Object.keys(libs[kind])) {
    cells[lib] = timeProcess(process.execPath, [path.join(__dirname, 'child.js'), kind, lib]);
  }
  return cells;
}

// One table cell: the value, and for anything but ours its ratio to ours.
function cell(lib, value, ours, unit) {
  if (!value) return '–';
  if (value.error) return 'fails²';
  const v = value[unit];
  if (!Number.isFinite(v)) return '–';
  const text = v < 10 ? v.toFixed(2) : v < 100 ? v.toFixed(1) : v.toFixed(0);
  const mark = value.single ? '¹' : '';
  if (lib === 'ours' || !ours || !Number.isFinite(ours[unit])) return text + mark;
  return `${text}${mark} (${(v / ours[unit]).toFixed(v / ours[unit] < 10 ? 2 : 0)}×)`;
}

const versions = () => ['receiptline', 'sharp', 'node-thermal-printer', '@point-of-sale/receipt-printer-encoder']
  .map((name) => `${name} ${require(path.join(libs.peersDir, 'node_modules', name, 'package.json')).version}`)
  .join(', ');

// The machine the run was made on, named well enough to compare runs: processor, cores, memory,
// kernel and system.
function machine() {
  let system = os.type();
  try {
    system = fs.readFileSync('/etc/os-release', 'utf8').match(/^PRETTY_NAME="?([^"\n]*)/m)[1];
  } catch (error) { /* not Linux: os.type() names it */ }
  return `${os.cpus()[0].model.trim()} (${os.cpus().length} cores, ${(os.totalmem() / 2 ** 30).toFixed(0)} GiB), ` +
    `${system}, kernel ${os.release()}`;
}

async function main() {
  await libs.prepareImages();
  const table = [];   // [label, unit, cells]
  const sample = content.receipt;
  const layout = content.layout(sample.rows.length);
  const say = (text) => process.stderr.write(`${text}\n`);

  for (const kind of ['raster', 'escpos']) {
    say(`in process: ${kind}`);
    table.push([`${kind}, sample, in process (ms)`, 'ms', await inProcess(kind, sample, layout)]);
  }
  // The synchronous form of ours, and what a Promise's trip through Node's thread pool costs alone
  // (one iteration of crypto.pbkdf2), for the engine table.
  const kestrane = require(content.root);
  const drawnHere = await timeCalls(() => kestrane.renderReceiptSync(layout, { base: content.base }));
  const poolTrip = await timeCalls(() => new Promise((resolve, reject) => {
    crypto.pbkdf2('', '', 1, 8, 'sha1', (error) => (error ? reject(error) : resolve()));
  }));
  for (const kind of ['raster', 'escpos']) {
    say(`whole process: ${kind}`);
    const cells = wholeProcess(kind);
    table.push([`${kind}, sample, whole process (ms)`, 'ms', cells]);
    table.push([`${kind}, sample, whole process, peak RSS (MiB)`, 'mib', cells]);
  }
  for (const rows of ROWS) {
    for (const kind of ['raster', 'escpos']) {
      say(`${rows} rows: ${kind}`);
      table.push([`${kind}, ${rows.toLocaleString('en')} rows (ms)`, 'ms',
        await inProcess(kind, content.withRows(rows), content.layout(rows))]);
    }
  }

  const columns = Object.keys(NAMES);
  const errors = new Set();
  const lines = [
    `${machine()}, Node ${process.version}, ${new Date().toISOString()}; ${versions()}`,
    '',
    `| Measurement | ${columns.map((c) => NAMES[c]).join(' | ')} |`,
    `|---|${columns.map(() => '---:').join('|')}|`,
    ...table.map(([label, unit, cells]) => {
      Object.values(cells).forEach((c) => c.error && errors.add(c.error));
      return `| ${label} | ${columns.map((c) => cell(c, cells[c], cells.ours, unit)).join(' | ')} |`;
    }),
    '',
    'Medians; (n×) is the ratio to ours. Raster: ours PNG 570 px wide, 1 bit a pixel; receiptline its',
    'SVG drawn by sharp as its designer does, PNG 576 px wide, RGBA. ESC/POS: every library prints the',
    "images as the printer's stored logos; ours leaves out the logo (the layout names logo.bmp), prints",
    'the rule as the text "0x01", the barcode as ITF and no QR code; the peers print a rule, Code 39 and',
    `QR. Whole process: a fresh node process (or the CLI) making the sample once, ${PROCESS_RUNS} runs;`,
    'the CLI too is compared with ours in node.',
    `¹ one run: the first call took over ${SLOW_MS / 1000} s.`,
    ...[...errors].map((e) => `² ${e}`),
  ];
  // Ours in node against the fastest peer, for the engine table's goals.
  const cellOf = (label) => table.find(([l]) => l === label)[2];
  const fastest = (cells) => Math.min(...['receiptline', 'ntp', 'rpe'].map((lib) => cells[lib]?.ms).filter(Number.isFinite));
  const sampleCells = cellOf('escpos, sample, in process (ms)');
  const rowCells = cellOf('escpos, 1,000 rows (ms)');
  say('engine benchmarks');
  lines.push('', ...engineTable({
    escposSample: sampleCells.ours.ms, fastestSample: fastest(sampleCells),
    escpos1000: rowCells.ours.ms, fastest1000: fastest(rowCells),
    renderSample: cellOf('raster, sample, in process (ms)').ours.ms,
    renderSampleSync: drawnHere.ms, poolTrip: poolTrip.ms,
  }));
  const text = lines.join('\n');
  console.log(text);
  fs.writeFileSync(path.join(libs.peersDir, 'latest.md'), `${text}\n`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
