// The previewer's own texts: window titles, list entries, message texts and captions. Layout
// designers and their scripts know the program by them, so the wording (misspellings included)
// stays as it is.
#pragma once

namespace kestrane::previewer {

inline constexpr char kWindowTitle[] = "STAR GDI Receipt Preview Window";
inline constexpr char kOpenCommand[] = "&Open";
inline constexpr char kOpenDialogTitle[] = "Select Quillon HTML Template file.";
inline constexpr char kHtmlFilterName[] = "HTML TEMPLATE File";
inline constexpr char kHtmlFilterPattern[] = "*.html";
inline constexpr char kTextFilterName[] = "TEXT TEMPLATE FILE";
inline constexpr char kTextFilterPattern[] = "*.txt";

inline constexpr char kPreviewMenu[] = "&Preview";
inline constexpr char kExactCommand[] = "&Exact: as the STAR print job draws it";

inline constexpr char kSelectPrinter[] = "Select Printer";
inline constexpr char kPrintButton[] = "PRINT";
// The sample list: entry 0 chooses nothing; entries 1 to 3 are the built-in samples.
inline constexpr const char* kSampleEntries[] = {"Select Preview", "Kestrane", "Vexo", "Invoice"};

inline constexpr char kCouldNotConnectToPrinter[] = "Could not connect to Printer!";
inline constexpr char kPrintedToSpooler[] = "Printed Successfully to Spooler!";
// Printing when no layout rendered: there is no bitmap to scale to the printer's width.
inline constexpr char kNothingToPrint[] =
    "Error - There is no preview to print. Choose a sample or open a layout that renders.";
// The spooler could not give its printers; its own words follow below, and the list holds only
// "Select Printer".
inline constexpr char kPrintersNotListed[] = "Error - Could not list the Printers!";
inline constexpr char kErrorCaption[] = "Error Message";
inline constexpr char kSuccessCaption[] = "Success Message";

// A built-in sample that could not be read.
inline constexpr char kSampleSizeZero[] = "Size of Resource is Zero\n";
inline constexpr char kSampleNotLoaded[] = "Memory Data is Null\n";

// The program's name, as its command line answers and as the caption of a refused command line
// where there is no console to write to.
inline constexpr char kProgramName[] = "ReceiptPreviewer";

}  // namespace kestrane::previewer
