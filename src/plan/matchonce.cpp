// Steps that match once: a projection that keeps only the columns of a join's first operands
// asks of the later ones only whether a match exists, as "some other row" queries do; one that
// keeps only the first part's columns of a difference of a product asks only whether some
// pair is unmatched, as division does.
#include <algorithm>

#include "plan/rewrite.h"

namespace relalg {

namespace {

// How many of a step's operands hold its columns up to the last of those given: a join's
// columns are its operands', in order.
int32_t operandsholding(const plan& p, const step& s, const std::vector<int32_t>& columns) {
  int32_t lastcolumn = -1;
  for (const int32_t k : columns) lastcolumn = std::max(lastcolumn, k);
  int32_t read = 0;
  for (int32_t held = 0; held <= lastcolumn; ++read) {
    held += static_cast<int32_t>(
        p.steps[static_cast<size_t>(s.operands[static_cast<size_t>(read)])].output.columns.size());
  }
  return read;
}

}  // namespace

void planmatchonce(plan& p, std::vector<bool>& removed) {
  std::vector<int32_t> readers(p.steps.size(), 0);
  for (size_t i = 0; i < p.steps.size(); ++i) {
    if (removed[i]) continue;
    for (const int32_t operand : p.steps[i].operands) ++readers[static_cast<size_t>(operand)];
  }
  const auto readonce = [&](int32_t at) { return readers[static_cast<size_t>(at)] == 1; };
  for (size_t i = 0; i < p.steps.size(); ++i) {
    const step& s = p.steps[i];
    if (removed[i] || s.kind != stepkind::project || s.columns.empty()) continue;
    // A renaming keeps its operand's columns where they stand.
    int32_t at = s.operands[0];
    while (p.steps[static_cast<size_t>(at)].kind == stepkind::rename && readonce(at)) {
      at = p.steps[static_cast<size_t>(at)].operands[0];
    }
    step& read = p.steps[static_cast<size_t>(at)];
    // A step read by another too must give all its rows to it.
    if (!readonce(at)) continue;
    if (read.kind == stepkind::join) {
      const int32_t operands = operandsholding(p, read, s.columns);
      if (operands < static_cast<int32_t>(read.operands.size())) read.join.operandsread = operands;
    }
    if (read.kind == stepkind::minus) {
      const int32_t first = read.operands[0];
      const step& product = p.steps[static_cast<size_t>(first)];
      if (product.kind != stepkind::product || !readonce(first) ||
          operandsholding(p, product, s.columns) != 1) {
        continue;
      }
      read.operands = {product.operands[0], product.operands[1], read.operands[1]};
      read.ofproduct = true;
      removed[static_cast<size_t>(first)] = true;
    }
  }
}

}  // namespace relalg
