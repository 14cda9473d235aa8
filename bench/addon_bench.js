#!/usr/bin/env node
// The add-on from JavaScript: calls a second of printReceiptAsync to the virtual printer and of
// renderReceipt for the "Kestrane" sample, memory after 10 and after 1,000 calls, and the cost
// of crossing into the add-on (argument conversion, checks, the message back) for a call the
// checks answer. Run after `npm install`: node bench/addon_bench.js
'use strict';

const fs = require('fs');
const path = require('path');
const { startPrinter } = require('../tests/js/virtual-printer');
const kestrane = require('..');

const root = path.resolve(__dirname, '..');
const base = path.join(root, 'samples', 'base');
const sample = fs.readFileSync(path.join(root, 'samples', 'kestrane.html'));
const layout = sample.toString('latin1');

async function rate(what, count, call) {
  const start = process.hrtime.bigint();
  await Promise.all(Array.from({ length: count }, call));
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  console.log(`${what}: ${(count / seconds).toFixed(0)} calls a second (${count} calls)`);
}

function memory() {
  global.gc();
  const { heapUsed, rss } = process.memoryUsage();
  return `heap ${(heapUsed / 1048576).toFixed(1)} MB, RSS ${(rss / 1048576).toFixed(1)} MB`;
}

async function main() {
  const printer = startPrinter();
  try {
    await rate('printReceiptAsync to the virtual printer', 200,
      () => kestrane.printReceiptAsync('receipt80', 'STAR', 'x', base, layout));
    await rate('renderReceipt', 200, () => kestrane.renderReceipt(sample, { base }));
    printer.jobs('receipt80', 200);

    const calls = async (count) => {
      for (let i = 0; i < count; i += 1) {
        await kestrane.printReceiptAsync('receipt80', 'STAR', 'x', base, layout);
        await kestrane.renderReceipt(sample, { base });
        if (i % 100 === 99) printer.jobs('receipt80', 0);
      }
    };
    await calls(10);
    console.log(`after 10 calls of each: ${memory()}`);
    await calls(990);
    console.log(`after 1,000 calls of each: ${memory()}`);

    const crossings = 100000;
    const start = process.hrtime.bigint();
    for (let i = 0; i < crossings; i += 1) kestrane.printReceipt('', 'STAR', 'x', base, layout);
    const micros = Number(process.hrtime.bigint() - start) / 1e3 / crossings;
    console.log(`one call's crossing (five arguments converted, checked, message back): ${micros.toFixed(2)} µs`);
  } finally {
    printer.stop();
  }
}

main();
