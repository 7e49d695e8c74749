// The rows of a product or join whose operands print as their input lines.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/printedrows.h"

namespace relalg {

// Each row is one row of each operand, and prints as their lines joined by commas: the
// operands' values in order, as the row's own values print.
class joinedrows {
 public:
  // The operands' lines, and for each operand its row in each row of this table.
  joinedrows(std::vector<printedrows> parts, std::vector<std::vector<int32_t>> rows);

  // The given rows of these, in the given order: what keeprows leaves.
  joinedrows kept(const std::vector<int32_t>& keep) const;

  size_t rowcount() const { return made->rows.empty() ? 0 : made->rows.front().size(); }
  size_t partcount() const { return made->parts.size(); }

  // The line of one operand's row in a row of this table, without its line feed.
  std::string_view line(size_t part, size_t row) const {
    const std::string_view text = made->parts[part].line(made->rows[part][row]);
    assert(!text.empty() && text.back() == '\n');  // a row stands as printed with its line feed
    return text.substr(0, text.size() - 1);
  }

 private:
  struct rowsof {
    std::vector<printedrows> parts;
    std::vector<std::vector<int32_t>> rows;
  };
  std::shared_ptr<const rowsof> made;  // shared between copies of a table
};

}  // namespace relalg
