// A private temporary directory for one test, removed with everything in it afterwards.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace kestrane::testing {

class TempDir {
public:
    TempDir() {
        // A fresh name in the system's temporary folder (TMPDIR on POSIX, TEMP on Windows); a
        // name another process took first is skipped.
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty() && !error; ++attempt) {
            const auto candidate = base / ("kestrane-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate.generic_string();
        }
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Creates `relative` and its parents inside the directory; returns its full path.
    std::string make(const std::string& relative) const {
        const std::string full = path_ + "/" + relative;
        std::filesystem::create_directories(full);
        return full;
    }

    // BASE/node_modules/printer/GDIImageDirectory, where images are looked up.
    std::string imageFolder() const { return make("node_modules/printer/GDIImageDirectory"); }

private:
    std::string path_;
};

// The names in `directory`, sorted; empty when it does not exist.
inline std::vector<std::string> entries(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace kestrane::testing
