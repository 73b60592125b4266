// Fuzzes what the update check makes of a server's reply, and the update address it is given.
#include "fuzz_support.h"

#include "resources/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    const std::string_view bytes = fuzz::AsText(data, size);
    const std::string info = UpdateInfoFromResponse(bytes);
    MILLCONV_FUZZ_CHECK(info.size() <= 3);
    MILLCONV_FUZZ_CHECK(VersionFromUpdateInfo(info) >= 0);
    (void)VersionFromUpdateInfo(bytes);

    if (const std::optional<UpdateUrl> url = SplitUpdateUrl(bytes)) {
        MILLCONV_FUZZ_CHECK(!url->host.empty() && url->port != 0);
        MILLCONV_FUZZ_CHECK(url->path.starts_with("/"));
        (void)BuildUpdateRequest(*url, bytes);
    }
    return 0;
}
