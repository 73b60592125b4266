// Icon name tables of the window module and the themes.
#include "app/app_info.h"

namespace millconv {

namespace {

// Menu and toolbar share the names; toolbar slots sit 24 above the menu ones.
constexpr std::pair<const char*, int> kMenuImages[] = {
    {"New", 5},          {"Add", 6},         {"InFiles", 7},     {"InFolder", 8},
    {"OutFolder", 9},    {"OutFormat", 10},  {"FavFolder", 11},  {"ImportFiles", 12},
    {"ExportFiles", 13}, {"Exit", 14},       {"Copy", 15},       {"Delete", 16},
    {"SelectAll", 17},   {"Convert", 18},    {"Error", 19},      {"Preferences", 20},
    {"CustomConverter", 21}, {"Help", 22},   {"Email", 25},      {"Web", 26},
    {"Updates", 27},     {"About", 28},
};

std::map<std::string, int> MenuTable(int offset) {
    std::map<std::string, int> table;
    for (const auto& [name, number] : kMenuImages) {
        table.emplace(name, number + offset);
    }
    return table;
}

} // namespace

const std::map<std::string, int>& GadgetImageNumbers() {
    static const std::map<std::string, int> table = {
        {"Convert", 2}, {"InFiles", 3}, {"InFolder", 4}};
    return table;
}

const std::map<std::string, int>& MenuImageNumbers() {
    static const std::map<std::string, int> table = MenuTable(0);
    return table;
}

const std::map<std::string, int>& ToolbarImageNumbers() {
    static const std::map<std::string, int> table = MenuTable(24);
    return table;
}

} // namespace millconv
