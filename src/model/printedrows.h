// The input lines that a table's rows print as, when each row prints exactly as its line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace relalg {

// The rows of a table as read, when every one of them stood in the input exactly as the
// output prints it: printing such a row is copying its line.
struct inputlines {
  std::shared_ptr<const std::string> text;  // the input, kept alive for the lines
  const char* base = nullptr;               // where the first row's line begins
  // Each row's line begins at base + starts[row]; one more entry: past the last line feed.
  std::vector<uint32_t> starts;
};

// Which input lines a table's rows are, in order. A table keeps them while its rows keep
// the values and columns they were read with (a selection, a renaming, a difference keep
// rows of an input table); any other change drops them, and the rows are printed value by
// value instead.
class printedrows {
 public:
  // Every line, in order.
  explicit printedrows(std::shared_ptr<const inputlines> all) : lines(std::move(all)) {}

  // The given rows of these, in the given order: what keeprows leaves.
  printedrows kept(const std::vector<int32_t>& rows) const;

  // The line of one row, with its line feed.
  std::string_view line(int32_t row) const {
    const int32_t at = rows ? (*rows)[static_cast<size_t>(row)] : row;
    return span(at, at);
  }

  // Hands the lines, each with its line feed, to `write(text)`: neighbouring lines of the
  // input in one piece.
  template <typename writer>
  void print(writer&& write) const;

 private:
  std::shared_ptr<const inputlines> lines;
  // The line of each row; none: every line in order.
  std::shared_ptr<const std::vector<int32_t>> rows;

  std::string_view span(int32_t first, int32_t last) const {
    const auto& s = lines->starts;
    return {lines->base + s[static_cast<size_t>(first)],
            s[static_cast<size_t>(last) + 1] - s[static_cast<size_t>(first)]};
  }
};

template <typename writer>
void printedrows::print(writer&& write) const {
  const auto count = static_cast<int32_t>(lines->starts.size()) - 1;
  if (!rows) {
    if (count > 0) write(span(0, count - 1));
    return;
  }
  const std::vector<int32_t>& r = *rows;
  for (size_t i = 0; i < r.size();) {
    size_t j = i + 1;
    while (j < r.size() && r[j] == r[j - 1] + 1) ++j;  // a run of neighbouring lines
    write(span(r[i], r[j - 1]));
    i = j;
  }
}

}  // namespace relalg
