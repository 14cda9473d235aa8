'use strict';
// The package as a user gets it: `npm pack`, installed into an empty folder (which builds the
// add-on there), required, and printing a sample.
const test = require('node:test');
const assert = require('node:assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { root, startPrinter } = require('./virtual-printer');

test('the packed package installs, loads and prints', { timeout: 900000 }, (t) => {
  const printer = startPrinter();
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-package-'));
  t.after(() => { printer.stop(); fs.rmSync(folder, { recursive: true, force: true }); });
  const tarball = execFileSync('npm', ['pack', '--silent', '--pack-destination', folder], { cwd: root })
    .toString().trim().split('\n').pop();
  execFileSync('npm', ['init', '-y'], { cwd: folder, stdio: 'ignore' });
  execFileSync('npm', ['install', '--no-audit', '--no-fund', path.join(folder, tarball)], { cwd: folder, stdio: 'ignore' });
  const program = `
    const k = require('kestrane-printing');
    const fs = require('fs');
    const layout = fs.readFileSync(${JSON.stringify(path.join(root, 'samples', 'vexo.html'))}, 'latin1');
    process.stdout.write(k.printReceipt('receipt80', 'STAR', 'x', ${JSON.stringify(path.join(root, 'samples', 'base'))}, layout));`;
  const message = execFileSync(process.execPath, ['-e', program], { cwd: folder, env: process.env }).toString();
  assert.strictEqual(message, 'Return - Print Operation was successful');
  assert.strictEqual(printer.jobs('receipt80', 1).length, 1);
});
