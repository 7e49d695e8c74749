// A selection condition, parsed once and resolved against one table's columns, then asked
// row by row.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/intcolumn.h"
#include "model/table.h"
#include "query/nesting.h"

namespace relalg {

// Parsing once gives the same answers as parsing the text again for every row: the text and
// the table's column names and types are the same for every row; only the values differ.
class condition {
 public:
  // The text must outlive the condition, and so must the columns of t.
  condition(std::string_view text, const table& t, const nesting& parens);

  // The whole condition's answer for one row of the table.
  bool evaluatecondition(int32_t row) const { return answer(0, row); }

 private:
  enum class kind { unrecognised, andkind, orkind, notkind, eq, neq, lt, lte, gt, gte };

  // A comparison operand: the row's value of the column it names, or else its own text.
  struct operand {
    const column* named = nullptr;
    // The named column when it holds integers: their reading as integers is the value itself.
    const intcolumn* numbers = nullptr;
    std::string_view text;  // a constant, quotes already stripped
    int32_t number = 0;     // the constant's reading as an integer
  };

  struct node {
    kind k = kind::unrecognised;
    int32_t first = -1;  // operands of AND, OR and NOT: indices of nodes
    int32_t second = -1;
    operand left;
    operand right;
    bool isint = false;
  };

  // Nodes in a flat list (the root first), so a deep condition is released without recursion.
  std::vector<node> nodes;

  // For each column name of the table, the index of the last column that bears it.
  using columnnames = std::unordered_map<std::string_view, int32_t>;

  int32_t parse(std::string_view text, const table& t, const columnnames& named,
                const nesting& parens);
  static void resolve(node& comparison, std::string_view left, std::string_view right,
                      const table& t, const columnnames& named);
  bool answer(int32_t index, int32_t row) const;
  bool andcondition(const node& n, int32_t row) const;
  bool orcondition(const node& n, int32_t row) const;
  bool notcondition(const node& n, int32_t row) const;
  bool compare(const node& n, int32_t row) const;
  static int32_t integer(const operand& o, int32_t row);
  static std::string_view text(const operand& o, int32_t row, intbuffer& buffer);
};

}  // namespace relalg
