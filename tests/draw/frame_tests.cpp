// Frame step: borders drawn on real pixels.
#include "engine/frame.h"

#include "draw_test_support.h"

namespace millconv::test {
namespace {

class FrameTest : public DrawTest {
  protected:
    void SetFrame(int left, int right, int top, int bottom, const char* color = "FF0000") {
        auto& frame = gSettings.frame;
        frame.doFrame = 1;
        frame.solidLeft = left;
        frame.solidRight = right;
        frame.solidTop = top;
        frame.solidBottom = bottom;
        frame.solidLeftColor = frame.solidRightColor = frame.solidTopColor =
            frame.solidBottomColor = color;
    }
};

constexpr Rgb kGrey{100, 120, 140};
constexpr Rgb kRed{255, 0, 0};

TEST_F(FrameTest, TenPixelRedBorderCoversOnlyTheOuterPixels) {
    SetFrame(10, 10, 10, 10);
    Bitmap result = ApplyFrame(SolidBitmap(64, 48, kGrey));
    ASSERT_TRUE(result);
    ASSERT_EQ(FreeImage_GetWidth(result.get()), 64u);
    ASSERT_EQ(FreeImage_GetHeight(result.get()), 48u);
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 24u);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool border = x < 10 || x >= 54 || y < 10 || y >= 38;
            ASSERT_EQ(PixelAt(result.get(), x, y), border ? kRed : kGrey) << "at " << x << "," << y;
        }
    }
}

TEST_F(FrameTest, SidesMeetAlongTheDiagonals) {
    SetFrame(20, 20, 20, 20);
    auto& frame = gSettings.frame;
    frame.solidTopColor = "0000FF";
    frame.solidRightColor = "00FF00";
    frame.solidBottomColor = "FFFF00";
    frame.solidLeftColor = "FF00FF";
    Bitmap result = ApplyFrame(SolidBitmap(100, 80, kGrey));
    ASSERT_TRUE(result);
    const Rgb top{0, 0, 255}, right{0, 255, 0}, bottom{255, 255, 0}, left{255, 0, 255};
    // Top-left corner: above the diagonal is top, below it is left.
    EXPECT_EQ(PixelAt(result.get(), 15, 4), top);
    EXPECT_EQ(PixelAt(result.get(), 4, 15), left);
    // Top-right corner.
    EXPECT_EQ(PixelAt(result.get(), 84, 4), top);
    EXPECT_EQ(PixelAt(result.get(), 95, 15), right);
    // Bottom-right and bottom-left corners.
    EXPECT_EQ(PixelAt(result.get(), 95, 64), right);
    EXPECT_EQ(PixelAt(result.get(), 84, 75), bottom);
    EXPECT_EQ(PixelAt(result.get(), 15, 75), bottom);
    EXPECT_EQ(PixelAt(result.get(), 4, 64), left);
    // Middles of the sides and the untouched inside.
    EXPECT_EQ(PixelAt(result.get(), 50, 10), top);
    EXPECT_EQ(PixelAt(result.get(), 90, 40), right);
    EXPECT_EQ(PixelAt(result.get(), 50, 70), bottom);
    EXPECT_EQ(PixelAt(result.get(), 10, 40), left);
    EXPECT_EQ(PixelAt(result.get(), 50, 40), kGrey);
}

TEST_F(FrameTest, ZeroLeftWidthLeavesTheLeftEndsSquare) {
    SetFrame(0, 10, 10, 10);
    gSettings.frame.solidTopColor = "0000FF";
    gSettings.frame.solidRightColor = "00FF00";
    Bitmap result = ApplyFrame(SolidBitmap(60, 40, kGrey));
    ASSERT_TRUE(result);
    EXPECT_EQ(PixelAt(result.get(), 0, 9), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelAt(result.get(), 0, 20), kGrey);
    EXPECT_EQ(PixelAt(result.get(), 55, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelAt(result.get(), 58, 8), (Rgb{0, 255, 0}));
}

TEST_F(FrameTest, OpacityBlendsTheBorderWithTheImage) {
    SetFrame(10, 10, 10, 10);
    gSettings.frame.solidOpacity = 128;
    Bitmap result = ApplyFrame(SolidBitmap(40, 40, {0, 0, 200}));
    ASSERT_TRUE(result);
    // Half of red over half of the blue image.
    EXPECT_TRUE(Near(PixelAt(result.get(), 5, 20), {128, 0, 100}, 2))
        << PixelAt(result.get(), 5, 20);
    EXPECT_EQ(PixelAt(result.get(), 20, 20), (Rgb{0, 0, 200}));
}

TEST_F(FrameTest, NothingToDrawStillGivesTwentyFourBits) {
    // Frame on with all widths 0: the input converted to 24 bits, pixel for pixel.
    SetFrame(0, 0, 0, 0);
    Bitmap grey(FreeImage_Allocate(16, 8, 8));
    RGBQUAD* palette = FreeImage_GetPalette(grey.get());
    for (int i = 0; i < 256; ++i) {
        palette[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    }
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            FreeImage_GetScanLine(grey.get(), y)[x] = BYTE(x * 16 + y);
        }
    }
    Bitmap expected(FreeImage_ConvertTo24Bits(grey.get()));
    Bitmap result = ApplyFrame(std::move(grey));
    ASSERT_TRUE(result);
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 24u);
    EXPECT_TRUE(SameImage(result.get(), expected.get()));

    // Frame off: colours and widths alone draw nothing and keep the bitmap as it is.
    SetFrame(10, 10, 10, 10);
    gSettings.frame.doFrame = 0;
    Bitmap plain = SolidBitmap(20, 20, kGrey, 32);
    FIBITMAP* before = plain.get();
    Bitmap untouched = ApplyFrame(std::move(plain));
    EXPECT_EQ(untouched.get(), before);
    EXPECT_EQ(PixelAt(untouched.get(), 0, 0), kGrey);
}

TEST_F(FrameTest, BordersWiderThanTheImageDrawWithoutFault) {
    SetFrame(400, 400, 300, 300);
    gSettings.frame.solidLeftColor = "FF00FF";
    Bitmap result = ApplyFrame(SolidBitmap(64, 48, kGrey));
    ASSERT_TRUE(result);
    EXPECT_EQ(FreeImage_GetWidth(result.get()), 64u);
    EXPECT_EQ(FreeImage_GetHeight(result.get()), 48u);
    // The bands cover the whole image.
    EXPECT_EQ(DifferingBox(result.get(), kGrey).width, 64);
    EXPECT_EQ(PixelAt(result.get(), 0, 24), (Rgb{255, 0, 255}));

    // Widths far beyond the image draw as wide ones do, not as nothing.
    auto fourColours = [&](int width) {
        SetFrame(width, width, width, width);
        auto& frame = gSettings.frame;
        frame.solidTopColor = "0000FF";
        frame.solidRightColor = "00FF00";
        frame.solidBottomColor = "FFFF00";
        return ApplyFrame(SolidBitmap(64, 48, kGrey));
    };
    const Bitmap wide = fourColours(1000);
    ASSERT_TRUE(wide);
    EXPECT_EQ(DifferingBox(wide.get(), kGrey).width, 64);
    for (int width : {10000000, INT32_MAX}) {
        const Bitmap wider = fourColours(width);
        ASSERT_TRUE(wider);
        EXPECT_TRUE(SameImage(wider.get(), wide.get())) << width;
    }

    SetFrame(-5, 70, 0, -3);
    EXPECT_TRUE(ApplyFrame(SolidBitmap(64, 48, kGrey)));
    SetFrame(10, 10, 10, 10);
    Bitmap dot = ApplyFrame(SolidBitmap(1, 1, kGrey));
    ASSERT_TRUE(dot);
    EXPECT_EQ(PixelAt(dot.get(), 0, 0), kRed);
}

} // namespace
} // namespace millconv::test
