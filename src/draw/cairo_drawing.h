// Cairo and Pango implementation of the drawing layer (private to the drawing module).
#pragma once

#include "engine/drawing.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include <cairo.h>
#include <pango/pangocairo.h>

namespace millconv {

// An ARGB32 (premultiplied) Cairo image surface.
class CairoImage final : public DrawImage {
  public:
    explicit CairoImage(cairo_surface_t* surface) : surface_(surface) {}
    ~CairoImage() override { cairo_surface_destroy(surface_); }
    CairoImage(const CairoImage&) = delete;
    CairoImage& operator=(const CairoImage&) = delete;

    int32_t Width() const override { return cairo_image_surface_get_width(surface_); }
    int32_t Height() const override { return cairo_image_surface_get_height(surface_); }
    void CopyRgba(PixelRect area, uint8_t* dest, std::ptrdiff_t destStride,
                  ByteOrder order) const override;

    cairo_surface_t* Surface() const { return surface_; }
    // True while the image is still fully transparent as created: nothing drawn on it yet.
    bool Pristine() const { return pristine_; }
    void MarkDrawn() { pristine_ = false; }
    // Pixel row y of the surface (native-endian premultiplied ARGB words).
    uint32_t* Row(int32_t y) const;

  private:
    cairo_surface_t* surface_;
    bool pristine_ = true;
};

// A font description plus the decorations Pango keeps as attributes.
class PangoDrawFont final : public DrawFont {
  public:
    PangoDrawFont(PangoFontDescription* description, bool underline, bool strikeOut)
        : description_(description), underline_(underline), strikeOut_(strikeOut) {}
    ~PangoDrawFont() override { pango_font_description_free(description_); }
    PangoDrawFont(const PangoDrawFont&) = delete;
    PangoDrawFont& operator=(const PangoDrawFont&) = delete;

    const PangoFontDescription* Description() const { return description_; }
    bool Underline() const { return underline_; }
    bool StrikeOut() const { return strikeOut_; }

  private:
    PangoFontDescription* description_;
    bool underline_;
    bool strikeOut_;
};

// Premultiplied native word <-> straight colour.
uint32_t PremultiplyColor(DrawColor color);
DrawColor UnpremultiplyPixel(uint32_t pixel);

// The area a shape is clipped to before it reaches Cairo. Cairo keeps coordinates as 24.8
// fixed-point numbers, and its rasteriser misdraws or drops shapes whose corners lie a few
// hundred thousand pixels away, as those of frames far wider than the image do. Cut to this
// area they fill the same pixels; the margin, as wide as the largest image, leaves every
// shape that Cairo draws well as it is.
struct ClipBox {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

inline ClipBox ImageClipBox(int32_t width, int32_t height) {
    constexpr double kMargin = 32768.0;
    return {-kMargin, -kMargin, double(width) + kMargin, double(height) + kMargin};
}

// Appends the path segments of a path text to the Cairo path, each subpath clipped to the box
// when it reaches beyond it; false on the first fault.
bool AddPathSegments(cairo_t* cr, std::string_view segments, const ClipBox& box);

// Reads the system's font configuration before this layer first uses fontconfig, as
// Drawing::PrepareFontConfiguration describes; does nothing once the layer has used it.
void ReadFontConfigurationFirst();
// Called before each use of fontconfig: the configuration is then left as fontconfig reads it.
void NoteFontConfigurationUse();

// True when fontconfig can satisfy the family with an installed font of that family or of a
// metric-compatible alias.
bool FontFamilyInstalled(const char* family);

// Drops a holder's reference to a GLib object (a layout, a font).
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

// A line of text shaped as the single run that Pango's layout would make of it.
struct SingleRun {
    struct GlyphsFree {
        void operator()(PangoGlyphString* glyphs) const { pango_glyph_string_free(glyphs); }
    };
    std::unique_ptr<PangoFont, GObjectUnref> font;
    std::unique_ptr<PangoGlyphString, GlyphsFree> glyphs;
    PangoRectangle logical{}; // Pango units, origin on the baseline at the run's start
};

// Shapes text in the context with the font when a layout of it would be one line of one run
// (one font and script, left to right, no tab or line break); nothing otherwise. Taking the
// run from the layout costs the first text of a process several milliseconds more: a layout
// finds its size on every line check, and with it the font's metrics, which Pango works out
// by laying out a sample sentence in a context of its own. The caller adds no attributes.
std::optional<SingleRun> ShapeSingleRun(PangoContext* context, const PangoFontDescription* font,
                                        std::string_view text);

// The painter asks for the font map only when it first handles text.
std::unique_ptr<Painter> CreateCairoPainter(CairoImage& image,
                                            std::function<PangoFontMap*()> fontMap);

} // namespace millconv
