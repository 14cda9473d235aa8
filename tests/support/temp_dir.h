// A private directory for one test, removed with everything in it when the test ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kestrane::testing {

class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base ? base : "/tmp") + "/kestrane-XXXXXX";
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // BASE/node_modules/printer/GDIImageDirectory, made on first use: where images are looked up.
    std::string imageFolder() const {
        const std::string folder = path_ + "/node_modules/printer/GDIImageDirectory";
        std::filesystem::create_directories(folder);
        return folder;
    }

private:
    std::string path_;
};

}  // namespace kestrane::testing
