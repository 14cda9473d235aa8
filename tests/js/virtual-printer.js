'use strict';
// The virtual printer of scripts/virtual-printer for one test file, and the kestrane CLI the
// JavaScript results are compared with.
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const root = path.resolve(__dirname, '..', '..');
const cli = process.env.KESTRANE_CLI ||
  ['build-asan', 'build'].map((dir) => path.join(root, dir, 'kestrane')).find((file) => fs.existsSync(file));

function startPrinter() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-js-'));
  // What went wrong, when it does, is the script's one line on standard error.
  execFileSync(path.join(root, 'scripts', 'virtual-printer'), ['up', dir], { stdio: ['ignore', 'ignore', 'pipe'] });
  const env = {};
  for (const line of fs.readFileSync(path.join(dir, 'env'), 'utf8').split('\n')) {
    const match = /^(?:export )?(\w+)=(.*)$/.exec(line);
    if (match) env[match[1]] = match[2];
  }
  // The add-on's CUPS client finds the scheduler through the environment.
  process.env.CUPS_SERVER = env.CUPS_SERVER;
  return {
    dir,
    lpdAddress: env.KESTRANE_LPD_ADDRESS,
    ippServer: env.KESTRANE_IPP_SERVER,
    escposAddress: env.KESTRANE_ESCPOS_ADDRESS,
    escposState(state) { fs.writeFileSync(path.join(dir, 'escpos-state'), state); },
    // The jobs `queue` received, oldest first, once `count` have arrived and CUPS has none left.
    jobs(queue, count) {
      const sink = path.join(dir, 'jobs', queue);
      const end = Date.now() + 20000;
      const names = () => fs.readdirSync(sink).sort();
      while (Date.now() < end && (names().length < count ||
             execFileSync('lpstat', ['-o'], { env: process.env }).length > 0)) {
        execFileSync('sleep', ['0.05']);
      }
      return names().map((name) => {
        const bytes = fs.readFileSync(path.join(sink, name));
        fs.unlinkSync(path.join(sink, name));
        return bytes;
      });
    },
    stop() {
      execFileSync(path.join(root, 'scripts', 'virtual-printer'), ['down', dir], { stdio: 'ignore' });
      fs.rmSync(dir, { recursive: true, force: true });
    },
  };
}

// `kestrane ARGS...` with the virtual printer as the spooler: its standard output.
function kestrane(args) {
  return execFileSync(cli, args, { env: process.env });
}

module.exports = { root, startPrinter, kestrane };
