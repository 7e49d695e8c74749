// The names closest to a name that was not found: equal but for letter case, or a few edits
// away.
#pragma once

#include <string_view>
#include <vector>

namespace relalg {

// Up to three candidates, closest first, each named once; none when nothing is close.
std::vector<std::string_view> closest(std::string_view name,
                                      const std::vector<std::string_view>& candidates);

// Whether two names are equal but for letter case (ASCII).
bool sameletters(std::string_view a, std::string_view b);

}  // namespace relalg
