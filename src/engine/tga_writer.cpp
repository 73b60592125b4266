// The output writer of a run: the library's writers, with TGA rows top first on request.
#include "engine/tga_writer.h"

#include "engine/save.h"

#include <cstdio>

namespace millconv {

namespace {

// Header layout of the format: the image descriptor is the last of its 18 bytes.
constexpr long kDescriptorOffset = 17;
constexpr int kTopLeftBit = 0x20;

// The library writes its rows bottom first and a descriptor that holds only the alpha bit
// count (8 with alpha, else 0); the stream it wrote cannot be read back, so the byte is
// written again from the same rule with the origin bit added.
bool MarkTopLeft(std::FILE* stream, unsigned bpp) {
    const int descriptor = (bpp == 32 ? 8 : 0) | kTopLeftBit;
    return std::fseek(stream, kDescriptorOffset, SEEK_SET) == 0 &&
           std::fputc(descriptor, stream) == descriptor && std::fseek(stream, 0, SEEK_END) == 0;
}

} // namespace

bool WriteOutputImage(Bitmap& bitmap, const OutputParameters& output, const std::string& path) {
    const auto format = static_cast<FREE_IMAGE_FORMAT>(output.formatId);
    if (!bitmap) {
        return false;
    }
    if (!output.topLeft || format != FIF_TARGA) {
        return SaveBitmapSafely(bitmap.get(), format, path, output.saveFlags);
    }
    // Rows turned round in memory come out top first from a bottom-first writer; run-length
    // packets follow the pixel stream, so the compressed form needs nothing more.
    if (FreeImage_FlipVertical(bitmap.get()) == FALSE) {
        return false;
    }
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    return SaveBitmapSafely(bitmap.get(), format, path, output.saveFlags,
                            [bpp](std::FILE* stream) { return MarkTopLeft(stream, bpp); });
}

} // namespace millconv
