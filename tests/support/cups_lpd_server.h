// A real line printer daemon for tests: CUPS' cups-lpd behind socat on a private loopback port,
// feeding a private CUPS scheduler whose queue "RAW" prints to a socat sink that stores each job
// it receives in a file. Everything lives in a temporary directory and stops with the object.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/lpd_test_server.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane::testing {

class CupsLpdServer {
  public:
    CupsLpdServer() {
        dir_ = temp_.path();
        socket_ = dir_ + "/cups.sock";
        sink_ = temp_.make("sink");
        for (const char* sub : {"spool", "cache", "state", "tmp"}) temp_.make(sub);
        const std::uint16_t cupsPort = unusedPort(), sinkPort = unusedPort();
        lpdPort_ = unusedPort();
        writeConfiguration(cupsPort);

        start({"cupsd", "-f", "-c", dir_ + "/cupsd.conf", "-s", dir_ + "/cups-files.conf"},
              "cupsd.log");
        if (!waitUntil([&] { return cups({"lpstat", "-r"}) == "scheduler is running\n"; })) {
            problem_ = "the CUPS scheduler did not start:\n" + readFile(dir_ + "/error_log") +
                       readFile(dir_ + "/cupsd.log");
            return;
        }
        start({"socat", "-u",
               "TCP-LISTEN:" + std::to_string(sinkPort) + ",bind=127.0.0.1,reuseaddr,fork",
               "SYSTEM:cat > " + sink_ + "/job-$$.bin"},
              "sink.log");
        start({"socat", "TCP-LISTEN:" + std::to_string(lpdPort_) + ",bind=127.0.0.1,reuseaddr,fork",
               "EXEC:/usr/lib/cups/daemon/cups-lpd -n -o "
               "document-format=application/octet-stream,nofork"},
              "lpd.log");
        if (!waitUntil([&] { return listening(sinkPort) && listening(lpdPort_); })) {
            problem_ = "socat did not listen:\n" + readFile(dir_ + "/sink.log") +
                       readFile(dir_ + "/lpd.log");
            return;
        }
        // No PPD: a raw queue passes the job's bytes through unfiltered.
        const std::string added =
            cups({"lpadmin", "-p", "RAW", "-E", "-v",
                  "socket://127.0.0.1:" + std::to_string(sinkPort) + "/?snmp=false"});
        if (!added.empty()) problem_ = "lpadmin: " + added;
    }

    ~CupsLpdServer() {
        // Each started program leads a process group of its own; stopping the group also stops
        // the children socat forked for connections.
        for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) ::kill(-*it, SIGTERM);
        for (pid_t pid : pids_) {
            bool ended = false;
            for (int i = 0; i < 300 && !ended; ++i) {
                ended = ::waitpid(pid, nullptr, WNOHANG) == pid;
                if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (!ended) {
                ::kill(-pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    }

    CupsLpdServer(const CupsLpdServer&) = delete;
    CupsLpdServer& operator=(const CupsLpdServer&) = delete;

    // Empty when everything runs; otherwise what went wrong.
    const std::string& problem() const { return problem_; }

    std::string address() const { return "127.0.0.1:" + std::to_string(lpdPort_); }

    // Runs a CUPS client program against this scheduler; returns what it printed.
    std::string cups(const std::vector<std::string>& command) const {
        std::string line = "CUPS_SERVER=" + shellQuote(socket_);
        for (const auto& arg : command) line += " " + shellQuote(arg);
        std::FILE* pipe = ::popen((line + " 2>&1 </dev/null").c_str(), "r");
        if (pipe == nullptr) return "popen failed";
        std::string out;
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, got);
        ::pclose(pipe);
        return out;
    }

    // The bytes of the next job the printer received, once CUPS has no job left and the sink
    // holds at least `size` bytes, or what it holds after `limit`. The job's file is removed.
    std::string takeJob(std::size_t size, std::chrono::seconds limit = std::chrono::seconds(20)) {
        std::string job;
        waitUntil(
            [&] {
                job.clear();
                for (const auto& name : entries(sink_)) job += readFile(sink_ + "/" + name);
                return job.size() >= size && cups({"lpstat", "-o"}).empty();
            },
            limit);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // a straggling byte shows
        job.clear();
        for (const auto& name : entries(sink_)) {
            job += readFile(sink_ + "/" + name);
            std::remove((sink_ + "/" + name).c_str());
        }
        return job;
    }

    std::vector<std::string> sinkFiles() const { return entries(sink_); }

  private:
    void writeConfiguration(std::uint16_t cupsPort) {
        std::ofstream(dir_ + "/cupsd.conf")
            << "Listen 127.0.0.1:" << cupsPort << "\nListen " << socket_ << "\n"
            << "Browsing No\nWebInterface No\nLogLevel warn\n"
            << "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            << "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n"
            << "</Policy>\n";
        std::ofstream(dir_ + "/cups-files.conf")
            << "ServerRoot " << dir_ << "\nRequestRoot " << dir_ << "/spool\nCacheDir " << dir_
            << "/cache\nStateDir " << dir_ << "/state\nTempDir " << dir_ << "/tmp\nErrorLog "
            << dir_ << "/error_log\nAccessLog " << dir_ << "/access_log\nPageLog " << dir_
            << "/page_log\nPrintcap " << dir_ << "/printcap\n";
    }

    // Starts `argv` in a process group of its own, with this scheduler in its environment.
    void start(const std::vector<std::string>& argv, const std::string& log) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setpgid(0, 0);
            ::setenv("CUPS_SERVER", socket_.c_str(), 1);
            std::FILE* out = std::freopen((dir_ + "/" + log).c_str(), "w", stdout);
            if (out != nullptr) ::dup2(::fileno(stdout), 2);
            std::vector<char*> args;
            for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        if (pid > 0) {
            ::setpgid(pid, pid);
            pids_.push_back(pid);
        }
    }

    // Whether something listens on 127.0.0.1:`port` (/proc/net/tcp, state 0A).
    static bool listening(std::uint16_t port) {
        char wanted[32];
        std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
        std::istringstream table(readFile("/proc/net/tcp"));
        for (std::string line; std::getline(table, line);) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            if (local == wanted && state == "0A") return true;
        }
        return false;
    }

    template <typename Condition>
    static bool waitUntil(Condition condition,
                          std::chrono::seconds limit = std::chrono::seconds(10)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return condition();
    }

    TempDir temp_;
    std::string dir_, socket_, sink_, problem_;
    std::uint16_t lpdPort_ = 0;
    std::vector<pid_t> pids_;
};

}  // namespace kestrane::testing
