// One receipt from a fresh process, for the whole-process timings: `node child.js KIND LIBRARY`
// (KIND raster or escpos) loads the library, makes the sample receipt once, writes it under
// PEERS_DIR/once/ and prints its peak resident memory in KiB.
'use strict';

const fs = require('fs');
const path = require('path');
const libs = require('./libs');
const content = require('./content');

const [kind, lib] = process.argv.slice(2);
const make = libs[kind][lib](content.receipt, content.layout(content.receipt.rows.length));

Promise.resolve(make()).then((output) => {
  const dir = path.join(libs.peersDir, 'once');
  fs.mkdirSync(dir, { recursive: true });
  [].concat(output).forEach((bytes, i) => fs.writeFileSync(path.join(dir, `${lib}-${kind}-${i}`), bytes));
  console.log(process.resourceUsage().maxRSS);
});
