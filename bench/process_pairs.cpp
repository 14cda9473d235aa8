// Whole-process times of the command line against `cat` of the same layout, run in turns so
// that the machine's drift touches both alike: `kestrane render` and `kestrane escpos` of a
// sample, each round one run of every command. Prints the medians and the ratios to `cat`.
//
//   kestrane_process_pairs [ROUNDS] [SAMPLE]     (defaults: 60, kestrane.html)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Wall milliseconds of one run of `args` with its output to /dev/null; negative on failure.
double runOnce(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    const bool ran = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                     waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return ran ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const std::string samples = KESTRANE_SAMPLES;
    const std::string sample = samples + "/" + (argc > 2 ? argv[2] : "kestrane.html");
    const std::string out = "/tmp/kestrane-process-pairs-" + std::to_string(getpid());
    const struct {
        const char* name;
        std::vector<std::string> args;
    } commands[] = {
        {"cat", {"/bin/cat", sample}},
        {"kestrane render", {KESTRANE_CLI, "render", sample, "--out", out, "--base", samples + "/base"}},
        {"kestrane escpos", {KESTRANE_CLI, "escpos", sample, "-o", out + ".escpos"}},
    };
    std::vector<std::vector<double>> times(std::size(commands));
    for (int round = -2; round < rounds; ++round) {  // two rounds to warm the caches
        for (std::size_t c = 0; c < std::size(commands); ++c) {
            const double ms = runOnce(commands[c].args);
            if (ms < 0) {
                std::fprintf(stderr, "kestrane_process_pairs: %s failed\n", commands[c].name);
                return 1;
            }
            if (round >= 0) times[c].push_back(ms);
        }
    }
    std::filesystem::remove_all(out);
    std::filesystem::remove(out + ".escpos");
    const double cat = median(times[0]);
    std::printf("%d rounds, medians of whole processes (wall time)\n", rounds);
    for (std::size_t c = 0; c < std::size(commands); ++c) {
        std::printf("%-16s %7.2f ms  %5.2fx cat\n", commands[c].name, median(times[c]), median(times[c]) / cat);
    }
    return 0;
}
