#include "platform/freetype/face_cache.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/freetype/private_file.h"

// Where fontconfig looks for a configuration file named without a folder, after the folders of
// FONTCONFIG_PATH; the build takes it from fontconfig's pkg-config file.
#ifndef KESTRANE_FONTCONFIG_CONFDIR
#define KESTRANE_FONTCONFIG_CONFDIR "/etc/fonts"
#endif

namespace kestrane {

namespace {

constexpr std::string_view kFirstLine = "kestrane faces 1";
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;    // the cache file
constexpr std::size_t kMaxConfigBytes = std::size_t{4} << 20;  // one configuration file
constexpr std::size_t kMaxPaths = 8192;
constexpr std::size_t kMaxEntries = 64;
constexpr std::size_t kMaxNameBytes = 1024;
constexpr time_t kSettleSeconds = 2;

// What fontconfig reads from the environment that can change its answer: where its
// configuration, caches and user folders are, and the default language of a pattern.
constexpr const char* kEnvironment[] = {
    "FONTCONFIG_FILE", "FONTCONFIG_PATH", "HOME",          "XDG_CONFIG_HOME",
    "XDG_CACHE_HOME",  "XDG_DATA_HOME",   "XDG_DATA_DIRS", "FC_LANG",
    "LC_ALL",          "LC_CTYPE",        "LANG"};

// A string one field of a cache line can hold.
bool plain(std::string_view text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return c == '\t' || c == '\n' || c == '\0'; });
}

bool absolute(std::string_view path) {
    return !path.empty() && path[0] == '/';
}

struct State {
    std::string text;
    bool exists = false;
    timespec changed{};
};

State statePath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {"e" + std::to_string(errno), false, {}};
    char text[256];
    std::snprintf(text, sizeof text,
                  "%" PRIxMAX ":%" PRIxMAX ":%o:%u:%u:%" PRIdMAX ":%" PRIdMAX ".%09ld:%" PRIdMAX
                  ".%09ld",
                  static_cast<uintmax_t>(info.st_dev), static_cast<uintmax_t>(info.st_ino),
                  static_cast<unsigned>(info.st_mode), static_cast<unsigned>(info.st_uid),
                  static_cast<unsigned>(info.st_gid), static_cast<intmax_t>(info.st_size),
                  static_cast<intmax_t>(info.st_mtim.tv_sec), info.st_mtim.tv_nsec,
                  static_cast<intmax_t>(info.st_ctim.tv_sec), info.st_ctim.tv_nsec);
    return {text, true, info.st_ctim};
}

// The running program's file; empty when the system does not say.
std::string executablePath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// The program name fontconfig gives a pattern: the last part of the executable's path.
std::string programName() {
    const std::string whole = executablePath();
    const std::size_t slash = whole.rfind('/');
    return slash == std::string::npos ? whole : whole.substr(slash + 1);
}

void split(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return;
        line.remove_prefix(tab + 1);
    }
}

bool parseWeight(std::string_view text, int& weight) {
    if (text.empty() || text.size() > 4) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > 1000) return false;
    weight = value;
    return true;
}

bool storable(const FaceEntry& entry) {
    return entry.weight >= 0 && entry.weight <= 1000 && entry.name.size() <= kMaxNameBytes &&
           entry.face.family.size() <= kMaxNameBytes && plain(entry.name) &&
           plain(entry.face.family) && absolute(entry.face.path) && plain(entry.face.path) &&
           !entry.fileState.empty() && plain(entry.fileState);
}

bool parseCache(const std::string& text, FaceCacheContents& contents) {
    FaceCacheContents parsed;
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    bool first = true;
    bool ended = false;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos || ended) return false;  // lines end; nothing after "end"
        const std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (first) {
            if (line != kFirstLine) return false;
            first = false;
            continue;
        }
        split(line, fields);
        if (fields[0] == "env" && fields.size() == 2 && !fields[1].empty()) {
            parsed.stamp.environment.append(fields[1]).push_back('\n');
        } else if (fields[0] == "path" && fields.size() == 3 && !fields[1].empty() &&
                   absolute(fields[2]) && parsed.stamp.paths.size() < kMaxPaths) {
            parsed.stamp.paths.emplace_back(std::string(fields[2]), std::string(fields[1]));
        } else if (fields[0] == "face" && fields.size() == 6 &&
                   parsed.entries.size() < kMaxEntries) {
            FaceEntry entry;
            if (!parseWeight(fields[2], entry.weight)) return false;
            entry.name = fields[1];
            entry.fileState = fields[3];
            entry.face.path = fields[4];
            entry.face.family = fields[5];
            if (!storable(entry)) return false;
            parsed.entries.push_back(std::move(entry));
        } else if (line == "end" && fields.size() == 1) {
            ended = true;
        } else {
            return false;
        }
    }
    if (!ended || parsed.stamp.environment.empty()) return false;
    contents = std::move(parsed);
    return true;
}

bool formatCache(const FaceCacheContents& contents, std::string& text) {
    const FaceStamp& stamp = contents.stamp;
    if (stamp.environment.empty() || stamp.environment.back() != '\n' ||
        stamp.paths.size() > kMaxPaths || contents.entries.size() > kMaxEntries) {
        return false;
    }
    text.assign(kFirstLine).push_back('\n');
    std::string_view environment = stamp.environment;
    while (!environment.empty()) {
        const std::size_t end = environment.find('\n');
        const std::string_view line = environment.substr(0, end);
        if (line.empty() || !plain(line)) return false;
        text.append("env\t").append(line).push_back('\n');
        environment.remove_prefix(end + 1);
    }
    for (const auto& [path, state] : stamp.paths) {
        if (!absolute(path) || !plain(path) || state.empty() || !plain(state)) return false;
        text.append("path\t").append(state).append("\t").append(path).push_back('\n');
    }
    for (const FaceEntry& entry : contents.entries) {
        if (!storable(entry)) return false;
        text.append("face\t").append(entry.name).append("\t");
        text.append(std::to_string(entry.weight)).append("\t").append(entry.fileState);
        text.append("\t").append(entry.face.path).append("\t").append(entry.face.family);
        text.push_back('\n');
    }
    text.append("end\n");
    return text.size() <= kMaxFileBytes;
}

// When this process first asked fontconfig anything, and the environment then: fontconfig read
// its files no earlier, under that environment.
struct Start {
    timespec time{};
    std::string environment;
};

std::string currentEnvironment() {
    // Under a system root fontconfig reads other paths than the ones it names.
    if (std::getenv("FONTCONFIG_SYSROOT") != nullptr) return {};
    std::string text = "fontconfig " + std::to_string(FcGetVersion()) + "\n";
    for (const char* name : kEnvironment) {
        const char* value = std::getenv(name);
        const std::string line = value != nullptr ? std::string(name) + "=" + value : name;
        if (!plain(line)) return {};
        text.append(line).push_back('\n');
    }
    const std::string program = "program=" + programName();
    if (!plain(program)) return {};
    return text.append(program).append("\n");
}

const Start& fontconfigStart() {
    static const Start start = [] {
        Start now;
        ::clock_gettime(CLOCK_REALTIME, &now.time);
        now.environment = currentEnvironment();
        return now;
    }();
    return start;
}

std::vector<std::string> strings(FcStrList* list) {
    std::vector<std::string> result;
    if (list == nullptr) return result;
    while (const FcChar8* item = FcStrListNext(list)) {
        result.emplace_back(reinterpret_cast<const char*>(item));
    }
    FcStrListDone(list);
    return result;
}

// Joins a folder and a name with one separator, as fontconfig does.
std::string joined(const std::string& folder, const std::string& name) {
    const bool separate =
        (folder.empty() || folder.back() != '/') && (name.empty() || name[0] != '/');
    return folder + (separate ? "/" : "") + name;
}

// Every path fontconfig may take a configuration file named `name` from (the first one readable
// of them); false when one of them depends on the working folder.
bool addCandidates(const std::string& name, std::vector<std::string>& paths) {
    std::vector<std::string> found;
    if (absolute(name)) {
        found.push_back(name);
    } else if (!name.empty() && name[0] == '~') {
        if (const char* home = std::getenv("HOME")) found.push_back(joined(home, name.substr(1)));
    } else {
        if (const char* path = std::getenv("FONTCONFIG_PATH")) {
            // Folders separated by colons; a trailing colon adds none.
            std::string_view rest = path;
            while (!rest.empty()) {
                const std::size_t colon = rest.find(':');
                found.push_back(joined(std::string(rest.substr(0, colon)), name));
                rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
            }
        }
        found.push_back(joined(KESTRANE_FONTCONFIG_CONFDIR, name));
    }
    for (const std::string& candidate : found) {
        if (!absolute(candidate)) return false;
        paths.push_back(candidate);
    }
    return true;
}

// The attributes of a start tag; false when they are not plain name="value" pairs.
bool attribute(std::string_view tag, std::string_view wanted, std::string& value) {
    value.clear();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < tag.size() && blank(tag[at])) ++at;
    };
    for (;;) {
        skipBlanks();
        if (at == tag.size()) return true;
        const std::size_t nameStart = at;
        while (at < tag.size() && !blank(tag[at]) && tag[at] != '=') ++at;
        const std::string_view name = tag.substr(nameStart, at - nameStart);
        skipBlanks();
        if (name.empty() || at == tag.size() || tag[at] != '=') return false;
        ++at;
        skipBlanks();
        if (at == tag.size() || (tag[at] != '"' && tag[at] != '\'')) return false;
        const char quote = tag[at++];
        const std::size_t close = tag.find(quote, at);
        if (close == std::string_view::npos) return false;
        if (name == wanted) value = tag.substr(at, close - at);
        at = close + 1;
    }
}

// Adds the files the <include> elements of a configuration file name (whether they exist or
// not); false for what this reading cannot follow: entities, character data sections, folders
// relative to the working folder.
bool scanConfig(const std::string& raw, std::vector<std::string>& paths) {
    std::string text;
    for (std::size_t at = 0;;) {  // without comments
        const std::size_t open = raw.find("<!--", at);
        text.append(raw, at, open == std::string::npos ? std::string::npos : open - at);
        if (open == std::string::npos) break;
        const std::size_t close = raw.find("-->", open + 4);
        if (close == std::string::npos) return false;
        at = close + 3;
    }
    if (text.find("<![CDATA[") != std::string::npos) return false;
    for (const std::string_view element : {"include", "dir", "cachedir", "remap-dir"}) {
        const std::string open = "<" + std::string(element);
        const std::string close = "</" + std::string(element) + ">";
        for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
            const std::size_t nameEnd = at + open.size();
            at = nameEnd;
            if (nameEnd >= text.size()) return false;
            const char next = text[nameEnd];
            if (next != '>' && next != '/' && next != ' ' && next != '\t' && next != '\n' &&
                next != '\r') {
                continue;  // another element whose name starts the same
            }
            const std::size_t tagEnd = text.find('>', nameEnd);
            if (tagEnd == std::string::npos) return false;
            std::string_view attributes(text.data() + nameEnd, tagEnd - nameEnd);
            std::string content;
            if (!attributes.empty() && attributes.back() == '/') {
                attributes.remove_suffix(1);
            } else {
                const std::size_t end = text.find(close, tagEnd + 1);
                if (end == std::string::npos) return false;
                content = text.substr(tagEnd + 1, end - tagEnd - 1);
            }
            if (content.find_first_of("<&") != std::string::npos) return false;
            std::string prefix;
            if (!attribute(attributes, "prefix", prefix)) return false;
            const bool xdg = prefix == "xdg";
            if (element == "include") {
                std::string name = content;
                if (xdg) {
                    const char* config = std::getenv("XDG_CONFIG_HOME");
                    const char* home = std::getenv("HOME");
                    const std::string base =
                        config != nullptr ? config : std::string(home ? home : "") + "/.config";
                    name = base + "/" + content;
                }
                if (!addCandidates(name, paths)) return false;
            } else if (!xdg && prefix != "relative" && !absolute(content) &&
                       (content.empty() || content[0] != '~')) {
                return false;  // a folder of the working folder's
            }
            at = tagEnd + 1;
        }
    }
    return true;
}

enum class Read { text, folder, failed };

// Opened without waiting: a FIFO in a folder someone else can write to must not hold a program
// at its start. Regular files, folders and devices (FONTCONFIG_FILE=/dev/null) are read; a
// device that would make a read wait fails it instead.
Read readConfig(const std::string& path, std::string& text) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return Read::failed;
    struct stat info {};
    Read result = Read::failed;
    if (::fstat(descriptor, &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            result = Read::folder;
        } else if ((S_ISREG(info.st_mode) || S_ISCHR(info.st_mode)) &&
                   readAll(descriptor, text, kMaxConfigBytes)) {
            result = Read::text;
        }
    }
    ::close(descriptor);
    return result;
}

bool before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

std::string pathState(const std::string& path) {
    return statePath(path).text;
}

// A file's state is fields joined by ':' (its device in hex may start with 'e' too); an error's
// is "e" and the number alone.
bool stateOfFile(const std::string& state) { return state.find(':') != std::string::npos; }

std::string faceEnvironment() {
    return currentEnvironment();
}

std::string faceCacheFolder() {
    const char* chosen = std::getenv("KESTRANE_FONT_CACHE");
    if (chosen != nullptr && std::strcmp(chosen, "off") == 0) return {};
    if (chosen != nullptr && absolute(chosen)) return chosen;
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && absolute(cache)) return std::string(cache) + "/kestrane";
    const char* home = std::getenv("HOME");
    if (home != nullptr && absolute(home)) return std::string(home) + "/.cache/kestrane";
    return {};
}

std::string faceCacheFile(const std::string& folder, const std::string& environment) {
    char name[32];
    std::snprintf(name, sizeof name, "faces-v1-%016" PRIx64, fnv1a(environment));
    return joined(folder, name);
}

bool readFaceCache(const std::string& file, FaceCacheContents& contents) {
    std::string text;
    return readPrivateFile(file, text, kMaxFileBytes) && parseCache(text, contents);
}

bool writeFaceCache(const std::string& file, const FaceCacheContents& contents) {
    std::string text;
    return formatCache(contents, text) && writePrivateFile(file, text);
}

bool stampHolds(const FaceStamp& stamp) {
    if (stamp.environment.empty() || stamp.environment != faceEnvironment()) return false;
    return std::all_of(stamp.paths.begin(), stamp.paths.end(), [](const auto& watched) {
        return statePath(watched.first).text == watched.second;
    });
}

bool stampSettled(const FaceStamp& stamp, const timespec& readFrom) {
    const timespec settled{readFrom.tv_sec - kSettleSeconds, readFrom.tv_nsec};
    return std::all_of(stamp.paths.begin(), stamp.paths.end(), [&](const auto& watched) {
        const State state = statePath(watched.first);
        return state.text == watched.second && (!state.exists || before(state.changed, settled));
    });
}

FaceFile matchFace(const char* name, int weight) {
    fontconfigStart();
    FcPattern* pattern = FcPatternCreate();
    if (name != nullptr) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FaceFile face;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        face.path = reinterpret_cast<const char*>(file);
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch) {
            face.family = reinterpret_cast<const char*>(family);
        }
    }
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return face;
}

bool fontconfigStamp(FaceStamp& stamp) {
    const Start& start = fontconfigStart();
    // fontconfig keeps what it read under the environment it started with.
    if (start.environment.empty() || start.environment != currentEnvironment()) return false;
    FcConfig* config = FcConfigGetCurrent();
    if (config == nullptr || FcConfigGetSysRoot(config) != nullptr) return false;
    std::vector<std::string> paths;
    // The library itself: the same version number can come with other defaults. Linked into the
    // program (the command line links it statically), dladdr names the program as it was started,
    // maybe by a relative path: the program's own file then.
    Dl_info library{};
    if (::dladdr(reinterpret_cast<void*>(&FcGetVersion), &library) != 0 && library.dli_fname != nullptr) {
        if (absolute(library.dli_fname)) {
            paths.emplace_back(library.dli_fname);
        } else if (std::string program = executablePath(); !program.empty()) {
            paths.push_back(std::move(program));
        }
    }
    const std::vector<std::string> configFiles = strings(FcConfigGetConfigFiles(config));
    for (auto* list : {FcConfigGetConfigDirs(config), FcConfigGetFontDirs(config),
                       FcConfigGetCacheDirs(config)}) {
        for (std::string& path : strings(list)) paths.push_back(std::move(path));
    }
    const char* mainFile = std::getenv("FONTCONFIG_FILE");
    if (!addCandidates(mainFile != nullptr ? mainFile : "fonts.conf", paths)) return false;
    std::string text;
    for (const std::string& file : configFiles) {
        paths.push_back(file);
        text.clear();
        const Read read = readConfig(file, text);
        if (read == Read::failed || (read == Read::text && !scanConfig(text, paths))) return false;
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    if (paths.size() > kMaxPaths) return false;
    FaceStamp made{start.environment, {}};
    for (std::string& path : paths) {
        if (!absolute(path) || !plain(path)) return false;
        std::string state = statePath(path).text;
        made.paths.emplace_back(std::move(path), std::move(state));
    }
    if (!stampSettled(made, start.time)) return false;
    stamp = std::move(made);
    return true;
}

void FaceResolver::load() {
    loaded_ = true;
    if (folder_.empty()) return;
    const std::string environment = faceEnvironment();
    if (environment.empty()) {
        folder_.clear();
        return;
    }
    file_ = faceCacheFile(folder_, environment);
    holds_ = readFaceCache(file_, contents_) && contents_.stamp.environment == environment &&
             stampHolds(contents_.stamp);
    if (!holds_) contents_ = {};
}

FaceFile FaceResolver::resolve(const char* name, int weight, bool* remembered) {
    if (remembered != nullptr) *remembered = false;
    if (!loaded_) load();
    if (name == nullptr) return matchFace(name, weight);
    if (holds_) {
        for (const FaceEntry& entry : contents_.entries) {
            if (entry.name == name && entry.weight == weight &&
                pathState(entry.face.path) == entry.fileState) {
                if (remembered != nullptr) *remembered = true;
                return entry.face;
            }
        }
    }
    FaceFile face = matchFace(name, weight);
    if (!face.path.empty() && !folder_.empty()) remember(name, weight, face);
    return face;
}

void FaceResolver::remember(const std::string& name, int weight, const FaceFile& face) {
    if (!stampTried_) {
        stampTried_ = true;
        stampUsable_ = fontconfigStamp(fresh_);
    }
    if (!stampUsable_) return;
    FaceEntry entry{name, weight, face, pathState(face.path)};
    const FaceStamp fileStamp{fresh_.environment, {{face.path, entry.fileState}}};
    if (!storable(entry) || !stampSettled(fileStamp, fontconfigStart().time)) return;
    if (!holds_ || contents_.stamp.environment != fresh_.environment ||
        contents_.stamp.paths != fresh_.paths) {
        contents_ = {fresh_, {}};
        holds_ = true;
    }
    auto& entries = contents_.entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const FaceEntry& old) {
                                     return old.name == name && old.weight == weight;
                                 }),
                  entries.end());
    if (entries.size() >= kMaxEntries) entries.erase(entries.begin());
    entries.push_back(std::move(entry));
    writeFaceCache(file_, contents_);
}

}  // namespace kestrane
