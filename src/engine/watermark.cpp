// Watermark step: renders a text block or a picture, rotates, crops, places and composites it.
#include "engine/watermark.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "base/text.h"
#include "engine/alpha.h"
#include "engine/draw_module.h"
#include "engine/hex_color.h"
#include "engine/naming.h"
#include "engine/png_prefetch.h"
#include "engine/report.h"
#include "engine/size_limits.h"
#include "engine/watermark_picture.h"
#include "platform/files.h"

namespace millconv {

namespace {

// The one loaded font and the text shaper behind it keep caches that are not safe to share:
// workers of a batch run draw their texts one at a time, the rest of their steps side by side.
// The lock also guards the font pointer, which a starter may replace while a preview draws.
std::mutex gTextMutex;

// The run's font: loaded and freed by the starter on its thread, read by the workers.
std::shared_ptr<DrawFont> gWatermarkFont;

constexpr std::string_view kLineBreak = "%eol%";

uint8_t ByteValue(int32_t value) { return uint8_t(std::clamp(value, 0, 255)); }

DrawColor ColorWithAlpha(const std::string& text, int32_t alpha) {
    const RgbColor rgb = ParseHexColor(text);
    return {rgb.red, rgb.green, rgb.blue, ByteValue(alpha)};
}

bool IsLineBreakAt(std::string_view text, std::size_t pos) {
    return EqualsIgnoringCase(text.substr(pos, kLineBreak.size()), kLineBreak);
}

// Greyscale for pictures: the grey of the source laid over the target by the source alpha,
// so a transparent target keeps the source's alpha and an opaque one stays opaque.
DrawColor GreyFilter(DrawColor source, DrawColor target) {
    const uint32_t grey = (77u * source.red + 150u * source.green + 29u * source.blue) >> 8;
    const uint32_t a = source.alpha;
    const uint32_t outAlpha = a + (target.alpha * (255 - a) + 127) / 255;
    if (outAlpha == 0) {
        return {};
    }
    auto mix = [&](uint32_t under) {
        // Straight colours, weighted by their share of the resulting coverage.
        const uint32_t underWeight = (target.alpha * (255 - a) + 127) / 255;
        return uint8_t((grey * a + under * underWeight + outAlpha / 2) / outAlpha);
    };
    return {mix(target.red), mix(target.green), mix(target.blue), uint8_t(outAlpha)};
}

// The most of a mark that can be seen, in pixels.
struct MarkSize {
    int64_t width = INT64_MAX;
    int64_t height = INT64_MAX;
};

// Sizes and positions are worked out in 64 bits: paddings, leadings and offsets are any int32
// values, and their sums must not overflow.
struct TextBlockLayout {
    std::vector<std::string> lines;
    bool multiLine = false;
    int64_t boxWidth = 0;
    int64_t boxHeight = 0;
    int64_t lineStep = 0;
};

int64_t LineX(int32_t alignment, int64_t boxWidth, int64_t lineWidth, int64_t padding) {
    switch (alignment) {
    case 0:
        return padding;
    case 1:
        return std::llround(double(boxWidth - lineWidth) / 2.0);
    case 2:
        return boxWidth - lineWidth - padding;
    default:
        return 0;
    }
}

// A drawing coordinate; far-off positions draw nothing either way.
int32_t Coordinate(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, -(int64_t(1) << 30), int64_t(1) << 30));
}

// An image side for the drawing layer; 0 (refused) when out of range.
int32_t Side(int64_t value) { return value > 0 && value <= INT32_MAX ? int32_t(value) : 0; }

// Measures the lines of the text block with the font: the box size and, for several
// lines, the step from one line to the next. False when no measuring image can be made.
bool MeasureTextBlock(Drawing& drawing, const DrawFont& font, const Settings::Watermark& wm,
                      TextBlockLayout& layout) {
    auto measuring = drawing.CreateImage(10, 10);
    if (!measuring) {
        return false;
    }
    int64_t blockWidth = 0;
    int64_t blockHeight = 0;
    auto painter = drawing.StartDrawing(*measuring);
    painter->SetFont(font);
    if (layout.multiLine) {
        int64_t lineHeight = 10;
        blockWidth = 10;
        for (const std::string& line : layout.lines) {
            const TextSize size = painter->MeasureText(line);
            blockWidth = std::max<int64_t>(blockWidth, size.width);
            lineHeight = std::max<int64_t>(lineHeight, size.height);
        }
        layout.lineStep = lineHeight + wm.fontLeading;
        blockHeight = lineHeight + int64_t(layout.lines.size() - 1) * layout.lineStep;
    } else {
        const TextSize size = painter->MeasureText(layout.lines.front());
        blockWidth = size.width;
        blockHeight = size.height;
    }
    layout.boxWidth = blockWidth + 2 * int64_t(wm.textPadding);
    layout.boxHeight = blockHeight + 2 * int64_t(wm.textPadding);
    return true;
}

// Without antialiasing: the text in plain glyphs on a filled box, both at their opacities.
void DrawPlainTextBlock(Drawing& drawing, const DrawFont& font, const Settings::Watermark& wm,
                        const TextBlockLayout& layout, DrawImage& textImage,
                        DrawImage& composition) {
    const int64_t padding = wm.textPadding;
    const DrawColor textColor = ColorWithAlpha(wm.fontColor, wm.textOpacity);
    const DrawColor backColor = ColorWithAlpha(wm.backColor, wm.backOpacity);
    {
        auto painter = drawing.StartDrawing(textImage);
        painter->SetFont(font);
        painter->SetMode(DrawMode::AllChannels);
        // The image is blank, so any seed fills all of it; (1, 1) unless it is a single row or
        // column.
        painter->FloodFill(std::min(1, textImage.Width() - 1), std::min(1, textImage.Height() - 1),
                           backColor);
        if (layout.multiLine) {
            int64_t y = padding;
            for (const std::string& line : layout.lines) {
                const int64_t lineWidth = painter->MeasureText(line).width;
                const int64_t x = LineX(wm.textAlignment, layout.boxWidth, lineWidth, padding);
                painter->DrawPlainText(line, Coordinate(x), Coordinate(y), textColor, backColor);
                y += layout.lineStep;
            }
        } else {
            painter->DrawPlainText(layout.lines.front(), Coordinate(padding), Coordinate(padding),
                                   textColor, backColor);
        }
    }
    auto painter = drawing.StartDrawing(composition);
    painter->PaintImage(textImage, 0, 0, 255);
}

// With antialiasing: vector text and its box drawn opaque, then laid on the composition at
// their opacities. False when the box image cannot be made.
bool DrawVectorTextBlock(Drawing& drawing, const DrawFont& font, const Settings::Watermark& wm,
                         const TextBlockLayout& layout, DrawImage& textImage,
                         DrawImage& composition) {
    const int64_t padding = wm.textPadding;
    auto background = drawing.CreateImage(textImage.Width(), textImage.Height());
    if (!background) {
        return false;
    }
    {
        auto painter = drawing.StartDrawing(*background);
        painter->SetColor(ColorWithAlpha(wm.backColor, 255));
        painter->FillAll();
    }
    {
        auto painter = drawing.StartDrawing(textImage);
        painter->SetFont(font);
        painter->SetColor(ColorWithAlpha(wm.fontColor, 255));
        if (layout.multiLine) {
            int64_t y = padding;
            for (const std::string& line : layout.lines) {
                const int64_t lineWidth = std::llround(painter->VectorTextWidth(line));
                const int64_t x = LineX(wm.textAlignment, layout.boxWidth, lineWidth, padding);
                painter->MoveTo(Coordinate(x), Coordinate(y));
                painter->DrawVectorText(line);
                y += layout.lineStep;
            }
        } else {
            painter->MoveTo(Coordinate(padding), Coordinate(padding));
            painter->DrawVectorText(layout.lines.front());
        }
    }
    auto painter = drawing.StartDrawing(composition);
    painter->PaintImage(*background, 0, 0, ByteValue(wm.backOpacity));
    painter->PaintImage(textImage, 0, 0, ByteValue(wm.textOpacity));
    return true;
}

// The text block as a bitmap, cut to its top-left visible.width x visible.height pixels (the
// part that can meet the image: the rest would be cropped away unseen); empty without a font or
// for a block with no area. A block that cannot be drawn (larger than the drawing layer takes,
// its drawn part over the pixel budget, no memory for it) is empty with problem set.
Bitmap RenderTextBlock(Drawing& drawing, const Settings::Watermark& wm, std::string_view text,
                       const MarkSize& visible, std::string& problem) {
    WaitForTextWarmUp();
    std::lock_guard<std::mutex> lock(gTextMutex);
    if (!gWatermarkFont) {
        return {};
    }
    const DrawFont& font = *gWatermarkFont;
    TextBlockLayout layout;
    layout.lines = SplitWatermarkLines(text);
    layout.multiLine = layout.lines.size() > 1;
    problem = "millconv: the watermark text could not be measured";
    if (!MeasureTextBlock(drawing, font, wm, layout)) {
        return {};
    }
    problem.clear();
    if (layout.boxWidth <= 0 || layout.boxHeight <= 0) {
        return {};
    }
    const std::string block = "millconv: the watermark text block of " +
                              std::to_string(layout.boxWidth) + " x " +
                              std::to_string(layout.boxHeight) + " pixels";
    problem = block + " cannot be drawn (at most " + std::to_string(kMaxDrawSide) + " a side)";
    if (layout.boxWidth > kMaxDrawSide || layout.boxHeight > kMaxDrawSide) {
        return {};
    }
    // Memory goes only to the part that is drawn, and that part is held to the pixel budget.
    const int64_t drawWidth = std::min(layout.boxWidth, visible.width);
    const int64_t drawHeight = std::min(layout.boxHeight, visible.height);
    if (const std::string limit = SizeLimitProblem(uint64_t(drawWidth), uint64_t(drawHeight));
        !limit.empty()) {
        problem = "millconv: the watermark text block: " + limit;
        return {};
    }
    problem = block + " could not be allocated";
    auto textImage = drawing.CreateImage(Side(drawWidth), Side(drawHeight));
    auto composition = drawing.CreateImage(Side(drawWidth), Side(drawHeight));
    if (!textImage || !composition) {
        return {};
    }
    if (wm.textAntialiasing == 0) {
        DrawPlainTextBlock(drawing, font, wm, layout, *textImage, *composition);
    } else if (!DrawVectorTextBlock(drawing, font, wm, layout, *textImage, *composition)) {
        return {};
    }
    Bitmap mark = BitmapFromDrawImage(*composition);
    if (mark) {
        problem.clear();
    }
    return mark;
}

// The start of a problem line about the watermark picture.
std::string PictureLine(const std::string& path) {
    return "millconv: the watermark picture " + QuotedName(path);
}

Bitmap RenderPicture(Drawing& drawing, const Settings::Watermark& wm, std::string& problem) {
    problem = PictureLine(wm.image) + " could not be drawn";
    if (const std::string limit = WatermarkPictureProblem(wm.image); !limit.empty()) {
        problem = PictureLine(wm.image) + ": " + limit;
        return {};
    }
    Bitmap picture = LoadWatermarkPicture(wm.image, 0);
    if (!picture) {
        return {};
    }
    // The hand-over to the drawing layer takes standard and 16-bit colour bitmaps; other pixel
    // types (16-bit grey, floating point) are brought to standard bitmaps first.
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(picture.get());
    if (type != FIT_BITMAP && type != FIT_RGB16 && type != FIT_RGBA16) {
        picture.reset(FreeImage_ConvertToStandardType(picture.get(), TRUE));
        if (!picture) {
            return {};
        }
    }
    // A 32-bit picture lies on a clear base whether or not its alpha is used; others lie on
    // opaque black unless they carry transparency of their own (a palette with clear entries).
    const bool clearBase =
        FreeImage_GetBPP(picture.get()) == 32 || FreeImage_IsTransparent(picture.get()) != FALSE;
    auto source = DrawImageFromBitmap(drawing, picture.get(), clearBase);
    if (!source) {
        return {};
    }
    const DrawColor base = clearBase ? DrawColor{} : DrawColor{0, 0, 0, 255};
    auto composition = drawing.CreateImage(source->Width(), source->Height(), base);
    if (!composition) {
        return {};
    }
    {
        auto painter = drawing.StartDrawing(*composition);
        painter->SetMode(DrawMode::AllChannels);
        if (wm.imageGreyscale != 0) {
            painter->SetFilter(GreyFilter);
            painter->SetMode(DrawMode::Filter);
        }
        painter->PaintImage(*source, 0, 0, ByteValue(wm.imageOpacity));
    }
    Bitmap mark = BitmapFromDrawImage(*composition);
    if (mark) {
        problem.clear();
    }
    return mark;
}

bool IsTurned(int32_t angle) { return angle > 0 && angle < 360; }

// A drawn mark turned by its rotation setting; empty when the turn fails.
Bitmap Rotated(Bitmap mark, int32_t angle) {
    if (mark && IsTurned(angle)) {
        Bitmap turned(FreeImage_Rotate(mark.get(), double(angle), nullptr));
        if (!turned) {
            return {};
        }
        mark = std::move(turned);
    }
    return mark;
}

struct Placement {
    int64_t x = 0;
    int64_t y = 0;
};

// Anchors 0..8 run left to right, top to bottom; the centred axis ignores its offset and the
// halving truncates toward zero. Other values give the top-left corner without offsets.
Placement AnchorPosition(int32_t anchor, int64_t aw, int64_t ah, int64_t ww, int64_t wh, int64_t ox,
                         int64_t oy) {
    if (anchor < 0 || anchor > 8) {
        return {};
    }
    auto along = [](int32_t third, int64_t room, int64_t size, int64_t offset) {
        return third == 0 ? offset : third == 1 ? (room - size) / 2 : room - size - offset;
    };
    return {along(anchor % 3, aw, ww, ox), along(anchor / 3, ah, wh, oy)};
}

// The area a mark is placed in: the whole image, or inside the frame when the mark keeps to
// the frame's boundary.
struct MarkArea {
    int64_t width = 0;
    int64_t height = 0;
    int64_t x = 0;
    int64_t y = 0;
};

MarkArea AreaFor(FIBITMAP* bitmap, const Settings::Frame& frame, int8_t boundary) {
    const int64_t w = FreeImage_GetWidth(bitmap);
    const int64_t h = FreeImage_GetHeight(bitmap);
    if (frame.doFrame != 0 && boundary == 1) {
        return {w - frame.solidLeft - frame.solidRight, h - frame.solidTop - frame.solidBottom,
                frame.solidLeft, frame.solidTop};
    }
    return {w, h, 0, 0};
}

// Cuts the mark to what fits in the area beyond its offsets; false when nothing fits or the
// cut fails.
bool FitMark(Bitmap& mark, const MarkArea& area, int64_t ox, int64_t oy) {
    int64_t ww = FreeImage_GetWidth(mark.get());
    int64_t wh = FreeImage_GetHeight(mark.get());
    bool cropped = false;
    if (ww + ox > area.width) {
        ww = area.width - ox;
        cropped = true;
    }
    if (wh + oy > area.height) {
        wh = area.height - oy;
        cropped = true;
    }
    if (ww <= 0 || wh <= 0) {
        return false;
    }
    if (cropped) {
        mark.reset(FreeImage_Copy(mark.get(), 0, 0, int(ww), int(wh)));
    }
    return mark != nullptr;
}

} // namespace

Bitmap ApplyWatermark(Bitmap bitmap, const Settings::Watermark& wm, const Settings::Frame& frame,
                      std::string_view text, WatermarkPictureCache* pictures) {
    if (wm.doWatermark == 0 || !bitmap) {
        return bitmap;
    }
    bitmap = ToCompositingBase(std::move(bitmap));
    if (!bitmap) {
        return bitmap;
    }
    const bool isText = wm.doWatermark == 1;
    if (!isText && wm.doWatermark != 2) {
        return bitmap;
    }
    // Without the drawing module the watermark cannot be drawn: the file fails instead of being
    // written without the mark it asked for.
    Drawing* drawing = GetDrawing();
    if (drawing == nullptr) {
        return {};
    }
    const MarkArea area = AreaFor(bitmap.get(), frame, isText ? wm.textBoundary : wm.imageBoundary);
    const int64_t ox = isText ? wm.textXOffset : wm.imageXOffset;
    const int64_t oy = isText ? wm.textYOffset : wm.imageYOffset;
    std::string problem;
    Bitmap mark;
    if (isText) {
        // An unturned block is cut to its top-left corner by FitMark below, so only that corner
        // is drawn: a huge font on a small image costs what the image can show.
        MarkSize visible;
        if (!IsTurned(wm.textRotation)) {
            visible = {std::max<int64_t>(area.width - ox, 1),
                       std::max<int64_t>(area.height - oy, 1)};
        }
        mark = Rotated(RenderTextBlock(*drawing, wm, text, visible, problem), wm.textRotation);
    } else {
        const auto make = [&](std::string& makeProblem) {
            return Rotated(RenderPicture(*drawing, wm, makeProblem), wm.imageRotation);
        };
        mark = pictures != nullptr ? pictures->Get(make, problem) : make(problem);
    }
    if (!problem.empty()) {
        // A mark asked for but missing would pass for a finished picture: the file fails.
        Report(ReportKind::Problem, problem);
        return {};
    }
    if (!mark) {
        return bitmap;
    }
    if (!FitMark(mark, area, ox, oy)) {
        return bitmap;
    }
    const Placement place =
        AnchorPosition(isText ? wm.textPosition : wm.imagePosition, area.width, area.height,
                       FreeImage_GetWidth(mark.get()), FreeImage_GetHeight(mark.get()), ox, oy);
    // The mark goes onto a transparent canvas of the image's size, which is then laid over the
    // image; a mark that does not fit where it was placed is refused by the paste, leaving the
    // image as it is. Compositing just the covered area gives the same pixels.
    CompositeOnto(bitmap.get(), mark.get(), place.x + area.x, place.y + area.y);
    return bitmap;
}

bool LoadWatermarkFont(const Settings::Watermark& wm) {
    FreeWatermarkFont();
    Drawing* drawing = GetDrawing();
    if (drawing == nullptr) {
        return false;
    }
    FontRequest request;
    request.family = wm.font;
    request.pointSize = wm.fontSize;
    request.bold = wm.fontStyle == 1 || wm.fontStyle == 3;
    request.italic = wm.fontStyle == 2 || wm.fontStyle == 3;
    request.underline = wm.fontEffect == 1;
    request.strikeOut = wm.fontEffect == 2;
    std::shared_ptr<DrawFont> font = drawing->LoadFont(request);
    if (!font) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(gTextMutex);
        gWatermarkFont = font;
    }
    // Warmed up on another processor while there is work to overlap: a batch's files, or a
    // file still being decoded ahead. Once that decode is over the first text would only wait
    // for the helper, so it does the work itself (a thread's start and its own allocations
    // cost more than they save then).
    if (!PrefetchedPngReady()) {
        WarmUpTextInBackground(std::move(font), wm.text, wm.textAntialiasing != 0, gTextMutex);
    }
    return true;
}

void FreeWatermarkFont() {
    WaitForTextWarmUp();
    std::lock_guard<std::mutex> lock(gTextMutex);
    gWatermarkFont.reset();
}

bool WatermarkFontLoaded() {
    std::lock_guard<std::mutex> lock(gTextMutex);
    return gWatermarkFont != nullptr;
}

WatermarkImageCheck CheckWatermarkImage(const std::string& path) {
    if (path.empty()) {
        return WatermarkImageCheck::EmptyPath;
    }
    if (const std::string limit = WatermarkPictureProblem(path); !limit.empty()) {
        Report(ReportKind::Problem, PictureLine(path) + ": " + limit);
        return WatermarkImageCheck::Unusable;
    }
    // The header is enough to know the loader takes the file.
    return LoadWatermarkPicture(path, FIF_LOAD_NOPIXELS) ? WatermarkImageCheck::Valid
                                                         : WatermarkImageCheck::Unusable;
}

std::string ExpandWatermarkText(const std::string& watermarkText, const FileContext& file,
                                std::string_view extension) {
    std::string text = watermarkText;
    if (std::count(text.begin(), text.end(), '%') >= 2) {
        text = ExpandPlaceholders(std::move(text), file, extension);
    }
    return text;
}

std::vector<std::string> SplitWatermarkLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (IsLineBreakAt(text, pos)) {
            lines.emplace_back(text.substr(start, pos - start));
            pos += kLineBreak.size();
            start = pos;
        } else {
            ++pos;
        }
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace millconv
