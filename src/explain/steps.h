// The value of every step of a query, as evaluation reaches it: its header, its row count
// and its first rows, never the whole table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/table.h"
#include "query/database.h"

namespace relalg {

struct step {
  bool seen = false;
  table header;  // the value's name and columns, without rows
  int64_t rows = 0;
  std::vector<std::vector<std::string>> first;  // each value as printed
};

class steprecorder : public observer {
 public:
  // For a query tree of `nodes` nodes, keeping the first `shown` rows of each value.
  steprecorder(size_t nodes, int32_t shown);

  void seen(int32_t node, const table& t, int64_t rows) override;

  std::vector<step> steps;
};

}  // namespace relalg
