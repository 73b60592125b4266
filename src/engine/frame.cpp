// Solid frame step: four trapezoids drawn by the drawing layer and laid over the image.
#include "engine/frame.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/alpha.h"
#include "engine/draw_module.h"
#include "engine/hex_color.h"
#include "engine/report.h"

namespace millconv {

namespace {

DrawColor OpaqueColor(const std::string& text) {
    const RgbColor rgb = ParseHexColor(text);
    return {rgb.red, rgb.green, rgb.blue, 255};
}

std::string Number(int64_t value) { return std::to_string(value); }

// The frame shapes as seen through a window of the image whose top-left corner is (ox, oy):
// corner rectangles first, then the trapezoids that meet along the diagonals; the rectangles
// back the seams so no anti-aliased gap shows through. Widths larger than the image make some
// lengths negative; the path texts then carry a doubled minus sign, which the path reader
// takes as plus, so the shapes follow the geometry.
bool DrawFrameShapes(Painter& painter, int64_t w, int64_t h, int64_t ox, int64_t oy,
                     const Settings::Frame& frame) {
    const int64_t left = frame.solidLeft;
    const int64_t right = frame.solidRight;
    const int64_t top = frame.solidTop;
    const int64_t bottom = frame.solidBottom;
    const DrawColor leftColor = OpaqueColor(frame.solidLeftColor);
    const DrawColor rightColor = OpaqueColor(frame.solidRightColor);
    const DrawColor topColor = OpaqueColor(frame.solidTopColor);
    const DrawColor bottomColor = OpaqueColor(frame.solidBottomColor);

    auto fillRectangle = [&](int64_t x, int64_t y, int64_t rw, int64_t rh, DrawColor color) {
        painter.SetColor(color);
        painter.AddRectangle(double(x - ox), double(y - oy), double(rw), double(rh));
        painter.FillPath();
    };
    bool parsed = true;
    auto fillPath = [&](int64_t x, int64_t y, const std::string& segments, DrawColor color) {
        painter.SetColor(color);
        parsed = painter.AddPathText("M " + Number(x - ox) + " " + Number(y - oy) + segments) &&
                 parsed;
        painter.FillPath();
    };

    painter.BeginLayer();
    fillRectangle(0, 0, left, top, topColor);
    fillRectangle(w - right, 0, right, top, rightColor);
    fillRectangle(w - right, h - bottom, right, bottom, bottomColor);
    fillRectangle(0, h - bottom, left, bottom, leftColor);
    fillPath(0, 0,
             " l " + Number(w) + " 0 l -" + Number(right) + " " + Number(top) + " l -" +
                 Number(w - right - left) + " 0 Z",
             topColor);
    fillPath(w, 0,
             " l 0 " + Number(h) + " l -" + Number(right) + " -" + Number(bottom) + " l 0 -" +
                 Number(h - bottom - top) + " Z",
             rightColor);
    fillPath(w, h,
             " l -" + Number(w) + " 0 l " + Number(left) + " -" + Number(bottom) + " l " +
                 Number(w - right - left) + " 0 Z",
             bottomColor);
    fillPath(0, h,
             " l 0 -" + Number(h) + " l " + Number(left) + " " + Number(top) + " l 0 " +
                 Number(h - bottom - top) + " Z",
             leftColor);
    painter.EndLayer();
    return parsed;
}

// Disjoint areas that hold every pixel the shapes can touch: each shape stays within T rows of
// the top, B of the bottom, L columns of the left or R of the right edge. The rest of the
// canvas is transparent, so laying only these areas over the image gives the same pixels as
// laying the whole canvas.
std::vector<PixelRect> FrameBands(int32_t w, int32_t h, const Settings::Frame& frame) {
    auto clampTo = [](int64_t value, int64_t limit) {
        return int32_t(std::clamp<int64_t>(value, 0, limit));
    };
    const int32_t topEnd = clampTo(frame.solidTop, h);
    const int32_t bottomStart = std::max(topEnd, clampTo(int64_t(h) - frame.solidBottom, h));
    const int32_t leftEnd = clampTo(frame.solidLeft, w);
    const int32_t rightStart = std::max(leftEnd, clampTo(int64_t(w) - frame.solidRight, w));
    const std::vector<PixelRect> candidates = {
        {0, 0, w, topEnd},
        {0, bottomStart, w, h - bottomStart},
        {0, topEnd, leftEnd, bottomStart - topEnd},
        {rightStart, topEnd, w - rightStart, bottomStart - topEnd},
    };
    std::vector<PixelRect> bands;
    for (const PixelRect& band : candidates) {
        if (band.width > 0 && band.height > 0) {
            bands.push_back(band);
        }
    }
    return bands;
}

// Tiles no larger than kFrameTile covering an area; the drawing layer takes images only up
// to its side limit, and small tiles keep the canvases of a huge image small.
constexpr int32_t kFrameTile = 4096;

std::vector<PixelRect> Tiles(const PixelRect& area) {
    std::vector<PixelRect> tiles;
    for (int32_t y = area.y; y < area.y + area.height; y += kFrameTile) {
        for (int32_t x = area.x; x < area.x + area.width; x += kFrameTile) {
            tiles.push_back({x, y, std::min(kFrameTile, area.x + area.width - x),
                             std::min(kFrameTile, area.y + area.height - y)});
        }
    }
    return tiles;
}

// The frame's pixels of one tile at the frame's opacity, as a 32-bit bitmap with alpha; empty
// when it cannot be drawn.
Bitmap DrawFrameTile(Drawing& drawing, int32_t width, int32_t height, const PixelRect& tile,
                     const Settings::Frame& frame) {
    auto canvas = drawing.CreateImage(tile.width, tile.height);
    if (!canvas) {
        return {};
    }
    {
        auto painter = drawing.StartDrawing(*canvas);
        if (!DrawFrameShapes(*painter, width, height, tile.x, tile.y, frame)) {
            return {};
        }
    }
    // The frame at its opacity on a transparent composition canvas. At full opacity that
    // draw is an exact copy, so the frame canvas itself is handed over.
    const int32_t opacity = std::clamp(frame.solidOpacity, 0, 255);
    if (opacity == 255) {
        return BitmapFromDrawImage(*canvas);
    }
    auto composition = drawing.CreateImage(tile.width, tile.height);
    if (!composition) {
        return {};
    }
    {
        auto painter = drawing.StartDrawing(*composition);
        painter->PaintImage(*canvas, 0, 0, uint8_t(opacity));
    }
    return BitmapFromDrawImage(*composition);
}

} // namespace

Bitmap ApplyFrame(Bitmap bitmap, const Settings::Frame& frame) {
    if (frame.doFrame == 0 || !bitmap) {
        return bitmap;
    }
    bitmap = ToCompositingBase(std::move(bitmap));
    if (!bitmap) {
        return bitmap;
    }
    if (frame.doFrame != 1) {
        return bitmap;
    }
    // Without the drawing module the frame cannot be drawn: the file fails instead of being
    // written without the frame it asked for.
    Drawing* drawing = GetDrawing();
    if (drawing == nullptr) {
        return {};
    }
    const int32_t width = int32_t(FreeImage_GetWidth(bitmap.get()));
    const int32_t height = int32_t(FreeImage_GetHeight(bitmap.get()));
    // Tile by tile: the canvas is transparent outside the bands, so laying the tiles of the
    // bands over the image gives the pixels of laying one image-sized canvas.
    for (const PixelRect& band : FrameBands(width, height, frame)) {
        for (const PixelRect& tile : Tiles(band)) {
            Bitmap piece = DrawFrameTile(*drawing, width, height, tile, frame);
            if (!piece || !CompositeOnto(bitmap.get(), piece.get(), tile.x, tile.y)) {
                // Half a frame would pass for a finished picture: the file fails.
                Report(ReportKind::Problem, "millconv: the frame could not be drawn");
                return {};
            }
        }
    }
    return bitmap;
}

} // namespace millconv
