// The three samples drawn by `kestrane render`, as the STAR job and as the previewer draw them,
// pixel for pixel against reviewed images under tests/data/receipts (tests/data/regenerate
// rewrites them after a deliberate change). Any change to drawing shows here.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> grey;  // one byte a pixel
};

Pixels readPng(const std::string& path) {
    Pixels image;
    int channels = 0;
    stbi_uc* data = stbi_load(path.c_str(), &image.width, &image.height, &channels, 1);
    if (data != nullptr) {
        image.grey.assign(data, data + static_cast<std::size_t>(image.width) * image.height);
        stbi_image_free(data);
    }
    return image;
}

std::vector<std::string> pngNames(const std::string& directory) {
    std::vector<std::string> names;
    for (const std::string& name : testing::entries(directory)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) names.push_back(name);
    }
    return names;
}

// "" when the two images are equal, else where they first differ and by how many pixels.
std::string difference(const Pixels& got, const Pixels& want) {
    if (got.width != want.width || got.height != want.height) {
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) +
               " instead of " + std::to_string(want.width) + "x" + std::to_string(want.height);
    }
    std::size_t count = 0, first = 0;
    for (std::size_t i = 0; i < got.grey.size(); ++i) {
        if ((got.grey[i] < 128) == (want.grey[i] < 128)) continue;
        if (count++ == 0) first = i;
    }
    if (count == 0) return "";
    return std::to_string(count) + " pixels differ, the first at x " +
           std::to_string(first % got.width) + ", y " + std::to_string(first / got.width);
}

TEST(ReceiptGoldenTest, SamplesMatchTheirReviewedPixels) {
    const std::string base = std::string(KESTRANE_SAMPLES) + "/base";
    for (const std::string sample : {"kestrane", "vexo", "invoice"}) {
        for (const bool preview : {false, true}) {
            testing::TempDir out;
            std::vector<std::string> args = {"render", std::string(KESTRANE_SAMPLES) + "/" + sample + ".html",
                                             "--out", out.path(), "--base", base};
            if (preview) args.push_back("--preview");
            const auto result = testing::runCommand(KESTRANE_CLI, args);
            ASSERT_EQ(result.status, 0) << sample << result.err;
            EXPECT_EQ(result.err, "") << sample;

            const std::string reviewed = std::string(KESTRANE_TEST_DATA) + "/receipts/" + sample;
            std::vector<std::string> want;
            for (const std::string& name : pngNames(reviewed)) {
                if ((name == "preview.png") == preview) want.push_back(name);
            }
            ASSERT_FALSE(want.empty()) << reviewed;
            ASSERT_EQ(pngNames(out.path()), want) << sample;
            for (const std::string& name : want) {
                const Pixels got = readPng(out.file(name));
                ASSERT_FALSE(got.grey.empty()) << sample << "/" << name;
                EXPECT_EQ(difference(got, readPng(reviewed + "/" + name)), "") << sample << "/" << name;
            }
        }
    }
}

}  // namespace
}  // namespace kestrane
