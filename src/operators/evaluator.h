// The evaluator: the steps of a plan run in order over the input tables, each by its operator.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "model/table.h"
#include "operators/operators.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

// Told each node's value as evaluation reaches it, to show what every step of a query gave.
class observer {
 public:
  virtual ~observer() = default;
  // The value of a node of the query tree.
  virtual void seen(int32_t node, const table& t) = 0;
};

// The value of a node given instead of evaluated, or null.
using givenvalue = std::function<const table*(int32_t node)>;

class evaluator {
 public:
  // The inputs must outlive the evaluator.
  explicit evaluator(const std::vector<table>& inputs) : tables(inputs) {}

  // The value of the plan's root. A watcher is told the value of every step that gives a node's
  // value; a node whose value is given is not evaluated, nor are its operands.
  table evaluate(const querytree& tree, const plan& p, observer* watcher = nullptr,
                 const givenvalue& given = nullptr) const;

  // Every step's value and its lineage, each difference keeping all of its first operand's
  // rows (see lineage): which input rows each row of every step is made of, on any part of the
  // inputs. The plan is one built with rewrites::joins or none: lineage needs every row.
  struct traced {
    table value;
    lineage made;
  };
  std::vector<traced> trace(const querytree& tree, const plan& p) const;

 private:
  const std::vector<table>& tables;
};

}  // namespace relalg
