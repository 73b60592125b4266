// The engine steps fed from the process-wide records: tests set gSettings and gJob up and call
// a step as the one-file run would, with the job's per-file fields copied in and back.
#pragma once

#include "engine/color.h"
#include "engine/depth.h"
#include "engine/flip.h"
#include "engine/frame.h"
#include "engine/naming.h"
#include "engine/pipeline.h"
#include "engine/resize.h"
#include "engine/rotate.h"
#include "engine/watermark.h"
#include "job/job_record.h"
#include "settings/settings.h"

namespace millconv::test {

inline bool ConvertFile() {
    const RunSnapshot run = TakeRunSnapshot();
    FileContext file = FileContextFromJob();
    const bool ok = millconv::ConvertFile(run, file);
    StoreFileContext(file);
    return ok;
}

inline std::string ExpandPlaceholders(std::string text) {
    return millconv::ExpandPlaceholders(std::move(text), FileContextFromJob(), gJob.conversion);
}

inline std::string ExpandFilenameMask() {
    return millconv::ExpandFilenameMask(gSettings.advanced.filenameMask, FileContextFromJob(),
                                        gJob.conversion);
}

inline std::string BuildOutputPath() {
    return millconv::BuildOutputPath(TakeRunSnapshot(), FileContextFromJob());
}

inline std::string ExpandWatermarkText() {
    return millconv::ExpandWatermarkText(gSettings.watermark.text, FileContextFromJob(),
                                         gJob.conversion);
}

inline Bitmap ApplyWatermark(Bitmap bitmap) {
    return millconv::ApplyWatermark(std::move(bitmap), gSettings.watermark, gSettings.frame,
                                    ExpandWatermarkText());
}

inline Bitmap ApplyFrame(Bitmap bitmap) {
    return millconv::ApplyFrame(std::move(bitmap), gSettings.frame);
}

inline Bitmap ApplyFlip(Bitmap bitmap) {
    return millconv::ApplyFlip(std::move(bitmap), gSettings.transform);
}

inline Bitmap ApplyRotation(Bitmap bitmap) {
    return millconv::ApplyRotation(std::move(bitmap), gSettings.transform);
}

inline Bitmap ApplyResize(Bitmap bitmap, int32_t width, int32_t height) {
    return millconv::ApplyResize(std::move(bitmap), width, height, gSettings.transform);
}

inline FREE_IMAGE_FILTER ResizeFilter() {
    return millconv::ResizeFilter(gSettings.transform.imageResizeAlgorithm);
}

inline Bitmap ApplyColorCorrection(Bitmap bitmap) {
    return millconv::ApplyColorCorrection(std::move(bitmap), gSettings.adjustment);
}

inline Bitmap ApplyGreyscale(Bitmap bitmap) {
    return millconv::ApplyGreyscale(std::move(bitmap), gSettings.adjustment);
}

inline Bitmap ApplyThreshold(Bitmap bitmap) {
    return millconv::ApplyThreshold(std::move(bitmap), gSettings.adjustment);
}

inline Bitmap ApplyColorDepth(Bitmap bitmap) {
    return millconv::ApplyColorDepth(std::move(bitmap), gJob.requestedDepth, gJob.conversion);
}

} // namespace millconv::test
