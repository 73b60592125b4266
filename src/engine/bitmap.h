// Owning holder of FreeImage bitmaps: a step that replaces a bitmap cannot leak the old one.
#pragma once

#include <FreeImage.h>

#include <memory>

namespace millconv {

// Gives back the pixel memory of a bitmap made by AllocateMappedBitmap once it is unloaded;
// leaves any other pixels alone.
void ReleaseMappedPixels(const void* bits);

struct BitmapUnload {
    void operator()(FIBITMAP* bitmap) const {
        if (bitmap != nullptr) {
            const void* bits = FreeImage_GetBits(bitmap);
            FreeImage_Unload(bitmap);
            ReleaseMappedPixels(bits);
        }
    }
};

// Every image step takes a Bitmap and returns the one the next step uses; an empty Bitmap
// passes through every step and makes the save fail.
using Bitmap = std::unique_ptr<FIBITMAP, BitmapUnload>;

// The bitmap as a standard 24-bit bitmap: itself when it already is one, else a converted
// copy (empty when the conversion fails).
inline Bitmap ToStandard24(Bitmap bitmap) {
    if (!bitmap || (FreeImage_GetBPP(bitmap.get()) == 24 &&
                    FreeImage_GetImageType(bitmap.get()) == FIT_BITMAP)) {
        return bitmap;
    }
    return Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
}

} // namespace millconv
