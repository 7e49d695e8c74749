// The explanation for a terminal: the tables, the query's steps as an indented tree with
// their first rows, and the notes, in lines of at most 80 columns.
#pragma once

#include <string>

#include "explain/explanation.h"

namespace relalg {

std::string rendertext(const explanation& e);

}  // namespace relalg
