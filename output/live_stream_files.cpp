#include "output/live_stream_files.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

namespace kestrane {

namespace {

struct Registry {
    std::mutex lock;
    std::set<std::string> paths;
};

// Never destroyed: a job's thread may still be finishing while the process exits.
Registry& registry() {
    static Registry* const files = [] {
        auto* created = new Registry;
        std::atexit([] {
            Registry& all = registry();
            std::lock_guard<std::mutex> guard(all.lock);
            for (const std::string& path : all.paths) std::remove(path.c_str());
            all.paths.clear();
        });
        return created;
    }();
    return *files;
}

}  // namespace

LiveStreamFile::LiveStreamFile(std::string path) : path_(std::move(path)) {
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.lock);
    all.paths.insert(path_);
}

LiveStreamFile::~LiveStreamFile() {
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.lock);
    all.paths.erase(path_);
}

}  // namespace kestrane
