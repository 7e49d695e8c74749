// A whole check: an answer file, more databases, and inputs, as bytes, to the entries reported.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/check.h"
#include "check/report.h"

namespace relalg {

// A file given: its name as given, and its bytes, or why it could not be read.
struct givenfile {
  std::string name;
  std::optional<std::string> bytes;
  std::string unreadable;
};

// Checks every input against the answer: on the answer's tables, then on each file's of
// `tables` that could be read. Answers none, with the reason, when the answer cannot be
// checked against (unread, or holding no table).
std::optional<std::vector<checkentry>> checkall(const givenfile& answer,
                                                const std::vector<givenfile>& tables,
                                                const std::vector<givenfile>& inputs,
                                                const checkoptions& options, std::string& refused);

}  // namespace relalg
