// Joins that match once: a projection that keeps only the columns of a join's first operands
// asks of the later ones only whether a match exists, as "some other row" queries do.
#include <algorithm>

#include "plan/rewrite.h"

namespace relalg {

void planmatchonce(plan& p) {
  std::vector<int32_t> readers(p.steps.size(), 0);
  for (const step& s : p.steps) {
    for (const int32_t operand : s.operands) ++readers[static_cast<size_t>(operand)];
  }
  for (const step& s : p.steps) {
    if (s.kind != stepkind::project || s.columns.empty()) continue;
    // A renaming keeps its operand's columns where they stand.
    int32_t at = s.operands[0];
    while (p.steps[static_cast<size_t>(at)].kind == stepkind::rename &&
           readers[static_cast<size_t>(at)] == 1) {
      at = p.steps[static_cast<size_t>(at)].operands[0];
    }
    step& join = p.steps[static_cast<size_t>(at)];
    // A join read by another step too must give every combination to it.
    if (join.kind != stepkind::join || readers[static_cast<size_t>(at)] != 1) continue;
    // The operands that hold the columns kept: all up to the last of them.
    int32_t lastcolumn = -1;
    for (const int32_t k : s.columns) lastcolumn = std::max(lastcolumn, k);
    int32_t read = 0;
    for (int32_t columns = 0; columns <= lastcolumn; ++read) {
      columns += static_cast<int32_t>(
          p.steps[static_cast<size_t>(join.operands[static_cast<size_t>(read)])]
              .output.columns.size());
    }
    if (read < static_cast<int32_t>(join.operands.size())) join.join.operandsread = read;
  }
}

}  // namespace relalg
