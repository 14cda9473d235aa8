#include "platform/freetype/face_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::entries;
using testing::TempDir;
using testing::writeBytes;

std::string readBytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedVariable() {
        if (had_) {
            ::setenv(name_, old_.c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// What a fresh process would get: a resolver of its own over `folder`.
FaceFile resolveAfresh(const std::string& folder, bool& remembered) {
    FaceResolver resolver(folder);
    return resolver.resolve("Arial", 700, &remembered);
}

TEST(FaceCacheTest, FontconfigsAnswerIsRememberedWhileItsStampHolds) {
    FaceStamp settled;
    if (!fontconfigStamp(settled)) GTEST_SKIP() << "fontconfig's files changed moments ago";
    const TempDir temp;
    const std::string folder = temp.path() + "/cache/kestrane";
    const FaceFile fontconfigs = matchFace("Arial", 700);
    ASSERT_FALSE(fontconfigs.path.empty());

    // The first process asks fontconfig and keeps the answer in a private folder.
    bool remembered = true;
    FaceFile face = resolveAfresh(folder, remembered);
    EXPECT_FALSE(remembered);
    EXPECT_EQ(face.path, fontconfigs.path);
    const std::string file = faceCacheFile(folder, faceEnvironment());
    FaceCacheContents contents;
    ASSERT_TRUE(readFaceCache(file, contents));
    ASSERT_EQ(contents.entries.size(), 1u);
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(entries(folder).size(), 1u);  // no temporary file left

    // The next one takes it from the file: fontconfig's own answer.
    face = resolveAfresh(folder, remembered);
    EXPECT_TRUE(remembered);
    EXPECT_EQ(face.path, fontconfigs.path);
    EXPECT_EQ(face.family, fontconfigs.family);
    EXPECT_EQ(face.family, "Liberation Sans");

    // A watched path that changes, or another value of the environment fontconfig reads, and the
    // answer is fontconfig's again.
    const std::string watched = temp.file("watched.conf");
    writeBytes(watched, "<fontconfig/>");
    contents.stamp.paths.emplace_back(watched, pathState(watched));
    ASSERT_TRUE(writeFaceCache(file, contents));
    EXPECT_TRUE(stampHolds(contents.stamp));
    resolveAfresh(folder, remembered);
    EXPECT_TRUE(remembered);
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, watched.c_str(), times, 0), 0);
    EXPECT_FALSE(stampHolds(contents.stamp));
    face = resolveAfresh(folder, remembered);
    EXPECT_FALSE(remembered);
    EXPECT_EQ(face.path, fontconfigs.path);

    {
        const ScopedVariable other("XDG_DATA_DIRS", "/nonexistent/share");
        EXPECT_FALSE(stampHolds(settled));
        face = resolveAfresh(folder, remembered);
        EXPECT_FALSE(remembered);
        EXPECT_EQ(face.path, fontconfigs.path);
    }
    EXPECT_TRUE(stampHolds(settled));

    // Turned off, or nowhere to keep it: fontconfig's answer.
    {
        const ScopedVariable off("KESTRANE_FONT_CACHE", "off");
        EXPECT_EQ(faceCacheFolder(), "");
    }
    {
        const ScopedVariable chosen("KESTRANE_FONT_CACHE", folder.c_str());
        EXPECT_EQ(faceCacheFolder(), folder);
    }
    EXPECT_EQ(resolveAfresh("", remembered).path, fontconfigs.path);
    EXPECT_FALSE(remembered);
    EXPECT_EQ(resolveAfresh(temp.file("watched.conf/below"), remembered).path, fontconfigs.path);
    EXPECT_FALSE(remembered);
}

TEST(FaceCacheTest, AFileThatIsNotExactlyAsWrittenIsIgnored) {
    const TempDir temp;
    const std::string file = temp.file("faces");
    const std::string watched = temp.file("watched");
    writeBytes(watched, "x");
    FaceCacheContents written;
    written.stamp = {faceEnvironment(), {{watched, pathState(watched)}}};
    written.entries.push_back({"Arial", 400, {watched, "Liberation Sans"}, pathState(watched)});
    ASSERT_TRUE(writeFaceCache(file, written));
    const std::string good = readBytes(file);
    FaceCacheContents read;
    ASSERT_TRUE(readFaceCache(file, read));
    EXPECT_EQ(read.stamp.environment, written.stamp.environment);
    EXPECT_EQ(read.stamp.paths, written.stamp.paths);
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].face.family, "Liberation Sans");

    const std::size_t face = good.find("face\t");
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"no end", good.substr(0, good.size() - 4)},
        {"cut mid-line", good.substr(0, good.size() - 6)},
        {"after the end", good + "path\te2\t/x\n"},
        {"other first line", "kestrane faces 2" + good.substr(good.find('\n'))},
        {"unknown line", good.substr(0, face) + "font\tArial\n" + good.substr(face)},
        {"weight not a number",
         good.substr(0, face) + "face\tArial\tbold\ts\t/f\tF\n" + good.substr(face)},
        {"weight out of range",
         good.substr(0, face) + "face\tArial\t4000\ts\t/f\tF\n" + good.substr(face)},
        {"relative file",
         good.substr(0, face) + "face\tArial\t400\ts\tf.ttf\tF\n" + good.substr(face)},
        {"missing field", good.substr(0, face) + "path\t/etc/fonts\n" + good.substr(face)},
        {"oversized", good.substr(0, face) + std::string(2 << 20, 'x') + "\n" + good.substr(face)},
    };
    for (const auto& c : cases) {
        writeBytes(file, c.bytes);
        EXPECT_FALSE(readFaceCache(file, read)) << c.what;
    }
    // Writable by others: not trusted either.
    writeBytes(file, good);
    ASSERT_EQ(::chmod(file.c_str(), 0622), 0);
    EXPECT_FALSE(readFaceCache(file, read));
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    EXPECT_TRUE(readFaceCache(file, read));
    // Not a regular file: a link to the good file, or a FIFO nobody writes (refused at once,
    // where a plain open would wait for a writer).
    const std::string link = temp.file("link"), fifo = temp.file("fifo");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readFaceCache(link, read));
    EXPECT_FALSE(readFaceCache(fifo, read));
}

}  // namespace
}  // namespace kestrane
