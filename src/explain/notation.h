// The query in the notation of textbooks: one line of σ, π, ρ, ×, ∪ and −, or the same as a
// LaTeX formula.
#pragma once

#include <string>

#include "explain/explanation.h"

namespace relalg {

// σ[dept = 'sales'](π[name, dept](emp)): operands of a binary operator that are themselves
// binary stand in parentheses.
std::string textbook(const explanation& e);

// \sigma_{...}, \pi_{...}, \rho_{...}, \times, \cup and -, names set upright with \text.
std::string latex(const explanation& e);

}  // namespace relalg
