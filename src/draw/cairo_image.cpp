// Images of the drawing layer, the font loader and the module's factory.
#include "draw/cairo_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace millconv {

namespace {

// Cairo refuses surfaces beyond this side length.
constexpr int32_t kMaxSide = kMaxDrawSide;

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

uint32_t Scale(uint32_t value, uint32_t alpha) { return (value * alpha + 127) / 255; }

} // namespace

uint32_t PremultiplyColor(DrawColor c) {
    return Pack(c.alpha, Scale(c.red, c.alpha), Scale(c.green, c.alpha), Scale(c.blue, c.alpha));
}

DrawColor UnpremultiplyPixel(uint32_t pixel) {
    const uint32_t a = pixel >> 24;
    if (a == 0) {
        return {};
    }
    const uint32_t r = (pixel >> 16) & 0xFF;
    const uint32_t g = (pixel >> 8) & 0xFF;
    const uint32_t b = pixel & 0xFF;
    if (a == 255) {
        return {uint8_t(r), uint8_t(g), uint8_t(b), 255};
    }
    auto straight = [a](uint32_t v) {
        return uint8_t(std::min<uint32_t>(255, (v * 255 + a / 2) / a));
    };
    return {straight(r), straight(g), straight(b), uint8_t(a)};
}

uint32_t* CairoImage::Row(int32_t y) const {
    unsigned char* data = cairo_image_surface_get_data(surface_);
    return reinterpret_cast<uint32_t*>(data + std::ptrdiff_t(y) *
                                                  cairo_image_surface_get_stride(surface_));
}

void CairoImage::CopyRgba(PixelRect area, uint8_t* dest, std::ptrdiff_t destStride,
                          ByteOrder order) const {
    cairo_surface_flush(surface_);
    const int32_t left = std::max(area.x, 0);
    const int32_t top = std::max(area.y, 0);
    const int32_t right = std::min<int64_t>(int64_t(area.x) + area.width, Width());
    const int32_t bottom = std::min<int64_t>(int64_t(area.y) + area.height, Height());
    const int first = order == ByteOrder::Rgba ? 0 : 2;
    const int third = 2 - first;
    for (int32_t y = top; y < bottom; ++y) {
        const uint32_t* row = Row(y);
        uint8_t* out =
            dest + std::ptrdiff_t(y - area.y) * destStride + std::ptrdiff_t(left - area.x) * 4;
        for (int32_t x = left; x < right; ++x, out += 4) {
            const uint32_t pixel = row[x];
            const uint32_t alpha = pixel >> 24;
            // Frames and marks are mostly clear or opaque: those need no division.
            if (alpha == 0) {
                std::memset(out, 0, 4);
                continue;
            }
            if (alpha == 255) {
                out[first] = uint8_t(pixel >> 16);
                out[1] = uint8_t(pixel >> 8);
                out[third] = uint8_t(pixel);
                out[3] = 255;
                continue;
            }
            const DrawColor c = UnpremultiplyPixel(pixel);
            out[first] = c.red;
            out[1] = c.green;
            out[third] = c.blue;
            out[3] = c.alpha;
        }
    }
}

namespace {

class CairoDrawing final : public Drawing {
  public:
    CairoDrawing() = default;
    ~CairoDrawing() override {
        if (fontMap_ != nullptr) {
            g_object_unref(fontMap_);
        }
    }
    CairoDrawing(const CairoDrawing&) = delete;
    CairoDrawing& operator=(const CairoDrawing&) = delete;

    std::unique_ptr<DrawImage> CreateImage(int32_t width, int32_t height, DrawColor fill) override {
        auto image = NewImage(width, height);
        if (image && fill.alpha != 0) {
            const uint32_t pixel = PremultiplyColor(fill);
            for (int32_t y = 0; y < height; ++y) {
                uint32_t* row = image->Row(y);
                std::fill(row, row + width, pixel);
            }
            cairo_surface_mark_dirty(image->Surface());
            image->MarkDrawn();
        }
        return image;
    }

    std::unique_ptr<DrawImage> ImageFromRgba(int32_t width, int32_t height, const uint8_t* source,
                                             std::ptrdiff_t sourceStride,
                                             ByteOrder order) override {
        auto image = NewImage(width, height);
        if (!image || source == nullptr) {
            return nullptr;
        }
        const int first = order == ByteOrder::Rgba ? 0 : 2;
        const int third = 2 - first;
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* in = source + std::ptrdiff_t(y) * sourceStride;
            uint32_t* row = image->Row(y);
            for (int32_t x = 0; x < width; ++x, in += 4) {
                row[x] = PremultiplyColor({in[first], in[1], in[third], in[3]});
            }
        }
        cairo_surface_mark_dirty(image->Surface());
        image->MarkDrawn();
        return image;
    }

    std::unique_ptr<Painter> StartDrawing(DrawImage& image) override {
        return CreateCairoPainter(static_cast<CairoImage&>(image), [this] { return FontMap(); });
    }

    std::unique_ptr<DrawFont> LoadFont(const FontRequest& request) override {
        // Points at 96 DPI, the resolution the sizes were chosen for. A font taller than the
        // largest image could never be drawn, and FreeType refuses such sizes.
        const double pixels = request.pointSize * 96.0 / 72.0;
        if (request.pointSize <= 0 || pixels > kMaxSide || request.family.empty() ||
            !FontFamilyInstalled(request.family.c_str())) {
            return nullptr;
        }
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(description, request.family.c_str());
        pango_font_description_set_weight(description,
                                          request.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(description,
                                         request.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        pango_font_description_set_absolute_size(description, std::round(pixels * PANGO_SCALE));
        return std::make_unique<PangoDrawFont>(description, request.underline, request.strikeOut);
    }

    void PrepareFontConfiguration() override { ReadFontConfigurationFirst(); }

    void WarmUpText(const DrawFont& font, std::string_view sample, bool antialiased) override {
        auto image = NewImage(1, 1);
        if (!image) {
            return;
        }
        auto painter = StartDrawing(*image);
        painter->SetFont(font);
        painter->MeasureText(sample);
        if (antialiased) {
            painter->VectorTextWidth(sample);
        }
    }

  private:
    static std::unique_ptr<CairoImage> NewImage(int32_t width, int32_t height) {
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
            return nullptr;
        }
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            return nullptr;
        }
        return std::make_unique<CairoImage>(surface);
    }

    // Made on first use: starting it reads the whole fontconfig configuration, which frames
    // and pictures never need.
    PangoFontMap* FontMap() {
        if (fontMap_ == nullptr) {
            NoteFontConfigurationUse();
            fontMap_ = pango_cairo_font_map_new();
        }
        return fontMap_;
    }

    PangoFontMap* fontMap_ = nullptr;
};

} // namespace

} // namespace millconv

extern "C" __attribute__((visibility("default"))) millconv::Drawing* MillconvCreateDrawing() {
    return new (std::nothrow) millconv::CairoDrawing();
}
