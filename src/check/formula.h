// Boolean formulas over a database's rows, shared as a graph: when a row of a query's value is
// made, in terms of which rows of the database are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/hashslots.h"

namespace relalg {

class formulas {
 public:
  using id = uint32_t;
  enum class kind : uint8_t { constant, row, all, any, negation };

  formulas();

  id falsity() const { return 0; }
  id truth() const { return 1; }
  // That a row of the database (numbered over all its tables) is kept.
  id row(uint32_t number);
  // That every one, or some one, of the formulas holds; that one does not.
  id all(std::vector<id> parts);
  id any(std::vector<id> parts);
  id negation(id f);

  size_t size() const { return kinds.size(); }
  kind kindof(id f) const { return kinds[f]; }
  uint32_t rowof(id f) const { return first[f]; }
  // The parts of an all, an any or a negation.
  // A row's formula has no parts: its first is a row's number, not a place in parts.
  const id* partsbegin(id f) const { return parts.data() + (count[f] == 0 ? 0 : first[f]); }
  const id* partsend(id f) const { return partsbegin(f) + count[f]; }

  // Every formula's truth when the rows kept are those for which kept[number] is set: the
  // formulas are made parts first, so one pass in order decides them all.
  std::vector<uint8_t> holds(const std::vector<uint8_t>& kept) const;

  // Whether a formula holds when only the given rows are kept, deciding again only what those
  // rows are part of: each formula's truth with no row kept is known, and only a formula that
  // reads a kept row, or one whose truth changes, can change. For many such questions about
  // few rows each; the formulas must all be made before the first.
  bool holdswith(id f, const std::vector<uint32_t>& kept) const;

 private:
  std::vector<kind> kinds;
  std::vector<uint32_t> first;  // a row's number, or where the parts begin
  std::vector<uint32_t> count;  // how many parts
  std::vector<id> parts;
  // Each formula made once: the same rows or parts give the same formula.
  std::unordered_map<uint32_t, id> rows;
  hashslots made;  // every all, any and negation, by a hash of kind and parts

  id compose(kind k, std::vector<id> of);

  // Made for holdswith once all formulas are: each formula's truth with no row kept, and the
  // formulas each is a part of.
  mutable std::vector<uint8_t> none;
  mutable std::vector<uint32_t> usersstart;
  mutable std::vector<id> users;
  // holdswith's scratch, as large as the formulas, put back as it was after each question.
  mutable std::vector<int8_t> changed;
  mutable std::vector<uint8_t> queued;
  void prepare() const;
  bool decide(id f) const;
};

}  // namespace relalg
