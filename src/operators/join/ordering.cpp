// Ordering a join operand's candidates by the column a comparison with an earlier operand
// reads.
#include "operators/join/ordering.h"

#include <algorithm>
#include <string>

#include "model/textint.h"
#include "operators/condition/comparison.h"

namespace relalg {

int32_t orderbycomparison(const querytree& tree, const plan& p, const std::vector<int32_t>& checks,
                          const std::vector<boundcolumn>& columns, int32_t slot,
                          std::vector<int32_t>& rows) {
  for (size_t i = 0; i < checks.size(); ++i) {
    const int32_t root = checks[i];
    conditionkind k = tree.conditions[static_cast<size_t>(root)].k;
    if (k != conditionkind::lt && k != conditionkind::lte && k != conditionkind::gt &&
        k != conditionkind::gte) {
      continue;
    }
    const binding& b = p.bindings[static_cast<size_t>(root)];
    if (b.left < 0 || b.right < 0) continue;
    const boundcolumn& left = columns[static_cast<size_t>(b.left)];
    const boundcolumn& right = columns[static_cast<size_t>(b.right)];
    const bool ownleft = left.slot == slot && right.slot < slot;
    if (!ownleft && !(right.slot == slot && left.slot < slot)) continue;
    // Read as "own value OP bound value": its smallest values pass LT and LTE first.
    if (!ownleft) {
      k = k == conditionkind::lt    ? conditionkind::gt
          : k == conditionkind::lte ? conditionkind::gte
          : k == conditionkind::gt  ? conditionkind::lt
                                    : conditionkind::lte;
    }
    const bool ascending = k == conditionkind::lt || k == conditionkind::lte;
    const column& c = ownleft ? *left.c : *right.c;
    // The values as the comparison reads them: atoi readings of the quote-stripped texts when
    // it compares integers (an integer column's values as they are), else those texts.
    if (b.isint) {
      const auto reading = [&](int32_t row) {
        if (c.type().holdsintegers()) return c.integers()[static_cast<size_t>(row)];
        return texttoint(stripquotes(c.texts()[static_cast<size_t>(row)].view()));
      };
      std::stable_sort(rows.begin(), rows.end(), [&](int32_t x, int32_t y) {
        return ascending ? reading(x) < reading(y) : reading(y) < reading(x);
      });
    } else {
      std::vector<std::pair<std::string, int32_t>> texts;
      texts.reserve(rows.size());
      for (const int32_t row : rows) {
        intbuffer buffer;
        texts.emplace_back(std::string(stripquotes(c.valueview(row, buffer))), row);
      }
      std::stable_sort(texts.begin(), texts.end(), [&](const auto& x, const auto& y) {
        const int order = comparevalues(x.first, y.first, false);
        return ascending ? order < 0 : order > 0;
      });
      for (size_t at = 0; at < rows.size(); ++at) rows[at] = texts[at].second;
    }
    return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace relalg
