// kestrane-printing: receipt printing for point-of-sale applications.

/** The messages a print call returns; callers tell success from failure by them. */
export type StarSuccess = 'Return - Print Operation was successful';
export type EpsonSuccess = 'Receipt printed sucessfully';
/** Every failure begins with "Error - ", e.g. "Error - Printer is offline". */
export type PrintError = `Error - ${string}`;
export type PrintMessage = StarSuccess | EpsonSuccess | PrintError;

/**
 * Prints a receipt layout and returns one message; never throws for a failure it detects.
 * Each argument is converted with String(); a missing one becomes "undefined".
 * @param printerName the spooler's name of a "STAR" printer (must not be blank for either type)
 * @param printerType "STAR" or "EPSON", in any case
 * @param ipAddress an "EPSON" printer's address: host, host:port, [IPv6]:port (must not be blank)
 * @param imageDirectory the application's base directory (images below node_modules/printer/)
 * @param receiptText the receipt layout
 * Runs on the calling thread; waits for jobs handed in before for the same printer.
 */
export function printReceipt(printerName: unknown, printerType?: unknown, ipAddress?: unknown,
                             imageDirectory?: unknown, receiptText?: unknown): PrintMessage;

/**
 * printReceipt off the JavaScript thread: resolves to the same message. Jobs for one printer
 * run one at a time in call order; jobs for different printers run side by side.
 */
export function printReceiptAsync(printerName: unknown, printerType?: unknown, ipAddress?: unknown,
                                  imageDirectory?: unknown, receiptText?: unknown): Promise<PrintMessage>;

export interface PrinterInfo {
  name: string;
  state: 'idle' | 'printing' | 'stopped';
  /** Whether the queue takes new jobs. */
  accepting: boolean;
  /** The printable area of the default page in device pixels, or null when the queue has no driver. */
  size: { width: number; height: number; xdpi: number; ydpi: number } | null;
}

/** The spooler's printers. Throws an Error when the spooler does not answer. */
export function listPrinters(): PrinterInfo[];

/**
 * The receipt as PNG images (570 pixels wide, one bit a pixel): one per table section as a STAR
 * printer gets them, or the previewer's single image with `preview`. Rejects with an Error
 * whose message is the job's "Error - " message (or "Template Could not Render").
 */
export function renderReceipt(layout: string | Buffer,
                              options?: { base?: string; preview?: boolean }): Promise<Buffer[]>;

/** The ESC/POS stream an EPSON printer gets for the layout (line feeds as CR LF). */
export function escposReceipt(layout: string | Buffer): Buffer;
