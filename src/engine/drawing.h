// Abstract drawing layer for frames and watermarks; millconv-draw.so implements it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// This header is shared with the drawing module, which links no core symbol: it holds only
// abstract classes, plain records and inline code.
namespace millconv {

// The largest image side the drawing layer takes.
inline constexpr int32_t kMaxDrawSide = 32767;

// A colour with straight (not premultiplied) alpha.
struct DrawColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;

    friend bool operator==(const DrawColor&, const DrawColor&) = default;
};

// How drawing operations treat the pixels already on the image.
enum class DrawMode {
    Blend,       // source over destination (the default)
    AllChannels, // source replaces all four channels of what it covers (no blending)
    Filter,      // images are drawn through the installed per-pixel filter
};

// Byte order of handed-over pixels: un-premultiplied 8-bit RGBA, either as R, G, B, A bytes or
// as B, G, R, A (FreeImage's order on little-endian machines).
enum class ByteOrder { Rgba, Bgra };

// Per-pixel filter: gets the source pixel (its alpha already scaled by the draw's constant
// alpha) and the destination pixel, returns the pixel to store.
using PixelFilter = DrawColor (*)(DrawColor source, DrawColor target);

// Font request; size is in points at 96 DPI (14 pt = 18.67 px).
struct FontRequest {
    std::string family;
    int32_t pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// A rectangle of pixels, origin top left.
struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// 2D text metrics: advance width and line height in whole pixels.
struct TextSize {
    int32_t width = 0;
    int32_t height = 0;
};

// A 32-bit image with alpha owned by the drawing layer.
class DrawImage {
  public:
    virtual ~DrawImage() = default;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;

    // Hands the pixels of an area over as un-premultiplied 8-bit RGBA: the area's row r is
    // written at dest + r * destStride (the stride may be negative for bottom-up targets), 4
    // bytes a pixel. The part of the area outside the image is not written.
    virtual void CopyRgba(PixelRect area, uint8_t* dest, std::ptrdiff_t destStride,
                          ByteOrder order) const = 0;
};

// A font selected by name; kept by its owner as long as it is used.
class DrawFont {
  public:
    virtual ~DrawFont() = default;
};

// Drawing on one image; destroying the painter ends drawing and flushes the image.
// Coordinates are pixels, origin top left. Vector and 2D operations share one painter.
class Painter {
  public:
    virtual ~Painter() = default;

    virtual void SetMode(DrawMode mode) = 0;
    virtual void SetFilter(PixelFilter filter) = 0;
    virtual void SetColor(DrawColor color) = 0;

    // Everything drawn between BeginLayer and EndLayer is merged onto the image in one step.
    virtual void BeginLayer() = 0;
    virtual void EndLayer() = 0;

    // Path building; FillPath fills the current path with the colour and clears it.
    virtual void AddRectangle(double x, double y, double width, double height) = 0;
    // Adds path segments written as text: "M x y" move to, "l dx dy" relative line to,
    // "Z" close. A number may carry several leading signs ("--5" is 5). False when the text
    // does not parse; the segments before the fault stay added.
    virtual bool AddPathText(std::string_view segments) = 0;
    virtual void FillPath() = 0;
    // Covers the whole image with the colour.
    virtual void FillAll() = 0;
    virtual void MoveTo(double x, double y) = 0;

    // Fills the 4-connected area of pixels equal to the one at (x, y) with the colour.
    virtual void FloodFill(int32_t x, int32_t y, DrawColor color) = 0;

    // Draws an image at (x, y), its alpha scaled by constant alpha (255 = unchanged).
    virtual void PaintImage(const DrawImage& image, int32_t x, int32_t y,
                            uint8_t constantAlpha) = 0;

    // Text, UTF-8. Without a font nothing is measured or drawn.
    virtual void SetFont(const DrawFont& font) = 0;
    virtual TextSize MeasureText(std::string_view text) = 0;
    // Plain (not anti-aliased) text with its cell filled in the background colour; (x, y) is
    // the cell's top left.
    virtual void DrawPlainText(std::string_view text, int32_t x, int32_t y, DrawColor textColor,
                               DrawColor backColor) = 0;
    // Anti-aliased text in the current colour with its top left at the path cursor.
    virtual double VectorTextWidth(std::string_view text) = 0;
    virtual void DrawVectorText(std::string_view text) = 0;
};

// The drawing layer itself.
class Drawing {
  public:
    virtual ~Drawing() = default;

    // A width x height image covered with fill (fully transparent by default); nullptr when
    // the size is not positive or too large.
    virtual std::unique_ptr<DrawImage> CreateImage(int32_t width, int32_t height,
                                                   DrawColor fill = {}) = 0;
    // An image from un-premultiplied RGBA rows laid out as in DrawImage::CopyRgba.
    virtual std::unique_ptr<DrawImage> ImageFromRgba(int32_t width, int32_t height,
                                                     const uint8_t* source,
                                                     std::ptrdiff_t sourceStride,
                                                     ByteOrder order) = 0;
    virtual std::unique_ptr<Painter> StartDrawing(DrawImage& image) = 0;

    // nullptr when no installed font has the family or a metric-compatible alias of it, or the
    // size is not positive or taller than the largest image (32767 px); a name met only by the
    // generic fallback font does not count.
    virtual std::unique_ptr<DrawFont> LoadFont(const FontRequest& request) = 0;

    // Reads the system's font configuration ahead of the first font: the same fonts, rules and
    // caches as fontconfig's own start-up, read in about two thirds of its time. For a caller
    // in whose process nothing else uses fontconfig (a console run); once the layer has used
    // fonts, and on later calls, it does nothing.
    virtual void PrepareFontConfiguration() {}

    // Loads what drawing text with the font needs (font files, shaping, layout machinery) by
    // laying out a sample as plain text, and as anti-aliased text too when asked, so that the
    // first text drawn later starts at once. May run on
    // another thread while images are drawn, but not while text is drawn or measured.
    virtual void WarmUpText(const DrawFont& font, std::string_view sample, bool antialiased) = 0;
};

// When this environment variable is set, painters made from then on lay every text out with
// Pango's full layout, as they do text that is not a single run: the tests compare the two.
inline constexpr const char* kFullTextLayoutVariable = "MILLCONV_FULL_TEXT_LAYOUT";

// The module exports `extern "C" millconv::Drawing* MillconvCreateDrawing()`: a new drawing
// layer owned by the caller, nullptr when it cannot start.
using CreateDrawingFunction = Drawing* (*)();
inline constexpr const char* kCreateDrawingSymbol = "MillconvCreateDrawing";

} // namespace millconv
