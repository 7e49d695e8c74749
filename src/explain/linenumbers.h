// Line numbers of positions in a text, counted from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace relalg {

class linenumbers {
 public:
  // Lines after the first start at these offsets, in ascending order; offsets may repeat
  // where lines contributed nothing to the text (the query's blank lines).
  explicit linenumbers(std::vector<size_t> linestarts);
  // The lines of a text: one starts after each line feed.
  static linenumbers of(std::string_view text);

  // The line that the character at this offset stands on.
  int64_t at(size_t offset) const;

 private:
  std::vector<size_t> starts;
};

}  // namespace relalg
