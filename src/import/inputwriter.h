// relalg's input file made of a query and the imported tables.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "import/importedtable.h"

namespace relalgimport {

// Where the file's bytes go, in pieces of up to a MiB.
using inputsink = std::function<void(std::string_view)>;

// The query line, an empty line, then each table: its header, one line per row, ints bare and
// texts between single quotes, an empty line between tables. A text column is at least
// char(1): relalg compares a char(0) column as integers in conditions.
void writeinput(std::string_view query, const std::vector<importedtable>& tables,
                const inputsink& put);

}  // namespace relalgimport
