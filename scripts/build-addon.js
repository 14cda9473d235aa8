#!/usr/bin/env node
// Builds KestranePrinting.node with the project's CMake, against the Node-API headers of the npm
// package node-api-headers: `npm install` runs it, in the repository and wherever the package is
// installed. The Debian build packages must be there (scripts/deps installs them).
'use strict';

const { execFileSync } = require('child_process');
const path = require('path');

const root = path.resolve(__dirname, '..');
const build = path.join(root, 'build-node');
const headers = require('node-api-headers').include_dir;

function run(program, args) {
  execFileSync(program, args, { cwd: root, stdio: 'inherit' });
}

run('cmake', ['-S', root, '-B', build, '-DCMAKE_BUILD_TYPE=Release', '-DKESTRANE_TESTS=OFF',
  '-DKESTRANE_BENCHMARKS=OFF', '-DKESTRANE_PREVIEWER=OFF',
  `-DKESTRANE_NODE_API_HEADERS=${headers}`]);
run('cmake', ['--build', build, '--target', 'KestranePrinting', '-j', String(require('os').cpus().length)]);
