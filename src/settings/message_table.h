// The built-in message table: a flat sequence of text pairs read by the message catalogue.
#pragma once

#include <span>
#include <string_view>

namespace millconv {

// A pair whose first text is "_GROUP_" opens the section named by the second text; "_END_"
// ends the table; every other pair is a key and its text in the section opened last.
struct MessagePair {
    std::string_view first;
    std::string_view second;
};

std::span<const MessagePair> BuiltInMessageTable();

} // namespace millconv
