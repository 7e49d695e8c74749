// The input lines a table's rows print as, when every row stood in the input as printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace relalg {

// The rows of a table as read, when every one of them stood in the input exactly as the output
// prints it: printing such a row is copying its line.
struct inputlines {
  std::shared_ptr<const std::string> text;  // the input, kept alive for the lines
  const char* base = nullptr;               // where the first row's line begins
  // Each row's line begins at base + starts[row]; one more entry: past the last line feed.
  std::vector<uint32_t> starts;
};

// Which lines a table's rows print as. A row is rows of one or more tables read as printed
// (parts): of one for a table read, or kept from one (a selection, a renaming, a difference);
// of each operand for a product of such tables. It prints as its parts' lines joined by commas,
// which are its values in order, as its values would print. A table keeps its lines while its
// rows keep the values and columns they were made of; any other change drops them.
class rowlines {
 public:
  // Every line of a table as read, in order.
  explicit rowlines(std::shared_ptr<const inputlines> all);

  // The rows made of rows of each part: rows[p][i] is part p's row in row i.
  static rowlines combined(const std::vector<rowlines>& parts,
                           std::vector<std::vector<int32_t>> rows);
  // The given rows of these, in the given order.
  rowlines kept(const std::vector<int32_t>& rows) const;

  size_t rowcount() const { return count; }
  // One part: each row is one line of the input, copied as it stands.
  bool wholelines() const { return parts.size() == 1; }
  // The lines of a table as read, when its rows are still those lines in order; else null.
  const inputlines* asread() const {
    return parts.size() == 1 && !parts.front().rows ? parts.front().lines.get() : nullptr;
  }

  // Hands the rows from first up to last to write, in pieces: each line (a string_view) and the
  // comma or line feed after it (a char), and neighbouring lines of a table of one part as one
  // piece.
  template <typename writer>
  void print(size_t first, size_t last, writer&& write) const;

 private:
  struct part {
    std::shared_ptr<const inputlines> lines;
    // The line of each row; none: every line in order.
    std::shared_ptr<const std::vector<int32_t>> rows;

    int32_t lineof(size_t row) const { return rows ? (*rows)[row] : static_cast<int32_t>(row); }
    // The lines from first to last, with their line feeds.
    std::string_view span(int32_t first, int32_t last) const {
      const auto& s = lines->starts;
      return {lines->base + s[static_cast<size_t>(first)],
              s[static_cast<size_t>(last) + 1] - s[static_cast<size_t>(first)]};
    }
  };
  std::vector<part> parts;
  size_t count = 0;

  rowlines() = default;
};

template <typename writer>
void rowlines::print(size_t first, size_t last, writer&& write) const {
  if (parts.size() == 1) {
    const part& p = parts.front();
    for (size_t i = first; i < last;) {
      size_t j = i + 1;
      while (j < last && p.lineof(j) == p.lineof(j - 1) + 1) ++j;  // neighbouring lines
      write(p.span(p.lineof(i), p.lineof(j - 1)));
      i = j;
    }
    return;
  }
  // How many rows ahead a row's lines are fetched: they lie scattered in the input.
  constexpr size_t printahead = 16;
  for (size_t row = first; row < last; ++row) {
    for (size_t k = 0; k < parts.size(); ++k) {
      const part& p = parts[k];
      if (row + printahead < count) {
        __builtin_prefetch(p.span(p.lineof(row + printahead), p.lineof(row + printahead)).data());
      }
      const std::string_view line = p.span(p.lineof(row), p.lineof(row));
      write(line.substr(0, line.size() - 1));  // without its line feed
      write(k + 1 < parts.size() ? ',' : '\n');
    }
  }
}

}  // namespace relalg
