// Halftoned images clipped by the canvas: the pixels on it are those of the same image drawn
// where it fits whole, and every pixel around them keeps its value.
#include <gtest/gtest.h>

#include <random>

#include "platform/canvas.h"
#include "platform/image.h"

namespace kestrane {
namespace {

TEST(CanvasHalftoneTest, ClippingKeepsThePixelsOnTheCanvasAndThoseAround) {
    std::mt19937 random(11);
    Image image;
    image.width = 13;
    image.height = 7;
    for (int i = 0; i < image.width * image.height * 3; ++i) {
        image.rgb.push_back(static_cast<uint8_t>(random()));
    }
    // Targets straddling each edge, inside one byte, on byte boundaries and off them, grown and
    // shrunk.
    const Rect targets[] = {{-5, -3, 20, 9},  {3, 2, 29, 14},  {-17, 4, 9, 8},   {9, -6, 14, 16},
                            {16, 0, 24, 5},    {1, 1, 6, 3},    {-40, -40, 40, 40}, {7, 3, 30, 4},
                            {-3, 10, 4, 30},   {24, 0, 40, 16}, {0, 0, 24, 16}};
    for (const Rect& target : targets) {
        // Drawn whole on a canvas with room on every side.
        constexpr int32_t kMargin = 48;
        Canvas whole(24 + 2 * kMargin, 16 + 2 * kMargin);
        stretchImage(whole, image, {target.left + kMargin, target.top + kMargin,
                                    target.right + kMargin, target.bottom + kMargin});
        // Drawn on a 24 x 16 canvas of random pixels.
        Canvas clipped(24, 16);
        for (uint8_t& byte : clipped.bits) byte = static_cast<uint8_t>(random());
        const Canvas before = clipped;
        stretchImage(clipped, image, target);
        for (int32_t y = 0; y < clipped.height; ++y) {
            for (int32_t x = 0; x < clipped.width; ++x) {
                const bool inside = x >= target.left && x < target.right && y >= target.top &&
                                    y < target.bottom;
                const bool expected = inside ? isBlack(whole, x + kMargin, y + kMargin)
                                             : isBlack(before, x, y);
                ASSERT_EQ(isBlack(clipped, x, y), expected)
                    << "target {" << target.left << ", " << target.top << ", " << target.right
                    << ", " << target.bottom << "} at (" << x << ", " << y << ")";
            }
        }
    }
}

}  // namespace
}  // namespace kestrane
