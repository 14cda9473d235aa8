// kestrane-printing: receipt printing for point-of-sale applications.
// Buffer comes from Node.js' types (@types/node, a dependency of this package): TypeScript loads
// them for this file even in a project that does not list "node" in its "types".
/// <reference types="node" />

// How strings reach the engine. Layout text (printReceipt's receiptText, a string layout of
// renderReceipt or escposReceipt) becomes Windows-1252, the character set receipts are drawn in:
// each character it holds becomes its byte ("€" 0x80, "©" 0xA9), U+0080 to U+00FF keep their
// byte (so a file read as 'latin1' passes as its bytes), and any other character ("Ω", an emoji,
// a lone surrogate) becomes one "?". A Buffer layout passes unchanged. Names and paths (printer
// name, type, address, base directory) pass as UTF-8 on Linux; the Windows build passes them in
// Windows-1252 and refuses one holding a character it cannot hold ("Error - Argument 1
// (printerName) holds characters that Windows-1252 cannot hold") rather than reach another
// printer or folder. A string holding U+0000 is refused everywhere ("Error - Argument 5
// (receiptText) holds a NUL character") instead of being cut short.

/** The messages a print call returns; callers tell success from failure by them. */
export type StarSuccess = 'Return - Print Operation was successful';
export type EpsonSuccess = 'Receipt printed sucessfully';
/** Every failure begins with "Error - ", e.g. "Error - Printer is offline". */
export type PrintError = `Error - ${string}`;
export type PrintMessage = StarSuccess | EpsonSuccess | PrintError;

/**
 * Prints a receipt layout and returns one message; never throws for a failure it detects.
 * Each argument is converted with String(); a missing one becomes "undefined". An argument that
 * cannot be converted, or that holds U+0000, gives "Error - Argument N (name) ...".
 * @param printerName the spooler's name of a "STAR" printer (must not be blank for either type)
 * @param printerType "STAR" or "EPSON", in any case
 * @param ipAddress an "EPSON" printer's address: host, host:port, [IPv6]:port for its LPD server, or
 *   socket://host[:port] for a printer on raw TCP (port 9100), asked its status before and its
 *   word that it printed after (must not be blank)
 * @param imageDirectory the application's base directory (images below node_modules/printer/)
 * @param receiptText the receipt layout
 * Runs on the calling thread; waits for jobs handed in before for the same printer, at most
 * `giveUp` seconds (300 by default): then "Error - The print job gave up after waiting ...".
 */
export function printReceipt(printerName: unknown, printerType?: unknown, ipAddress?: unknown,
                             imageDirectory?: unknown, receiptText?: unknown,
                             options?: { giveUp?: number } & EscposOptions): PrintMessage;

/**
 * How an EPSON job speaks to its printer. By default the text conversion, byte for byte as it
 * always was. `raster`: the receipt as the STAR job draws it (logos, codes, fonts), sent as
 * raster images for a printer `dots` wide (576 at 80 mm, the default; 384 at 58 mm; 1 to 4096).
 */
export interface EscposOptions {
  raster?: boolean;
  dots?: number;
  /** Text conversion: the QR code fields (fiscal ones too) as the printer's own QR command. */
  nativeQr?: boolean;
}

/** What a job has to say besides its message. */
export interface JobDetails {
  /** Whether the job did what it was asked: decide by this, never by the message's text. */
  ok: boolean;
  /** The spooler's or the system's own words and the step that failed; '' when there are none. */
  detail: string;
  /** What printed without being right, e.g. "PATH: image cannot be loaded (...)". */
  warnings: string[];
}

/**
 * printReceipt off the JavaScript thread: resolves to the same message. Jobs for one printer
 * run one at a time in call order; jobs for different printers run side by side. With
 * `{ details: true }` as a sixth argument it resolves to { message, ok, detail, warnings }. With
 * `{ confirm: seconds }` a STAR job waits until the spooler reports each section printed: a job
 * stopped, aborted or cancelled, or not done in time, is an "Error - " message with the
 * spooler's reasons. A job waits for its turn at most `giveUp` seconds (300 by default), then
 * resolves to "Error - The print job gave up after waiting N seconds for STAR printer 'till'
 * (M jobs were ahead of it)"; with 1,000 jobs already waiting for the printer it is refused at
 * once ("Error - The print job was not queued: 1000 jobs already wait for ...").
 */
export function printReceiptAsync(printerName: unknown, printerType: unknown, ipAddress: unknown,
                                  imageDirectory: unknown, receiptText: unknown,
                                  options: { details: true; confirm?: number; giveUp?: number } & EscposOptions): Promise<{ message: PrintMessage } & JobDetails>;
export function printReceiptAsync(printerName: unknown, printerType?: unknown, ipAddress?: unknown,
                                  imageDirectory?: unknown, receiptText?: unknown,
                                  options?: { details?: false; confirm?: number; giveUp?: number } & EscposOptions): Promise<PrintMessage>;

export interface PrinterInfo {
  name: string;
  state: 'idle' | 'printing' | 'stopped';
  /** Whether the queue takes new jobs. */
  accepting: boolean;
  /** The printable area of the default page in device pixels, or null when the queue has no driver. */
  size: { width: number; height: number; xdpi: number; ydpi: number } | null;
}

/** A printer with jobs handed in and not yet done. */
export interface PrinterBacklog {
  type: 'STAR' | 'EPSON';
  /** The STAR printer's name in lower case, or the EPSON printer's address as host:port. */
  printer: string;
  /** Whether one of its jobs is running now. */
  running: boolean;
  /** Jobs waiting for their turn (a printer's jobs run one at a time, 16 printers at a time). */
  waiting: number;
}

/** The printers whose jobs are running or waiting now; [] when all are done. */
export function printBacklog(): PrinterBacklog[];

/** The spooler's printers. Throws an Error when the spooler does not answer. */
export function listPrinters(): PrinterInfo[];

/**
 * A layout: text (converted to Windows-1252), or its bytes as they are (a Buffer, any typed array,
 * a DataView or an ArrayBuffer). A missing one is refused ("Error - Argument 1 (layout) is missing").
 */
export type Layout = string | Buffer | ArrayBufferView | ArrayBuffer;

/** An Error of a job: its message is the job's "Error - " message. */
export interface JobError extends Error, JobDetails {}

/**
 * The receipt as PNG images (570 pixels wide, one bit a pixel): one per table section as a STAR
 * printer gets them, or the previewer's single image with `preview`; with `details`, an object
 * { images, ok, detail, warnings }. Rejects with a JobError whose message is the job's "Error - "
 * message (or "Template Could not Render"), or names the argument that cannot pass ("Error -
 * Argument 1 (layout) holds a NUL character").
 */
export function renderReceipt(layout: Layout,
                              options: { base?: string; preview?: boolean; details: true }):
    Promise<{ images: Buffer[] } & JobDetails>;
export function renderReceipt(layout: Layout,
                              options?: { base?: string; preview?: boolean; details?: false }): Promise<Buffer[]>;

/**
 * renderReceipt's answer drawn on the calling thread and returned; throws its JobError. It spares
 * the trip to a worker thread and back, which costs about what drawing a short receipt does, and
 * holds the event loop while it draws (about 0.2 ms for the bundled sample).
 */
export function renderReceiptSync(layout: Layout,
                                  options: { base?: string; preview?: boolean; details: true }):
    { images: Buffer[] } & JobDetails;
export function renderReceiptSync(layout: Layout,
                                  options?: { base?: string; preview?: boolean; details?: false }): Buffer[];

/**
 * The ESC/POS stream an EPSON printer gets for the layout (line feeds as CR LF); with `raster`,
 * the receipt drawn (images below `base`) as raster images for a printer `dots` wide, then a
 * cut. Throws a JobError for a layout over the size cap, one that cannot pass ("Error -
 * Argument 1 (layout) ...") or, in raster mode, one that cannot be drawn.
 */
export function escposReceipt(layout: Layout, options?: EscposOptions & { base?: string }): Buffer;
