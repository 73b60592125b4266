// Watermark step: pictures and text blocks stamped on real pixels, and the run's checks.
#include "engine/watermark.h"

#include <filesystem>
#include <fstream>

#include "draw_test_support.h"
#include "engine/batch_inputs.h"
#include "engine/conversion_run.h"
#include "engine/output_parameters.h"
#include "engine/watermark_picture.h"
#include "job/job_record.h"
#include "support/process.h"

namespace millconv::test {
namespace {

constexpr Rgb kGrey{100, 120, 140};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kGreen{0, 255, 0};

// Bounding box of the text-coloured pixels in rows [top, bottom).
Box InkBox(FIBITMAP* bitmap, int top, int bottom) {
    Box box{int(FreeImage_GetWidth(bitmap)), top, 0, 0};
    int right = -1;
    int lowest = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < int(FreeImage_GetWidth(bitmap)); ++x) {
            if (PixelAt(bitmap, x, y) == kBlue) {
                box.x = std::min(box.x, x);
                right = std::max(right, x);
                lowest = std::max(lowest, y);
            }
        }
    }
    if (right >= 0) {
        box.width = right - box.x + 1;
        box.height = lowest - top + 1;
    }
    return box;
}

class WatermarkTest : public DrawTest {
  protected:
    void TearDown() override { FreeWatermarkFont(); }

    // Saves a picture and makes it the watermark image.
    void UsePicture(FIBITMAP* picture, const std::string& name = "mark.png") {
        const std::string path = folder_ / name;
        const FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(path.c_str());
        ASSERT_TRUE(FreeImage_Save(format, picture, path.c_str(), 0));
        gSettings.watermark.doWatermark = 2;
        gSettings.watermark.image = path;
    }

    // A text block with an opaque green background and blue text.
    void UseText(const std::string& text, int padding = 4) {
        auto& wm = gSettings.watermark;
        wm.doWatermark = 1;
        wm.text = text;
        wm.font = "DejaVu Sans";
        wm.fontColor = "0000FF";
        wm.backColor = "00FF00";
        wm.backOpacity = 255;
        wm.textPadding = padding;
        ASSERT_TRUE(LoadWatermarkFont(gSettings.watermark));
    }

    TempFolder folder_;
};

TEST_F(WatermarkTest, PictureSitsAtItsAnchorInsideImageOrFrame) {
    UsePicture(SolidBitmap(100, 20, kRed).get());
    Bitmap result = ApplyWatermark(SolidBitmap(640, 480, kGrey));
    ASSERT_TRUE(result);
    Box box = DifferingBox(result.get(), kGrey);
    EXPECT_EQ(box.x, 530);
    EXPECT_EQ(box.y, 450);
    EXPECT_EQ(box.width, 100);
    EXPECT_EQ(box.height, 20);
    EXPECT_EQ(PixelAt(result.get(), 530, 450), kRed);

    // Within a 10 px frame; the frame itself is drawn by its own step, not here.
    auto& frame = gSettings.frame;
    frame.doFrame = 1;
    frame.solidLeft = frame.solidRight = frame.solidTop = frame.solidBottom = 10;
    gSettings.watermark.imageBoundary = 1;
    result = ApplyWatermark(SolidBitmap(640, 480, kGrey));
    box = DifferingBox(result.get(), kGrey);
    EXPECT_EQ(box.x, 520);
    EXPECT_EQ(box.y, 440);

    // The boundary counts only while the frame is on.
    frame.doFrame = 0;
    result = ApplyWatermark(SolidBitmap(640, 480, kGrey));
    EXPECT_EQ(DifferingBox(result.get(), kGrey).x, 530);
}

TEST_F(WatermarkTest, CentredPictureTakesTheLowerHalfOfAnOddLeftover) {
    // 641 - 100 = 541 and 481 - 20 = 461 pixels are left over: the mark starts 270 and 230
    // pixels in, wherever the anchor centres it.
    UsePicture(SolidBitmap(100, 20, kRed).get());
    struct Case {
        int32_t anchor;
        int x;
        int y;
    };
    for (const Case& c : {Case{1, 270, 0}, Case{3, 0, 230}, Case{4, 270, 230}, Case{5, 541, 230},
                          Case{7, 270, 461}}) {
        gSettings.watermark.imagePosition = c.anchor;
        gSettings.watermark.imageXOffset = 0;
        gSettings.watermark.imageYOffset = 0;
        Bitmap result = ApplyWatermark(SolidBitmap(641, 481, kGrey));
        ASSERT_TRUE(result);
        const Box box = DifferingBox(result.get(), kGrey);
        EXPECT_EQ(box.x, c.x) << c.anchor;
        EXPECT_EQ(box.y, c.y) << c.anchor;
        EXPECT_EQ(box.width, 100) << c.anchor;
    }
}

TEST_F(WatermarkTest, WideWatermarkIsCutFromItsLeftPart) {
    Bitmap picture = SolidBitmap(800, 20, kGrey);
    for (int x = 0; x < 800; ++x) {
        for (int y = 0; y < 20; ++y) {
            SetPixel(picture.get(), x, y, {x & 255, (x >> 8) * 60, 7});
        }
    }
    UsePicture(picture.get());
    Bitmap result = ApplyWatermark(SolidBitmap(640, 480, kGrey));
    ASSERT_TRUE(result);
    const Box box = DifferingBox(result.get(), kGrey);
    EXPECT_EQ(box.x, 0);
    EXPECT_EQ(box.y, 450);
    EXPECT_EQ(box.width, 630);
    for (int x : {0, 255, 256, 629}) {
        EXPECT_EQ(PixelAt(result.get(), x, 455), (Rgb{x & 255, (x >> 8) * 60, 7}))
            << "column " << x;
    }
}

TEST_F(WatermarkTest, MarksThatDoNotFitLeaveTheImageAlone) {
    UsePicture(SolidBitmap(100, 20, kRed).get());
    Bitmap original = SolidBitmap(640, 480, kGrey);
    auto& wm = gSettings.watermark;

    // Negative offsets at the top-left anchor put the mark partly outside: the paste refuses.
    wm.imagePosition = 0;
    wm.imageXOffset = -10;
    wm.imageYOffset = -10;
    Bitmap result = ApplyWatermark(SolidBitmap(640, 480, kGrey));
    ASSERT_TRUE(result);
    EXPECT_TRUE(SameImage(result.get(), original.get()));

    // Offsets beyond the image crop the mark to nothing.
    wm.imageXOffset = 700;
    wm.imageYOffset = 0;
    result = ApplyWatermark(SolidBitmap(640, 480, kGrey));
    ASSERT_TRUE(result);
    EXPECT_TRUE(SameImage(result.get(), original.get()));

    // A frame wider than the image leaves no area at all.
    wm.imageXOffset = wm.imageYOffset = 0;
    wm.imageBoundary = 1;
    gSettings.frame.doFrame = 1;
    gSettings.frame.solidLeft = gSettings.frame.solidRight = 400;
    result = ApplyWatermark(SolidBitmap(640, 480, kGrey));
    ASSERT_TRUE(result);
    EXPECT_TRUE(SameImage(result.get(), original.get()));
}

TEST_F(WatermarkTest, PictureAlphaOpacityAndGreyscale) {
    auto& wm = gSettings.watermark;
    wm.imagePosition = 0;
    wm.imageXOffset = wm.imageYOffset = 0;

    // Own alpha kept: the transparent half shows the image.
    Bitmap halfClear = SolidBitmap(40, 10, kRed, 32);
    for (int x = 0; x < 20; ++x) {
        for (int y = 0; y < 10; ++y) {
            SetPixel(halfClear.get(), x, y, kRed, 0);
        }
    }
    UsePicture(halfClear.get(), "alpha.png");
    Bitmap result = ApplyWatermark(SolidBitmap(100, 100, kGrey));
    EXPECT_EQ(PixelAt(result.get(), 5, 5), kGrey);
    EXPECT_EQ(PixelAt(result.get(), 30, 5), kRed);

    // Without alpha the picture lies over black: opacity darkens it and it still covers.
    UsePicture(SolidBitmap(40, 10, kRed).get(), "opaque.bmp");
    wm.imageOpacity = 128;
    result = ApplyWatermark(SolidBitmap(100, 100, {255, 255, 255}));
    EXPECT_TRUE(Near(PixelAt(result.get(), 5, 5), {128, 0, 0}, 1)) << PixelAt(result.get(), 5, 5);

    // Greyscale: g = (77 R + 150 G + 29 B) >> 8.
    wm.imageOpacity = 255;
    wm.imageGreyscale = 1;
    UsePicture(SolidBitmap(40, 10, {200, 100, 50}).get(), "grey.png");
    result = ApplyWatermark(SolidBitmap(100, 100, kGrey));
    const int grey = (77 * 200 + 150 * 100 + 29 * 50) >> 8;
    EXPECT_EQ(PixelAt(result.get(), 5, 5), (Rgb{grey, grey, grey}));

    // A greyscale picture with alpha keeps its alpha.
    UsePicture(halfClear.get(), "alpha-grey.png");
    result = ApplyWatermark(SolidBitmap(100, 100, kGrey));
    EXPECT_EQ(PixelAt(result.get(), 5, 5), kGrey);
    EXPECT_EQ(PixelAt(result.get(), 30, 5), (Rgb{76, 76, 76}));
}

TEST_F(WatermarkTest, PicturesOfEveryDepthAreDrawn) {
    auto& wm = gSettings.watermark;
    wm.imagePosition = 0;
    wm.imageXOffset = wm.imageYOffset = 0;

    // A 32-bit picture lies on a clear base even when its alpha is opaque throughout: at half
    // opacity the image shows through instead of black.
    UsePicture(SolidBitmap(40, 10, kRed, 32).get(), "opaque32.tga");
    wm.imageOpacity = 128;
    Bitmap result = ApplyWatermark(SolidBitmap(100, 100, {255, 255, 255}));
    EXPECT_TRUE(Near(PixelAt(result.get(), 5, 5), {255, 127, 127}, 2))
        << PixelAt(result.get(), 5, 5);

    // Deep pictures (16 bits a channel, with and without alpha) are drawn too.
    wm.imageOpacity = 255;
    for (const char* name : {"basn0g16.png", "basn2c16.png", "basn4a16.png", "basn6a16.png"}) {
        SCOPED_TRACE(name);
        wm.image = std::string(MILLCONV_CORPUS_DIR) + "pngsuite/" + name;
        ASSERT_EQ(CheckWatermarkImage(gSettings.watermark.image), WatermarkImageCheck::Valid);
        result = ApplyWatermark(SolidBitmap(100, 100, kGrey));
        EXPECT_GT(DifferingBox(result.get(), kGrey).width, 0);
    }
}

TEST_F(WatermarkTest, RotationTurnsCounterClockwise) {
    Bitmap picture = SolidBitmap(100, 20, kRed);
    for (int x = 50; x < 100; ++x) {
        for (int y = 0; y < 20; ++y) {
            SetPixel(picture.get(), x, y, kBlue);
        }
    }
    UsePicture(picture.get());
    auto& wm = gSettings.watermark;
    wm.imagePosition = 0;
    wm.imageXOffset = wm.imageYOffset = 0;
    wm.imageRotation = 90;
    Bitmap result = ApplyWatermark(SolidBitmap(200, 200, kGrey));
    const Box box = DifferingBox(result.get(), kGrey);
    EXPECT_EQ(box.width, 20);
    EXPECT_EQ(box.height, 100);
    // The right end turns to the top.
    EXPECT_EQ(PixelAt(result.get(), 10, 10), kBlue);
    EXPECT_EQ(PixelAt(result.get(), 10, 90), kRed);

    // 0 and 360 do not rotate.
    wm.imageRotation = 360;
    result = ApplyWatermark(SolidBitmap(200, 200, kGrey));
    EXPECT_EQ(DifferingBox(result.get(), kGrey).width, 100);
}

TEST_F(WatermarkTest, TextBlockAtEachOfTheNineAnchors) {
    UseText("Mill");
    auto& wm = gSettings.watermark;
    wm.textXOffset = 10;
    wm.textYOffset = 7;
    const int aw = 301;
    const int ah = 201;
    Box first;
    for (int anchor = 0; anchor < 9; ++anchor) {
        SCOPED_TRACE("anchor " + std::to_string(anchor));
        wm.textPosition = int8_t(anchor);
        Bitmap result = ApplyWatermark(SolidBitmap(aw, ah, kGrey));
        const Box box = DifferingBox(result.get(), kGrey);
        if (anchor == 0) {
            first = box;
            ASSERT_GT(box.width, 20);
            ASSERT_GT(box.height, 10);
            // The background covers the whole box and the text is drawn in it.
            EXPECT_EQ(PixelAt(result.get(), box.x, box.y), kGreen);
            EXPECT_GT(InkBox(result.get(), 0, ah).width, 0);
        }
        EXPECT_EQ(box.width, first.width);
        EXPECT_EQ(box.height, first.height);
        const int ww = first.width;
        const int wh = first.height;
        const int column = anchor % 3;
        const int row = anchor / 3;
        const int x = column == 0 ? 10 : column == 1 ? (aw - ww) / 2 : aw - ww - 10;
        const int y = row == 0 ? 7 : row == 1 ? (ah - wh) / 2 : ah - wh - 7;
        EXPECT_EQ(box.x, x);
        EXPECT_EQ(box.y, y);
    }
    // Unknown anchors go to the corner.
    wm.textPosition = 9;
    Bitmap result = ApplyWatermark(SolidBitmap(aw, ah, kGrey));
    const Box box = DifferingBox(result.get(), kGrey);
    EXPECT_EQ(box.x, 0);
    EXPECT_EQ(box.y, 0);
}

TEST_F(WatermarkTest, TextExpandsPlaceholdersAndSplitsLines) {
    gJob.sequenceNumber = 1;
    gSettings.watermark.text = "Photo %n%";
    EXPECT_EQ(ExpandWatermarkText(), "Photo 00001");
    gSettings.watermark.text = "Photo %N%";
    EXPECT_EQ(ExpandWatermarkText(), "Photo 00001");
    // A single '%' is literal text.
    gSettings.watermark.text = "100% sure";
    EXPECT_EQ(ExpandWatermarkText(), "100% sure");

    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitWatermarkLines("one%EOL%two%eol%three%EoL%"),
              (Lines{"one", "two", "three", ""}));
    EXPECT_EQ(SplitWatermarkLines("no break %eo l%"), (Lines{"no break %eo l%"}));
    EXPECT_EQ(SplitWatermarkLines(""), (Lines{""}));
}

TEST_F(WatermarkTest, LinesStackWithLeadingAndAlign) {
    UseText("Ab", 0);
    auto& wm = gSettings.watermark;
    wm.textPosition = 0;
    wm.textXOffset = wm.textYOffset = 0;
    const Box single = DifferingBox(ApplyWatermark(SolidBitmap(300, 200, kGrey)).get(), kGrey);
    ASSERT_GT(single.height, 10);

    wm.text = "Ab%EOL%Ab";
    wm.fontLeading = 5;
    const Box twoLines = DifferingBox(ApplyWatermark(SolidBitmap(300, 200, kGrey)).get(), kGrey);
    EXPECT_EQ(twoLines.height, 2 * single.height + 5);
    EXPECT_EQ(twoLines.width, single.width);

    // A short line over a long one: its ink follows the alignment.
    wm.text = "ii%eol%MMMMMMMM";
    wm.fontLeading = 0;
    auto shortLineInk = [&](int alignment) {
        wm.textAlignment = int8_t(alignment);
        Bitmap result = ApplyWatermark(SolidBitmap(300, 200, kGrey));
        return InkBox(result.get(), 0, single.height);
    };
    const Box longLine = [&] {
        Bitmap result = ApplyWatermark(SolidBitmap(300, 200, kGrey));
        return InkBox(result.get(), single.height, 2 * single.height);
    }();
    const Box left = shortLineInk(0);
    const Box centre = shortLineInk(1);
    const Box right = shortLineInk(2);
    EXPECT_NEAR(left.x, longLine.x, 3);
    EXPECT_NEAR(centre.x + centre.width / 2, longLine.x + longLine.width / 2, 3);
    EXPECT_NEAR(right.x + right.width, longLine.x + longLine.width, 3);
}

TEST_F(WatermarkTest, PlainAndAntialiasedTextOpacities) {
    gSettings.watermark.fontEffect = 1; // the underline is plain too
    gSettings.watermark.fontSize = 13;
    UseText("Mill");
    auto& wm = gSettings.watermark;
    wm.textPosition = 0;
    wm.textXOffset = wm.textYOffset = 0;

    // Plain text is drawn with two colours only.
    Bitmap plain = ApplyWatermark(SolidBitmap(200, 100, kGrey));
    const Box box = DifferingBox(plain.get(), kGrey);
    int textPixels = 0;
    for (int y = box.y; y < box.y + box.height; ++y) {
        for (int x = box.x; x < box.x + box.width; ++x) {
            const Rgb pixel = PixelAt(plain.get(), x, y);
            ASSERT_TRUE(pixel == kGreen || pixel == kBlue) << pixel;
            textPixels += pixel == kBlue;
        }
    }
    EXPECT_GT(textPixels, 20);

    // Anti-aliased text over a background at its own opacity: edge pixels mix.
    wm.textAntialiasing = 1;
    Bitmap smooth = ApplyWatermark(SolidBitmap(200, 100, kGrey));
    EXPECT_EQ(PixelAt(smooth.get(), box.x, box.y), kGreen);
    bool mixed = false;
    for (int y = box.y; y < box.y + box.height && !mixed; ++y) {
        for (int x = box.x; x < box.x + box.width && !mixed; ++x) {
            const Rgb pixel = PixelAt(smooth.get(), x, y);
            mixed = !(pixel == kGreen) && !(pixel == kBlue);
        }
    }
    EXPECT_TRUE(mixed);

    // The default background opacity of 1 is practically invisible.
    for (int antialiasing : {0, 1}) {
        wm.textAntialiasing = int8_t(antialiasing);
        wm.backOpacity = 1;
        Bitmap faint = ApplyWatermark(SolidBitmap(200, 100, kGrey));
        EXPECT_TRUE(Near(PixelAt(faint.get(), box.x, box.y), kGrey, 2))
            << PixelAt(faint.get(), box.x, box.y);
    }
}

TEST_F(WatermarkTest, TextBlockRotatesAsAWhole) {
    UseText("Millconv");
    auto& wm = gSettings.watermark;
    wm.textPosition = 0;
    wm.textXOffset = wm.textYOffset = 0;
    const Box flat = DifferingBox(ApplyWatermark(SolidBitmap(300, 300, kGrey)).get(), kGrey);
    wm.textRotation = 90;
    const Box turned = DifferingBox(ApplyWatermark(SolidBitmap(300, 300, kGrey)).get(), kGrey);
    EXPECT_EQ(turned.width, flat.height);
    EXPECT_EQ(turned.height, flat.width);
}

TEST_F(WatermarkTest, ExtremeSettingsNeverOverflow) {
    UseText("a%eol%b%eol%c");
    auto& wm = gSettings.watermark;
    gSettings.frame.doFrame = 1;
    wm.textBoundary = 1;
    constexpr int32_t kMin = INT32_MIN;
    constexpr int32_t kMax = INT32_MAX;
    // A padding that swells the block past what can be drawn fails the file; a block with no
    // area leaves the image unmarked.
    for (int32_t extreme : {kMin, kMax}) {
        wm.textPadding = extreme;
        wm.fontLeading = extreme;
        wm.textXOffset = wm.textYOffset = extreme;
        gSettings.frame.solidLeft = gSettings.frame.solidTop = extreme;
        for (int anchor = 0; anchor < 9; ++anchor) {
            wm.textPosition = int8_t(anchor);
            wm.textAlignment = int8_t(anchor % 3);
            Bitmap result = ApplyWatermark(SolidBitmap(40, 30, kGrey));
            if (extreme == kMax) {
                EXPECT_FALSE(result);
                continue;
            }
            ASSERT_TRUE(result);
            EXPECT_EQ(DifferingBox(result.get(), kGrey).width, 0);
        }
    }
    // Past the drawing layer's side limit by padding alone, with a one-line block.
    wm.textPosition = 0;
    wm.textXOffset = wm.textYOffset = 0;
    gSettings.frame.doFrame = 0;
    UseText("a");
    wm.textPadding = 16400; // the block grows by twice the padding each way
    EXPECT_FALSE(ApplyWatermark(SolidBitmap(40, 30, kGrey)));
    // An empty text without padding makes an empty block.
    gSettings.frame.doFrame = 0;
    wm.textXOffset = wm.textYOffset = 0;
    wm.fontLeading = 0;
    wm.text = "";
    wm.textPadding = 0;
    Bitmap result = ApplyWatermark(SolidBitmap(40, 30, kGrey));
    ASSERT_TRUE(result);
    EXPECT_EQ(DifferingBox(result.get(), kGrey).width, 0);

    wm.fontSize = 100000; // taller than any image the layer can draw
    EXPECT_FALSE(LoadWatermarkFont(gSettings.watermark));
}

TEST_F(WatermarkTest, FontAndPictureChecks) {
    auto& wm = gSettings.watermark;
    wm.font = "Arial"; // satisfied by its metric-compatible alias
    EXPECT_TRUE(LoadWatermarkFont(gSettings.watermark));
    wm.fontStyle = 3;
    wm.fontEffect = 1;
    EXPECT_TRUE(LoadWatermarkFont(gSettings.watermark));
    wm.font = "No Such Family Qwxz";
    EXPECT_FALSE(LoadWatermarkFont(gSettings.watermark));
    EXPECT_FALSE(WatermarkFontLoaded());
    wm.font = "";
    EXPECT_FALSE(LoadWatermarkFont(gSettings.watermark));
    wm.font = "DejaVu Sans";
    wm.fontSize = 0;
    EXPECT_FALSE(LoadWatermarkFont(gSettings.watermark));

    // A text watermark without a font leaves the image unmarked.
    wm.doWatermark = 1;
    Bitmap result = ApplyWatermark(SolidBitmap(50, 50, kGrey, 32));
    ASSERT_TRUE(result);
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 24u);
    EXPECT_EQ(DifferingBox(result.get(), kGrey).width, 0);

    wm.image = "";
    EXPECT_EQ(CheckWatermarkImage(gSettings.watermark.image), WatermarkImageCheck::EmptyPath);
    wm.image = folder_ / "missing.png";
    EXPECT_EQ(CheckWatermarkImage(gSettings.watermark.image), WatermarkImageCheck::Unusable);
    std::ofstream(folder_ / "empty.png").close();
    wm.image = folder_ / "empty.png";
    EXPECT_EQ(CheckWatermarkImage(gSettings.watermark.image), WatermarkImageCheck::Unusable);
    std::ofstream(folder_ / "text.png") << "not a picture";
    wm.image = folder_ / "text.png";
    EXPECT_EQ(CheckWatermarkImage(gSettings.watermark.image), WatermarkImageCheck::Unusable);
    wm.image = folder_.Path();
    EXPECT_EQ(CheckWatermarkImage(gSettings.watermark.image), WatermarkImageCheck::Unusable);
    for (const char* name : {"ok.png", "ok.bmp", "ok.jpg"}) {
        UsePicture(SolidBitmap(8, 8, kRed).get(), name);
        EXPECT_EQ(CheckWatermarkImage(gSettings.watermark.image), WatermarkImageCheck::Valid)
            << name;
    }
}

} // namespace
} // namespace millconv::test

namespace millconv::test {
namespace {

// Workers of a batch run share the loaded font: each must wait for the warm-up and draw its
// text without tripping over the others, and all files come out as one worker writes them.
TEST_F(WatermarkTest, TextIsDrawnOnlyWhereItMeetsTheImage) {
    // Right-aligned lines on a block much larger than the small image: the small image must
    // show exactly the top-left corner of what the large one shows.
    UseText("Wg%eol%Ay", 3);
    auto& wm = gSettings.watermark;
    wm.fontSize = 150;
    wm.textAlignment = 2;
    wm.textPosition = 0;
    wm.textXOffset = 2;
    wm.textYOffset = 1;
    ASSERT_TRUE(LoadWatermarkFont(wm));
    for (const int8_t antialiasing : {int8_t(0), int8_t(1)}) {
        wm.textAntialiasing = antialiasing;
        const Bitmap large = ApplyWatermark(SolidBitmap(900, 700, kGrey));
        const Bitmap small = ApplyWatermark(SolidBitmap(37, 23, kGrey));
        ASSERT_TRUE(large && small);
        ASSERT_GT(DifferingBox(large.get(), kGrey).width, 37);
        int differing = 0;
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37; ++x) {
                differing += PixelAt(small.get(), x, y) == PixelAt(large.get(), x, y) ? 0 : 1;
            }
        }
        EXPECT_EQ(differing, 0) << int(antialiasing);
        EXPECT_EQ(PixelAt(small.get(), 1, 0), kGrey); // left of the offset
        EXPECT_EQ(PixelAt(small.get(), 2, 1), kGreen);
    }
}

TEST_F(WatermarkTest, PictureMarkIsMadeOncePerCache) {
    Bitmap picture = SolidBitmap(6, 4, kRed);
    SetPixel(picture.get(), 0, 0, kBlue);
    UsePicture(picture.get());
    auto& wm = gSettings.watermark;
    wm.imagePosition = 0;
    wm.imageXOffset = wm.imageYOffset = wm.imageRotation = 0;
    wm.imageOpacity = 255;
    wm.imageGreyscale = 0;
    gSettings.frame.doFrame = 0;
    const auto stamp = [](WatermarkPictureCache* cache) {
        return millconv::ApplyWatermark(SolidBitmap(20, 10, kGrey), gSettings.watermark,
                                        gSettings.frame, "", cache);
    };
    WatermarkPictureCache cache;
    const Bitmap first = stamp(&cache);
    ASSERT_TRUE(first);
    EXPECT_EQ(PixelAt(first.get(), 0, 0), kBlue);
    // Later files of the run use the mark made for the first, even when the file is gone.
    std::filesystem::remove(gSettings.watermark.image);
    const Bitmap second = stamp(&cache);
    ASSERT_TRUE(second);
    EXPECT_EQ(DifferingBox(second.get(), kGrey).width, 6);
    EXPECT_EQ(PixelAt(second.get(), 0, 0), kBlue);
    EXPECT_EQ(PixelAt(second.get(), 5, 3), kRed);
    EXPECT_FALSE(stamp(nullptr));
    // A picture that could not be made is not tried again for every file.
    WatermarkPictureCache failed;
    EXPECT_FALSE(stamp(&failed));
    UsePicture(picture.get());
    EXPECT_FALSE(stamp(&failed));
    EXPECT_TRUE(stamp(nullptr));
}

TEST_F(WatermarkTest, TextMarksOnTwoWorkersMatchOneWorker) {
    TempFolder in;
    TempFolder out;
    for (int i = 0; i < 8; ++i) {
        Bitmap image = SolidBitmap(60 + i, 30, kGrey);
        const std::string path = in / ("p" + std::to_string(i) + ".png");
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, image.get(), path.c_str(), 0));
    }
    UseText("Mark");
    ResetJobState();
    gJob.conversion = "tga";
    PrepareOutputParameters();
    gJob.outputFolder = out.Path();
    RunSnapshot run = TakeRunSnapshot();
    run.inputs = CollectBatchInputs({in.Path()});
    const auto convert = [&](int32_t workers) {
        ASSERT_TRUE(
            LoadWatermarkFont(gSettings.watermark)); // starts a warm-up that both workers wait for
        RunRequest request = JobRunRequest();
        request.snapshot = run;
        request.jobs = workers;
        EXPECT_EQ(ConversionRun(std::move(request)).Run().converted, 8);
    };
    convert(2);
    std::vector<std::string> two;
    for (int i = 0; i < 8; ++i) {
        two.push_back(ReadWholeFile(out / ("p" + std::to_string(i) + ".tga")));
    }
    convert(1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ReadWholeFile(out / ("p" + std::to_string(i) + ".tga")), two[size_t(i)]) << i;
    }
    FreeWatermarkFont();
}

} // namespace
} // namespace millconv::test
