// The table definitions after the query section: headers, column declarations and rows.
#pragma once

#include <vector>

#include "input/readnotes.h"
#include "input/source.h"
#include "model/table.h"

namespace relalg {

// Reads every table definition from ip's position to the end. Tables are separated by empty
// lines; a definition cut before its "(" is dropped. The notes, when given, are told every
// rule the reader applied silently.
std::vector<table> readtables(source& ip, readnotes* notes);

}  // namespace relalg
