// Icon name tables of the window module and the themes; product identity lives in base/.
#pragma once

#include "base/product.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace millconv {

struct ImageNumber {
    std::string_view name;
    int number;
};

// Icon name -> image slot, fixed when the program is built: a start costs nothing for them.
class ImageNumberTable {
  public:
    constexpr ImageNumberTable(std::span<const ImageNumber> entries, int offset)
        : entries_(entries), offset_(offset) {}
    size_t size() const { return entries_.size(); }
    // The slot of an icon name; throws std::out_of_range for a name the table lacks.
    int at(std::string_view name) const;

  private:
    std::span<const ImageNumber> entries_;
    int offset_; // added to every entry's number
};

// Icon name -> image slot tables used by the window module and the themes.
const ImageNumberTable& GadgetImageNumbers();
const ImageNumberTable& MenuImageNumbers();
const ImageNumberTable& ToolbarImageNumbers();

} // namespace millconv
