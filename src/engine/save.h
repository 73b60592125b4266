// Safe save: FreeImage's writer on an all-or-nothing file.
#pragma once

#include <FreeImage.h>

#include <cstdio>
#include <functional>
#include <string>

namespace millconv {

// Writes bitmap with the FreeImage writer of formatId and flags to path. Every write and
// the close are checked (full disk, file-size limit); only when all succeeded is the
// temporary file renamed over path. On failure nothing is left behind and an existing file
// at path is untouched. The target folder must exist. A pixel type or depth the writer does
// not support is refused before anything is written. finish, when given, runs on the written
// stream before the commit and can mend what the writer cannot be told; false fails the save.
bool SaveBitmapSafely(FIBITMAP* bitmap, FREE_IMAGE_FORMAT formatId, const std::string& path,
                      int flags, const std::function<bool(std::FILE*)>& finish = {});

} // namespace millconv
