// The database: the input tables and the evaluation of a query tree over them.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/table.h"
#include "syntax/querytree.h"

namespace relalg {

class database {
 public:
  const std::vector<table> tables;

  // How a selection over a product is evaluated: planned, never building the product, or
  // plainly, filtering the built product (the reference the planned way is tested against).
  enum class joins { planned, built };

  explicit database(std::vector<table> input, joins how = joins::planned);

  // The value of a whole query; a query nested deeper than the limit is the empty table. The
  // tree must outlive the call.
  table query(const querytree& tree);

 private:
  // The value of one node: an operator call or a table name.
  table evaluate(int32_t node);

  // One operation per keyword, each given its node of the tree.
  table project(const querynode& n);
  table rename(const querynode& n);
  table select(const querynode& n);
  table product(const querynode& n);
  table unite(const querynode& n);
  table minus(const querynode& n);

  // The selections `roots` over the product at node `over`, without building the product.
  table join(int32_t over, const std::vector<int32_t>& roots);

  // For each table name, the index of the last input table of that name.
  std::unordered_map<std::string_view, size_t> named;
  const joins strategy;
  const querytree* tree = nullptr;  // of the query being evaluated
  // For each node, the node below its chain of selections: itself when it is no selection.
  std::vector<int32_t> beneath;
};

}  // namespace relalg
