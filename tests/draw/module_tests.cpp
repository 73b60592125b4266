// The drawing module: loading, lazy use, and its primitives through the interface.
#include "engine/draw_module.h"

#include <dlfcn.h>

#include <fstream>
#include <sstream>

#include "cli/command_line.h"
#include "draw_test_support.h"
#include "engine/frame.h"
#include "engine/output_parameters.h"
#include "engine/pipeline.h"
#include "engine/watermark.h"
#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "support/process.h"

namespace millconv::test {
namespace {

bool DrawingLibrariesMapped() {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    const std::string all = text.str();
    return all.find("libcairo") != std::string::npos || all.find("libpango") != std::string::npos;
}

TEST(DrawModuleFile, LoadsWithEverySymbolResolved) {
    void* module = dlopen(DrawModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto create = reinterpret_cast<CreateDrawingFunction>(dlsym(module, kCreateDrawingSymbol));
    ASSERT_NE(create, nullptr);
    std::unique_ptr<Drawing> drawing(create());
    EXPECT_NE(drawing, nullptr);
}

using LazyModuleTest = FreshProcessDrawTest;

TEST_F(LazyModuleTest, PlainConversionNeverMapsTheDrawingLibraries) {
    EXPECT_EXIT(
        {
            bool converted = false;
            {
                TempFolder out;
                BuildOutputCatalogue();
                gJob.currentInput = std::string(MILLCONV_CORPUS_DIR) + "pngsuite/basn2c08.png";
                gJob.outputFolder = out.Path();
                gJob.conversion = "tga";
                PrepareOutputParameters();
                converted = ConvertFile();
            }
            // Frame and watermark steps with their features off, on their own as well.
            Bitmap bitmap = ApplyWatermark(ApplyFrame(SolidBitmap(32, 32, {1, 2, 3})));
            const bool clean = converted && bitmap && !DrawingLibrariesMapped();
            // The check itself can see the libraries once a frame is drawn.
            gSettings.frame.doFrame = 1;
            gSettings.frame.solidLeft = 2;
            bitmap = ApplyFrame(std::move(bitmap));
            std::exit(clean && bitmap && DrawingLibrariesMapped() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(LazyModuleTest, MissingModuleFailsTheFileWithOneLine) {
    EXPECT_EXIT(
        {
            SetEngineReporter(PrintReport);
            SetDrawModulePath(std::string(MILLCONV_BINARY_DIR) + "no-such-module.so");
            gSettings.frame.doFrame = 1;
            gSettings.frame.solidTop = 3;
            const bool frameFailed = !ApplyFrame(SolidBitmap(16, 16, {1, 2, 3}));
            gSettings.watermark.doWatermark = 2;
            const bool markFailed = !ApplyWatermark(SolidBitmap(16, 16, {1, 2, 3}));
            const bool fontFailed = !LoadWatermarkFont(gSettings.watermark);
            std::exit(frameFailed && markFailed && fontFailed ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "^millconv: cannot load module [^\n]*no-such-module.so[^\n]*\n$");
}

TEST(CompositeOntoTest, MatchesCompositingAFullTransparentCanvas) {
    Bitmap image(FreeImage_Allocate(50, 40, 24));
    Bitmap overlay(FreeImage_Allocate(20, 10, 32));
    unsigned seed = 7;
    auto next = [&seed] { return BYTE((seed = seed * 1103515245u + 12345u) >> 16); };
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 150; ++x) {
            FreeImage_GetScanLine(image.get(), y)[x] = next();
        }
    }
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 80; ++x) {
            FreeImage_GetScanLine(overlay.get(), y)[x] = next();
        }
    }
    Bitmap canvas(FreeImage_AllocateT(FIT_BITMAP, 50, 40, 32));
    ASSERT_TRUE(FreeImage_Paste(canvas.get(), overlay.get(), 7, 5, 256));
    Bitmap expected(FreeImage_Composite(canvas.get(), FALSE, nullptr, image.get()));

    Bitmap actual(FreeImage_Clone(image.get()));
    ASSERT_TRUE(CompositeOnto(actual.get(), overlay.get(), 7, 5));
    EXPECT_TRUE(SameImage(actual.get(), expected.get()));

    // Where the paste would refuse, nothing changes.
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {31, 0}, {0, 31}}) {
        EXPECT_FALSE(CompositeOnto(actual.get(), overlay.get(), x, y));
    }
    EXPECT_TRUE(SameImage(actual.get(), expected.get()));
}

class DrawingLayerTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        drawing_ = GetDrawing();
        ASSERT_NE(drawing_, nullptr);
    }

    static DrawColor PixelOf(const DrawImage& image, int x, int y) {
        std::vector<uint8_t> rgba(std::size_t(image.Width()) * image.Height() * 4);
        image.CopyRgba({0, 0, image.Width(), image.Height()}, rgba.data(), image.Width() * 4,
                       ByteOrder::Rgba);
        const uint8_t* p = &rgba[(std::size_t(y) * image.Width() + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    Drawing* drawing_ = nullptr;
};

constexpr DrawColor kOpaqueRed{255, 0, 0, 255};

TEST_F(DrawingLayerTest, HandsOverStraightAlpha) {
    const uint8_t pixels[] = {200, 100, 50, 255, 200, 100, 50, 128, 200, 100, 50, 0};
    auto image = drawing_->ImageFromRgba(3, 1, pixels, sizeof pixels, ByteOrder::Rgba);
    ASSERT_TRUE(image);
    uint8_t bgra[12] = {};
    image->CopyRgba({0, 0, 3, 1}, bgra, sizeof bgra, ByteOrder::Bgra);
    EXPECT_EQ(bgra[0], 50);
    EXPECT_EQ(bgra[2], 200);
    EXPECT_EQ(bgra[3], 255);
    EXPECT_EQ(PixelOf(*image, 0, 0), (DrawColor{200, 100, 50, 255}));
    const DrawColor half = PixelOf(*image, 1, 0);
    EXPECT_EQ(half.alpha, 128);
    EXPECT_NEAR(half.red, 200, 1);
    EXPECT_NEAR(half.green, 100, 1);
    EXPECT_NEAR(half.blue, 50, 1);
    EXPECT_EQ(PixelOf(*image, 2, 0).alpha, 0);

    // Bottom-up FreeImage bitmaps keep their orientation and colours both ways.
    Bitmap bitmap = SolidBitmap(2, 2, {10, 20, 30});
    SetPixel(bitmap.get(), 1, 0, {250, 0, 0});
    auto drawn = DrawImageFromBitmap(*drawing_, bitmap.get(), false);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(PixelOf(*drawn, 1, 0), (DrawColor{250, 0, 0, 255}));
    Bitmap back = BitmapFromDrawImage(*drawn);
    EXPECT_EQ(FreeImage_GetBPP(back.get()), 32u);
    EXPECT_EQ(PixelAt(back.get(), 1, 0), (Rgb{250, 0, 0}));
    EXPECT_EQ(PixelAt(back.get(), 0, 1), (Rgb{10, 20, 30}));

    EXPECT_FALSE(drawing_->CreateImage(0, 5));
    EXPECT_FALSE(drawing_->CreateImage(5, -1));
    EXPECT_FALSE(drawing_->CreateImage(100000, 2));
}

TEST_F(DrawingLayerTest, PathTextsFillWhatTheyDescribe) {
    auto image = drawing_->CreateImage(20, 20);
    {
        auto painter = drawing_->StartDrawing(*image);
        painter->SetColor(kOpaqueRed);
        // A doubled minus sign is a plus: this is the square 5..15.
        EXPECT_TRUE(painter->AddPathText("M 5 5 l 10 0 l 0 10 l --10 0 Z"));
        painter->FillPath();
    }
    EXPECT_EQ(PixelOf(*image, 10, 10).alpha, 0);
    EXPECT_EQ(PixelOf(*image, 14, 6), kOpaqueRed);
    EXPECT_EQ(PixelOf(*image, 4, 6).alpha, 0);

    auto other = drawing_->CreateImage(20, 20);
    {
        auto painter = drawing_->StartDrawing(*other);
        painter->SetColor(kOpaqueRed);
        EXPECT_TRUE(painter->AddPathText("M 0 0 l 10 0 l 0 -10 Z"));
        painter->FillPath();
        EXPECT_FALSE(painter->AddPathText("l 5 5")); // no current point after the fill
        EXPECT_FALSE(painter->AddPathText("M 1 x"));
        EXPECT_FALSE(painter->AddPathText("Q 1 2"));
        // The painter stays usable after refused texts.
        painter->AddRectangle(0, 10, 20, 10);
        painter->FillPath();
    }
    EXPECT_EQ(PixelOf(*other, 3, 15), kOpaqueRed);
    EXPECT_EQ(PixelOf(*other, 3, 5).alpha, 0);
}

TEST_F(DrawingLayerTest, LayersMergeOntoWhatIsAlreadyDrawn) {
    for (bool drawnBefore : {false, true}) {
        SCOPED_TRACE(drawnBefore ? "drawn image" : "fresh image");
        auto image = drawing_->CreateImage(8, 8);
        auto painter = drawing_->StartDrawing(*image);
        if (drawnBefore) {
            painter->SetColor({0, 0, 255, 255});
            painter->AddRectangle(0, 0, 4, 8);
            painter->FillPath();
        }
        painter->BeginLayer();
        painter->SetColor({255, 0, 0, 255});
        painter->AddRectangle(2, 0, 6, 8);
        painter->FillPath();
        painter->SetColor({0, 255, 0, 255});
        painter->AddRectangle(6, 0, 2, 8);
        painter->FillPath();
        painter->EndLayer();
        painter.reset();
        EXPECT_EQ(PixelOf(*image, 0, 0), (drawnBefore ? DrawColor{0, 0, 255, 255} : DrawColor{}));
        EXPECT_EQ(PixelOf(*image, 3, 0), kOpaqueRed);
        EXPECT_EQ(PixelOf(*image, 7, 0), (DrawColor{0, 255, 0, 255}));
    }
}

TEST_F(DrawingLayerTest, ModesFloodFillAndFilter) {
    auto image = drawing_->CreateImage(10, 10);
    {
        auto painter = drawing_->StartDrawing(*image);
        // A wall splits the image; the fill stays on its side.
        painter->SetColor(kOpaqueRed);
        painter->AddRectangle(5, 0, 1, 10);
        painter->FillPath();
        painter->SetMode(DrawMode::AllChannels);
        painter->FloodFill(1, 1, {0, 0, 255, 40});
        painter->FloodFill(50, 50, {0, 0, 255, 255}); // outside: nothing
    }
    EXPECT_EQ(PixelOf(*image, 0, 9), (DrawColor{0, 0, 255, 40}));
    EXPECT_EQ(PixelOf(*image, 5, 5), kOpaqueRed);
    EXPECT_EQ(PixelOf(*image, 8, 5).alpha, 0);

    // Replacing draws keep the pixels outside the drawn image.
    auto target = drawing_->CreateImage(10, 10, {0, 255, 0, 255});
    auto patch = drawing_->CreateImage(2, 2, {0, 0, 255, 100});
    {
        auto painter = drawing_->StartDrawing(*target);
        painter->SetMode(DrawMode::AllChannels);
        painter->PaintImage(*patch, 4, 4, 255);
    }
    EXPECT_EQ(PixelOf(*target, 0, 0), (DrawColor{0, 255, 0, 255}));
    EXPECT_EQ(PixelOf(*target, 4, 4).alpha, 100);

    // The filter sees the source with the constant alpha applied, and the target.
    auto filtered = drawing_->CreateImage(4, 4, {9, 9, 9, 255});
    auto source = drawing_->CreateImage(4, 4, {200, 0, 0, 255});
    {
        auto painter = drawing_->StartDrawing(*filtered);
        painter->SetFilter([](DrawColor s, DrawColor t) {
            return DrawColor{s.red, t.green, s.alpha, 255};
        });
        painter->SetMode(DrawMode::Filter);
        painter->PaintImage(*source, 2, 2, 51);
    }
    EXPECT_EQ(PixelOf(*filtered, 3, 3), (DrawColor{200, 9, 51, 255}));
    EXPECT_EQ(PixelOf(*filtered, 1, 1), (DrawColor{9, 9, 9, 255}));
}

TEST_F(DrawingLayerTest, FontsMeasureAtNinetySixDpi) {
    FontRequest request{"DejaVu Sans", 14};
    auto font = drawing_->LoadFont(request);
    ASSERT_TRUE(font);
    request.pointSize = 28;
    auto large = drawing_->LoadFont(request);
    auto image = drawing_->CreateImage(10, 10);
    auto painter = drawing_->StartDrawing(*image);
    EXPECT_EQ(painter->MeasureText("abc").width, 0); // no font yet
    painter->SetFont(*font);
    const TextSize small = painter->MeasureText("Millconv");
    // 14 pt is 18.67 px; the line adds the font's own ascent and descent to it.
    EXPECT_GE(small.height, 19);
    EXPECT_LE(small.height, 24);
    EXPECT_NEAR(painter->VectorTextWidth("Millconv"), small.width, 2.0);
    painter->SetFont(*large);
    const TextSize big = painter->MeasureText("Millconv");
    EXPECT_NEAR(big.width, 2 * small.width, 4);
    // Text that is not valid UTF-8 is still measured.
    EXPECT_GT(painter
                  ->MeasureText("a\xff"
                                "b")
                  .width,
              0);

    EXPECT_FALSE(drawing_->LoadFont({"No Such Family Qwxz", 14}));
    EXPECT_FALSE(drawing_->LoadFont({"sans-serif-nonexistent", 14}));
    EXPECT_TRUE(drawing_->LoadFont({"liberation sans", 14})); // case does not matter
    EXPECT_TRUE(drawing_->LoadFont({"Times New Roman", 14})); // metric alias
}

} // namespace
} // namespace millconv::test
