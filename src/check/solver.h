// The fewest rows for which a formula holds, found by a solver where the build has one.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "check/formula.h"

namespace relalg {

// Whether this build has a solver (Z3) to prove a counterexample the smallest.
bool solveravailable();

// Rows kept, and whether no fewer rows make the formula hold.
struct fewest {
  std::vector<uint32_t> rows;
  bool proven = false;
};

// The fewest rows for which goal holds, fewer than `below`, searched within `seconds`: none
// when no fewer rows make it hold (proven, in `proven`), when the solver answers nothing in
// time, or without a solver. Refused for formulas of more than `mostformulas` parts.
std::optional<fewest> fewerrows(const formulas& f, formulas::id goal, size_t below, double seconds,
                                bool& proven);

}  // namespace relalg
