// Fuzzes the theme.cfg reader with any text, and the picture entry names its values give.
#include "fuzz_support.h"

#include "resources/theme_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    const std::string_view text = fuzz::AsText(data, size);
    for (std::string_view key : {"Name", "Author", "Convert", "Open"}) {
        const std::string value = ThemeConfigValue(text, "Theme", key);
        MILLCONV_FUZZ_CHECK(value.size() <= text.size());
        (void)ThemeEntryName(value, IconPixelSize(static_cast<int32_t>(size % 7)));
        (void)ThemeConfigValue(text, "Icons", key);
    }
    (void)ThemeConfigValue(text, "", "");
    return 0;
}
