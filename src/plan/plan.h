// The plan of a query: a step per operation, each knowing the schema of what it gives, operands
// before the steps that read them; selections over products planned as joins.
#pragma once

#include <cstdint>
#include <vector>

#include "model/table.h"
#include "plan/binding.h"
#include "plan/schema.h"
#include "tree/querytree.h"

namespace relalg {

enum class stepkind { table, empty, project, rename, select, product, unite, minus, join };

// An equality between columns of two operands of a join, which the join meets by matching keys:
// the earlier operand's column probes an index of the later one's, compared as the condition
// compares them. Columns are positions among the join's columns.
struct joinkey {
  int32_t probe = -1;
  int32_t build = -1;
  bool isint = false;
};

// A selection over a product of operands, every combination of the operands' sorted distinct
// rows in lexicographic order kept when it passes every conjunct. Each conjunct is met where
// it first can be: one that reads no column is answered once; one that reads a single operand
// filters that operand's rows before they are combined; an equality between two operands'
// columns becomes a key of the later one; any other is checked on each combination as soon as
// the operands it reads are bound. Conjuncts are roots of conditions in the tree, their
// columns bound to positions among the join's columns: every operand's, in order.
struct joinparts {
  std::vector<int32_t> conjuncts;  // every one, as the selections list them
  std::vector<int32_t> constants;
  std::vector<std::vector<int32_t>> filters;  // for each operand
  std::vector<joinkey> keys;
  std::vector<std::vector<int32_t>> checks;  // for each operand: conjuncts read last at it
  // How many of the first operands the join's reader reads, when that reader is a projection
  // keeping only their columns (through renamings): the later operands need then only hold one
  // match, and the join gives the first combination for each combination of those operands'
  // rows, not all of them. -1: every combination is given.
  int32_t operandsread = -1;
};

struct step {
  stepkind kind = stepkind::empty;
  // The node of the query tree whose value this step gives, or -1 for a step of a rewrite
  // that gives no node's value.
  int32_t node = -1;
  schema output;
  std::vector<int32_t> operands;  // indices of steps
  int32_t table = -1;             // table: the input table's index
  std::vector<int32_t> columns;   // project: the operand's column of each output column
  int32_t condition = -1;         // select: the root of its condition in the tree
  joinparts join;                 // join
  // minus, when only a projection reads it, for the columns of its first operand's first
  // part, and that operand is a product of two: the product's operands stand first, the
  // second operand third, and one unmatched pair is found for each row of the first part.
  bool ofproduct = false;
};

// How far a query is rewritten: not at all, which the plain evaluation of the tree is and the
// tests compare against; with selections over products planned as joins, each join giving
// every combination (what a step shows); or with those joins also matching once where their
// reader reads only their first operands (what a query gives).
enum class rewrites { none, joins, all };

struct plan {
  std::vector<step> steps;  // operands first, the root last
  // For each condition node of the tree, its comparison bound to the columns it names among
  // its selection's operand's columns, or its join's. A binding moved below a projection keeps
  // its isint; its decider() then no longer names the deciding column.
  std::vector<binding> bindings;

  const step& root() const { return steps.back(); }
};

// The plan of the query under the tree node root, over the input tables (a name names the last
// table that bears it). The tree must outlive the plan.
plan buildplan(const querytree& tree, const std::vector<table>& inputs,
               rewrites rules = rewrites::all, int32_t root = 0);

}  // namespace relalg
