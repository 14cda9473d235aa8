#!/usr/bin/env node
// Prints the bundled sample receipts from JavaScript, as a point-of-sale application would:
//
//   node examples/print-samples.js STAR_PRINTER EPSON_ADDRESS [EPSON_BASE]
//
// STAR_PRINTER is a spooler (CUPS) queue, EPSON_ADDRESS a host[:port] that speaks LPD, and
// EPSON_BASE a base directory holding node_modules/printer/build/ for the EPSON stream files.
// With the virtual printer: `. DIR/env` then `node examples/print-samples.js receipt80
// "$KESTRANE_LPD_ADDRESS" /tmp/epson-base`. The samples and their images come with the package
// (samples/ beside this folder, also in node_modules/kestrane-printing/ of an application).
'use strict';

const fs = require('fs');
const path = require('path');
const kestrane = require('..');  // in an application: require('kestrane-printing')

async function main() {
  const [starPrinter, epsonAddress, epsonBase = process.cwd()] = process.argv.slice(2);
  if (!starPrinter || !epsonAddress) {
    console.error('usage: node examples/print-samples.js STAR_PRINTER EPSON_ADDRESS [EPSON_BASE]');
    process.exit(2);
  }
  const samples = path.join(__dirname, '..', 'samples');
  // Tell the user up front when the STAR printer cannot take jobs.
  const printer = kestrane.listPrinters().find((p) => p.name === starPrinter);
  if (!printer || printer.state === 'stopped' || !printer.accepting) {
    console.error(`${starPrinter}: not ready (${printer ? printer.state : 'unknown to the spooler'})`);
  }
  let failed = false;
  for (const name of ['kestrane', 'vexo', 'invoice']) {
    // The samples are Windows-1252 files ("©" is byte 0xA9). Read as 'latin1', each byte becomes
    // the character of its number, which the add-on turns back into that byte; text an
    // application writes itself ("€", "©") becomes the same Windows-1252 bytes.
    const layout = fs.readFileSync(path.join(samples, `${name}.html`), 'latin1');
    // Both printers at once: jobs for different printers run side by side. With { details } each
    // answer says whether it printed (ok), and why not in the spooler's or system's words.
    const details = { details: true };
    const [star, epson] = await Promise.all([
      kestrane.printReceiptAsync(starPrinter, 'STAR', '-', path.join(samples, 'base'), layout, details),
      kestrane.printReceiptAsync('-', 'EPSON', epsonAddress, epsonBase, layout, details),
    ]);
    console.log(`${name}: STAR ${star.message} | EPSON ${epson.message}`);
    for (const answer of [star, epson]) {
      if (answer.detail) console.error(`  ${answer.detail}`);
      for (const warning of answer.warnings) console.error(`  warning: ${warning}`);
    }
    failed = failed || !star.ok || !epson.ok;
  }
  process.exit(failed ? 1 : 0);
}

main();
