// Finds the program's modules, themes and manual relative to the executable.
#include "platform/program_folders.h"

#include "platform/files.h"

#include <filesystem>

// From the installed executable's folder to the installed folders; the build sets them from
// the install layout, these match the default one.
#ifndef MILLCONV_BIN_TO_MODULES
#define MILLCONV_BIN_TO_MODULES "../lib/millconv"
#endif
#ifndef MILLCONV_BIN_TO_DATA
#define MILLCONV_BIN_TO_DATA "../share/millconv"
#endif
#ifndef MILLCONV_BIN_TO_DOC
#define MILLCONV_BIN_TO_DOC "../share/doc/millconv"
#endif

namespace millconv {

namespace {

struct DataPlace {
    const char* buildTree; // below the build-tree executable's folder
    const char* installed; // below the installed executable's folder
};

DataPlace PlaceOf(ProgramData kind) {
    switch (kind) {
    case ProgramData::Modules:
        return {"", MILLCONV_BIN_TO_MODULES "/"};
    case ProgramData::Themes:
        return {"gfx/", MILLCONV_BIN_TO_DATA "/gfx/"};
    case ProgramData::Manual:
        return {"docs/", MILLCONV_BIN_TO_DOC "/"};
    }
    return {"", ""};
}

// "/opt/mc/bin/../lib/millconv/" reads as "/opt/mc/lib/millconv/" in messages.
std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

} // namespace

std::vector<std::string> ProgramDataFolders(ProgramData kind, const std::string& programFolder) {
    const DataPlace place = PlaceOf(kind);
    return {Normal(programFolder + place.buildTree), Normal(programFolder + place.installed)};
}

std::string InstalledDataFolder(ProgramData kind, const std::string& programFolder) {
    return ProgramDataFolders(kind, programFolder).back();
}

std::string FindProgramData(ProgramData kind, std::string_view name,
                            const std::string& programFolder) {
    for (const std::string& folder : ProgramDataFolders(kind, programFolder)) {
        const std::string candidate = folder + std::string(name);
        if (FileSize(candidate) != -1) {
            return candidate;
        }
    }
    return {};
}

} // namespace millconv
