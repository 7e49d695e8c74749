// The database: the input tables and the recursive evaluation of a query text over them.
#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/table.h"
#include "query/nesting.h"

namespace relalg {

class database {
 public:
  const std::vector<table> tables;

  explicit database(std::vector<table> input);

  // The value of a whole normalised query text; a text nested deeper than the limit of
  // `nesting` is the empty table. The text must outlive the call.
  table query(std::string_view kifejezes);

 private:
  // The value of one expression, a part of the query text: an operator call or a table name.
  table evaluate(std::string_view s);

  // One operation per keyword, each given the text inside the call's parentheses.
  table project(std::string_view a);
  table rename(std::string_view a);
  table select(std::string_view a);
  table product(std::string_view a);
  table unite(std::string_view a);
  table minus(std::string_view a);

  // For each table name, the index of the last input table of that name.
  std::unordered_map<std::string_view, size_t> named;
  const nesting* parens = nullptr;  // of the query being evaluated
};

}  // namespace relalg
