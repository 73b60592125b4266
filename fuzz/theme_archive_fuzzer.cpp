// Fuzzes theme archive loading: the input is a zip file in the themes folder.
#include "fuzz_support.h"

#include "resources/theme_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    const std::string& folder = fuzz::ScratchFolder();
    fuzz::WriteBytes(folder + "theme.zip", fuzz::AsText(data, size));

    (void)ThemeDisplayName(folder, "theme");
    ThemeArchive archive;
    if (!archive.Open(folder + "theme.zip")) {
        return 0;
    }
    std::vector<std::string> names;
    for (const auto& [name, bytes] : archive.Entries()) {
        MILLCONV_FUZZ_CHECK(bytes > 0 && bytes <= kMaxThemeEntryBytes);
        names.push_back(name);
    }
    for (const auto& [name, content] : archive.ExtractMany(names)) {
        MILLCONV_FUZZ_CHECK(static_cast<int64_t>(content.size()) == archive.Entries().at(name));
    }
    if (!names.empty()) {
        const std::optional<std::string> first = archive.Extract(names.front());
        MILLCONV_FUZZ_CHECK(!first || first->size() == size_t(archive.Entries().at(names.front())));
        const std::optional<std::string> head = archive.ExtractPrefix(names.front(), 16);
        MILLCONV_FUZZ_CHECK(!head || head->size() <= 16);
    }
    return 0;
}
