// Fuzzes the command-line parse loop: each line of the input is one program parameter.
#include "fuzz_support.h"

#include <unistd.h>

#include "cli/command_line_parse.h"
#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    millconv::BuildInputCatalogue();
    millconv::BuildOutputCatalogue();
    millconv::BuildMessageCatalogue();
    // Relative --profile values then name nothing that exists.
    if (chdir(millconv::fuzz::ScratchFolder().c_str()) != 0) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    ResetJobState();
    SetDefaultSettings(true);
    const ParseOutcome outcome = ParseParameters(fuzz::Split(fuzz::AsText(data, size), '\n'));
    (void)outcome;
    return 0;
}
