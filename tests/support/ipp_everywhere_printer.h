// A driverless (IPP Everywhere) receipt printer for one test: CUPS' ippeveprinter on a free
// loopback port, with a D-Bus system bus of its own (it needs one even when it registers nothing),
// keeping every document it receives. Both processes stop with the object, by their ids.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace kestrane::testing {

// What the printer's attribute file declares: an 80 mm roll, 72 mm printable (4 mm margins
// left and right, none at the top or bottom) at 203 dpi, one-bit PWG raster, 200 mm pages by
// default. `appleRaster` lists Apple raster (image/urf) too, which CUPS then prefers and makes
// through its PDF filters; `customLengths` adds lengths of 10 mm to 1 m at the roll's width.
inline std::string receiptPrinterAttributes(bool appleRaster, bool customLengths) {
    const std::string roll = "{ MEMBER integer x-dimension 8000 MEMBER integer y-dimension 20000 }";
    const std::string cut =
        "{ MEMBER integer x-dimension 8000 MEMBER rangeOfInteger y-dimension 1000-100000 }";
    const std::string margins =
        " MEMBER integer media-left-margin 400 MEMBER integer media-right-margin 400"
        " MEMBER integer media-top-margin 0 MEMBER integer media-bottom-margin 0 }";
    std::string text = R"(ATTR textWithoutLanguage printer-make-and-model "Kestrane Receipt80"
ATTR keyword pwg-raster-document-type-supported black_1
ATTR resolution pwg-raster-document-resolution-supported 203dpi
ATTR resolution printer-resolution-supported 203dpi
ATTR resolution printer-resolution-default 203dpi
ATTR keyword print-color-mode-supported monochrome
ATTR keyword print-color-mode-default monochrome
ATTR keyword sides-supported one-sided
ATTR keyword media-default om_roll_80x200mm
ATTR integer media-left-margin-supported 400
ATTR integer media-right-margin-supported 400
ATTR integer media-top-margin-supported 0
ATTR integer media-bottom-margin-supported 0
)";
    text += "ATTR mimeMediaType document-format-supported image/pwg-raster,";
    text += appleRaster ? "image/urf,application/octet-stream\n"
                          "ATTR keyword urf-supported V1.4,W8,RS203,CP1,IS1,MT1,OB10,PQ4,DM1\n"
                        : "application/octet-stream\n";
    text += "ATTR keyword media-supported om_roll_80x200mm";
    text += customLengths ? ",custom_min_80x10mm,custom_max_80x1000mm\n" : "\n";
    text += "ATTR collection media-col-default { MEMBER collection media-size " + roll + margins;
    text += "\nATTR collection media-col-database { MEMBER collection media-size " + roll + margins;
    if (customLengths) text += ",{ MEMBER collection media-size " + cut + margins;
    text += "\nATTR collection media-size-supported " + roll + (customLengths ? "," + cut : "");
    return text + "\n";
}

// The path of the program `name`: on PATH, or where Debian installs system programs (an ordinary
// user's PATH has no /usr/sbin); "" when there is none.
inline std::string findProgram(const std::string& name) {
    std::vector<std::string> folders;
    const char* path = std::getenv("PATH");
    for (std::string rest = path != nullptr ? path : ""; !rest.empty();) {
        const auto colon = rest.find(':');
        folders.push_back(rest.substr(0, colon));
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    for (const char* folder : {"/usr/sbin", "/sbin", "/usr/bin", "/bin"}) folders.push_back(folder);
    for (const auto& folder : folders) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// A loopback port no one listens on now.
inline int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    ::close(fd);
    return bound ? ntohs(address.sin_port) : 0;
}

inline bool answersOn(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// A program started with its output in `log`, stopped (TERM, then KILL) with the object.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool start(const std::vector<std::string>& command,
               const std::vector<std::string>& extraEnvironment, const std::string& log) {
        std::vector<std::string> environment(extraEnvironment);
        for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
        std::vector<char*> argv, envp;
        for (const auto& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
        for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) pid_ = 0;
        return pid_ > 0;
    }

    // Whether it has ended (it is then reaped).
    bool ended() {
        if (pid_ <= 0) return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
        pid_ = 0;
        return true;
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 100 && !ended(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }

  private:
    pid_t pid_ = 0;
};

class IppEverywherePrinter {
  public:
    // A document the printer received: its job number there, its format's file extension
    // ("pwg", "urf") and its bytes.
    struct Document {
        int job = 0;
        std::string format;
        std::string bytes;
    };

    // Starts the printer `name` with the ippserver attribute file text `attributes`.
    IppEverywherePrinter(const std::string& name, const std::string& attributes) {
        const std::string printer = findProgram("ippeveprinter"), bus = findProgram("dbus-daemon");
        if (printer.empty() || bus.empty()) {
            problem_ =
                "ippeveprinter (cups-ipp-utils) or dbus-daemon is not installed; scripts/deps "
                "installs them";
            return;
        }
        // A system bus anyone may use, on a socket in the test's folder.
        std::string busConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=SOCKET</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";
        writeBytes(temp_.file("bus.conf"),
                   busConfig.replace(busConfig.find("SOCKET"), 6, temp_.file("bus.sock")));
        writeBytes(temp_.file("printer.attrs"), attributes);
        temp_.make("spool");
        bus_.start({bus, "--config-file=" + temp_.file("bus.conf"), "--nofork", "--nopidfile"}, {},
                   temp_.file("dbus.log"));
        if (!waitFor([&] { return ::access(temp_.file("bus.sock").c_str(), F_OK) == 0; }, bus_)) {
            problem_ = "dbus-daemon did not start: " + readFile(temp_.file("dbus.log"));
            return;
        }
        // "localhost" keeps it on the loopback interfaces (127.0.0.1 and ::1); -r off registers
        // nothing with DNS-SD; -k keeps the documents; /bin/true stands for the print engine, so
        // jobs end at once instead of after the simulated 5 to 15 seconds of printing.
        port_ = freeLoopbackPort();
        printer_.start({printer, "-a", temp_.file("printer.attrs"), "-r", "off", "-k", "-d",
                        temp_.file("spool"), "-n", "localhost", "-p", std::to_string(port_), "-c",
                        "/bin/true", name},
                       {"DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + temp_.file("bus.sock")},
                       temp_.file("printer.log"));
        if (port_ == 0 || !waitFor([&] { return answersOn(port_); }, printer_)) {
            problem_ = "ippeveprinter did not start: " + readFile(temp_.file("printer.log"));
        }
    }
    ~IppEverywherePrinter() {
        printer_.stop();
        bus_.stop();
    }
    IppEverywherePrinter(const IppEverywherePrinter&) = delete;
    IppEverywherePrinter& operator=(const IppEverywherePrinter&) = delete;

    // Empty when the printer runs; otherwise what went wrong.
    const std::string& problem() const { return problem_; }
    std::string uri() const { return "ipp://127.0.0.1:" + std::to_string(port_) + "/ipp/print"; }

    // The documents received so far, in job order.
    std::vector<Document> documents() const {
        std::vector<Document> documents;
        for (const std::string& name : entries(temp_.file("spool"))) {
            const auto dash = name.find('-'), dot = name.rfind('.');
            if (dash == std::string::npos || dot == std::string::npos || name.substr(dot) == ".prn")
                continue;
            documents.push_back({std::atoi(name.c_str()), name.substr(dot + 1),
                                 readFile(temp_.file("spool/" + name))});
        }
        std::sort(documents.begin(), documents.end(),
                  [](const Document& a, const Document& b) { return a.job < b.job; });
        return documents;
    }

    // Whether job `job` has ended here: its document is then wholly written. (The scheduler may
    // call its own job done while this printer is still taking in or writing the document.)
    bool jobEnded(int job) const {
        const std::string shown = jobAttribute(job, "job-state");
        // ipptool shows it as a table: a heading, a rule and the value.
        for (const char* state : {"\ncompleted\n", "\naborted\n", "\ncanceled\n"}) {
            if (shown.find(state) != std::string::npos) return true;
        }
        return false;
    }

    // The media size job `job` asked this printer for, "WIDTHxLENGTH" in hundredths of a
    // millimetre, or "" when the job named none (the printer's default media).
    std::string jobMediaSize(int job) const {
        const std::string shown = jobAttribute(job, "media-col");
        const std::string x = "media-size={x-dimension=", y = " y-dimension=";
        const auto at = shown.find(x), yAt = shown.find(y, at);
        if (at == std::string::npos || yAt == std::string::npos) return "";
        const std::string width = shown.substr(at + x.size(), yAt - at - x.size());
        return width + "x" + std::to_string(std::atoi(shown.c_str() + yAt + y.size()));
    }

  private:
    // What ipptool shows of attribute `attribute` of job `job` (Get-Job-Attributes).
    std::string jobAttribute(int job, const std::string& attribute) const {
        const std::string test = temp_.file("job-" + attribute + ".test");
        writeBytes(test, R"({
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job
  ATTR keyword requested-attributes )" + attribute + R"(
  STATUS successful-ok
  DISPLAY )" + attribute + R"(
}
)");
        return runCommand("ipptool", {"-d", "job=" + std::to_string(job), uri(), test}).out;
    }

    template <typename Ready>
    static bool waitFor(Ready ready, ChildProcess& process) {
        for (int i = 0; i < 200; ++i) {
            if (ready()) return true;
            if (process.ended()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    TempDir temp_;
    ChildProcess bus_, printer_;
    int port_ = 0;
    std::string problem_;
};

}  // namespace kestrane::testing
