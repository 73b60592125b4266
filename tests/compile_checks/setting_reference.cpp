// Compiled, never run, by the compile checks: a setting reference resolves only when its group
// and key name a row of the settings table. MILLCONV_CASE picks the reference under test.
#include "settings/settings_table.h"

namespace {

#if MILLCONV_CASE == 0
constexpr const millconv::SettingDef* kReference =
    millconv::SettingRef("Output", "TGA Compression");
static_assert(kReference->key == "TGA Compression");
#elif MILLCONV_CASE == 1
// A misspelt key.
constexpr const millconv::SettingDef* kReference = millconv::SettingRef("Output", "TGA Compresion");
#elif MILLCONV_CASE == 2
// A real key in the wrong group.
constexpr const millconv::SettingDef* kReference = millconv::SettingRef("Input", "TGA BPP");
#elif MILLCONV_CASE == 3
// Letter case counts: references are spelt as in config.ini.
constexpr const millconv::SettingDef* kReference = millconv::SettingRef("Output", "tga bpp");
#endif

} // namespace
