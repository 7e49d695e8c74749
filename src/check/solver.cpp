// The search for fewer rows, through Z3's optimiser when the build has it.
#include "check/solver.h"

#ifdef RELALG_Z3
#include <z3++.h>

#include <string>
#include <unordered_map>
#endif

namespace relalg {

#ifdef RELALG_Z3

namespace {

// Formulas past this many parts are not handed to the solver: making them would take longer
// than a check may.
constexpr size_t mostformulas = 400000;

}  // namespace

bool solveravailable() { return true; }

std::optional<fewest> fewerrows(const formulas& f, formulas::id goal, size_t below, double seconds,
                                bool& proven) {
  proven = false;
  if (below == 0 || f.size() > mostformulas) return std::nullopt;
  try {
    // One context for every search of a run: making one costs more than a small search.
    static z3::context c;
    // The formulas the goal is made of, each once, parts first.
    std::vector<int64_t> made(f.size(), -1);
    z3::expr_vector exprs(c);
    z3::expr_vector rows(c);
    std::vector<uint32_t> numbers;
    std::vector<std::pair<formulas::id, bool>> pending{{goal, false}};
    while (!pending.empty()) {
      const auto [at, ready] = pending.back();
      pending.pop_back();
      if (made[at] >= 0) continue;
      const formulas::kind k = f.kindof(at);
      if (!ready && k != formulas::kind::row && k != formulas::kind::constant) {
        pending.push_back({at, true});
        for (const formulas::id* p = f.partsbegin(at); p != f.partsend(at); ++p) {
          if (made[*p] < 0) pending.push_back({*p, false});
        }
        continue;
      }
      z3::expr e = c.bool_val(at == f.truth());
      if (k == formulas::kind::row) {
        e = c.bool_const(("r" + std::to_string(f.rowof(at))).c_str());
        rows.push_back(e);
        numbers.push_back(f.rowof(at));
      } else if (k != formulas::kind::constant) {
        z3::expr_vector parts(c);
        for (const formulas::id* p = f.partsbegin(at); p != f.partsend(at); ++p) {
          parts.push_back(exprs[static_cast<unsigned>(made[*p])]);
        }
        e = k == formulas::kind::all   ? z3::mk_and(parts)
            : k == formulas::kind::any ? z3::mk_or(parts)
                                       : !parts[0];
      }
      made[at] = static_cast<int64_t>(exprs.size());
      exprs.push_back(e);
    }
    z3::optimize o(c);
    z3::params p(c);
    p.set("timeout", static_cast<unsigned>(seconds * 1000));
    o.set(p);
    o.add(exprs[static_cast<unsigned>(made[goal])]);
    if (rows.size() >= below) o.add(z3::atmost(rows, static_cast<unsigned>(below - 1)));
    for (unsigned i = 0; i < rows.size(); ++i) o.add_soft(!rows[i], 1);
    const z3::check_result answer = o.check();
    if (answer == z3::unsat) {
      proven = true;
      return std::nullopt;
    }
    if (answer != z3::sat) return std::nullopt;
    const z3::model m = o.get_model();
    fewest found;
    for (unsigned i = 0; i < rows.size(); ++i) {
      if (m.eval(rows[i], true).is_true()) found.rows.push_back(numbers[i]);
    }
    // Optimal when the optimiser finished: a sat answer within the time is its optimum.
    found.proven = true;
    return found;
  } catch (const z3::exception&) {
    return std::nullopt;
  }
}

#else

bool solveravailable() { return false; }

std::optional<fewest> fewerrows(const formulas&, formulas::id, size_t, double, bool& proven) {
  proven = false;
  return std::nullopt;
}

#endif

}  // namespace relalg
