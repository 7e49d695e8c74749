// Checking a query against an answer's: whether their results agree on given and generated
// databases, and the smallest part of a database on which they do not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/table.h"

namespace relalg {

// A database to check on: the tables of an input file, and where they came from.
struct dataset {
  std::string name;
  std::vector<table> tables;
};

struct checkoptions {
  // Results agree when they print the same, header and rows in order; else when they have as
  // many columns and the same set of rows, each row as printed.
  bool strict = false;
  // How many generated databases to try when no given one shows a difference.
  int32_t generate = 0;
  // How long the solver may take to prove a counterexample the smallest.
  double solverseconds = 2.0;
};

// A part of a database on which the two queries' results differ.
struct counterexample {
  std::string reason;         // "columns", "rows" or "table"
  std::string database;       // the name of the database it is part of, or "generated"
  std::vector<table> tables;  // every table of that database, with the rows chosen
  int64_t rows = 0;
  // Proven: no part of the database with fewer rows makes the results differ.
  bool smallest = false;
  // On it, each row as printed: what the answer's result has and the query's has not, and
  // the other way round; and both results.
  std::vector<std::string> missing;
  std::vector<std::string> unexpected;
  table answered;
  table given;
};

struct checked {
  int32_t databases = 0;  // the given databases checked
  int32_t generated = 0;  // the generated databases tried
  std::optional<counterexample> differs;
};

// Checks a query (its text as evaluated) against the answer's on each database in turn, then
// on generated ones; the first that shows a difference gives the counterexample.
checked check(const std::string& answer, const std::string& query,
              const std::vector<dataset>& databases, const checkoptions& options);

// Whether two results agree, and if not why: "columns", "rows", "table"; empty when they agree.
std::string difference(const table& a, const table& b, bool strict);

// A table's rows, each as the output prints it, in order.
std::vector<std::string> printedrows(const table& t);

}  // namespace relalg
