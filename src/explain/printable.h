// Texts made safe to show: bytes as read, with what a terminal cannot show escaped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace relalg {

// The length of the valid UTF-8 sequence that starts at s[i], or 0 when none starts there.
size_t utf8length(std::string_view s, size_t i);

// For a terminal: control characters and bytes that are not UTF-8 as \xNN, the rest as it is.
std::string visible(std::string_view s);

// A text cut to at most `width` characters, ending in "..." when cut.
std::string cut(std::string_view visibletext, size_t width);

// A text shortened for a sentence: at most `width` characters and "..." when longer, then
// made visible, between double quotes.
std::string quoted(std::string_view s, size_t width = 40);

}  // namespace relalg
