// The input's query as an SQL script: the input tables created and filled, then one SELECT
// that gives relalg's result rows in relalg's order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "explain/sqltext.h"

namespace relalg {

struct sqloptions {
  bool tables = true;  // the CREATE TABLE and INSERT statements, or only the query
  sqldialect dialect = sqldialect::sqlite;
};

// The dialect of a name as the command line gives it: sqlite, postgres or duckdb.
std::optional<sqldialect> sqldialectnamed(std::string_view name);

// The script for an input file's bytes. Comment lines before the SELECT name what this input
// holds that the engine may read otherwise than relalg.
std::string sqlscript(std::string input, const sqloptions& options);

}  // namespace relalg
