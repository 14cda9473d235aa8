'use strict';
// printReceiptAsync: jobs off the JavaScript thread, one at a time a printer in call order.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const { startPrinter } = require('./virtual-printer');
const addon = require('../..');

const starSuccess = 'Return - Print Operation was successful';
const row = (text) => `<table><tr><td>${text}</td></tr></table>`;

// One virtual printer for the file: the CUPS client of a thread keeps the scheduler it first
// found, so the file's calls all go to one.
const printer = startPrinter();
test.after(() => printer.stop());

test('fifty calls at once finish in call order for each printer, the event loop free', async () => {
  let ticks = 0;
  const timer = setInterval(() => { ticks += 1; }, 5);
  const finished = { receipt80: [], receipt58: [] };
  const calls = [];
  for (let i = 0; i < 50; i += 1) {
    const queue = i % 2 ? 'receipt58' : 'receipt80';
    const layout = i % 10 === 9 ? '<table><tr></table>' : row(`Receipt ${i}`);
    calls.push(addon.printReceiptAsync(queue, 'STAR', 'x', '', layout).then((message) => {
      finished[queue].push(i);
      return message;
    }));
  }
  const messages = await Promise.all(calls);
  clearInterval(timer);
  messages.forEach((message, i) => {
    assert.strictEqual(message, i % 10 === 9 ? 'Error - Template Could not Pass Correctly' : starSuccess, `call ${i}`);
  });
  const inOrder = (list) => list.every((n, k) => k === 0 || list[k - 1] < n);
  assert.ok(inOrder(finished.receipt80) && inOrder(finished.receipt58), JSON.stringify(finished));
  assert.ok(ticks >= 5, `the timer fired ${ticks} times`);
  assert.strictEqual(printer.jobs('receipt80', 20).length + printer.jobs('receipt58', 20).length, 45);
});

test('a printer that does not answer holds up only its own jobs', async (t) => {
  const sockets = [];
  const silent = net.createServer((socket) => sockets.push(socket));  // accepts, never answers
  await new Promise((resolve) => silent.listen(0, '127.0.0.1', resolve));
  t.after(() => silent.close());
  const base = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-js-'));
  fs.mkdirSync(path.join(base, 'node_modules', 'printer', 'build'), { recursive: true });

  let kitchenDone = false;
  const kitchen = addon.printReceiptAsync('kitchen', 'EPSON', `127.0.0.1:${silent.address().port}`, base, row('Soup'))
    .then((message) => { kitchenDone = true; return message; });
  const till = await addon.printReceiptAsync('receipt80', 'STAR', 'x', '', row('Coffee'));
  assert.strictEqual(till, starSuccess);
  assert.strictEqual(printer.jobs('receipt80', 1).length, 1);
  assert.strictEqual(kitchenDone, false, 'the till printed while the kitchen printer was silent');
  for (const socket of sockets) socket.destroy();  // the kitchen printer goes away
  assert.match(await kitchen, /^Error - The printer at 127\.0\.0\.1:\d+ closed the connection/);
});

test('a synchronous call waits for the jobs queued before it and returns its own message', async () => {
  const queued = [1, 2, 3, 4, 5].map((n) => addon.printReceiptAsync('receipt80', 'STAR', 'x', '', row(`Queued ${n}`)));
  const own = addon.printReceipt('receipt80', 'STAR', 'x', '', '<table><tr></table>');
  assert.strictEqual(own, 'Error - Template Could not Pass Correctly');
  // The five ran before it: their jobs are at the printer already.
  assert.strictEqual(printer.jobs('receipt80', 5).length, 5);
  assert.deepStrictEqual(await Promise.all(queued), Array(5).fill(starSuccess));
});

test('with { details } the outcome comes whole: message, ok, the detail and the warnings', async () => {
  const missingLogo = '<table><tr><td><img src="gone.png"></td></tr><tr><td>Total</td></tr></table>';
  const cases = [
    { what: 'an unknown printer', args: ['absent', 'STAR', 'x', '', row('A')],
      want: { message: 'Error - Printer is offline', ok: false, detail: "the spooler has no printer 'absent'", warnings: [] } },
    { what: 'a logo that cannot be loaded', args: ['receipt80', 'STAR', 'x', '/base', missingLogo],
      want: { message: starSuccess, ok: true, detail: '',
        warnings: ['/base/node_modules/printer/GDIImageDirectory/gone.bmp: image cannot be loaded (not a readable BMP file, or too large)'] } },
    { what: 'an argument refused before the job', args: ['receipt80', 'STAR', 'x', '', 'A\0B'],
      want: { message: 'Error - Argument 5 (receiptText) holds a NUL character', ok: false,
        detail: 'Argument 5 (receiptText) holds a NUL character', warnings: [] } },
  ];
  // Confirmed: the answer waits for the spooler to report the job completed.
  assert.deepStrictEqual(await addon.printReceiptAsync('receipt80', 'STAR', 'x', '', row('Confirmed'), { details: true, confirm: 30 }),
    { message: starSuccess, ok: true, detail: '', warnings: [] });
  printer.jobs('receipt80', 1);
  for (const c of cases) {
    assert.deepStrictEqual(await addon.printReceiptAsync(...c.args, { details: true }), c.want, c.what);
    assert.strictEqual(await addon.printReceiptAsync(...c.args), c.want.message, c.what);
  }
  printer.jobs('receipt80', 2);
  // renderReceipt: the warnings beside the images, and an Error that carries the same fields.
  const drawn = await addon.renderReceipt(missingLogo, { base: '/base', details: true });
  assert.strictEqual(drawn.images.length, 1);
  assert.deepStrictEqual(drawn.warnings, cases[1].want.warnings);
  await assert.rejects(addon.renderReceipt('<table><tr></table>'),
    { message: 'Error - Template Could not Pass Correctly', ok: false, detail: '', warnings: [] });
  assert.deepStrictEqual(addon.renderReceiptSync(missingLogo, { base: '/base', details: true }), drawn);
  assert.throws(() => addon.renderReceiptSync('<table><tr></table>', { details: true }),
    { message: 'Error - Template Could not Pass Correctly', ok: false, detail: '', warnings: [] });
});

test('a Worker that ends with jobs still in its lanes takes nothing down with it', () => {
  // In a child process: the jobs finish after their Worker is gone, and the process lives on.
  const program = `
    const { Worker } = require('worker_threads');
    const worker = new Worker(\`
      const addon = require(${JSON.stringify(path.resolve(__dirname, '..', '..'))});
      for (let i = 0; i < 20; i += 1) {
        addon.printReceiptAsync(i % 2 ? 'receipt58' : 'receipt80', 'STAR', 'x', '', '${row('Worker')}');
      }
      require('worker_threads').parentPort.postMessage('queued');\`, { eval: true });
    worker.once('message', () => worker.terminate().then(() => setTimeout(() => console.log('alive'), 3000)));`;
  const result = require('child_process').spawnSync(process.execPath, ['-e', program],
    { env: process.env, encoding: 'utf8', timeout: 60000 });
  assert.strictEqual(result.status, 0, `${result.signal} ${result.stderr}`);
  assert.strictEqual(result.stdout.trim(), 'alive');
  printer.jobs('receipt80', 10);
  printer.jobs('receipt58', 10);
});

test('a till that exits in the middle of an EPSON job leaves no stream file behind', async (t) => {
  // A printer that takes the connection and never answers holds the job while the process exits.
  const silent = net.createServer(() => {});
  await new Promise((resolve) => silent.listen(0, '127.0.0.1', resolve));
  t.after(() => silent.close());
  const base = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-exit-'));
  t.after(() => fs.rmSync(base, { recursive: true, force: true }));
  const build = path.join(base, 'node_modules', 'printer', 'build');
  fs.mkdirSync(build, { recursive: true });
  const program = `
    const addon = require(${JSON.stringify(path.resolve(__dirname, '..', '..'))});
    addon.printReceiptAsync('-', 'EPSON', '127.0.0.1:${silent.address().port}', ${JSON.stringify(base)}, '${row('Exit')}');
    setTimeout(() => { console.log(require('fs').readdirSync(${JSON.stringify(build)}).length); process.exit(0); }, 500);`;
  const result = require('child_process').spawnSync(process.execPath, ['-e', program], { encoding: 'utf8', timeout: 30000 });
  assert.strictEqual(result.status, 0, result.stderr);
  assert.strictEqual(result.stdout.trim(), '1', 'the job was under way, its stream file written');
  assert.deepStrictEqual(fs.readdirSync(build), []);
});

test('the backlog is visible and bounded: jobs give up, a full printer takes no more, threads are few', async (t) => {
  // Twenty printers that take the connection and never answer, one server each.
  const servers = [];
  const sockets = [];
  for (let i = 0; i < 20; i += 1) {
    const server = net.createServer((socket) => sockets.push(socket));
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    servers.push(server);
  }
  t.after(() => servers.forEach((server) => server.close()));
  const base = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrane-backlog-'));
  t.after(() => fs.rmSync(base, { recursive: true, force: true }));
  fs.mkdirSync(path.join(base, 'node_modules', 'printer', 'build'), { recursive: true });
  const address = (i) => `127.0.0.1:${servers[i].address().port}`;
  const print = (i, options) => addon.printReceiptAsync('-', 'EPSON', address(i), base, row(`Job ${i}`),
    { details: true, ...options });

  // On the first printer: one job running, 1,000 waiting (giving up after a second), one refused.
  const first = print(0);
  const waiting = Array.from({ length: 1000 }, () => print(0, { giveUp: 1 }));
  const refused = await print(0);
  assert.match(refused.message, /^Error - The print job was not queued: 1000 jobs already wait for EPSON printer '127\.0\.0\.1:\d+'$/);
  assert.strictEqual(refused.ok, false);
  const [lane] = addon.printBacklog();
  assert.deepStrictEqual({ ...lane, printer: '' }, { type: 'EPSON', printer: '', running: true, waiting: 1000 });
  const gaveUp = await Promise.all(waiting);
  assert.ok(gaveUp.every((answer) => /^Error - The print job gave up after waiting 1 second/.test(answer.message)));
  // A synchronous call gives up too, instead of holding the event loop behind a dead printer.
  assert.match(addon.printReceipt('-', 'EPSON', address(0), base, row('Sync'), { giveUp: 0.2 }),
    /^Error - The print job gave up after waiting 0\.2 seconds for EPSON printer '127\.0\.0\.1:\d+' \(1 job was ahead of it\)$/);
  assert.deepStrictEqual(addon.printBacklog().map((entry) => [entry.running, entry.waiting]), [[true, 0]]);

  // Nineteen more printers: no more than 16 jobs run at once; the others wait for a thread.
  const others = Array.from({ length: 19 }, (_, i) => print(i + 1));
  const deadline = Date.now() + 5000;
  while (sockets.length < 16 && Date.now() < deadline) await new Promise((resolve) => setTimeout(resolve, 20));
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.strictEqual(sockets.length, 16, 'connections while 20 printers have jobs');
  const backlog = addon.printBacklog();
  assert.strictEqual(backlog.filter((entry) => entry.running).length, 16);
  assert.strictEqual(backlog.filter((entry) => !entry.running && entry.waiting === 1).length, 4);

  // The printers go away: every job is reported, the lanes empty.
  const closeAll = setInterval(() => sockets.forEach((socket) => socket.destroy()), 50);
  const ended = await Promise.all([first, ...others]);
  clearInterval(closeAll);
  assert.ok(ended.every((answer) => answer.ok === false && /^Error - The printer at/.test(answer.message)));
  assert.deepStrictEqual(addon.printBacklog(), []);
});

test('a till that exits while a STAR job is being sent leaves no job in the spooler', async (t) => {
  // The scheduler behind a slow link (100 kB/s towards it), so the exit comes mid-document.
  const [host, port] = printer.ippServer.split(':');
  const slow = net.createServer((client) => {
    const scheduler = net.connect(Number(port), host);
    scheduler.pipe(client);
    client.on('data', (chunk) => {
      client.pause();
      scheduler.write(chunk);
      setTimeout(() => client.resume(), chunk.length / 100);
    });
    const end = () => { client.destroy(); scheduler.destroy(); };
    client.on('close', end).on('error', end);
    scheduler.on('close', end).on('error', end);
  });
  await new Promise((resolve) => slow.listen(0, '127.0.0.1', resolve));
  t.after(() => slow.close());
  const program = `
    process.env.CUPS_SERVER = '127.0.0.1:${slow.address().port}';
    const { execFileSync } = require('child_process');
    const addon = require(${JSON.stringify(path.resolve(__dirname, '..', '..'))});
    const rows = Array.from({ length: 30000 }, (_, i) => '<tr><td>Row ' + i + '</td></tr>');
    addon.printReceiptAsync('receipt80', 'STAR', 'x', '', '<table>' + rows.join('') + '</table>');
    const started = setInterval(() => {
      const jobs = execFileSync('lpstat', ['-h', ${JSON.stringify(process.env.CUPS_SERVER)}, '-o']).toString();
      // A moment after the scheduler lists the job, this till has its number and is sending.
      if (jobs) { console.log(jobs.trim()); clearInterval(started); setTimeout(() => process.exit(0), 300); }
    }, 20);`;
  const result = await new Promise((resolve) => {
    require('child_process').execFile(process.execPath, ['-e', program], { timeout: 60000 },
      (error, stdout, stderr) => resolve({ error, stdout, stderr }));
  });
  assert.ifError(result.error);
  assert.match(result.stdout, /^receipt80-\d+ /, 'the job was under way when the till exited');
  const pending = () => require('child_process').execFileSync('lpstat', ['-o'], { env: process.env }).toString();
  const deadline = Date.now() + 10000;
  while (pending() && Date.now() < deadline) await new Promise((resolve) => setTimeout(resolve, 100));
  assert.strictEqual(pending(), '');
  assert.strictEqual(printer.jobs('receipt80', 0).length, 0, 'nothing half-sent printed');
});

test('raster receipts: escposReceipt draws them, printReceiptAsync sends them to a printer on raw TCP', async () => {
  const base = path.join(__dirname, '..', '..', 'samples', 'base');
  const layout = fs.readFileSync(path.join(__dirname, '..', '..', 'samples', 'kestrane.html'), 'latin1');
  const at58 = addon.escposReceipt(layout, { raster: true, dots: 384, base });
  assert.deepStrictEqual([...at58.subarray(0, 8)], [0x1B, 0x40, 0x1D, 0x76, 0x30, 0, 48, 0]);  // 48 bytes a row
  assert.throws(() => addon.escposReceipt(layout, { raster: true, dots: 5000 }),
    { message: 'Error - The printer\'s width must be from 1 to 4096 dots', ok: false });
  const stream = addon.escposReceipt(layout, { raster: true, base });
  const printed = await addon.printReceiptAsync('-', 'EPSON', printer.escposAddress, base, layout, { raster: true, details: true });
  assert.deepStrictEqual([printed.message, printed.ok], ['Receipt printed sucessfully', true]);
  assert.deepStrictEqual(printer.jobs('escpos', 1), [stream]);
  printer.escposState('cover-open');
  assert.match(await addon.printReceiptAsync('-', 'EPSON', printer.escposAddress, base, layout, { raster: true }),
    /^Error - The printer's cover is open \(the printer at socket:\/\/127\.0\.0\.1:\d+ was sent nothing\)$/);
  printer.escposState('ready');
});
