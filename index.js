'use strict';
// kestrane-printing: the KestranePrinting add-on, built by `npm install` (scripts/build-addon.js).
const addon = require('./build-node/KestranePrinting.node');

// One assignment a name, the form Node.js reads a CommonJS module's names from without running
// it: `import { printReceipt } from 'kestrane-printing'` then works in ES modules.
exports.printReceipt = addon.printReceipt;
exports.printReceiptAsync = addon.printReceiptAsync;
exports.listPrinters = addon.listPrinters;
exports.renderReceipt = addon.renderReceipt;
exports.renderReceiptSync = addon.renderReceiptSync;
exports.escposReceipt = addon.escposReceipt;
exports.printBacklog = addon.printBacklog;
