// Output file naming: the naming template, its placeholders and the relative subfolder.
#include "engine/naming.h"

#include "base/text.h"
#include "platform/random_seed.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <random>

namespace millconv {

namespace {

// A number right-aligned in five characters padded with '0'; longer ones keep their first five.
std::string FiveCharacters(int32_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() >= 5) {
        return digits.substr(0, 5);
    }
    return std::string(5 - digits.size(), '0') + digits;
}

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// What the placeholders of one file read.
struct NamingValues {
    const FileContext& file;
    std::string_view extension;
};

std::string InputName(const NamingValues& v) {
    const std::string& input = v.file.currentInput;
    const size_t slash = input.rfind('/');
    return StripExtension(slash == std::string::npos ? std::string_view(input)
                                                     : std::string_view(input).substr(slash + 1));
}

struct Placeholder {
    std::string_view name;
    std::string (*value)(const NamingValues&);
};

const std::array<Placeholder, 18>& Placeholders() {
    static const std::array<Placeholder, 18> table{{
        {"%filename%", [](const NamingValues& v) { return InputName(v); }},
        {"%filename[u]%", [](const NamingValues& v) { return ToUpperText(InputName(v)); }},
        {"%filename[l]%", [](const NamingValues& v) { return ToLowerText(InputName(v)); }},
        {"%filename[t]%", [](const NamingValues& v) { return ToTitleText(InputName(v)); }},
        {"%ext%", [](const NamingValues& v) { return std::string(v.extension); }},
        {"%ext[u]%", [](const NamingValues& v) { return ToUpperText(v.extension); }},
        {"%ext[t]%", [](const NamingValues& v) { return ToTitleText(v.extension); }},
        {"%yyyy%", [](const NamingValues&) { return std::to_string(LocalNow().tm_year + 1900); }},
        {"%mm%", [](const NamingValues&) { return TwoDigits(LocalNow().tm_mon + 1); }},
        {"%dd%", [](const NamingValues&) { return TwoDigits(LocalNow().tm_mday); }},
        {"%hh%", [](const NamingValues&) { return TwoDigits(LocalNow().tm_hour); }},
        {"%ii%", [](const NamingValues&) { return TwoDigits(LocalNow().tm_min); }},
        {"%ss%", [](const NamingValues&) { return TwoDigits(LocalNow().tm_sec); }},
        {"%bpp%", [](const NamingValues& v) { return std::to_string(v.file.requestedDepth); }},
        {"%width%", [](const NamingValues& v) { return std::to_string(v.file.imageWidth); }},
        {"%height%", [](const NamingValues& v) { return std::to_string(v.file.imageHeight); }},
        {"%rnd%", [](const NamingValues& v) { return FiveCharacters(v.file.randomNumber); }},
        {"%n%", [](const NamingValues& v) { return FiveCharacters(v.file.sequenceNumber); }},
    }};
    return table;
}

} // namespace

std::string StripExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return std::string(name);
    }
    return std::string(name.substr(0, dot));
}

std::string ExpandPlaceholders(std::string text, const FileContext& file,
                               std::string_view extension) {
    const NamingValues values{file, extension};
    for (const Placeholder& placeholder : Placeholders()) {
        size_t pos = FindIgnoringCase(text, placeholder.name, 0);
        if (pos == std::string::npos) {
            continue;
        }
        const std::string value = placeholder.value(values);
        while (pos != std::string::npos) {
            text.replace(pos, placeholder.name.size(), value);
            pos = FindIgnoringCase(text, placeholder.name, pos + value.size());
        }
    }
    return text;
}

std::string ExpandFilenameMask(std::string_view mask, const FileContext& file,
                               std::string_view extension) {
    std::string lowered = ToLowerText(mask);
    if (lowered.empty()) {
        lowered = "%filename%.%ext%";
    }
    return ExpandPlaceholders(std::move(lowered), file, extension);
}

// A five-digit token needs no 5 KB generator state: every thread, the main one included, would
// carry it in its thread-local block.
int32_t DrawRandomNumber() {
    static thread_local std::minstd_rand generator{RandomSeed()};
    return std::uniform_int_distribution<int32_t>(1, 99999)(generator);
}

std::string BuildOutputPath(const RunSnapshot& run, const FileContext& file) {
    std::string path = run.outputFolder;
    if (run.advanced.keepSubfolders != 0) {
        path += file.relativeSubfolder;
    }
    return path + ExpandFilenameMask(run.advanced.filenameMask, file, run.output.conversion);
}

bool NameStaysInside(std::string_view name) {
    if (name.starts_with('/')) {
        return false;
    }
    while (!name.empty()) {
        const size_t slash = name.find('/');
        if (name.substr(0, slash) == "..") {
            return false;
        }
        name = slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
    }
    return true;
}

bool OutputNameStaysInside(const RunSnapshot& run, const FileContext& file) {
    const std::string name =
        ExpandFilenameMask(run.advanced.filenameMask, file, run.output.conversion);
    if (NameStaysInside(name)) {
        return true;
    }
    if (run.reporter != nullptr) {
        run.reporter(ReportKind::Problem,
                     "millconv: output name " + QuotedName(name) + " leaves the output folder");
    }
    return false;
}

std::string RelativeSubfolder(std::string_view inputPath, std::string_view baseFolder) {
    if (inputPath.empty() || baseFolder.empty()) {
        return {};
    }
    const size_t slash = inputPath.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    const std::string_view folder = inputPath.substr(0, slash + 1);
    // Only a folder that lies below the base yields a subfolder; the base text appearing
    // elsewhere in the path says nothing about nesting.
    if (folder.size() < baseFolder.size() || folder.substr(0, baseFolder.size()) != baseFolder) {
        return {};
    }
    std::string_view rest = folder.substr(baseFolder.size());
    if (baseFolder.back() != '/') {
        if (rest.empty() || rest.front() != '/') {
            return {};
        }
        rest.remove_prefix(1);
    }
    return std::string(rest);
}

} // namespace millconv
