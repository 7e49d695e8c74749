// Making formulas once each, folding constants, and deciding them all for one choice of rows.
#include "check/formula.h"

#include <algorithm>
#include <functional>

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
  size_t at;
  if (made.find(
          key,
          [&](size_t f) {
            return kinds[f] == k && count[f] == of.size() &&
                   std::equal(of.begin(), of.end(), parts.begin() + first[f]);
          },
          at)) {
    return static_cast<id>(made.row(at));
  }
  const auto f = static_cast<id>(kinds.size());
  kinds.push_back(k);
  first.push_back(static_cast<uint32_t>(parts.size()));
  count.push_back(static_cast<uint32_t>(of.size()));
  parts.insert(parts.end(), of.begin(), of.end());
  made.add(at, key, f);
  return f;
}

void formulas::prepare() const {
  if (none.size() == kinds.size()) return;
  none = holds({});
  changed.assign(kinds.size(), -1);
  queued.assign(kinds.size(), 0);
  usersstart.assign(kinds.size() + 1, 0);
  for (const id part : parts) ++usersstart[part + 1];
  for (size_t f = 1; f < usersstart.size(); ++f) usersstart[f] += usersstart[f - 1];
  users.resize(parts.size());
  std::vector<uint32_t> next(usersstart.begin(), usersstart.end() - 1);
  for (id f = 0; f < kinds.size(); ++f) {
    for (uint32_t k = 0; k < count[f]; ++k) users[next[parts[first[f] + k]]++] = f;
  }
}

bool formulas::decide(id f) const {
  // A part's truth: as changed, where it did, else as with no row kept.
  const auto truth = [&](id part) {
    return changed[part] >= 0 ? changed[part] != 0 : none[part] != 0;
  };
  const id* p = partsbegin(f);
  const id* const end = partsend(f);
  switch (kinds[f]) {
    case kind::all:
      return std::all_of(p, end, truth);
    case kind::any:
      return std::any_of(p, end, truth);
    case kind::negation:
      return !truth(*p);
    default:
      return none[f] != 0;
  }
}

bool formulas::holdswith(id f, const std::vector<uint32_t>& kept) const {
  prepare();
  // The truths that differ from those with no row kept, -1 where none does; the formulas to
  // decide again, the smallest first, since parts are made before what they are part of.
  std::vector<id> pending;
  std::vector<id> touched;  // to put the scratch back
  const auto touch = [&](id user) {
    if (queued[user]) return;
    queued[user] = 1;
    touched.push_back(user);
    pending.push_back(user);
    std::push_heap(pending.begin(), pending.end(), std::greater<id>());
  };
  for (const uint32_t row : kept) {
    const auto found = rows.find(row);
    if (found == rows.end()) continue;
    changed[found->second] = 1;
    touched.push_back(found->second);
    for (uint32_t u = usersstart[found->second]; u < usersstart[found->second + 1]; ++u) {
      touch(users[u]);
    }
  }
  while (!pending.empty()) {
    std::pop_heap(pending.begin(), pending.end(), std::greater<id>());
    const id next = pending.back();
    pending.pop_back();
    const bool truth = decide(next);
    if (truth == (none[next] != 0)) continue;
    changed[next] = truth;
    for (uint32_t u = usersstart[next]; u < usersstart[next + 1]; ++u) touch(users[u]);
  }
  const bool answer = changed[f] >= 0 ? changed[f] != 0 : none[f] != 0;
  for (const id t : touched) {
    changed[t] = -1;
    queued[t] = 0;
  }
  return answer;
}

std::vector<uint8_t> formulas::holds(const std::vector<uint8_t>& kept) const {
  std::vector<uint8_t> truths(kinds.size());
  truths[1] = 1;
  for (size_t f = 2; f < kinds.size(); ++f) {
    const id* p = partsbegin(f);
    const id* const end = partsend(f);
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
