#include "cli/usage.h"

namespace kestrane {

namespace {

struct CommandText {
    const char* name;
    const char* synopsis;
    const char* summary;
    const char* details;
};

#define KESTRANE_BASE_OPTION                                                       \
    "BASEDIR is the application's base directory: images are read from\n"          \
    "BASEDIR/node_modules/printer/GDIImageDirectory (default: the current directory).\n"

const CommandText kCommands[] = {
    {"render", "render LAYOUT -o|--out DIR [--base BASEDIR] [--preview | --device WxH]",
     "draw LAYOUT as the STAR print job does, one PNG a table section",
     "Draws each table section of LAYOUT (a file, or - for standard input) as the STAR print job\n"
     "does into DIR/section-N.png and prints each file's name and height; with --device, writes\n"
     "instead the pages a printer whose printable area is W x H pixels would get, stretched as the\n"
     "job stretches them, into DIR/section-N-page-M.png; with --preview, draws the whole layout as\n"
     "the previewer does into DIR/preview.png. Images that cannot be loaded are named on standard\n"
     "error. Exit status: 0 drawn, 1 refused by the job (its message on standard output), 2 a\n"
     "usage or file error.\n" KESTRANE_BASE_OPTION},
    {"tree", "tree LAYOUT [--preview] [--measure] [--base BASEDIR]",
     "print how LAYOUT was parsed (and laid out), as JSON",
     "Prints {\"sections\": [{\"tree\": NODE}, ...]} for LAYOUT (a file, or - for standard input),\n"
     "or {\"error\": MESSAGE}. --preview reads it as the previewer does; --measure runs the\n"
     "layout pass and adds each section's height, the row boxes and the wrapped texts. Images\n"
     "that cannot be loaded are named on standard error. Exit status: 0 sections, 1 error, 2 a\n"
     "usage or file error.\n" KESTRANE_BASE_OPTION},
    {"escpos", "escpos LAYOUT [-o|--out FILE] [--native-qr | --raster [--dots N] [--base BASEDIR]]",
     "write the ESC/POS stream an EPSON printer would get for LAYOUT",
     "Writes the bytes the EPSON job's stream file would hold for LAYOUT (a file, or - for\n"
     "standard input), line feeds stored as CR LF, to FILE or standard output. --native-qr adds\n"
     "the QR code fields as the printer's own QR command (GS ( k). With --raster,\n"
     "the receipt as the STAR job draws it (images from BASEDIR, . by default) as raster images\n"
     "(GS v 0) for a printer N dots wide (576, 80 mm, by default; 384 at 58 mm), then a cut.\n"
     "Exit status: 0, 1 for a layout that cannot be drawn, or 2 for a usage or file error.\n"},
    {"print",
     "print --type STAR --printer NAME --base BASEDIR [--confirm SECONDS] LAYOUT\n"
     "       kestrane print --type EPSON --address ADDR --base BASEDIR [--native-qr | --raster [--dots N]] LAYOUT",
     "print LAYOUT on the STAR printer NAME, or the EPSON printer at ADDR",
     "Runs the print job of the type and prints its one message. BASEDIR is the application's\n"
     "base directory. STAR: NAME is a printer the spooler knows (see kestrane printers); each\n"
     "table section is drawn, with images from BASEDIR/node_modules/printer/GDIImageDirectory,\n"
     "and sent as one document of raster pages; with --confirm, success waits (up to SECONDS)\n"
     "until the spooler reports each document printed, and a job it stopped, aborted or\n"
     "cancelled is an error with its reasons. EPSON: ADDR is host, host:port, [IPv6] or\n"
     "[IPv6]:port (port 515 when none is given); the stream file is made in\n"
     "BASEDIR/node_modules/printer/build/, which must exist. ADDR socket://HOST[:PORT] is a\n"
     "printer on raw TCP (port 9100 when none is given): its status is asked first and its\n"
     "word that it printed awaited after. --raster sends the receipt drawn, as escpos --raster\n"
     "makes it, for a printer N dots wide; --native-qr\n"
     "adds the QR code fields to the text as escpos --native-qr does. Exit status: 0 printed, 1 an\n"
     "\"Error - \" message, 2 a usage or file error.\n"},
    {"printers", "printers",
     "list the printers the spooler knows, their state and page size",
     "Prints one line a printer: its name, idle, printing or stopped, accepting or\n"
     "not-accepting, and its printable area in device pixels at its resolution. The spooler is\n"
     "the one the CUPS client configuration names (CUPS_SERVER, client.conf). Exit status: 0, or\n"
     "1 when the spooler cannot be asked.\n"},
    {"pages", "pages JOBFILE -o|--out DIR",
     "turn a raster job a printer received into PNG pages",
     "Decodes JOBFILE, a PWG raster document as a STAR job reaches the printer (the virtual\n"
     "printer stores them under DIR/jobs/QUEUE/), into DIR/page-N.png, and prints each page's\n"
     "file, size and resolution. Exit status: 0, 1 for a document that is not whole, 2 a usage\n"
     "or file error.\n"},
};

const CommandText* find(const std::string& name) {
    for (const CommandText& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

}  // namespace

void printCommandUsage(std::ostream& out, const std::string& name, bool details) {
    const CommandText* command = find(name);
    if (command == nullptr) return;
    out << "usage: kestrane " << command->synopsis << "\n";
    if (details) {
        out << command->details;
    } else {
        out << "Run 'kestrane " << name << " --help' for more.\n";
    }
}

void printOverview(std::ostream& out) {
    out << "usage: kestrane COMMAND ARGUMENTS...\n"
           "       kestrane COMMAND --help\n"
           "       kestrane --help | --version\n\n";
    for (const CommandText& command : kCommands) {
        out << "  " << command.synopsis << "\n      " << command.summary << "\n";
    }
}

}  // namespace kestrane
