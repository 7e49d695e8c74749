// Making formulas once each, folding constants, and deciding them all for one choice of rows.
#include "check/formula.h"

#include <algorithm>

#include "model/rowhash.h"

namespace relalg {

formulas::formulas() {
  // The two constants: false, then true.
  kinds = {kind::constant, kind::constant};
  first = {0, 1};
  count = {0, 0};
}

formulas::id formulas::row(uint32_t number) {
  const auto found = rows.find(number);
  if (found != rows.end()) return found->second;
  const auto f = static_cast<id>(kinds.size());
  kinds.push_back(kind::row);
  first.push_back(number);
  count.push_back(0);
  rows.emplace(number, f);
  return f;
}

formulas::id formulas::all(std::vector<id> of) {
  // True parts change nothing; a false one decides.
  of.erase(std::remove(of.begin(), of.end(), truth()), of.end());
  if (std::find(of.begin(), of.end(), falsity()) != of.end()) return falsity();
  std::sort(of.begin(), of.end());
  of.erase(std::unique(of.begin(), of.end()), of.end());
  if (of.empty()) return truth();
  if (of.size() == 1) return of.front();
  return compose(kind::all, std::move(of));
}

formulas::id formulas::any(std::vector<id> of) {
  of.erase(std::remove(of.begin(), of.end(), falsity()), of.end());
  if (std::find(of.begin(), of.end(), truth()) != of.end()) return truth();
  std::sort(of.begin(), of.end());
  of.erase(std::unique(of.begin(), of.end()), of.end());
  if (of.empty()) return falsity();
  if (of.size() == 1) return of.front();
  return compose(kind::any, std::move(of));
}

formulas::id formulas::negation(id f) {
  if (f == falsity()) return truth();
  if (f == truth()) return falsity();
  if (kinds[f] == kind::negation) return parts[first[f]];
  return compose(kind::negation, {f});
}

formulas::id formulas::compose(kind k, std::vector<id> of) {
  rowhasher h;
  h.addinteger(static_cast<int32_t>(k));
  for (const id part : of) h.addinteger(static_cast<int32_t>(part));
  const uint64_t key = h.hash();
  // The formulas of this hash: one of the same kind and parts is this one.
  std::vector<id>& same = made[key];
  for (const id f : same) {
    if (kinds[f] == k && count[f] == of.size() &&
        std::equal(of.begin(), of.end(), parts.begin() + first[f])) {
      return f;
    }
  }
  const auto f = static_cast<id>(kinds.size());
  kinds.push_back(k);
  first.push_back(static_cast<uint32_t>(parts.size()));
  count.push_back(static_cast<uint32_t>(of.size()));
  parts.insert(parts.end(), of.begin(), of.end());
  same.push_back(f);
  return f;
}

std::vector<uint8_t> formulas::holds(const std::vector<uint8_t>& kept) const {
  std::vector<uint8_t> truths(kinds.size());
  truths[1] = 1;
  for (size_t f = 2; f < kinds.size(); ++f) {
    const id* p = parts.data() + first[f];
    const id* const end = p + count[f];
    switch (kinds[f]) {
      case kind::constant:
        break;
      case kind::row:
        truths[f] = first[f] < kept.size() && kept[first[f]];
        break;
      case kind::all:
        truths[f] = std::all_of(p, end, [&](id part) { return truths[part] != 0; });
        break;
      case kind::any:
        truths[f] = std::any_of(p, end, [&](id part) { return truths[part] != 0; });
        break;
      case kind::negation:
        truths[f] = !truths[*p];
        break;
    }
  }
  return truths;
}

}  // namespace relalg
