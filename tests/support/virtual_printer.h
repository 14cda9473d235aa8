// The virtual printer of scripts/virtual-printer for one test: a private CUPS scheduler with the
// receipt queues receipt80 and receipt58 (PWG raster), the raw queue RAW, socket sinks that keep
// every job, and CUPS' LPD server. Everything lives in a temporary directory and stops with the
// object.
#pragma once

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane::testing {

class VirtualPrinter {
  public:
    // `cupsdConf`: more lines for the scheduler's cupsd.conf.
    explicit VirtualPrinter(const std::string& cupsdConf = "") {
        const CommandResult up = runCommand("env", {"KESTRANE_CUPSD_CONF=" + cupsdConf,
                                                    std::string(KESTRANE_SOURCE_DIR) + "/scripts/virtual-printer",
                                                    "up", temp_.path()});
        std::istringstream env(readFile(temp_.file("env")));
        for (std::string line; std::getline(env, line);) {
            const auto equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
            if (key == "export CUPS_SERVER") socket_ = value;
            if (key == "KESTRANE_IPP_SERVER") ippServer_ = value;
            if (key == "KESTRANE_LPD_ADDRESS") lpdAddress_ = value;
            if (key == "KESTRANE_ESCPOS_ADDRESS") escposAddress_ = value;
        }
        if (up.status != 0 || socket_.empty()) problem_ = "virtual-printer up: " + up.err;
    }
    ~VirtualPrinter() { stop(); }
    VirtualPrinter(const VirtualPrinter&) = delete;
    VirtualPrinter& operator=(const VirtualPrinter&) = delete;

    // Stops the scheduler, the sinks and the LPD server.
    void stop() { script("down"); }

    // Empty when everything runs; otherwise what went wrong.
    const std::string& problem() const { return problem_; }
    // The scheduler's local socket, and its loopback address.
    const std::string& socket() const { return socket_; }
    const std::string& ippServer() const { return ippServer_; }
    // The LPD server's address, feeding the queue RAW.
    const std::string& address() const { return lpdAddress_; }
    // The process id of the scheduler, for tests that stop it; "" when it is not found.
    std::string schedulerPid() const {
        const std::string conf = socket_.substr(0, socket_.rfind('/')) + "/root/cupsd.conf";
        // By name, then by configuration: a pattern over whole command lines also finds the
        // shell that runs pgrep, which is gone by the time the pid is used.
        std::istringstream pids(runCommand("pgrep", {"-x", "cupsd"}).out);
        for (std::string pid; std::getline(pids, pid);) {
            if (readFile("/proc/" + pid + "/cmdline").find(conf) != std::string::npos) return pid;
        }
        return "";
    }

    // The ESC/POS printer on raw TCP ("socket://127.0.0.1:PORT"), keeping jobs as queue
    // "escpos"; setEscposState makes it answer as a printer in that state.
    const std::string& escposAddress() const { return escposAddress_; }
    void setEscposState(const std::string& state) { writeBytes(temp_.file("escpos-state"), state); }

    // Runs a CUPS client program against this scheduler; returns what it printed.
    std::string cups(const std::vector<std::string>& command) const {
        // lpadmin, cupsdisable and cupsreject live in /usr/sbin, which an ordinary user's PATH lacks.
        std::string line = "PATH=\"$PATH:/usr/sbin:/sbin\" CUPS_SERVER=" + shellQuote(socket_);
        for (const auto& arg : command) line += " " + shellQuote(arg);
        std::FILE* pipe = ::popen((line + " 2>&1 </dev/null").c_str(), "r");
        if (pipe == nullptr) return "popen failed";
        std::string out;
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
        ::pclose(pipe);
        return out;
    }

    // `kestrane ARGS...` with this scheduler as the spooler (over `server`, the local socket by
    // default).
    CommandResult kestrane(const std::vector<std::string>& args, const std::string& server = "") const {
        std::vector<std::string> command = {"CUPS_SERVER=" + (server.empty() ? socket_ : server), KESTRANE_CLI};
        command.insert(command.end(), args.begin(), args.end());
        return runCommand("env", command);
    }

    // The jobs `queue` received, oldest first, once the scheduler has no job left and `count`
    // jobs arrived (or after `limit`). The files are removed.
    std::vector<std::string> takeJobs(const std::string& queue, std::size_t count,
                                      std::chrono::seconds limit = std::chrono::seconds(20)) {
        const std::string sink = temp_.file("jobs/" + queue);
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end &&
               (entries(sink).size() < count || !cups({"lpstat", "-o"}).empty())) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // a straggling byte shows
        std::vector<std::string> jobs;
        for (const std::string& name : entries(sink)) {
            jobs.push_back(readFile(sink + "/" + name));
            std::remove((sink + "/" + name).c_str());
        }
        return jobs;
    }

    // How many jobs `queue` has received and not yet been taken.
    std::size_t jobCount(const std::string& queue) const {
        return entries(temp_.file("jobs/" + queue)).size();
    }

    // The scheduler's page log: one line a finished job ("QUEUE USER ID [TIME] total PAGES - HOST
    // TITLE - -").
    std::string pageLog() const { return readFile(temp_.file("log/page_log")); }
    // The last `lines` lines of the scheduler's error log.
    std::string errorLogTail(std::size_t lines = 20) const {
        const std::string log = readFile(temp_.file("log/error_log"));
        std::size_t from = log.size(), seen = 0;
        while (from > 0 && seen <= lines) seen += log[--from] == '\n';
        return seen <= lines ? log : log.substr(from + 1);
    }

  private:
    CommandResult script(const std::string& command) {
        return runCommand(std::string(KESTRANE_SOURCE_DIR) + "/scripts/virtual-printer", {command, temp_.path()});
    }

    TempDir temp_;
    std::string socket_, ippServer_, lpdAddress_, escposAddress_, problem_;
};

}  // namespace kestrane::testing
