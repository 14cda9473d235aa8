// Runs a program of this build and captures what it prints, for tests of the command line.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace kestrane::testing {

struct CommandResult {
    std::string out;
    std::string err;
    int status = -1;
};

inline std::string shellQuote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs `program args...` with standard input from `stdinPath` when given (else empty), and
// captures standard output, standard error and the exit status.
inline CommandResult runCommand(const std::string& program, const std::vector<std::string>& args,
                                const std::string& stdinPath = "") {
    const char* dir = std::getenv("TMPDIR");
    std::string errPath = std::string(dir ? dir : "/tmp") + "/kestrane-stderr-XXXXXX";
    const int errFile = ::mkstemp(errPath.data());
    if (errFile >= 0) ::close(errFile);
    std::string command = shellQuote(program);
    for (const auto& arg : args) command += " " + shellQuote(arg);
    command += stdinPath.empty() ? " </dev/null" : " <" + shellQuote(stdinPath);
    command += " 2>" + shellQuote(errPath);
    CommandResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe != nullptr) {
        char buffer[65536];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
        const int raw = pclose(pipe);
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    result.err = readFile(errPath);
    std::remove(errPath.c_str());
    return result;
}

// A file in the test's own temporary directory holding `bytes`.
inline std::string writeTempFile(const std::string& name, const std::string& bytes) {
    const char* dir = std::getenv("TMPDIR");
    const std::string path = std::string(dir ? dir : "/tmp") + "/kestrane-test-" +
                             std::to_string(::getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

}  // namespace kestrane::testing
