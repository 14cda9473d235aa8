// An lpr.exe for tests: it records how it was started and what it was given, next to itself
// ("lpr-command.txt", "lpr-received.bin"), and ends with the exit code named in the file
// "lpr-exit-code.txt" beside it (0 when there is none), as the real tool ends 0 or not.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ownFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = ownFolder();
    std::ofstream(folder + "lpr-command.txt", std::ios::binary) << GetCommandLineA();
    // The file is the last argument.
    if (argc > 1) {
        std::ifstream in(argv[argc - 1], std::ios::binary);
        std::ofstream(folder + "lpr-received.bin", std::ios::binary)
            << std::string(std::istreambuf_iterator<char>(in), {});
    }
    int code = 0;
    std::ifstream(folder + "lpr-exit-code.txt") >> code;
    return code;
}
