// A selection condition of the query tree, bound to the columns it reads, then asked for one
// row, or for one row of each operand of a product.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/charcolumn.h"
#include "model/intcolumn.h"
#include "model/table.h"
#include "syntax/querytree.h"

namespace relalg {

// A column a condition may name: which row source it belongs to (an operand of a product
// not built; 0 for a plain table) and the column itself.
struct boundcolumn {
  int32_t slot = 0;
  const column* c = nullptr;
};

// The columns of a table, or of the operands of a product in order, as a condition sees them:
// a name borne by several columns names the last of them.
class columnlist {
 public:
  explicit columnlist(std::vector<boundcolumn> all);
  // Every column of one table, in slot 0.
  static columnlist of(const table& t);

  // The position of the last column of that name, or -1 when no column bears it.
  int32_t find(std::string_view name) const;

  const std::vector<boundcolumn> columns;

 private:
  std::unordered_map<std::string_view, int32_t> named;
};

// How a comparison reads its operands: each a column's position or a constant, and whether
// the two compare as integers, as the later-standing column decides.
struct comparisonplan {
  int32_t left = -1;  // a column position, or -1: the operand is a constant
  int32_t right = -1;
  bool isint = false;  // two constants compare as texts
  // The column that decided between integer and text comparison, or -1.
  int32_t decider() const { return left > right ? left : right; }
};

// Names are matched whole and exactly, before quotes are stripped.
comparisonplan plancomparison(const conditionnode& n, const columnlist& columns);

// The operands of the ANDs at the top of a condition, left to right: a row passes the whole
// condition when it passes every one of them.
std::vector<int32_t> conjunctsof(const querytree& tree, int32_t root);

// Binding once gives the same answers as reading the text again for every row: the text and
// the columns' names and types are the same for every row; only the values differ. The bound
// condition is a program in postfix order, run with a small stack of answers: no recursion,
// however deep the condition nests.
class condition {
 public:
  // The condition rooted at `root`; the tree and the columns must outlive the condition.
  condition(const querytree& tree, int32_t root, const columnlist& columns);

  // The answer for one row of each slot: rows[slot].
  bool evaluatecondition(const int32_t* rows) const;
  // The answers for the rows first to last - 1 of a condition over one table (slot 0), one
  // flag a row: as evaluatecondition gives them, but each step made for every row in a loop
  // of its own, which a large table passes through far faster.
  std::vector<uint8_t> evaluateall(int32_t first, int32_t last) const;

  // The lowest and the highest slot the condition reads; first > last when it reads no
  // column, and its answer is then the same for every row.
  int32_t firstslot() const { return lowest; }
  int32_t lastslot() const { return highest; }

  // A comparison of two columns for equality, which a product can meet by matching keys.
  struct equality {
    boundcolumn left;
    boundcolumn right;
    bool isint = false;
  };
  // The condition as such an equality between columns of two different slots, if it is one.
  bool isequality(equality& found) const;

 private:
  // A comparison operand: the row's value of the column it names, or else its own text.
  struct operand {
    const column* named = nullptr;
    // The named column when it holds integers: their reading as integers is the value itself.
    const intcolumn* numbers = nullptr;
    // The named column when it holds texts, read straight from their list.
    const charcolumn* texts = nullptr;
    int32_t slot = 0;
    std::string_view text;  // a constant, quotes already stripped
    int32_t number = 0;     // the constant's reading as an integer
  };

  // One step: a comparison or an unrecognised condition pushes its answer; AND and OR take
  // the top two answers, NOT turns the top one.
  struct step {
    conditionkind k = conditionkind::unrecognised;
    operand left;
    operand right;
    bool isint = false;
  };

  // The most answers ever waiting: the larger operand of AND and OR goes first, so a condition
  // of n comparisons keeps at most log2(n) + 1 waiting.
  static constexpr int deepest = 64;

  std::vector<step> program;
  int32_t lowest = INT32_MAX;
  int32_t highest = -1;

  void bind(const querytree& tree, int32_t root, const columnlist& columns);
  operand bindoperand(std::string_view text, int32_t position, const columnlist& columns);
  bool compare(const step& s, const int32_t* rows) const;
  std::vector<uint8_t> compareall(const step& s, int32_t first, int32_t last) const;
  static int32_t integer(const operand& o, const int32_t* rows);
  static std::string_view text(const operand& o, const int32_t* rows, intbuffer& buffer);
};

}  // namespace relalg
