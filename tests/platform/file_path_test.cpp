#include "platform/file_path.h"

#include <gtest/gtest.h>

namespace kestrane {
namespace {

TEST(FilePathTest, BackslashesSeparateDirectories) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"/srv/app\\node_modules\\printer\\GDIImageDirectory/logo.bmp",
         "/srv/app/node_modules/printer/GDIImageDirectory/logo.bmp"},
        {"base\\node_modules\\printer\\GDIImageDirectory\\logo.bmp",
         "base/node_modules/printer/GDIImageDirectory/logo.bmp"},
        {"dir//x", "dir//x"},
    };
    for (const auto& c : cases) EXPECT_EQ(nativePath(c.in), c.out);
}

}  // namespace
}  // namespace kestrane
