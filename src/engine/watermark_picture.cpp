// The watermark picture of a run: header checks, loading and the mark shared by its files.
#include "engine/watermark_picture.h"

#include "engine/png_chunks.h"
#include "engine/png_probe.h"
#include "engine/size_limits.h"
#include "platform/files.h"

namespace millconv {

namespace {

FREE_IMAGE_FORMAT PictureFormat(const std::string& path) {
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN) {
        format = FreeImage_GetFIFFromFilename(path.c_str());
    }
    return format != FIF_UNKNOWN && FreeImage_FIFSupportsReading(format) ? format : FIF_UNKNOWN;
}

bool HasArea(const Bitmap& picture) {
    return FreeImage_GetWidth(picture.get()) != 0 && FreeImage_GetHeight(picture.get()) != 0;
}

bool WithinLimits(const Bitmap& picture) {
    return SizeLimitProblem(FreeImage_GetWidth(picture.get()), FreeImage_GetHeight(picture.get()))
        .empty();
}

} // namespace

std::string WatermarkPictureProblem(const std::string& path) {
    const FREE_IMAGE_FORMAT format = PictureFormat(path);
    if (format == FIF_PNG) {
        PngFile file;
        if (file.Open(path)) {
            if (std::string problem = PngProbeProblem(file.View()); !problem.empty()) {
                return problem;
            }
        }
    }
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsNoPixels(format)) {
        return {}; // such pictures are checked once decoded
    }
    // The header alone tells the size the decoder would allocate for.
    const Bitmap header(FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS));
    if (!header || !HasArea(header)) {
        return {};
    }
    return SizeLimitProblem(FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get()));
}

Bitmap LoadWatermarkPicture(const std::string& path, int flags) {
    if (path.empty() || FileSize(path) < 1) {
        return {};
    }
    const FREE_IMAGE_FORMAT format = PictureFormat(path);
    if (format == FIF_UNKNOWN || !WatermarkPictureProblem(path).empty()) {
        return {};
    }
    Bitmap picture(FreeImage_Load(format, path.c_str(), flags));
    // Formats without a header-only load are held to the limits once decoded.
    if (picture && (!HasArea(picture) || !WithinLimits(picture))) {
        picture.reset();
    }
    return picture;
}

Bitmap WatermarkPictureCache::Get(const std::function<Bitmap(std::string& problem)>& make,
                                  std::string& problem) {
    std::call_once(once_, [&] { mark_ = make(problem_); });
    problem = problem_;
    return mark_ ? Bitmap(FreeImage_Clone(mark_.get())) : Bitmap();
}

} // namespace millconv
