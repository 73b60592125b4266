// Owning holder of FreeImage bitmaps: a step that replaces a bitmap cannot leak the old one.
#pragma once

#include <FreeImage.h>

#include <memory>

namespace millconv {

struct BitmapUnload {
    void operator()(FIBITMAP* bitmap) const {
        if (bitmap != nullptr) {
            FreeImage_Unload(bitmap);
        }
    }
};

// Every image step takes a Bitmap and returns the one the next step uses; an empty Bitmap
// passes through every step and makes the save fail.
using Bitmap = std::unique_ptr<FIBITMAP, BitmapUnload>;

} // namespace millconv
