// Fuzzes profile loading: the input is the profile file, applied as --profile would.
#include "fuzz_support.h"

#include "cli/command_line_parse.h"
#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    millconv::BuildInputCatalogue();
    millconv::BuildOutputCatalogue();
    millconv::BuildMessageCatalogue();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    ResetJobState();
    SetDefaultSettings(true);
    const std::string path = fuzz::ScratchFolder() + "profile.ini";
    fuzz::WriteBytes(path, fuzz::AsText(data, size));
    MILLCONV_FUZZ_CHECK(LoadProfile(path));
    return 0;
}
