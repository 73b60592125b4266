// Text that Pango lays out as one run is shaped without a layout: it must measure and draw to
// the same numbers and pixels as the layout.
#include <cstdlib>
#include <string>
#include <vector>

#include "draw_test_support.h"
#include "engine/drawing.h"

namespace millconv::test {
namespace {

constexpr int32_t kWidth = 560;
constexpr int32_t kHeight = 110;

struct Rendered {
    TextSize plain;
    double vectorWidth = 0.0;
    std::vector<uint8_t> pixels;
};

// Plain text in a half-transparent cell, and anti-aliased text from a cursor that lies off
// Cairo's 1/256-pixel grid (and, vertically, half-way between two of its points).
Rendered Render(Drawing& drawing, const DrawFont& font, const std::string& text, bool fullLayout) {
    if (fullLayout) {
        setenv(kFullTextLayoutVariable, "1", 1);
    } else {
        unsetenv(kFullTextLayoutVariable);
    }
    Rendered rendered;
    auto image = drawing.CreateImage(kWidth, kHeight, {0x21, 0x43, 0x65, 0xFF});
    {
        auto painter = drawing.StartDrawing(*image);
        painter->SetFont(font);
        rendered.plain = painter->MeasureText(text);
        rendered.vectorWidth = painter->VectorTextWidth(text);
        painter->DrawPlainText(text, 3, 2, {0x12, 0x9A, 0xE7, 0xFF}, {0xF3, 0x61, 0x2C, 0xC8});
        painter->SetColor({0x5B, 0xE0, 0x37, 0xD0});
        painter->MoveTo(4.37, 55.0 + 1.0 / 512);
        painter->DrawVectorText(text);
    }
    unsetenv(kFullTextLayoutVariable);
    rendered.pixels.resize(size_t(kWidth) * kHeight * 4);
    image->CopyRgba({0, 0, kWidth, kHeight}, rendered.pixels.data(), kWidth * 4, ByteOrder::Rgba);
    return rendered;
}

TEST_F(DrawTest, TextShapedAsOneRunMatchesItsLayout) {
    Drawing* drawing = GetDrawing();
    ASSERT_NE(drawing, nullptr);
    const FontRequest fonts[] = {
        {"DejaVu Sans", 14, false, false, false, false},
        {"DejaVu Serif", 9, true, true, false, false},
        {"Liberation Sans", 31, false, true, false, false},
        {"DejaVu Sans Mono", 23, true, false, false, false},
        {"DejaVu Sans", 17, false, false, true, false}, // underlined: laid out in full
        {"Liberation Serif", 12, false, false, false, true},
    };
    const std::string texts[] = {
        "Photo_1",
        "AVAWAY Ty To fi ffl", // kerning and ligatures
        "Gr\u00f6\u00dfe \u00c4\u00d6\u00dc \u0153 \u20ac",
        "e\u0301 n\u0303 x\u00b2 \u00bd", // combining marks
        "  spaced out  ",
        "2024-12-10 (42)", // no strong character
        "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac "
        "\u0420\u0443\u0441\u0441\u043a\u0438\u0439",
        "\u65e5\u672c\u8a9e",       // no installed font has these
        "\u05e9\u05dc\u05d5\u05dd", // right to left
        "abc \u05d0\u05d1\u05d2",
        "1 \u05e9\u05dc\u05d5\u05dd",
        "tab\there",
        "two\nlines",
        "line\u2028separator",
        "",
        "bad \xff\xfe bytes",
    };
    for (const FontRequest& request : fonts) {
        const std::unique_ptr<DrawFont> font = drawing->LoadFont(request);
        ASSERT_NE(font, nullptr) << request.family;
        for (const std::string& text : texts) {
            SCOPED_TRACE(request.family + " " + std::to_string(request.pointSize) + ": \"" + text +
                         "\"");
            const Rendered shaped = Render(*drawing, *font, text, false);
            const Rendered laidOut = Render(*drawing, *font, text, true);
            EXPECT_EQ(shaped.plain.width, laidOut.plain.width);
            EXPECT_EQ(shaped.plain.height, laidOut.plain.height);
            EXPECT_EQ(shaped.vectorWidth, laidOut.vectorWidth);
            size_t differing = 0;
            for (size_t i = 0; i < shaped.pixels.size(); ++i) {
                differing += shaped.pixels[i] != laidOut.pixels[i] ? 1 : 0;
            }
            EXPECT_EQ(differing, 0u);
        }
    }
}

} // namespace
} // namespace millconv::test
