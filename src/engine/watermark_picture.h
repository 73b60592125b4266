// The watermark picture of a run: checked like an input before it is decoded, drawn once.
#pragma once

#include "engine/bitmap.h"

#include <functional>
#include <mutex>
#include <string>

namespace millconv {

// Empty when the picture at path may be decoded; otherwise why not: its header declares a
// size over the side limit or the pixel budget, or (a PNG) a chunk longer than the file. A
// file no loader knows passes here and fails at its load.
std::string WatermarkPictureProblem(const std::string& path);

// Loads a picture with the loader its content (else its name) selects; empty when it is
// missing, empty, of no known format or over the limits WatermarkPictureProblem checks.
// FIF_LOAD_NOPIXELS in flags reads the header only.
Bitmap LoadWatermarkPicture(const std::string& path, int flags);

// The picture mark of one run, made by the first file that needs it and shared by every
// file after it (the settings that shape it are fixed for the run). Safe from any worker.
class WatermarkPictureCache {
  public:
    // A copy of the mark make gives, made on the first call; empty with problem set when make
    // failed (then every later call fails alike without trying again).
    Bitmap Get(const std::function<Bitmap(std::string& problem)>& make, std::string& problem);

  private:
    std::once_flag once_;
    Bitmap mark_;
    std::string problem_;
};

} // namespace millconv
