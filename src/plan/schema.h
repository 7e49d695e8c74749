// A step's output as known without evaluating a row: its name and its columns' names and types.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/column.h"
#include "model/table.h"

namespace relalg {

struct columnschema {
  std::string name;
  columntype type;
};

struct schema {
  std::string name;
  std::vector<columnschema> columns;

  // The schema of a table.
  static schema of(const table& t);
};

// A schema's columns by name, looked up without a scan of every column for every name of a
// long list. The schema must outlive it.
class columnnames {
 public:
  explicit columnnames(const schema& s);

  // The position of the first column of that name, as project picks columns, or -1.
  int32_t first(std::string_view label) const;
  // The position of the last column of that name, as a condition names columns, or -1.
  int32_t last(std::string_view label) const;

 private:
  std::unordered_map<std::string_view, std::pair<int32_t, int32_t>> named;
};

}  // namespace relalg
