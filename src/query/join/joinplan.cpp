// Planning a selection over a product by the operands its conjuncts read, and walking the
// combinations that pass.
#include "query/join/joinplan.h"

#include <tuple>

#include "model/rowlimit.h"

namespace relalg {

namespace {

// How many rows of the first operand ahead its keys are fetched.
constexpr size_t fetchdistance = 8;

// Every operand's columns, in order, each in the slot of its operand.
columnlist columnsof(const std::vector<table>& parts) {
  std::vector<boundcolumn> all;
  for (size_t slot = 0; slot < parts.size(); ++slot) {
    for (const auto& c : parts[slot].columns) all.push_back({static_cast<int32_t>(slot), c.get()});
  }
  return columnlist(std::move(all));
}

}  // namespace

joinplan::joinplan(const querytree& tree, const std::vector<int32_t>& roots,
                   const std::vector<table>& parts)
    : levels(parts.size()) {
  const columnlist columns = columnsof(parts);
  for (const int32_t root : roots) {
    for (const int32_t conjunct : conjunctsof(tree, root))
      conjuncts.emplace_back(tree, conjunct, columns);
  }
  std::vector<std::vector<size_t>> filters(parts.size());
  std::vector<std::vector<keypart>> keys(parts.size());
  for (size_t i = 0; i < conjuncts.size(); ++i) {
    const condition& c = conjuncts[i];
    condition::equality e;
    if (c.firstslot() > c.lastslot()) {
      // The same answer for every combination: asked once, with no row bound.
      never = never || !c.evaluatecondition(nullptr);
    } else if (c.firstslot() == c.lastslot()) {
      filters[static_cast<size_t>(c.firstslot())].push_back(i);
    } else if (c.isequality(e)) {
      const bool leftlater = e.left.slot > e.right.slot;
      keys[static_cast<size_t>(c.lastslot())].push_back(
          {leftlater ? e.right : e.left, leftlater ? e.left : e.right, e.isint});
    } else {
      levels[static_cast<size_t>(c.lastslot())].checks.push_back(i);
    }
  }
  if (never) return;
  std::vector<int32_t> bound(parts.size());
  for (size_t slot = 0; slot < parts.size(); ++slot) {
    level& at = levels[slot];
    for (const int32_t row : parts[slot].distinctrows()) {
      bound[slot] = row;
      bool kept = true;
      for (const size_t f : filters[slot])
        kept = kept && conjuncts[f].evaluatecondition(bound.data());
      if (kept) at.rows.push_back(row);
    }
    if (!keys[slot].empty()) at.index.emplace(at.rows, std::move(keys[slot]));
  }
}

bool joinplan::passes(const level& at, const int32_t* bound) const {
  for (const size_t c : at.checks) {
    if (!conjuncts[c].evaluatecondition(bound)) return false;
  }
  return true;
}

std::vector<std::vector<int32_t>> joinplan::matches() const {
  const size_t k = levels.size();
  std::vector<std::vector<int32_t>> found(k);
  if (never) return found;
  for (const level& at : levels) {
    if (at.rows.empty()) return found;
  }
  // An odometer over the operands: next[l] is the next candidate of operand l, given the rows
  // bound at the operands before it.
  std::vector<int32_t> bound(k);
  std::vector<size_t> next(k);
  std::vector<size_t> end(k);
  std::vector<probekey> keys;
  for (const level& at : levels) keys.push_back(at.index ? at.index->newkey() : probekey());
  const auto open = [&](size_t l) {
    const level& at = levels[l];
    if (at.index) {
      std::tie(next[l], end[l]) = at.index->candidates(bound.data(), keys[l]);
    } else {
      next[l] = 0;
      end[l] = at.rows.size();
    }
  };
  // The first operand's rows are walked in order: the keys the second probes with are fetched
  // ahead, since they lie at random in their columns, and so do the index slots they reach.
  const keyindex* second =
      k > 1 && levels[1].index && levels[1].index->probesfirst() ? &*levels[1].index : nullptr;
  const std::vector<int32_t>& firstrows = levels[0].rows;
  int32_t count = 0;
  size_t l = 0;
  open(0);
  while (true) {
    if (next[l] == end[l]) {
      if (l == 0) break;
      --l;
      continue;
    }
    const level& at = levels[l];
    const size_t candidate = next[l]++;
    if (l == 0 && second) {
      if (candidate + 2 * fetchdistance < firstrows.size())
        second->fetchahead(firstrows[candidate + 2 * fetchdistance]);
      if (candidate + fetchdistance < firstrows.size())
        second->fetchnext(firstrows[candidate + fetchdistance]);
    }
    if (at.index) {
      if (!at.index->matches(candidate, keys[l])) continue;
      bound[l] = at.index->row(candidate);
    } else {
      bound[l] = at.rows[candidate];
    }
    if (!passes(at, bound.data())) continue;
    if (l + 1 < k) {
      open(++l);
      continue;
    }
    count = checkedrowcount(uint64_t{1} + static_cast<uint64_t>(count));
    for (size_t i = 0; i < k; ++i) found[i].push_back(bound[i]);
  }
  return found;
}

}  // namespace relalg
