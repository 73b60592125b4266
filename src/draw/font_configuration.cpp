// Reads the system's font configuration when a console run first needs it.
#include "draw/cairo_drawing.h"

#include <cstdlib>
#include <mutex>

#include <fontconfig/fontconfig.h>

namespace millconv {

namespace {

// Taken by whichever comes first: the quicker reading, or any use of fontconfig by this layer.
std::once_flag gConfigurationRead;

bool NamesCacheFolder(FcConfig* config) {
    FcStrList* folders = FcConfigGetCacheDirs(config);
    if (folders == nullptr) {
        return false;
    }
    const bool named = FcStrListNext(folders) != nullptr;
    FcStrListDone(folders);
    return named;
}

// What fontconfig's own start-up reads: fonts.conf (or FONTCONFIG_FILE) with everything it
// includes, and the fonts of every font folder from their caches. That start-up then reads the
// folder of configuration templates a second time, without applying them, only so that tools
// can list their descriptions; it costs a third of the reading and changes no match. nullptr
// wherever the library's start-up would do something else (debug output asked for, no or a
// broken configuration file, no cache folder named), so that it runs as it always did.
FcConfig* ReadConfiguration() {
    const char* debug = std::getenv("FC_DEBUG");
    if (debug != nullptr && *debug != '\0') {
        return nullptr;
    }
    FcConfig* config = FcConfigCreate();
    if (config == nullptr) {
        return nullptr;
    }
    FcChar8* file = FcConfigGetFilename(config, nullptr);
    const bool read = file != nullptr && FcConfigParseAndLoad(config, nullptr, FcTrue) &&
                      NamesCacheFolder(config) && FcConfigBuildFonts(config);
    FcStrFree(file);
    if (!read) {
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

} // namespace

void ReadFontConfigurationFirst() {
    std::call_once(gConfigurationRead, [] {
        if (FcConfig* config = ReadConfiguration()) {
            FcConfigSetCurrent(config); // takes a reference of its own
            FcConfigDestroy(config);
        }
    });
}

void NoteFontConfigurationUse() {
    std::call_once(gConfigurationRead, [] {});
}

} // namespace millconv
