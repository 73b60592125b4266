// Painter of the drawing layer: fills, paths, layers, images, flood fill and text.
#include "draw/cairo_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace millconv {

namespace {

using LayoutHolder = std::unique_ptr<PangoLayout, GObjectUnref>;

void SetSourceColor(cairo_t* cr, DrawColor c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

// A Pango context bound to the painter's Cairo context, for plain or anti-aliased text.
PangoContext* NewTextContext(PangoFontMap* fontMap, cairo_t* cr, bool antialias) {
    PangoContext* context = pango_font_map_create_context(fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options,
                                     antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context, 96.0);
    pango_cairo_update_context(cr, context);
    return context;
}

class CairoPainter final : public Painter {
  public:
    CairoPainter(CairoImage& image, std::function<PangoFontMap*()> fontMap)
        : image_(image), fontMap_(std::move(fontMap)), cr_(cairo_create(image.Surface())),
          fullLayouts_(std::getenv(kFullTextLayoutVariable) != nullptr) {}

    ~CairoPainter() override {
        while (!layers_.empty()) {
            EndLayer();
        }
        if (plainContext_ != nullptr) {
            g_object_unref(plainContext_);
        }
        if (vectorContext_ != nullptr) {
            g_object_unref(vectorContext_);
        }
        if (font_ != nullptr) {
            pango_font_description_free(font_);
        }
        cairo_destroy(cr_);
        cairo_surface_flush(image_.Surface());
    }

    CairoPainter(const CairoPainter&) = delete;
    CairoPainter& operator=(const CairoPainter&) = delete;

    void SetMode(DrawMode mode) override {
        mode_ = mode;
        cairo_set_operator(cr_, mode == DrawMode::AllChannels ? CAIRO_OPERATOR_SOURCE
                                                              : CAIRO_OPERATOR_OVER);
    }

    void SetFilter(PixelFilter filter) override { filter_ = filter; }

    void SetColor(DrawColor color) override {
        color_ = color;
        SetSourceColor(cr_, color);
    }

    // A layer opened on an untouched image blends onto nothing: merging it would copy it
    // unchanged, so it is drawn straight onto the image and the full-size group is saved.
    void BeginLayer() override {
        const bool direct = layers_.empty() && image_.Pristine() && mode_ == DrawMode::Blend;
        if (!direct) {
            cairo_push_group(cr_);
        }
        layers_.push_back(direct);
    }

    void EndLayer() override {
        if (layers_.empty()) {
            return;
        }
        const bool direct = layers_.back();
        layers_.pop_back();
        if (!direct) {
            cairo_pop_group_to_source(cr_);
            cairo_paint(cr_);
            SetSourceColor(cr_, color_);
        }
    }

    void AddRectangle(double x, double y, double width, double height) override {
        // Clamping the corners of an upright rectangle is exact clipping.
        const ClipBox box = ImageClipBox(image_.Width(), image_.Height());
        auto clampX = [&](double v) { return std::clamp(v, box.left, box.right); };
        auto clampY = [&](double v) { return std::clamp(v, box.top, box.bottom); };
        const double left = clampX(x);
        const double top = clampY(y);
        cairo_rectangle(cr_, left, top, clampX(x + width) - left, clampY(y + height) - top);
    }

    bool AddPathText(std::string_view segments) override {
        return AddPathSegments(cr_, segments, ImageClipBox(image_.Width(), image_.Height()));
    }

    void FillPath() override {
        image_.MarkDrawn();
        cairo_fill(cr_);
    }

    void FillAll() override {
        image_.MarkDrawn();
        cairo_paint(cr_);
    }

    void MoveTo(double x, double y) override {
        cursorX_ = x;
        cursorY_ = y;
        cairo_move_to(cr_, x, y);
    }

    // Works on the image itself, not on an open layer.
    void FloodFill(int32_t x, int32_t y, DrawColor color) override {
        const int32_t width = image_.Width();
        const int32_t height = image_.Height();
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        image_.MarkDrawn();
        cairo_surface_flush(image_.Surface());
        const uint32_t target = image_.Row(y)[x];
        const uint32_t replacement = PremultiplyColor(color);
        if (target == replacement) {
            return;
        }
        // Scanline fill with an explicit stack: a recursive fill overflows on large areas.
        std::vector<std::pair<int32_t, int32_t>> pending{{x, y}};
        while (!pending.empty()) {
            auto [seedX, seedY] = pending.back();
            pending.pop_back();
            uint32_t* row = image_.Row(seedY);
            if (row[seedX] != target) {
                continue;
            }
            int32_t left = seedX;
            while (left > 0 && row[left - 1] == target) {
                --left;
            }
            int32_t right = seedX;
            while (right + 1 < width && row[right + 1] == target) {
                ++right;
            }
            std::fill(row + left, row + right + 1, replacement);
            for (int32_t neighbour : {seedY - 1, seedY + 1}) {
                if (neighbour < 0 || neighbour >= height) {
                    continue;
                }
                const uint32_t* next = image_.Row(neighbour);
                for (int32_t i = left; i <= right; ++i) {
                    if (next[i] == target && (i == left || next[i - 1] != target)) {
                        pending.emplace_back(i, neighbour);
                    }
                }
            }
        }
        cairo_surface_mark_dirty(image_.Surface());
    }

    void PaintImage(const DrawImage& image, int32_t x, int32_t y, uint8_t constantAlpha) override {
        const auto& source = static_cast<const CairoImage&>(image);
        image_.MarkDrawn();
        if (mode_ == DrawMode::Filter && filter_ != nullptr) {
            PaintFiltered(source, x, y, constantAlpha);
            return;
        }
        cairo_save(cr_);
        // Bound the operation to the image's rectangle: the replacing operator would clear
        // everything outside it.
        cairo_rectangle(cr_, x, y, source.Width(), source.Height());
        cairo_clip(cr_);
        cairo_set_source_surface(cr_, source.Surface(), x, y);
        cairo_paint_with_alpha(cr_, constantAlpha / 255.0);
        cairo_restore(cr_);
    }

    void SetFont(const DrawFont& font) override {
        const auto& pangoFont = static_cast<const PangoDrawFont&>(font);
        if (font_ != nullptr) {
            pango_font_description_free(font_);
        }
        font_ = pango_font_description_copy(pangoFont.Description());
        underline_ = pangoFont.Underline();
        strikeOut_ = pangoFont.StrikeOut();
    }

    TextSize MeasureText(std::string_view text) override {
        const LaidOutText laidOut = LayOut(text, false);
        if (!laidOut) {
            return {};
        }
        const PangoRectangle logical = PixelExtents(laidOut);
        return {logical.width, logical.height};
    }

    void DrawPlainText(std::string_view text, int32_t x, int32_t y, DrawColor textColor,
                       DrawColor backColor) override {
        LaidOutText laidOut = LayOut(text, false);
        if (!laidOut) {
            return;
        }
        image_.MarkDrawn();
        const PangoRectangle logical = PixelExtents(laidOut);
        // Underlines and strike-out lines are fills: keep them as sharp as the glyphs.
        cairo_save(cr_);
        cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
        SetSourceColor(cr_, backColor);
        cairo_rectangle(cr_, x + logical.x, y + logical.y, logical.width, logical.height);
        cairo_fill(cr_);
        SetSourceColor(cr_, textColor);
        Show(laidOut, text, false, x, y);
        cairo_new_path(cr_);
        cairo_restore(cr_);
    }

    double VectorTextWidth(std::string_view text) override {
        const LaidOutText laidOut = LayOut(text, true);
        if (!laidOut) {
            return 0.0;
        }
        return double(Extents(laidOut).width) / PANGO_SCALE;
    }

    void DrawVectorText(std::string_view text) override {
        LaidOutText laidOut = LayOut(text, true);
        if (!laidOut) {
            return;
        }
        image_.MarkDrawn();
        Show(laidOut, text, true, cursorX_, cursorY_);
        cairo_new_path(cr_);
    }

  private:
    // Text ready to measure and draw: a single run, or else Pango's layout of it.
    struct LaidOutText {
        std::optional<SingleRun> run;
        LayoutHolder layout;
        explicit operator bool() const { return run.has_value() || layout != nullptr; }
    };

    LaidOutText LayOut(std::string_view text, bool antialias) {
        if (font_ == nullptr) {
            return {};
        }
        // Lines drawn under or through the text are placed by the font's metrics: a layout's.
        if (!fullLayouts_ && !underline_ && !strikeOut_) {
            if (std::optional<SingleRun> run = ShapeSingleRun(Context(antialias), font_, text)) {
                return {std::move(run), nullptr};
            }
        }
        return {std::nullopt, NewLayout(text, antialias)};
    }

    // The logical extents in Pango units, with the top left corner at the origin; a line's
    // top is its layout's.
    static PangoRectangle Extents(const LaidOutText& laidOut) {
        PangoRectangle logical{};
        if (laidOut.run) {
            logical = laidOut.run->logical;
            logical.y = 0;
        } else {
            pango_layout_get_extents(laidOut.layout.get(), nullptr, &logical);
        }
        return logical;
    }

    static PangoRectangle PixelExtents(const LaidOutText& laidOut) {
        PangoRectangle logical = Extents(laidOut);
        pango_extents_to_pixels(&logical, nullptr);
        return logical;
    }

    // Draws the text with its top left corner at (x, y). A run is drawn from its origin, as
    // the layout would place it, when Cairo holds that point exactly: it keeps the current
    // point to 1/256 pixel, so glyphs then land where the layout's would.
    void Show(LaidOutText& laidOut, std::string_view text, bool antialias, double x, double y) {
        cairo_move_to(cr_, x, y);
        if (laidOut.run) {
            double cornerX = 0.0;
            double cornerY = 0.0;
            cairo_get_current_point(cr_, &cornerX, &cornerY);
            const double originX = cornerX + double(laidOut.run->logical.x) / PANGO_SCALE;
            const double originY = cornerY - double(laidOut.run->logical.y) / PANGO_SCALE;
            cairo_move_to(cr_, originX, originY);
            double heldX = 0.0;
            double heldY = 0.0;
            cairo_get_current_point(cr_, &heldX, &heldY);
            if (heldX == originX && heldY == originY) {
                pango_cairo_show_glyph_string(cr_, laidOut.run->font.get(),
                                              laidOut.run->glyphs.get());
                return;
            }
            laidOut.layout = NewLayout(text, antialias);
            cairo_move_to(cr_, x, y);
        }
        pango_cairo_show_layout(cr_, laidOut.layout.get());
    }

    PangoContext* Context(bool antialias) {
        PangoContext*& context = antialias ? vectorContext_ : plainContext_;
        if (context == nullptr) {
            context = NewTextContext(fontMap_(), cr_, antialias);
        }
        return context;
    }

    // Only for text whose font is set (LayOut checks).
    LayoutHolder NewLayout(std::string_view text, bool antialias) {
        LayoutHolder layout(pango_layout_new(Context(antialias)));
        pango_layout_set_font_description(layout.get(), font_);
        // Pango rejects invalid UTF-8 and would warn; such text is drawn with its faults
        // replaced.
        std::string valid(text);
        if (!g_utf8_validate(valid.data(), gssize(valid.size()), nullptr)) {
            gchar* fixed = g_utf8_make_valid(valid.data(), gssize(valid.size()));
            valid = fixed;
            g_free(fixed);
        }
        pango_layout_set_text(layout.get(), valid.data(), int(valid.size()));
        if (underline_ || strikeOut_) {
            PangoAttrList* attributes = pango_attr_list_new();
            if (underline_) {
                pango_attr_list_insert(attributes,
                                       pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
            }
            if (strikeOut_) {
                pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
            }
            pango_layout_set_attributes(layout.get(), attributes);
            pango_attr_list_unref(attributes);
        }
        return layout;
    }

    // Images through the per-pixel filter, written pixel by pixel (layers are bypassed).
    void PaintFiltered(const CairoImage& source, int32_t x, int32_t y, uint8_t constantAlpha) {
        cairo_surface_flush(source.Surface());
        cairo_surface_flush(image_.Surface());
        const int32_t left = std::max(0, x);
        const int32_t top = std::max(0, y);
        const int32_t right = std::min(image_.Width(), x + source.Width());
        const int32_t bottom = std::min(image_.Height(), y + source.Height());
        for (int32_t row = top; row < bottom; ++row) {
            const uint32_t* in = source.Row(row - y);
            uint32_t* out = image_.Row(row);
            for (int32_t column = left; column < right; ++column) {
                DrawColor pixel = UnpremultiplyPixel(in[column - x]);
                pixel.alpha = uint8_t((pixel.alpha * uint32_t(constantAlpha) + 127) / 255);
                out[column] = PremultiplyColor(filter_(pixel, UnpremultiplyPixel(out[column])));
            }
        }
        cairo_surface_mark_dirty(image_.Surface());
    }

    CairoImage& image_;
    std::function<PangoFontMap*()> fontMap_;
    cairo_t* cr_;
    PangoContext* plainContext_ = nullptr;
    PangoContext* vectorContext_ = nullptr;
    PangoFontDescription* font_ = nullptr;
    bool underline_ = false;
    bool strikeOut_ = false;
    bool fullLayouts_ = false;
    DrawMode mode_ = DrawMode::Blend;
    PixelFilter filter_ = nullptr;
    DrawColor color_{0, 0, 0, 255};
    std::vector<bool> layers_; // open layers; true for one drawn straight onto the image
    double cursorX_ = 0.0;
    double cursorY_ = 0.0;
};

} // namespace

std::unique_ptr<Painter> CreateCairoPainter(CairoImage& image,
                                            std::function<PangoFontMap*()> fontMap) {
    return std::make_unique<CairoPainter>(image, std::move(fontMap));
}

} // namespace millconv
