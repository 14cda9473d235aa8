// Our engine's own figures in the same run as the peers table: kestrane_bench (the STAR cycle,
// PNG encoding, the EPSON conversion, cost a row; the two ratios held to goals from pairs) and
// kestrane_process_pairs (the command line's whole processes against `cat`), both from
// build-bench, with the goals they are held to.
'use strict';

const path = require('path');
const { spawnSync } = require('child_process');
const content = require('./content');

const bin = path.join(content.root, 'build-bench', 'bench');
const FILTER = '^BM_(Sample/kestrane|SamplePng/kestrane|Rows/(1000|10000)|RowsGrowth|PngShare|Escpos/kestrane|EscposRows/1000)$';

function run(program, args) {
  const result = spawnSync(path.join(bin, program), args, { encoding: 'utf8', maxBuffer: 1 << 26 });
  if (result.status !== 0) throw new Error(`${program}: ${(result.stderr || '').trim().split('\n').pop()}`);
  return result.stdout;
}

// Medians of nine repetitions, by benchmark name: CPU microseconds, the per_row counter, and the
// ratio of the paired benchmarks (two jobs timed back to back, their ratio taken pair by pair). The
// repetitions of all of them are run in a random order, taking turns: the figures are compared
// with one another, and a machine's slow spell then falls on each alike rather than on the one
// that happened to run through it.
function benchmarks() {
  const report = JSON.parse(run('kestrane_bench', [`--benchmark_filter=${FILTER}`, '--benchmark_repetitions=9',
    '--benchmark_enable_random_interleaving=true', '--benchmark_report_aggregates_only=true',
    '--benchmark_format=json']));
  const medians = {};
  for (const b of report.benchmarks) {
    if (b.aggregate_name !== 'median') continue;
    medians[b.run_name] = { us: b.cpu_time, perRow: b.per_row === undefined ? undefined : b.per_row * 1e6, ratio: b.ratio };
  }
  return medians;
}

function processes() {
  const text = run('kestrane_process_pairs', ['60']);
  const times = {};
  for (const line of text.split('\n')) {
    const match = line.match(/^(.+?)\s+([\d.]+) ms\s+([\d.]+)x cat/);
    if (match) times[match[1]] = { ms: Number(match[2]), ratio: Number(match[3]) };
  }
  return times;
}

// The engine table, given ours in node from the peers run (`node`: { escposSample, escpos1000,
// renderSample, renderSampleSync, poolTrip } in ms, and the fastest peer's times for the first
// two).
function engineTable(node) {
  const b = benchmarks();
  const p = processes();
  const f = (v, digits = 2) => (v === undefined ? '–' : v.toFixed(digits));
  const ratio = (a, c) => (a && c ? a / c : undefined);
  const rows = [
    ['STAR cycle, a row of a 1,000-row receipt (µs)', f(b['BM_Rows/1000']?.perRow), ''],
    ['STAR cycle, a row of a 10,000-row receipt (µs)', f(b['BM_Rows/10000']?.perRow),
      `${f(b.BM_RowsGrowth?.ratio)}× the 1,000-row one in pairs timed back to back (goal ≤ 1.10)`],
    ['STAR cycle of the sample: drawing (µs)', f(b['BM_Sample/kestrane']?.us, 1), ''],
    ['the same, each section encoded as PNG (µs)', f(b['BM_SamplePng/kestrane']?.us, 1),
      `${f(b.BM_PngShare?.ratio)}× drawing in pairs timed back to back (goal ≤ 2)`],
    ['`renderReceipt` of the sample in node (µs)', f(node.renderSample * 1000, 1),
      `${f(ratio(node.renderSample * 1000, b['BM_Sample/kestrane']?.us))}× drawing (goal ≤ 2); ` +
      `a round trip through node's thread pool alone takes ${f(node.poolTrip * 1000, 1)} µs`],
    ['`renderReceiptSync` of the sample in node (µs)', f(node.renderSampleSync * 1000, 1),
      `${f(ratio(node.renderSampleSync * 1000, b['BM_Sample/kestrane']?.us))}× drawing (goal ≤ 2)`],
    ['EPSON conversion of the sample (µs)', f(b['BM_Escpos/kestrane']?.us, 1),
      `in node ${f(node.escposSample * 1000, 1)} µs: ${f(ratio(node.fastestSample, node.escposSample), 1)}× faster than the fastest peer (goal ≥ 10)`],
    ['EPSON conversion, a row of a 1,000-row receipt (µs)', f(b['BM_EscposRows/1000']?.perRow, 3),
      `1,000 rows in node ${f(node.escpos1000, 2)} ms: ${f(ratio(node.fastest1000, node.escpos1000), 1)}× faster than the fastest peer (goal ≥ 10)`],
    ['`cat` of the sample, whole process (ms)', f(p.cat?.ms), ''],
    ['`kestrane render` of the sample, whole process (ms)', f(p['kestrane render']?.ms), `${f(p['kestrane render']?.ratio)}× cat (goal ≤ 5)`],
    ['`kestrane escpos` of the sample, whole process (ms)', f(p['kestrane escpos']?.ms), `${f(p['kestrane escpos']?.ratio)}× cat`],
  ];
  return [
    '| Engine (kestrane_bench medians of 9, interleaved, CPU; whole processes: medians of 60 rounds, wall) | value | against |',
    '|---|---:|---|',
    ...rows.map(([label, value, against]) => `| ${label} | ${value} | ${against} |`),
  ];
}

module.exports = { engineTable };
