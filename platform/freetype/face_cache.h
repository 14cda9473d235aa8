// Faces found through fontconfig, remembered between processes. Starting fontconfig (reading its
// XML configuration and its font caches) costs a command-line run more than the rest of its font
// work; a face it resolved is kept in a small file beside fontconfig's own per-user cache and used
// again, without starting fontconfig, only while everything fontconfig's answer depends on is
// unchanged: the environment it reads, the library itself, and the state (stat) of every
// configuration file, configuration and font folder, cache folder and candidate path it reads or
// would read. Anything doubtful (a missing, foreign, malformed or oversized file, a folder that
// cannot be written) falls back to asking fontconfig, silently.
//
// KESTRANE_FONT_CACHE=off turns remembering off; KESTRANE_FONT_CACHE=/an/absolute/folder keeps the
// file there instead of $XDG_CACHE_HOME/kestrane or ~/.cache/kestrane.
#pragma once

#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace kestrane {

// A face as fontconfig resolves it: the file FreeType opens and the family fontconfig names.
struct FaceFile {
    std::string path;
    std::string family;
};

// What a remembered answer depends on: the environment fontconfig reads (and the version of the
// library), one "NAME=value" line each, and the state of each watched path.
struct FaceStamp {
    std::string environment;
    std::vector<std::pair<std::string, std::string>> paths;  // path, its state
};

// One remembered answer, with the state of its font file when fontconfig gave it.
struct FaceEntry {
    std::string name;
    int weight = 0;
    FaceFile face;
    std::string fileState;
};

struct FaceCacheContents {
    FaceStamp stamp;
    std::vector<FaceEntry> entries;
};

// The state of a path as stat() sees it (following links): device, inode, mode, owner, size,
// modification and change times; or the error stat() gave.
std::string pathState(const std::string& path);
// Whether a state from pathState describes a file, rather than the error stat() gave.
bool stateOfFile(const std::string& state);

// The environment fontconfig's answer depends on, as a stamp's environment; empty when answers
// cannot be remembered under it (fontconfig reading a system root, a value no cache line holds).
std::string faceEnvironment();

// The folder the cache file lives in, from KESTRANE_FONT_CACHE, XDG_CACHE_HOME or HOME; empty
// when remembering is off or there is nowhere to keep the file.
std::string faceCacheFolder();

// The cache file in `folder` for `environment`: one file for each environment, so processes that
// differ in it (the command line and the add-on's host) do not replace each other's file.
std::string faceCacheFile(const std::string& folder, const std::string& environment);

// Reads `file`; false when it is missing, not a regular file of this user's that only they can
// write, larger than the bound, or malformed in any way.
bool readFaceCache(const std::string& file, FaceCacheContents& contents);

// Writes `contents` to `file` through a temporary file renamed over it, creating the folder
// (mode 0700) when missing; false on any failure, leaving no temporary file behind.
bool writeFaceCache(const std::string& file, const FaceCacheContents& contents);

// Whether `stamp` still holds: the same environment now and every path in the same state.
bool stampHolds(const FaceStamp& stamp);

// Whether `stamp` may be stored as proof of an answer fontconfig read no earlier than `readFrom`:
// no watched path changed in the two seconds before it or since (a later change could otherwise
// carry the same times on a file system with coarse ones).
bool stampSettled(const FaceStamp& stamp, const timespec& readFrom);

// fontconfig's answer for `name` at `weight` (400 regular, 700 bold); starts fontconfig. Empty
// when fontconfig finds no face.
FaceFile matchFace(const char* name, int weight);

// The stamp of the configuration fontconfig runs with (started by matchFace); false when it
// cannot be told from the files (a configuration that depends on the working folder or that this
// reading cannot follow) or when it is not settled since fontconfig started.
bool fontconfigStamp(FaceStamp& stamp);

// Faces for one process: remembered answers while their stamp holds, fontconfig's otherwise
// (which are then remembered). `folder` empty: always fontconfig's. Not thread-safe.
class FaceResolver {
  public:
    explicit FaceResolver(std::string folder) : folder_(std::move(folder)) {}
    // The face for `name` at `weight`; `remembered`, when given, tells whether it came from the
    // cache rather than from fontconfig.
    FaceFile resolve(const char* name, int weight, bool* remembered = nullptr);

  private:
    void load();
    void remember(const std::string& name, int weight, const FaceFile& face);

    std::string folder_;
    std::string file_;
    bool loaded_ = false;
    bool holds_ = false;       // contents_ is proof for this process
    bool stampTried_ = false;  // fontconfig's stamp computed (once a process)
    bool stampUsable_ = false;
    FaceStamp fresh_;
    FaceCacheContents contents_;
};

}  // namespace kestrane
