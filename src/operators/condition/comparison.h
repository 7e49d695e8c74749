// The comparison of two values, as integers or as byte strings, and the six keywords' answers.
#pragma once

#include <string_view>

namespace relalg {

// A text that starts with a quote loses its first and its last character, whatever that is.
std::string_view stripquotes(std::string_view text);

// Negative, 0 or positive as the left value is below, equal to or above the right one: as
// atoi readings (saturated to 32 bits) when isint, otherwise by bytes.
int comparevalues(std::string_view left, std::string_view right, bool isint);

// Each keyword's answer from the three-way result.
inline bool compareeq(int order) { return order == 0; }
inline bool compareneq(int order) { return order != 0; }
inline bool comparelt(int order) { return order < 0; }
inline bool comparelte(int order) { return order <= 0; }
inline bool comparegt(int order) { return order > 0; }
inline bool comparegte(int order) { return order >= 0; }

}  // namespace relalg
