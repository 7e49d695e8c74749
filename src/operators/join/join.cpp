// Join: the combinations of the operands' rows that pass a selection over their product,
// found operand by operand without building the product.
#include <algorithm>
#include <optional>

#include "model/rowlimit.h"
#include "operators/condition/condition.h"
#include "operators/join/keyindex.h"
#include "operators/join/ordering.h"
#include "operators/operators.h"

namespace relalg {

namespace {

// How many rows of the first operand ahead its keys are fetched.
constexpr size_t fetchdistance = 8;

// One operand as the walk meets it.
struct level {
  // The operand's sorted distinct rows that pass its own conjuncts.
  std::vector<int32_t> rows;
  // Equalities with earlier operands, met through an index of those rows.
  std::optional<keyindex> index;
  // Conjuncts read last at this operand, asked for all its candidates at once.
  std::vector<condition> checks;
  // The candidates that passed the checks, for the rows bound at the operands before.
  std::vector<int32_t> passed;
  // The candidates not yet checked, and how many the next batch checks.
  const int32_t* unchecked = nullptr;
  const int32_t* uncheckedend = nullptr;
  size_t batch = 0;
  // The check the rows stand ordered by (see orderbycomparison), or -1.
  int32_t ordered = -1;
};

// Candidates checked at once in the first batch at an operand that needs one match only.
constexpr size_t firstbatch = 64;

// Keeps the rows for which z holds, the rows of the other slots fixed.
void keepwhere(const condition& z, int32_t slot, const int32_t* fixed, std::vector<int32_t>& rows) {
  const std::vector<uint8_t> holds = z.evaluate({slot, rows.data(), 0, rows.size(), fixed});
  size_t kept = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (holds[i]) rows[kept++] = rows[i];
  }
  rows.resize(kept);
}

}  // namespace

table join(const querytree& tree, const plan& p, const step& s, const std::vector<table>& parts,
           lineage* made) {
  const joinparts& j = s.join;
  const size_t k = parts.size();
  std::vector<std::vector<int32_t>> found(k);
  // Every operand's columns, in order, each in the slot of its operand.
  std::vector<boundcolumn> columns;
  for (size_t slot = 0; slot < k; ++slot) {
    for (const column& c : parts[slot].columns()) {
      columns.push_back({static_cast<int32_t>(slot), &c});
    }
  }
  const auto conditionat = [&](int32_t root) { return condition(tree, root, p.bindings, columns); };
  // A conjunct that reads no column gives the same answer for every combination: asked once.
  for (const int32_t c : j.constants) {
    if (!conditionat(c).evaluate({0, nullptr, 0, 1, nullptr}).front()) {
      if (made) tracecombined(parts, found, *made);
      return table::combined(parts, found);
    }
  }
  const bool matchonce = j.operandsread > 0 && !made;
  std::vector<level> levels(k);
  std::vector<std::vector<keypart>> keys(k);
  for (const joinkey& key : j.keys) {
    const boundcolumn& probe = columns[static_cast<size_t>(key.probe)];
    const boundcolumn& build = columns[static_cast<size_t>(key.build)];
    keys[static_cast<size_t>(build.slot)].push_back({probe.slot, probe.c, build.c, key.isint});
  }
  for (size_t slot = 0; slot < k; ++slot) {
    level& at = levels[slot];
    at.rows = parts[slot].distinctrows();
    for (const int32_t f : j.filters[slot]) {
      keepwhere(conditionat(f), static_cast<int32_t>(slot), nullptr, at.rows);
    }
    if (at.rows.empty()) {
      if (made) tracecombined(parts, found, *made);
      return table::combined(parts, found);
    }
    // An operand that needs one match and no key is walked in the order of a comparison with
    // an earlier operand, those that pass it first.
    if (matchonce && slot >= static_cast<size_t>(j.operandsread) && keys[slot].empty()) {
      at.ordered =
          orderbycomparison(tree, p, j.checks[slot], columns, static_cast<int32_t>(slot), at.rows);
    }
    if (!keys[slot].empty()) at.index.emplace(at.rows, std::move(keys[slot]));
    for (const int32_t c : j.checks[slot]) at.checks.push_back(conditionat(c));
  }
  // An odometer over the operands: next[l] is the next candidate of operand l, given the rows
  // bound at the operands before it.
  std::vector<int32_t> bound(k);
  std::vector<const int32_t*> next(k);
  std::vector<const int32_t*> end(k);
  // Checks the next batch of an operand's candidates, those that pass its next ones: false
  // when none is left to check.
  const auto checknext = [&](size_t l) {
    level& at = levels[l];
    if (at.unchecked == at.uncheckedend) return false;
    const size_t left = static_cast<size_t>(at.uncheckedend - at.unchecked);
    const size_t taken = std::min(left, at.batch);
    at.passed.assign(at.unchecked, at.unchecked + taken);
    at.unchecked += taken;
    at.batch *= 2;
    if (at.ordered >= 0) {
      // Fast path: past the first candidate that fails the check they stand ordered by, every
      // one fails it, so none is checked. The plain path checks them all and keeps none of them.
      const std::vector<uint8_t> holds = at.checks[static_cast<size_t>(at.ordered)].evaluate(
          {static_cast<int32_t>(l), at.passed.data(), 0, at.passed.size(), bound.data()});
      const auto fails = std::find(holds.begin(), holds.end(), uint8_t{0});
      if (fails != holds.end()) {
        at.passed.resize(static_cast<size_t>(fails - holds.begin()));
        at.unchecked = at.uncheckedend;
      }
    }
    for (const condition& c : at.checks) {
      keepwhere(c, static_cast<int32_t>(l), bound.data(), at.passed);
    }
    next[l] = at.passed.data();
    end[l] = at.passed.data() + at.passed.size();
    return true;
  };
  const auto open = [&](size_t l) {
    level& at = levels[l];
    keyindex::match m{at.rows.data(), at.rows.data() + at.rows.size()};
    if (at.index) m = at.index->find(bound.data());
    next[l] = m.first;
    end[l] = m.last;
    at.unchecked = at.uncheckedend = nullptr;
    if (at.checks.empty() || m.first == m.last) return;
    at.unchecked = m.first;
    at.uncheckedend = m.last;
    // Fast path: an operand past those read needs one match, most often among its first
    // candidates: they are checked in batches of growing size. The plain path checks all at
    // once; both give the candidates that pass, in order.
    const bool once = matchonce && l >= static_cast<size_t>(j.operandsread);
    at.batch = once ? firstbatch : static_cast<size_t>(m.last - m.first);
    checknext(l);
  };
  // The first operand's rows are walked in order (it has no keys and no checks): the keys the
  // second probes with are fetched ahead, since they lie at random in their columns, and so do
  // the index slots they reach.
  const keyindex* second =
      k > 1 && levels[1].index && levels[1].index->probesfirst() ? &*levels[1].index : nullptr;
  const std::vector<int32_t>& firstrows = levels[0].rows;
  int32_t count = 0;
  size_t l = 0;
  open(0);
  while (true) {
    if (next[l] == end[l]) {
      if (checknext(l)) continue;
      if (l == 0) break;
      --l;
      continue;
    }
    const int32_t* const candidate = next[l]++;
    if (l == 0 && second) {
      const auto i = static_cast<size_t>(candidate - firstrows.data());
      if (i + 2 * fetchdistance < firstrows.size())
        second->fetchahead(firstrows[i + 2 * fetchdistance]);
      if (i + fetchdistance < firstrows.size()) second->fetchnext(firstrows[i + fetchdistance]);
    }
    bound[l] = *candidate;
    if (l + 1 < k) {
      open(++l);
      continue;
    }
    count = checkedrowcount(uint64_t{1} + static_cast<uint64_t>(count));
    for (size_t i = 0; i < k; ++i) found[i].push_back(bound[i]);
    // Fast path: a reader that reads only the first operands needs one match of the others,
    // so the walk goes on at the last operand read. The projection above makes the same rows
    // of the first combination as of all (the plain path, taken when lineage is asked).
    if (matchonce) l = static_cast<size_t>(j.operandsread) - 1;
  }
  if (made) tracecombined(parts, found, *made);
  return table::combined(parts, std::move(found));
}

}  // namespace relalg
