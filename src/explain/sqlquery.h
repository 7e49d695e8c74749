// The query as one SQL statement: a step of a WITH clause per operator call, each reading its
// operands' columns by position, then the result's rows in relalg's order.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "explain/sqltext.h"
#include "model/table.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

// A node's value as the translation needs it: its columns' names and types, and for its text
// columns the facts of every input value that reaches them.
struct sqlshape {
  schema columns;
  std::vector<bool> ints;  // for each column, whether it holds integers
  std::vector<textfacts> facts;
};

// The shape of every node of the tree, from the plan of the tree as it stands (a step for each
// node); the facts of a table's values are taken from the input table the query reads.
std::vector<sqlshape> shapesof(const querytree& tree, const plan& plain,
                               const std::vector<table>& input);

// Something a FROM clause can read: an input table or a step, and its columns there.
struct sqlrelation {
  std::string from;                  // the quoted name
  std::vector<std::string> columns;  // each column's quoted name, by position
  // The column, or the table's own pseudo-column, that numbers the rows in their order;
  // empty when the rows are in the order of their values, column by column.
  std::string order;
};

// The input tables as loaded, by relalg's name (the last table of each name), and every
// name the loaded tables take, as foldcase gives it.
struct sqltables {
  std::unordered_map<std::string, sqlrelation> named;
  std::unordered_set<std::string> taken;
  // What the engine may read otherwise in the tables themselves.
  std::vector<std::string> warnings;
};

// The statement of the query and the warnings that go before it: where SQL may answer
// otherwise for this input. `shapes` holds the shape of every node of the tree, and `plain`
// is the tree's plan without rewrites.
struct sqlstatement {
  std::vector<std::string> warnings;
  std::string text;
};
sqlstatement translatequery(const querytree& tree, const plan& plain,
                            const std::vector<sqlshape>& shapes, const sqltables& tables,
                            sqldialect dialect);

}  // namespace relalg
