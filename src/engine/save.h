// Safe save: FreeImage's writer on an all-or-nothing file.
#pragma once

#include <FreeImage.h>

#include <string>

namespace millconv {

// Writes bitmap with the FreeImage writer of formatId and flags to path. Every write and
// the close are checked (full disk, file-size limit); only when all succeeded is the
// temporary file renamed over path. On failure nothing is left behind and an existing file
// at path is untouched. The target folder must exist. A pixel type or depth the writer does
// not support is refused before anything is written.
bool SaveBitmapSafely(FIBITMAP* bitmap, FREE_IMAGE_FORMAT formatId, const std::string& path,
                      int flags);

} // namespace millconv
