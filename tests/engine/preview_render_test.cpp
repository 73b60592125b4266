// The in-memory render: the same pixels and size as the file Convert writes, and nothing written.
#include "engine_test_support.h"

#include "engine/preview_render.h"

#include <atomic>
#include <filesystem>
#include <functional>

namespace millconv::test {
namespace {

class PreviewRenderTest : public EngineTest {
  protected:
    // A 13 x 7 picture (odd sides, so a swap or an off-by-one shows) of distinct colours with a
    // half-transparent column band, saved as the input.
    void SetUp() override {
        EngineTest::SetUp();
        input_ = inputFolder_ / "quarters.png";
        Bitmap image = MakeBitmap(13, 7, 32, [](unsigned x, unsigned y) {
            return x >= 10 ? Rgba(30, 160, 90, 128)
                           : Rgba(static_cast<BYTE>(200 - x * 9), static_cast<BYTE>(y * 31),
                                  static_cast<BYTE>(40 + x * 5 + y));
        });
        ASSERT_TRUE(SavePng(image.get(), input_));
    }

    PreviewRender Render(const std::atomic<bool>& cancel = std::atomic<bool>(false)) {
        RunSnapshot run = TakeRunSnapshot();
        run.output = PreviewOutputParameters(gJob.conversion, gSettings.output);
        FileContext file = FileContextFromJob();
        file.currentInput = input_;
        return RenderPreview(run, file, cancel);
    }

    TempFolder inputFolder_;
    std::string input_;
};

// Pixel (x, y) of a picture, counted from its top row.
RGBQUAD RgbaAt(const RgbaPicture& picture, int x, int y) {
    const uint8_t* p = picture.pixels.data() + (size_t(y) * size_t(picture.width) + x) * 4;
    return Rgba(p[0], p[1], p[2], p[3]);
}

TEST_F(PreviewRenderTest, AfterIsWhatConvertWritesPixelForPixelAndByteForByte) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
        int depth;
        bool transparent;
    };
    const Case cases[] = {
        {"plain 24-bit", [] { gSettings.output.tgaBpp = 24; }, 24, false},
        {"rotated, flipped, RLE",
         [] {
             gSettings.transform.doImageRotation = 1;
             gSettings.transform.imageRotation = 90;
             gSettings.transform.doImageFlipHorizontal = 1;
             gSettings.output.tgaCompression = 1;
         },
         32, false},
        {"kept alpha, top-left",
         [] {
             gSettings.output.tgaAlpha = 1;
             gSettings.output.tgaOrigin = 1;
         },
         32, true},
        {"grey 8-bit",
         [] {
             gSettings.adjustment.doImageGreyscale = 1;
             gSettings.output.tgaBpp = 8;
         },
         8, false},
        {"resized, brighter",
         [] {
             gSettings.transform.doImageResize = 1;
             gSettings.transform.imageWidth = 5;
             gSettings.transform.imageHeight = 3;
             gSettings.transform.keepAspectRatio = 0;
             gSettings.adjustment.doImageColorCorrection = 1;
             gSettings.adjustment.imageBrightness = 20;
         },
         32, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetDefaultSettings(true);
        c.setUp();
        UseOutputFormat("tga");
        const PreviewRender render = Render();
        ASSERT_EQ(render.failure, PreviewFailure::None);
        EXPECT_EQ(render.outputDepth, c.depth);
        EXPECT_EQ(render.transparent, c.transparent);

        gJob.currentInput = input_;
        ASSERT_TRUE(ConvertFile());
        Bitmap written = LoadTga(gJob.outputPath);
        ASSERT_TRUE(written);
        EXPECT_EQ(render.estimatedBytes, std::filesystem::file_size(gJob.outputPath));
        const int width = int(FreeImage_GetWidth(written.get()));
        const int height = int(FreeImage_GetHeight(written.get()));
        ASSERT_EQ(render.after.width, width);
        ASSERT_EQ(render.after.height, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                // The file's rows run bottom first.
                const RGBQUAD want = PixelOf(written.get(), x, height - 1 - y);
                const RGBQUAD got = RgbaAt(render.after, x, y);
                ASSERT_EQ(got.rgbRed, want.rgbRed) << x << "," << y;
                ASSERT_EQ(got.rgbGreen, want.rgbGreen) << x << "," << y;
                ASSERT_EQ(got.rgbBlue, want.rgbBlue) << x << "," << y;
                ASSERT_EQ(got.rgbReserved, want.rgbReserved) << x << "," << y;
            }
        }
        std::filesystem::remove(gJob.outputPath);
    }
}

TEST_F(PreviewRenderTest, BeforeIsTheInputAsLoadedTopRowFirst) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotation = 90;
    const PreviewRender render = Render();
    ASSERT_EQ(render.before.width, 13);
    ASSERT_EQ(render.before.height, 7);
    EXPECT_EQ(render.after.width, 7);
    EXPECT_EQ(render.after.height, 13);
    // MakeBitmap's row 0 is the file's bottom row.
    const RGBQUAD topLeft = RgbaAt(render.before, 0, 0);
    EXPECT_EQ(topLeft.rgbRed, 200);
    EXPECT_EQ(topLeft.rgbGreen, 6 * 31);
    EXPECT_EQ(topLeft.rgbBlue, 46);
    const RGBQUAD band = RgbaAt(render.before, 11, 3);
    EXPECT_EQ(band.rgbReserved, 128);
}

TEST_F(PreviewRenderTest, WritesNothingAnywhere) {
    gSettings.advanced.filenameMask = "%filename%.png"; // would name the input itself
    const PreviewRender render = Render();
    EXPECT_EQ(render.failure, PreviewFailure::None);
    EXPECT_TRUE(FolderEntries(folder_.Path()).empty());
    EXPECT_EQ(FolderEntries(inputFolder_.Path()), std::vector<std::string>{"quarters.png"});
}

TEST_F(PreviewRenderTest, FailuresSayWhyAndCancellingGivesNoPicture) {
    std::atomic<bool> cancelled(true);
    const PreviewRender stopped = Render(cancelled);
    EXPECT_EQ(stopped.failure, PreviewFailure::Cancelled);
    EXPECT_TRUE(stopped.after.pixels.empty());

    input_ = inputFolder_ / "missing.png";
    EXPECT_EQ(Render().failure, PreviewFailure::Unreadable);

    // A header that claims more than the side limit is refused before decoding, with a reason.
    input_ = inputFolder_ / "huge.png";
    {
        static const unsigned char kHeader[] = {
            0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0x00,
            0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 8,    2, 0, 0, 0,  0,   0,   0,   0};
        std::FILE* file = std::fopen(input_.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(kHeader, 1, sizeof kHeader, file);
        std::fclose(file);
    }
    const PreviewRender huge = Render();
    EXPECT_EQ(huge.failure, PreviewFailure::Unreadable);
    ASSERT_FALSE(huge.problems.empty());
    EXPECT_NE(huge.problems.front().find("65536"), std::string::npos) << huge.problems.front();

    // An output depth the format does not have gives no picture.
    input_ = inputFolder_ / "quarters.png";
    gSettings.output.tgaBpp = 12;
    UseOutputFormat("tga");
    EXPECT_EQ(Render().failure, PreviewFailure::Steps);
}

} // namespace
} // namespace millconv::test
