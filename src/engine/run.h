// A conversion run described by values: the snapshot it reads and the fields of one file.
#pragma once

#include "engine/output_claims.h"
#include "engine/report.h"
#include "engine/watermark_picture.h"
#include "settings/settings.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace millconv {

struct InputEntry {
    int32_t flag = 0;              // 1 once added
    std::string relativeSubfolder; // below the job's base folder, or empty
};

// The files of a run, keyed by full path.
using InputSetMap = std::map<std::string, InputEntry>;

// Output format id, depth and writer flags of a run (see PrepareOutputParameters).
struct OutputParameters {
    std::string conversion;      // output extension, lower case
    int32_t formatId = 0;        // FreeImage format id of the extension
    int32_t requestedDepth = 0;  // wanted output bpp; 0 automatic
    int32_t saveFlags = 0;       // flags for the FreeImage writer
    bool automaticDepth = false; // requested depth chosen per file
    bool keepAlpha = false;      // TGA: transparency kept in 32-bit output, not flattened
    bool topLeft = false;        // TGA: rows written top first
};

// Everything a run reads, copied when it starts: the records may change under a running
// worker without the run seeing it, and two runs never share what they read.
struct RunSnapshot {
    Settings::Transform transform;
    Settings::Adjustment adjustment;
    Settings::Frame frame;
    Settings::Watermark watermark;
    Settings::Advanced advanced;
    OutputParameters output;
    std::string outputFolder; // ending with '/' once checked
    InputSetMap inputs;
    EngineReporter reporter = nullptr; // takes the debug lines; set for a debugging console run
    // The output names taken so far; the one thing a run's workers write into together.
    std::shared_ptr<OutputClaims> claims = std::make_shared<OutputClaims>();
    // The watermark picture, decoded and drawn by the first file that needs it.
    std::shared_ptr<WatermarkPictureCache> watermarkPicture =
        std::make_shared<WatermarkPictureCache>();
};

// The fields that belong to the file being converted. A run carries one context from file to
// file: the counters advance after each written file, and fields a failed load leaves alone
// keep the previous file's values.
struct FileContext {
    std::string currentInput;      // full path of the input being converted
    std::string relativeSubfolder; // subfolder below the base folder, ending with '/', or empty
    std::string outputPath;        // file written for the current input
    int32_t sourceDepth = 0;       // bits per pixel of the input as loaded
    int32_t requestedDepth = 0;    // output bpp; chosen per file with automatic depth
    int32_t imageWidth = 0;        // size after rotation and resizing
    int32_t imageHeight = 0;
    int32_t randomNumber = 0;      // %rnd%
    int32_t sequenceNumber = 0;    // %n%
};

} // namespace millconv
