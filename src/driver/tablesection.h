// The table definitions that follow the query section, read one after another to the end.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "model/readnotes.h"
#include "model/source.h"
#include "model/table.h"

namespace relalg {

// Appends each table read. Tables are separated by empty lines; a definition cut before its
// "(" is dropped. The notes, when given, are told every rule the reader applied silently.
void readtablesection(source& ip, std::vector<table>& tables, readnotes* notes = nullptr);

}  // namespace relalg
