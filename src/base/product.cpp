// Product identity: version text and title.
#include "base/product.h"

namespace millconv {

std::string VersionText(int32_t number) {
    std::string text = std::to_string(number);
    // Characters, not strings, are inserted: GCC 12 warns wrongly about string inserts.
    if (text.size() >= 2) {
        text.insert(text.begin() + 1, '.');
    }
    if (text.size() >= 4) {
        text.insert(text.begin() + 3, '.');
    }
    if (!text.empty() && text.back() == '0') {
        text.resize(3);
    }
    return text;
}

std::string AppTitle() { return std::string(kProductName) + " " + VersionText(kVersionNumber); }

std::string MakerWord() {
    std::string_view name = kProductName;
    return std::string(name.substr(0, name.find(' ')));
}

} // namespace millconv
