// Rotation, resize and flip steps and the RRGGBB colour reader.
#include "engine_test_support.h"

#include "engine/flip.h"
#include "engine/hex_color.h"
#include "engine/resize.h"
#include "engine/rotate.h"

namespace millconv::test {
namespace {

using GeometryTest = EngineTest;

std::pair<unsigned, unsigned> SizeOf(const Bitmap& bitmap) {
    return {FreeImage_GetWidth(bitmap.get()), FreeImage_GetHeight(bitmap.get())};
}

TEST(ParseHexColorTest, ReadsSixDigitsOnly) {
    const RgbColor orange = ParseHexColor("FF8000");
    EXPECT_EQ(orange.red, 0xFF);
    EXPECT_EQ(orange.green, 0x80);
    EXPECT_EQ(orange.blue, 0x00);
    const RgbColor lower = ParseHexColor("0a0b0c");
    EXPECT_EQ(lower.red, 0x0A);
    EXPECT_EQ(lower.green, 0x0B);
    EXPECT_EQ(lower.blue, 0x0C);
    for (const char* text : {"", "FFF", "FFFFF", "FFFFFFF", "#FFFFFF"}) {
        const RgbColor black = ParseHexColor(text);
        EXPECT_EQ(black.red + black.green + black.blue, 0) << text;
    }
    // A pair counts from its leading hex digits: "Fx" is 15, "xF" is 0.
    const RgbColor partial = ParseHexColor("FxxF12");
    EXPECT_EQ(partial.red, 0x0F);
    EXPECT_EQ(partial.green, 0);
    EXPECT_EQ(partial.blue, 0x12);
}

TEST_F(GeometryTest, SimpleRotationTurnsAndFillsCorners) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotationType = 0;
    gSettings.transform.imageRotation = 90;
    gSettings.transform.imageRotationBackColor = "00FF00";
    EXPECT_EQ(SizeOf(ApplyRotation(Gradient(640, 480))), std::make_pair(480u, 640u));

    gSettings.transform.imageRotation = 45;
    Bitmap turned = ApplyRotation(Gradient(100, 100));
    ASSERT_TRUE(turned);
    EXPECT_GT(FreeImage_GetWidth(turned.get()), 100u);
    const RGBQUAD corner = PixelOf(turned.get(), 0, 0);
    EXPECT_EQ(corner.rgbGreen, 255);
    EXPECT_EQ(corner.rgbRed, 0);
}

TEST_F(GeometryTest, RotationBackgroundLandsChannelExactInEveryCorner) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotationType = 0;
    gSettings.transform.imageRotation = 45;
    gSettings.transform.imageRotationBackColor = "123456";
    Bitmap turned = ApplyRotation(Gradient(61, 37));
    ASSERT_TRUE(turned);
    const unsigned right = FreeImage_GetWidth(turned.get()) - 1;
    const unsigned top = FreeImage_GetHeight(turned.get()) - 1;
    for (const auto& [x, y] : {std::pair{0u, 0u}, {right, 0u}, {0u, top}, {right, top}}) {
        const RGBQUAD corner = PixelOf(turned.get(), x, y);
        EXPECT_EQ(corner.rgbRed, 0x12) << x << "," << y;
        EXPECT_EQ(corner.rgbGreen, 0x34) << x << "," << y;
        EXPECT_EQ(corner.rgbBlue, 0x56) << x << "," << y;
    }
}

TEST_F(GeometryTest, RotationOutsideOneTo359DoesNothing) {
    gSettings.transform.doImageRotation = 1;
    for (int angle : {0, 360, -90, 400}) {
        gSettings.transform.imageRotation = angle;
        Bitmap original = Gradient(64, 32);
        FIBITMAP* raw = original.get();
        Bitmap result = ApplyRotation(std::move(original));
        EXPECT_EQ(result.get(), raw) << angle;
    }
}

TEST_F(GeometryTest, AdvancedRotationKeepsCanvasAndWidensGrey) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotationType = 1;
    gSettings.transform.imageRotation = 30;
    Bitmap grey(FreeImage_ConvertToGreyscale(Gradient(80, 60).get()));
    Bitmap turned = ApplyRotation(std::move(grey));
    ASSERT_TRUE(turned);
    EXPECT_EQ(SizeOf(turned), std::make_pair(80u, 60u));
    EXPECT_EQ(FreeImage_GetBPP(turned.get()), 24u);
}

TEST_F(GeometryTest, RotatesSixteenBitGrey) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotation = 90;
    Bitmap grey(FreeImage_AllocateT(FIT_UINT16, 40, 20));
    Bitmap turned = ApplyRotation(std::move(grey));
    ASSERT_TRUE(turned);
    EXPECT_EQ(SizeOf(turned), std::make_pair(20u, 40u));
}

TEST(ResizeTargetTest, PixelsPercentAndUnknownUnits) {
    EXPECT_EQ(ResizeTarget(300, 0, 1000), 300);
    EXPECT_EQ(ResizeTarget(50, 1, 1000), 500);
    EXPECT_EQ(ResizeTarget(50, 1, 333), 167); // 166.5 rounds up
    EXPECT_EQ(ResizeTarget(29, 1, 50), 15);   // exactly 14.5, though 0.29 is not exact
    EXPECT_EQ(ResizeTarget(-29, 1, 50), -15);
    EXPECT_EQ(ResizeTarget(50, 2, 1000), 0);
}

class ResizeTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        gSettings.transform.doImageResize = 1;
    }
    static std::pair<unsigned, unsigned> Resized(unsigned width, unsigned height) {
        return SizeOf(ApplyResize(Gradient(width, height), static_cast<int32_t>(width),
                                  static_cast<int32_t>(height)));
    }
};

TEST_F(ResizeTest, KeepsAspectFromTheLongerSide) {
    auto& transform = gSettings.transform;
    transform.keepAspectRatio = 1;
    transform.imageWidth = 50;
    transform.imageWidthUnit = 1;
    transform.imageHeight = 1;
    transform.imageHeightUnit = 0;
    EXPECT_EQ(Resized(1000, 500), std::make_pair(500u, 250u));

    transform.imageWidth = 300;
    transform.imageWidthUnit = 0;
    transform.imageHeight = 400;
    EXPECT_EQ(Resized(500, 1000), std::make_pair(200u, 400u));

    // 301 / (3 / 2) = 200.67 rounds to 201.
    transform.imageWidth = 301;
    EXPECT_EQ(Resized(300, 200), std::make_pair(301u, 201u));
}

TEST_F(ResizeTest, WithoutAspectUsesBothTargets) {
    gSettings.transform.keepAspectRatio = 0;
    gSettings.transform.imageWidth = 100;
    gSettings.transform.imageHeight = 100;
    EXPECT_EQ(Resized(640, 480), std::make_pair(100u, 100u));
    EXPECT_EQ(Resized(30, 500), std::make_pair(100u, 100u));
}

TEST_F(ResizeTest, ZeroTargetsAndEqualSizesLeaveTheBitmap) {
    gSettings.transform.keepAspectRatio = 1;
    gSettings.transform.imageWidth = 500;
    gSettings.transform.imageHeight = 0; // a zero height stops even an aspect resize
    EXPECT_EQ(Resized(1000, 500), std::make_pair(1000u, 500u));
    gSettings.transform.keepAspectRatio = 0;
    gSettings.transform.imageWidth = 64;
    gSettings.transform.imageHeight = 48;
    Bitmap same = Gradient(64, 48);
    FIBITMAP* raw = same.get();
    EXPECT_EQ(ApplyResize(std::move(same), 64, 48).get(), raw);
}

TEST_F(ResizeTest, LargeImagesOnlyNeverEnlarges) {
    gSettings.transform.imageResizeType = 1;
    gSettings.transform.keepAspectRatio = 0;
    gSettings.transform.imageWidth = 800;
    gSettings.transform.imageHeight = 600;
    EXPECT_EQ(Resized(640, 480), std::make_pair(640u, 480u));
    EXPECT_EQ(Resized(1000, 500), std::make_pair(800u, 600u)); // larger in one direction
    gSettings.transform.imageResizeType = 0;
    EXPECT_EQ(Resized(640, 480), std::make_pair(800u, 600u));
}

TEST_F(GeometryTest, EmptyBitmapsPassThrough) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotation = 90;
    gSettings.transform.doImageResize = 1;
    gSettings.transform.imageWidth = 10;
    gSettings.transform.imageHeight = 10;
    gSettings.transform.doImageFlipHorizontal = 1;
    EXPECT_FALSE(ApplyRotation(Bitmap()));
    EXPECT_FALSE(ApplyResize(Bitmap(), 20, 20));
    EXPECT_FALSE(ApplyFlip(Bitmap()));
}

} // namespace
} // namespace millconv::test
