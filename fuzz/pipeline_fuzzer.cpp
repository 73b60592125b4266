// Fuzzes the single-file conversion with default console settings: the input is the PNG file.
#include "fuzz_support.h"
#include "png_fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include "engine/output_parameters.h"
#include "engine/pipeline.h"
#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"

namespace {

millconv::RunSnapshot& Run() {
    static millconv::RunSnapshot run;
    return run;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace millconv;
    BuildInputCatalogue();
    BuildOutputCatalogue();
    BuildMessageCatalogue();
    ResetJobState();
    SetDefaultSettings(true);
    gJob.conversion = "tga";
    gJob.outputFolder = fuzz::ScratchFolder() + "out/";
    if (mkdir(gJob.outputFolder.c_str(), 0700) != 0) {
        std::abort();
    }
    PrepareOutputParameters();
    Run() = TakeRunSnapshot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    if (!fuzz::WithinFuzzBudget(data, size)) {
        return -1; // not added to the corpus
    }
    FileContext file;
    file.currentInput = fuzz::ScratchFolder() + "input.png";
    std::string png(fuzz::AsText(data, size));
    fuzz::MendChecksums(png);
    fuzz::WriteBytes(file.currentInput, png);
    if (ConvertFile(Run(), file)) {
        MILLCONV_FUZZ_CHECK(file.outputPath.starts_with(Run().outputFolder));
        MILLCONV_FUZZ_CHECK(unlink(file.outputPath.c_str()) == 0);
    }
    return 0;
}
