'use strict';
// The package as a user gets it: `npm pack`, installed into an empty folder (which builds the
// add-on there) beside TypeScript, then used from CommonJS, from an ES module, from strict
// TypeScript of both module systems, and through its example.
const test = require('node:test');
const assert = require('node:assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { root, startPrinter } = require('./virtual-printer');

// Exact versions: a new release of either must not change what these tests check. TypeScript 7
// loads no @types package by itself, so index.d.ts must bring Node.js' types along.
const tooling = ['typescript@7.0.2', '@types/node@20.19.43'];
const starSuccess = 'Return - Print Operation was successful';
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-package-'));
const installed = path.join(folder, 'node_modules', 'kestrane-printing');
const printer = startPrinter();
test.after(() => { printer.stop(); fs.rmSync(folder, { recursive: true, force: true }); });

test.before(() => {
  const tarball = execFileSync('npm', ['pack', '--silent', '--pack-destination', folder], { cwd: root })
    .toString().trim().split('\n').pop();
  execFileSync('npm', ['init', '-y'], { cwd: folder, stdio: 'ignore' });
  execFileSync('npm', ['install', '--no-audit', '--no-fund', path.join(folder, tarball), ...tooling],
    { cwd: folder, stdio: 'ignore' });
}, { timeout: 900000 });

// Writes a program's files into a folder of its own and runs `command` there: its output, or an
// error that carries it.
function program(name, files, command) {
  const dir = path.join(folder, name);
  fs.mkdirSync(dir, { recursive: true });
  for (const [file, text] of Object.entries(files)) fs.writeFileSync(path.join(dir, file), text);
  try {
    return command.map((args) => execFileSync(args[0], args.slice(1), { cwd: dir, env: process.env }).toString()).pop();
  } catch (error) {
    throw new Error(`${name}: ${error.message}\n${error.stdout}${error.stderr}`);
  }
}

// A sample, its images and what one program does with them: render, convert, print (in
// TypeScript, with the types spelled out).
const sample = JSON.stringify(path.join(installed, 'samples', 'kestrane.html'));
const base = JSON.stringify(path.join(installed, 'samples', 'base'));
const body = (ts) => `
  const layout = fs.readFileSync(${sample}, 'latin1');
  const pngs${ts ? ': Buffer[]' : ''} = await renderReceipt(layout, { base: ${base} });
  const drawnHere${ts ? ': Buffer[]' : ''} = kestrane.renderReceiptSync(layout, { base: ${base} });
  const stream${ts ? ': Buffer' : ''} = kestrane.escposReceipt(layout);
  const message${ts ? ': PrintMessage' : ''} = await kestrane.printReceiptAsync('receipt80', 'STAR', 'x', ${base}, layout);
  const waiting${ts ? ': number' : ''} = kestrane.printBacklog().reduce((sum, printer) => sum + printer.waiting, 0);
  console.log([pngs.length, pngs[0].subarray(1, 4).toString(), drawnHere[0].equals(pngs[0]), stream.includes(0xA9), message, waiting].join(' '));`;
const rendered = `1 PNG true true ${starSuccess} 0\n`;

test('a CommonJS program prints a sample', () => {
  const output = program('commonjs', {
    'main.js': `const kestrane = require('kestrane-printing');
      const { renderReceipt } = kestrane;
      const fs = require('fs');
      (async () => { ${body(false)} })();`,
  }, [[process.execPath, 'main.js']]);
  assert.strictEqual(output, rendered);
  assert.strictEqual(printer.jobs('receipt80', 1).length, 1);
});

test('an ES module imports the functions by name and as a namespace', () => {
  const output = program('esm', {
    'package.json': '{ "type": "module" }',
    'main.js': `import { printReceipt, printReceiptAsync, listPrinters, renderReceipt, renderReceiptSync, escposReceipt, printBacklog } from 'kestrane-printing';
      import * as kestrane from 'kestrane-printing';
      import fs from 'fs';
      const named = { printReceipt, printReceiptAsync, listPrinters, renderReceipt, renderReceiptSync, escposReceipt, printBacklog };
      for (const [name, f] of Object.entries(named)) {
        if (typeof f !== 'function' || kestrane[name] !== f) throw new Error(name + ' is not the function');
      }
      ${body(false)}`,
  }, [[process.execPath, 'main.js']]);
  assert.strictEqual(output, rendered);
  assert.strictEqual(printer.jobs('receipt80', 1).length, 1);
});

test('strict TypeScript compiles against the types and runs, as CommonJS and as an ES module', () => {
  const tsc = path.join(folder, 'node_modules', '.bin', 'tsc');
  const main = (fsImport) => `import * as kestrane from 'kestrane-printing';
    import { renderReceipt, type PrintMessage } from 'kestrane-printing';
    ${fsImport}
    async function main(): Promise<void> {
      ${body(true)}
    }
    main();`;
  const settings = {
    'typescript-commonjs': { type: 'commonjs', fsImport: "import fs = require('fs');", modules: { module: 'commonjs' } },
    'typescript-esm': { type: 'module', fsImport: "import fs from 'fs';",
      modules: { module: 'nodenext', moduleResolution: 'nodenext' } },
  };
  for (const [name, { type, fsImport, modules }] of Object.entries(settings)) {
    // No "types", no "skipLibCheck": what a new project has.
    const options = { strict: true, noEmitOnError: true, target: 'es2022', outDir: 'out', ...modules };
    const output = program(name, {
      'package.json': JSON.stringify({ type }),
      'tsconfig.json': JSON.stringify({ compilerOptions: options }),
      'main.ts': main(fsImport),
    }, [[tsc, '-p', '.'], [process.execPath, path.join('out', 'main.js')]]);
    assert.strictEqual(output, rendered, name);
  }
  assert.strictEqual(printer.jobs('receipt80', 2).length, 2);
});

test('the example prints the samples the package carries', () => {
  const epsonBase = path.join(folder, 'epson');
  fs.mkdirSync(path.join(epsonBase, 'node_modules', 'printer', 'build'), { recursive: true });
  const output = execFileSync(process.execPath,
    [path.join(installed, 'examples', 'print-samples.js'), 'receipt80', printer.lpdAddress, epsonBase],
    { cwd: folder, env: process.env }).toString();
  const line = (name) => `${name}: STAR ${starSuccess} | EPSON Receipt printed sucessfully`;
  assert.strictEqual(output, ['kestrane', 'vexo', 'invoice'].map(line).join('\n') + '\n');
  assert.strictEqual(printer.jobs('receipt80', 3).length, 3);
  // The kestrane sample's "©" goes out as its Windows-1252 byte, as in the file.
  const [stream] = printer.jobs('RAW', 3);
  const { escposReceipt } = require(installed);
  assert.deepStrictEqual(stream, escposReceipt(fs.readFileSync(path.join(installed, 'samples', 'kestrane.html'))));
  assert.ok(stream.includes(0xA9) && !stream.includes(Buffer.from('©')));
});
