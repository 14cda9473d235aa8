// The previewer's core without any UI: scrolling rules, what opening a file shows, and the
// samples as both preview modes draw them, against the reviewed images of tests/data/receipts.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <fstream>

#include "previewer/preview_render.h"
#include "previewer/scroll_state.h"
#include "tests/support/temp_dir.h"

namespace kestrane::previewer {
namespace {

const std::string kSamples = KESTRANE_SAMPLES;
const std::string kBase = kSamples + "/base";
const std::string kReceipts = std::string(KESTRANE_TEST_DATA) + "/receipts";

// The reviewed images were drawn with FreeType and our halftoning. On Windows GDI draws glyphs
// (hinted) and halftones images itself, so a drawing may differ there, by at most this share of
// its pixels (about 6% on the samples); the layout (every height) must still be the same.
#ifdef _WIN32
constexpr double kGdiShare = 0.08;
#else
constexpr double kGdiShare = 0.0;
#endif

// Whether `differing` pixels of a drawing `height` rows tall are within GDI's tolerance.
bool alike(long differing, int32_t height) {
    return differing >= 0 && differing <= static_cast<long>(kGdiShare * 570 * height);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Pixels that differ between `canvas` and the PNG at `path` (every pixel when the sizes differ).
long differingPixels(const Canvas& canvas, const std::string& path, int32_t top = 0) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* grey = stbi_load(path.c_str(), &width, &height, &channels, 1);
    if (grey == nullptr || width != canvas.width || top + height > canvas.height) {
        stbi_image_free(grey);
        return -1;
    }
    long count = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            count += isBlack(canvas, x, top + y) != (grey[y * width + x] < 128);
    }
    stbi_image_free(grey);
    return count;
}

TEST(ScrollStateTest, RequestsMoveTheViewWithinTheBitmap) {
    struct Case {
        const char* what;
        int32_t bitmapHeight, position;
        ScrollRequest request;
        int32_t thumb, wantPosition, wantMoved;
    };
    const Case cases[] = {
        {"page down", 1000, 0, ScrollRequest::kPageDown, 0, 50, -50},
        {"line down", 1000, 0, ScrollRequest::kLineDown, 0, 5, -5},
        {"page up", 1000, 120, ScrollRequest::kPageUp, 0, 70, 50},
        {"line up at the top", 1000, 0, ScrollRequest::kLineUp, 0, 0, 0},
        {"page down clamps at M", 1000, 570, ScrollRequest::kPageDown, 0, 585, -15},
        {"dragging waits", 1000, 10, ScrollRequest::kThumbTrack, 400, 10, 0},
        {"release goes to the box", 1000, 10, ScrollRequest::kThumbPosition, 400, 400, -390},
        {"release past M", 1000, 10, ScrollRequest::kThumbPosition, 2000000000, 585, -575},
        {"release below 0", 1000, 10, ScrollRequest::kThumbPosition, -7, 0, 10},
        {"other requests", 1000, 10, ScrollRequest::kOther, 0, 10, 0},
        {"M = 0: page down", 412, 0, ScrollRequest::kPageDown, 0, 0, 0},
        {"M = 0: release", 412, 0, ScrollRequest::kThumbPosition, 300, 0, 0},
    };
    for (const Case& c : cases) {
        ScrollState state;
        fitScroll(state, c.bitmapHeight, 415);
        state.position = c.position;
        EXPECT_EQ(applyScroll(state, c.request, c.thumb), c.wantMoved) << c.what;
        EXPECT_EQ(state.position, c.wantPosition) << c.what;
    }
}

TEST(ScrollStateTest, PositionSurvivesANewBitmapClampedToItsMaximum) {
    ScrollState state;
    fitScroll(state, 3000, 415);
    applyScroll(state, ScrollRequest::kThumbPosition, 2000);
    fitScroll(state, 2500, 415);  // still reachable: kept
    EXPECT_EQ(state.position, 2000);
    fitScroll(state, 1000, 415);  // shorter: clamped to M
    EXPECT_EQ(state.maximum, 585);
    EXPECT_EQ(state.position, 585);
    fitScroll(state, 400, 415);
    EXPECT_EQ(state.maximum, 0);
    EXPECT_EQ(state.position, 0);
    fitScroll(state, 3000, 415);  // a taller bitmap again starts where the view was
    EXPECT_EQ(state.position, 0);
}

TEST(PreviewRenderTest, ImageDirectoryIsTwoLevelsAboveTheProgram) {
    EXPECT_EQ(previewImageDirectory("/opt/kestrane/bin/ReceiptPreviewer"),
              "/opt/kestrane/bin/../../");
    EXPECT_EQ(previewImageDirectory("ReceiptPreviewer"), "./../../");
    EXPECT_EQ(previewImageDirectory("C:\\Tills\\bin\\ReceiptPreviewer.exe"), "C:\\Tills\\bin\\..\\..\\");
}

TEST(PreviewRenderTest, OpeningAFileShowsItsRenderingOrThePlaceholder) {
    testing::TempDir dir;
    const PreviewBitmap placeholder = placeholderBitmap();
    ASSERT_EQ(placeholder.width(), 600);
    ASSERT_EQ(placeholder.height(), 400);
    // The text is drawn with its cell's top-left corner at (100, 100): ink only right of and below
    // it.
    bool inkNearCorner = false, inkAboveOrLeft = false;
    for (int32_t y = 0; y < 400; ++y) {
        for (int32_t x = 0; x < 600; ++x) {
            if (!isBlack(placeholder.canvas, x, y)) continue;
            if (x < 100 || y < 100) inkAboveOrLeft = true;
            if (x < 120 && y < 120) inkNearCorner = true;
        }
    }
    EXPECT_TRUE(inkNearCorner);
    EXPECT_FALSE(inkAboveOrLeft);

    struct Case {
        const char* what;
        std::string bytes;
        bool placeholder;
    };
    const std::string row = "<table><tr><td>Total</td><td>4.20</td></tr></table>";
    const Case cases[] = {
        {"a file of 0 bytes", "", true},
        {"table text of 5 bytes", "<table></table>", true},
        {"no table at all", "just words", true},
        {"a layout the parser refuses", "<table><tr><td>x</td></tr><></table>", true},
        {"a layout that renders", row, false},
        {"bytes after a zero byte are not read", row + std::string(1, '\0') + "<", false},
        {"a zero byte first: nothing to render", std::string(1, '\0') + row, true},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("layout.html");
        std::ofstream(path, std::ios::binary) << c.bytes;
        const PreviewBitmap shown = openLayoutPreview(path, kBase, PreviewMode::kPreviewer);
        EXPECT_EQ(shown.kind, c.placeholder ? PreviewKind::kPlaceholder : PreviewKind::kReceipt)
            << c.what;
        if (c.placeholder) {
            EXPECT_EQ(shown.canvas.bits, placeholder.canvas.bits) << c.what;
        }
    }
    EXPECT_EQ(openLayoutPreview(dir.file("missing.html"), kBase, PreviewMode::kPreviewer).kind,
              PreviewKind::kPlaceholder);
}

TEST(PreviewRenderTest, AFailedRenderGivesNoBitmapAndTheJobSaysWhyInExactMode) {
    const std::string unparsable = "<table><tr><td>x</td></tr><></table>";
    EXPECT_FALSE(renderLayoutPreview(kBase, unparsable, PreviewMode::kPreviewer));
    std::string reason = "unset";
    EXPECT_FALSE(renderLayoutPreview(kBase, "<table></table>", PreviewMode::kStarJob, &reason));
    EXPECT_EQ(reason.rfind("Error - ", 0), 0u) << reason;
    // The placeholder carries the reason below its line, so the two differ.
    EXPECT_NE(placeholderBitmap(reason).canvas.bits, placeholderBitmap().canvas.bits);
}

TEST(PreviewRenderTest, SamplesRenderAsTheReviewedImagesInBothModes) {
    for (const std::string sample : {"kestrane", "vexo", "invoice"}) {
        const std::string layout = readAll(kSamples + "/" + sample + ".html");
        const auto preview = renderLayoutPreview(kBase, layout, PreviewMode::kPreviewer);
        ASSERT_TRUE(preview) << sample;
        EXPECT_EQ(preview->kind, PreviewKind::kReceipt);
        const long previewDiffering =
            differingPixels(preview->canvas, kReceipts + "/" + sample + "/preview.png");
        EXPECT_TRUE(alike(previewDiffering, preview->height()))
            << sample << ": " << previewDiffering;

        // The STAR job's sections one below the other, in print order.
        const auto exact = renderLayoutPreview(kBase, layout, PreviewMode::kStarJob);
        ASSERT_TRUE(exact) << sample;
        int32_t top = 0;
        for (int n = 1;; ++n) {
            const std::string png =
                kReceipts + "/" + sample + "/section-" + std::to_string(n) + ".png";
            int width = 0, height = 0, channels = 0;
            if (!stbi_info(png.c_str(), &width, &height, &channels)) break;
            const long differing = differingPixels(exact->canvas, png, top);
            EXPECT_TRUE(alike(differing, height))
                << sample << " section " << n << ": " << differing;
            top += height;
        }
        EXPECT_EQ(top, exact->height()) << sample;
    }
}

}  // namespace
}  // namespace kestrane::previewer
