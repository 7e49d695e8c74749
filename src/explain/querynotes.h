// The notes at the steps of a query and of its conditions: each rule that evaluation applies
// silently to the text as written, named at the node it concerns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "explain/explanation.h"
#include "explain/linenumbers.h"
#include "model/table.h"
#include "plan/schema.h"
#include "tree/querytree.h"

namespace relalg {

// The names of the input tables, in order, and for each name how many tables bear it and
// the index of the last of them.
struct tablenames {
  explicit tablenames(const std::vector<table>& inputs);

  std::vector<std::string_view> inorder;
  std::unordered_map<std::string_view, std::pair<size_t, size_t>> bearers;
};

// What the notes look at: the tree, the input tables, each node's schema and row count, the
// query's lines.
struct queryview {
  const querytree& tree;
  const tablenames& names;
  const std::vector<schema>& schemas;
  const std::vector<int64_t>& rows;
  // The nodes whose values relalg builds: not those folded into a join.
  const std::vector<bool>& built;
  // The nodes whose values do not fit in memory.
  const std::vector<bool>& unheld;
  const linenumbers& lines;
  // The names of lines that look like table headers but were read as rows, and their lines.
  const std::vector<std::pair<std::string, int64_t>>& headersasrows;
  // How many more names not found may still be given their closest names: each costs a
  // comparison with every candidate, and a long query may hold very many.
  int64_t& hintsleft;
};

std::vector<note> nodenotes(const queryview& q, int32_t node);

// The notes of a condition node bound to the columns of its selection's operand.
std::vector<note> conditionnotes(const queryview& q, int32_t condition, const schema& columns,
                                 const columnnames& names);

// The note of a query that nests too deep to be evaluated.
note toodeepnote(int64_t depth);

}  // namespace relalg
