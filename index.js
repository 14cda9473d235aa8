'use strict';
// kestrane-printing: the KestranePrinting add-on, built by `npm install` (scripts/build-addon.js).
module.exports = require('./build-node/KestranePrinting.node');
