// Each library's way of producing the receipt of content.js, as raster images and as an ESC/POS
// stream. A maker takes the receipt (or our layout) once and returns the call that is timed.
// The peers come from the scratch folder the run script installs them into (PEERS_DIR).
'use strict';

const fs = require('fs');
const path = require('path');
const { createRequire } = require('module');
const content = require('./content');

const peersDir = path.resolve(process.env.PEERS_DIR || path.join(content.root, 'out', 'bench-peers'));
const peer = createRequire(path.join(peersDir, 'node_modules', '.package.json'));

// The printer-stored logos an EPSON printer prints by key (GS ( L, function 69), the way our
// stream prints images: key "01" the logo, "02" the bottom image.
const nvLogo = (key) => [0x1d, 0x28, 0x4c, 6, 0, 0x30, 0x45, key.charCodeAt(0), key.charCodeAt(1), 1, 1];
const LOGO = nvLogo('01');
const BOTTOM = nvLogo('02');

// The sample images as PNG files 550 pixels wide (the width we draw them at), made once by
// prepareImages() for the libraries that take PNG images.
const imageFile = (name) => path.join(peersDir, `${name}.png`);
async function prepareImages() {
  const sharp = peer('sharp');
  for (const [name, bmp] of [['logo', 'logo.bmp'], ['bottom', 'bottom.bmp']]) {
    const { data, info } = content.readBmp(bmp);
    await sharp(data, { raw: info }).resize({ width: 550 }).png().toFile(imageFile(name));
  }
}

// receiptline's markup for the receipt: centred lines, three columns for the rows, a rule,
// the barcode and the QR code as its own properties; images by `image` (PNG in base64) or,
// for a printer, by the raw command that prints the stored logo.
function receiptlineDoc(receipt, printer) {
  const esc = (text) => text.replace(/[\\|{}\-=~_"`^]/g, '\\$&');
  const image = (name, nv) => (printer
    ? `{command:${nv.map((b) => `\\x${b.toString(16).padStart(2, '0')}`).join('')}}`
    : `{image:${fs.readFileSync(imageFile(name)).toString('base64')}}`);
  return [
    image('logo', LOGO),
    ...receipt.header.map(({ text, bold }) => (bold ? `"${esc(text)}"` : esc(text))),
    '',
    '{width:22,2,*;border:none}',
    ...receipt.rows.map(([label, value]) => `|"${esc(label)}" |": |${esc(value)} |`),
    '{width:auto;border:space}',
    '-',
    `"${esc(receipt.closing)}"`,
    image('bottom', BOTTOM),
    esc(receipt.legal),
    `{code:${receipt.barcode};option:code39,2,96,hri}`,
    `{code:${receipt.qrcode};option:qrcode,8,h}`,
  ].join('\n');
}

// receiptline's SVG command as its designer (designer.js) sets it up for sharp: every character
// placed on its own, since sharp's SVG renderer has no web fonts.
function svgForSharp(receiptline) {
  return Object.assign({}, receiptline.commands.svg, {
    text(text, encoding) {
      let p = this.textPosition;
      const attr = Object.keys(this.textAttributes).reduce((a, key) => `${a} ${key}="${this.textAttributes[key]}"`, '');
      const tspan = this.arrayFrom(text, encoding).reduce((a, c) => {
        const q = this.measureText(c, encoding) * this.textScale;
        const r = Math.floor(((p + q / 2) * this.charWidth) / this.textScale);
        p += q;
        return `${a}<tspan${attr} x="${r}">${c.replace(/[ &<>]/g, (s) => ({ ' ': '&#xa0;', '&': '&amp;', '<': '&lt;', '>': '&gt;' }[s]))}</tspan>`;
      }, '');
      this.textElement += `<text${attr}>${tspan}</text>`;
      this.textPosition += this.measureText(text, encoding) * this.textScale;
      return '';
    },
  });
}

const raster = {
  // PNG images 570 pixels wide, one a table section.
  ours(receipt, layout) {
    const kestrane = require(content.root);
    return () => kestrane.renderReceipt(layout, { base: content.base });
  },
  // The designer's raster path: SVG 576 pixels wide (48 characters of 12), drawn by sharp.
  receiptline(receipt) {
    const receiptline = peer('receiptline');
    const sharp = peer('sharp');
    const printer = { cpl: 48, encoding: 'cp1252', command: svgForSharp(receiptline) };
    const doc = receiptlineDoc(receipt, false);
    return () => sharp(Buffer.from(receiptline.transform(doc, printer))).toFormat('png').toBuffer();
  },
};

const escpos = {
  ours(receipt, layout) {
    const kestrane = require(content.root);
    return () => kestrane.escposReceipt(layout);
  },
  receiptline(receipt) {
    const receiptline = peer('receiptline');
    const doc = receiptlineDoc(receipt, true);
    return () => Buffer.from(receiptline.transform(doc, { cpl: 48, encoding: 'cp1252', command: 'escpos' }), 'binary');
  },
  // Built without a printer connection; getBuffer() is the stream.
  ntp(receipt) {
    const { ThermalPrinter, PrinterTypes, CharacterSet } = peer('node-thermal-printer');
    return () => {
      const p = new ThermalPrinter({ type: PrinterTypes.EPSON, width: 48, characterSet: CharacterSet.WPC1252 });
      p.alignCenter();
      p.add(Buffer.from(LOGO));
      for (const { text, bold } of receipt.header) { p.bold(bold); p.println(text); }
      p.bold(false);
      p.newLine();
      p.alignLeft();
      for (const [label, value] of receipt.rows) {
        p.tableCustom([{ text: label, cols: 22, bold: true }, { text: ':', cols: 2, bold: true }, { text: value, cols: 24 }]);
      }
      p.drawLine();
      p.alignCenter();
      p.bold(true); p.println(receipt.closing); p.bold(false);
      p.add(Buffer.from(BOTTOM));
      p.println(receipt.legal);
      p.printBarcode(receipt.barcode, 69, { hriPos: 2, width: 2, height: 96 });
      p.printQR(receipt.qrcode, { cellSize: 8, correction: 'H' });
      p.partialCut();
      return p.getBuffer();
    };
  },
  // Windows-1252 named outright, as our stream is: the default (cp437) has no "©", and 'auto'
  // looks every character up anew (ten times slower).
  rpe(receipt) {
    const Encoder = peer('@point-of-sale/receipt-printer-encoder');
    const bold = (text) => (e) => e.bold(true).text(text).bold(false);
    return () => {
      const e = new Encoder({ language: 'esc-pos', printerModel: 'epson-tm-t88vi', columns: 48 });
      e.initialize().codepage('windows1252').align('center').raw(LOGO).newline();
      for (const { text, bold: b } of receipt.header) e.bold(b).line(text).bold(false);
      e.newline().align('left');
      e.table([{ width: 22 }, { width: 2 }, { width: 24 }],
        receipt.rows.map(([label, value]) => [bold(label), bold(':'), value]));
      e.rule().align('center').bold(true).line(receipt.closing).bold(false);
      e.raw(BOTTOM).newline().line(receipt.legal);
      e.barcode(receipt.barcode, 'code39', { height: 96, width: 2, text: true });
      e.qrcode(receipt.qrcode, { model: 2, size: 8, errorlevel: 'h' });
      return e.cut('partial').encode();
    };
  },
};

module.exports = { peersDir, prepareImages, raster, escpos };
