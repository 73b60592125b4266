// Icon name tables of the window module and the themes.
#include "app/app_info.h"

#include <stdexcept>
#include <string>

namespace millconv {

namespace {

constexpr ImageNumber kGadgetImages[] = {{"Convert", 2}, {"InFiles", 3}, {"InFolder", 4}};

// Menu and toolbar share the names; toolbar slots sit 24 above the menu ones.
constexpr ImageNumber kMenuImages[] = {
    {"New", 5},          {"Add", 6},         {"InFiles", 7},     {"InFolder", 8},
    {"OutFolder", 9},    {"OutFormat", 10},  {"FavFolder", 11},  {"ImportFiles", 12},
    {"ExportFiles", 13}, {"Exit", 14},       {"Copy", 15},       {"Delete", 16},
    {"SelectAll", 17},   {"Convert", 18},    {"Error", 19},      {"Preferences", 20},
    {"CustomConverter", 21}, {"Help", 22},   {"Email", 25},      {"Web", 26},
    {"Updates", 27},     {"About", 28},
};
constexpr int kToolbarOffset = 24;

constexpr ImageNumberTable kGadgetTable{kGadgetImages, 0};
constexpr ImageNumberTable kMenuTable{kMenuImages, 0};
constexpr ImageNumberTable kToolbarTable{kMenuImages, kToolbarOffset};

} // namespace

int ImageNumberTable::at(std::string_view name) const {
    for (const ImageNumber& entry : entries_) {
        if (entry.name == name) {
            return entry.number + offset_;
        }
    }
    throw std::out_of_range("no image for the icon name " + std::string(name));
}

const ImageNumberTable& GadgetImageNumbers() { return kGadgetTable; }
const ImageNumberTable& MenuImageNumbers() { return kMenuTable; }
const ImageNumberTable& ToolbarImageNumbers() { return kToolbarTable; }

} // namespace millconv
