// The tables of an SQLite database read through libsqlite3.
#pragma once

#include <string>
#include <vector>

#include "import/importedtable.h"

namespace relalgimport {

// The database's first 16 bytes, by which a file is told from a CSV file.
constexpr char sqliteheader[] = "SQLite format 3";  // and its terminating NUL: 16 bytes

// The named tables (or views), in that order; without names, every table in the order the
// database's schema lists them (the order they were created), leaving out SQLite's own.
// A column is int when every value is stored as an integer within 32 bits (texts that look
// like numbers stay texts); a table without rows takes it from the column's declared type.
std::vector<importedtable> readsqlite(const std::string& path,
                                      const std::vector<std::string>& names,
                                      const importoptions& options);

}  // namespace relalgimport
