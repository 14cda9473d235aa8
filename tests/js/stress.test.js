'use strict';
// scripts/stress, briefly: Workers mixing normal jobs with faults (silent, closing and absent
// printers, refused layouts, a scheduler that stops answering, a Worker ended mid-jobs).
const test = require('node:test');
const assert = require('node:assert');
const { execFileSync } = require('child_process');
const path = require('path');

test('a short stress run settles every job, reports each as printed or an error, and loses nothing', () => {
  const output = execFileSync(path.join(__dirname, '..', '..', 'scripts', 'stress'), ['35'],
    { env: process.env, timeout: 300000, stdio: ['ignore', 'pipe', 'ignore'] });
  const report = JSON.parse(output);
  assert.deepStrictEqual(report.failures, []);
  assert.ok(report.handed > 100 && report.settled === report.handed, JSON.stringify(report));
  assert.ok(report.pauses >= 1 && report.ended >= 1, JSON.stringify(report));
  assert.ok(report.printed.receipt80 > 0 && report.printed.RAW > 0, JSON.stringify(report.printed));
});
