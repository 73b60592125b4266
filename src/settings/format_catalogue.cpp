// Input and output format catalogues, product lists, accepted extensions and dialog filters.
#include "settings/format_catalogue.h"

#include <algorithm>
#include <utility>

#include "settings/message_catalogue.h"
#include "settings/output_formats.h"
#include "settings/settings.h"

namespace millconv {

namespace {

struct InputGroup {
    std::string_view extension;
    std::string_view description;
    std::string_view keys; // blank-separated, principal first
};

// In insertion order; the key order is what the accepted extensions and filters follow.
const InputGroup kInputGroups[] = {
    {"bmp", "Windows or OS/2 Bitmap", "bmp rle dib"},
    {"dds", "DirectDraw Surface File", "dds"},
    {"emf", "Enhanced Metafile Format", "emf emz"},
    {"gif", "GIF File", "gif"},
    {"hdr", "High Dynamic Range File", "hdr hdri"},
    {"ico", "Windows Icon", "ico"},
    {"jpg", "JPEG File", "jpg jpeg jpe jif"},
    {"pcd", "Kodak PhotoCD File", "pcd pcd1 pcds ppcd"},
    {"pcx", "ZSoft Paintbrush File", "pcx"},
    {"pic", "Macintosh PICT", "pic pict pct"},
    {"png", "Portable Network Graphics", "png"},
    {"psd", "Adobe Photoshop File", "psd"},
    {"tga", "Truevision Targa", "tga targa"},
    {"tiff", "Tagged Image File Format", "tiff tif"},
    {"wmf", "Windows Metafile Format", "wmf wmz"},
    {"wmf", "Aldus Placeable Metafile", "apm"},
    {"raw", "Camera RAW Image", "raw raw1 raw2"},
    {"raw", "Hasselblad Camera RAW Image", "3fr"},
    {"raw", "Sony Camera RAW Image", "arw sr2 srf"},
    {"raw", "Casio Camera RAW Image", "bay"},
    {"raw", "NuCore RAW Image", "bmq"},
    {"raw", "Phase One Camera RAW Image", "cap iiq eip"},
    {"raw", "Phantom RAW Image", "cine"},
    {"raw", "Canon Camera RAW Image", "cr2 crw"},
    {"raw", "Capture Shop RAW Image", "cs1"},
    {"raw", "Kodak Camera RAW Image", "dc2 dcr drf dsc k25 kc2 kdc dcs"},
    {"raw", "Adobe Digital Negative Image", "dng"},
    {"raw", "Epson Camera RAW Image", "erf"},
    {"raw", "Imacon Camera RAW Image", "fff"},
    {"raw", "Sinar RAW Image", "ia sti"},
    {"raw", "Minolta Camera RAW Image", "mdc mrw"},
    {"raw", "Mamiya Camera RAW Image", "mef mos"},
    {"raw", "Nikon Camera RAW Image", "nef nrw"},
    {"raw", "Olympus Camera RAW Image", "orf"},
    {"raw", "Pentax Camera RAW Image", "pef ptx"},
    {"raw", "Logitech Camera RAW Image", "pxn"},
    {"raw", "Apple Quicktake Camera RAW Image", "qtk"},
    {"raw", "Fuji Camera RAW Image", "raf"},
    {"raw", "Digital Foto Maker RAW Image", "rdc"},
    {"raw", "Panasonic Camera RAW Image", "rw2"},
    {"raw", "Rawzor Camera RAW Image", "rwz"},
    {"raw", "Sigma Camera RAW Image", "x3f"},
    {"raw", "ARRI RAW Image", "ari"},
    {"raw", "RED RAW Image", "r3d"},
    {"raw", "Leica Camera RAW Image", "rwl"},
};

// Calls visit(group, key) for every input key in catalogue order.
template <typename Visit> void ForEachInputKey(Visit visit) {
    for (const InputGroup& group : kInputGroups) {
        std::string_view rest = group.keys;
        while (!rest.empty()) {
            const size_t blank = rest.find(' ');
            visit(group, rest.substr(0, blank));
            rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        }
    }
}

std::vector<FormatEntry> MakeInputCatalogue() {
    std::vector<FormatEntry> entries;
    ForEachInputKey([&entries](const InputGroup& group, std::string_view key) {
        entries.push_back({std::string(key),
                           0,
                           std::string(group.extension),
                           std::string(group.description),
                           {}});
    });
    return entries;
}

std::vector<FormatEntry> MakeOutputCatalogue() {
    std::vector<FormatEntry> entries;
    for (const OutputFormat& format : kOutputFormats) {
        if (format.formatId != kNoFormatId) {
            entries.push_back({std::string(format.extension), format.formatId,
                               std::string(format.extension), std::string(format.description),
                               std::string(format.depths)});
        }
    }
    return entries;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

const FormatEntry* FindIn(const std::vector<FormatEntry>& catalogue, std::string_view key) {
    const std::string lower = LowerAscii(key);
    auto it = std::ranges::find(catalogue, lower, &FormatEntry::key);
    return it == catalogue.end() ? nullptr : &*it;
}

// Description -> pattern text in first-seen order, joined into the dialog filter text.
using PatternMap = std::vector<std::pair<std::string, std::string>>;

void AddPattern(PatternMap& map, const std::string& description, const std::string& pattern) {
    auto it = std::ranges::find(map, description, &PatternMap::value_type::first);
    if (it == map.end()) {
        map.emplace_back(description, pattern);
    } else if (it->second.empty()) {
        it->second = pattern;
    } else {
        it->second += ";" + pattern;
    }
}

std::string BuildFilter(const std::string& allPatterns, const PatternMap& map) {
    std::string filter = CatalogueText("Dialog", "All Supported Files") + "|" + allPatterns + "|";
    for (const auto& [description, patterns] : map) {
        filter += description + "|" + patterns + "|";
    }
    filter += CatalogueText("Dialog", "All Files") + " (*.*)|*.*";
    return filter;
}

std::vector<std::string> gAcceptedExtensions;
bool gAcceptedBuilt = false;

} // namespace

const std::vector<std::string>& InputFormatList() {
    static const std::vector<std::string> list = {"png"};
    return list;
}

const std::vector<std::string>& OutputFormatList() {
    static const std::vector<std::string> list = {"tga"};
    return list;
}

const std::vector<FormatEntry>& InputCatalogue() {
    static const std::vector<FormatEntry> catalogue = MakeInputCatalogue();
    return catalogue;
}

const std::vector<FormatEntry>& OutputCatalogue() {
    static const std::vector<FormatEntry> catalogue = MakeOutputCatalogue();
    return catalogue;
}

void BuildInputCatalogue() { InputCatalogue(); }

void BuildOutputCatalogue() { OutputCatalogue(); }

const FormatEntry* FindInputFormat(std::string_view key) { return FindIn(InputCatalogue(), key); }

const FormatEntry* FindOutputFormat(std::string_view key) { return FindIn(OutputCatalogue(), key); }

const OutputFormat* FindWritableFormat(std::string_view key) {
    const OutputFormat* row = FindOutputFormatRow(LowerAscii(key));
    return row != nullptr && row->formatId != kNoFormatId ? row : nullptr;
}

// Straight from the groups: a console run needs the accepted keys, not the whole catalogue.
void BuildAcceptedExtensions() {
    gAcceptedExtensions.clear();
    for (const std::string& format : InputFormatList()) {
        ForEachInputKey([&format](const InputGroup& group, std::string_view key) {
            if (group.extension == format) {
                gAcceptedExtensions.emplace_back(key);
            }
        });
    }
    gAcceptedBuilt = true;
}

const std::vector<std::string>& AcceptedExtensions() {
    if (!gAcceptedBuilt) {
        BuildAcceptedExtensions();
    }
    return gAcceptedExtensions;
}

std::string InputFileFilter() {
    std::string allPatterns;
    PatternMap map;
    for (const std::string& extension : AcceptedExtensions()) {
        const FormatEntry* entry = FindInputFormat(extension);
        const std::string pattern = "*." + extension;
        if (!allPatterns.empty()) {
            allPatterns += ";";
        }
        allPatterns += pattern;
        AddPattern(map, entry ? entry->description : std::string(), pattern);
    }
    return BuildFilter(allPatterns, map);
}

std::string WatermarkImageFilter() {
    const PatternMap map = {
        {"Portable Network Graphics", "*.png"},
        {"Windows or OS/2 Bitmap", "*.bmp;*.rle;*.dib"},
        {"JPEG File", "*.jpg;*.jpeg;*.jpe;*.jif"},
    };
    std::string allPatterns;
    for (const auto& entry : map) {
        allPatterns += (allPatterns.empty() ? "" : ";") + entry.second;
    }
    return BuildFilter(allPatterns, map);
}

std::vector<const SettingDef*> FormatSettings(FormatSide side, std::string_view format) {
    // A format owns the keys of its side's group that start with its upper-case name.
    const std::string_view group = side == FormatSide::Input ? "Input" : "Output";
    std::string prefix = LowerAscii(format);
    std::ranges::transform(prefix, prefix.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    prefix += ' ';
    std::vector<const SettingDef*> keys;
    if (format.empty()) {
        return keys;
    }
    for (const SettingDef& def : SettingsTable()) {
        if (def.group == group && def.key.starts_with(prefix)) {
            keys.push_back(&def);
        }
    }
    return keys;
}

} // namespace millconv
