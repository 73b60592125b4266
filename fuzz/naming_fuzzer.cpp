// Fuzzes the naming template: mask, input path and base folder are the input's first lines.
#include "fuzz_support.h"

#include <algorithm>

#include "engine/naming.h"
#include "engine/run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    std::vector<std::string> lines = fuzz::Split(fuzz::AsText(data, size), '\n');
    lines.resize(std::max<size_t>(lines.size(), 4));

    FileContext file;
    file.currentInput = lines[1];
    file.relativeSubfolder = RelativeSubfolder(lines[1], lines[2]);
    file.sourceDepth = 24;
    file.requestedDepth = 32;
    file.imageWidth = 6553;
    file.imageHeight = 17;
    file.randomNumber = 99999;
    file.sequenceNumber = static_cast<int32_t>(size);

    RunSnapshot run;
    run.outputFolder = lines[3];
    run.advanced.filenameMask = lines[0];
    run.advanced.keepSubfolders = 1;
    run.output.conversion = "tga";

    (void)ExpandPlaceholders(lines[0], file, "tga");
    (void)StripExtension(lines[0]);
    const std::string path = BuildOutputPath(run, file);
    MILLCONV_FUZZ_CHECK(path.empty() || path.starts_with(run.outputFolder));
    return 0;
}
