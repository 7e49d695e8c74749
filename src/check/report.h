// What relalg-check says of each input: a report for a student, or one JSON document.
#pragma once

#include <string>
#include <vector>

#include "check/check.h"

namespace relalg {

// One input checked: its verdict and all that goes with it.
struct checkentry {
  std::string input;    // the path given
  std::string verdict;  // "same", "differs" or "error"
  checked result;
  std::vector<std::string> notes;
  double seconds = 0;
  std::string error;           // why it could not be checked
  std::string counterexample;  // the counterexample as an input file
  std::string written;         // where it was written, if it was
};

// The report of every input for a student, in the order given.
std::string checktext(const std::string& answer, const std::vector<checkentry>& entries);

// {"answer": PATH, "inputs": [ENTRY...]} and a line feed.
std::string checkjson(const std::string& answer, const std::vector<checkentry>& entries);

// The counterexample as an input file: the query lines as written, one empty line, then every
// table of the database with the rows chosen.
std::string counterexamplefile(const std::string& querylines, const counterexample& c);

}  // namespace relalg
