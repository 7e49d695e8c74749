// Columns: values added, gathered, merged, converted and ranked, integers and texts alike.
#include "model/column.h"

#include <algorithm>
#include <cassert>
#include <numeric>

#include "model/hashslots.h"
#include "model/rowhash.h"

namespace relalg {

namespace {

// How many rows ahead a text is fetched when rows are visited out of order.
constexpr size_t lookahead = 8;

}  // namespace

std::string columntype::typetext() const {
  if (integers) return "int";
  std::string text = "char(";
  appendint(text, declared);
  return text + ")";
}

int32_t column::size() const {
  return static_cast<int32_t>(kind.holdsintegers() ? numbers.get().size() : words.get().size());
}

std::string_view column::valueview(int32_t row, intbuffer& buffer) const {
  if (kind.holdsintegers()) return inttotext(integers()[static_cast<size_t>(row)], buffer);
  return texts()[static_cast<size_t>(row)].view();
}

std::string column::printvalue(int32_t row) const {
  intbuffer buffer;
  const std::string_view value = valueview(row, buffer);
  if (kind.holdsintegers()) return std::string(value);
  std::string out = "'";
  out += value;
  return out + "'";
}

void column::addvalue(std::string_view text) {
  if (kind.holdsintegers()) {
    numbers.edit().push_back(texttoint(text));
  } else {
    words.edit().push_back(bytes.store(text));
  }
}

std::vector<textref>& column::textlist(const std::shared_ptr<const std::string>& block) {
  bytes.keep(block);
  return words.edit();
}

void column::reserve(int32_t rows) {
  if (kind.holdsintegers()) {
    numbers.edit().reserve(static_cast<size_t>(rows));
  } else {
    words.edit().reserve(static_cast<size_t>(rows));
  }
}

void column::gather(const std::vector<int32_t>& rows) {
  if (kind.holdsintegers()) {
    numbers.gather(rows);
  } else {
    words.gather(rows);
  }
}

void column::append(const column& other) {
  assert(other.kind.holdsintegers() == kind.holdsintegers());
  if (kind.holdsintegers()) {
    auto& v = numbers.edit();
    v.insert(v.end(), other.integers().begin(), other.integers().end());
    return;
  }
  bytes.keepall(other.bytes);
  auto& v = words.edit();
  v.insert(v.end(), other.texts().begin(), other.texts().end());
}

void column::pick(const column& first, const column& second, const std::vector<int32_t>& picks) {
  assert(first.kind.holdsintegers() == kind.holdsintegers());
  assert(second.kind.holdsintegers() == kind.holdsintegers());
  if (kind.holdsintegers()) {
    numbers.pick(first.integers(), second.integers(), picks);
    return;
  }
  bytes.keepall(first.bytes);
  bytes.keepall(second.bytes);
  words.pick(first.texts(), second.texts(), picks);
}

column column::convertedto(columntype type) const {
  if (type.holdsintegers() == kind.holdsintegers()) {
    column same = *this;
    same.kind = type;
    return same;
  }
  column converted(name, type);
  converted.reserve(size());
  intbuffer buffer;
  for (int32_t row = 0; row < size(); ++row) converted.addvalue(valueview(row, buffer));
  return converted;
}

std::vector<uint32_t> column::sortkeys(const std::vector<int32_t>& rows) const {
  std::vector<uint32_t> keys;
  keys.reserve(rows.size());
  if (kind.holdsintegers()) {
    // Flipping the sign bit maps signed order onto unsigned order.
    for (const int32_t row : rows) {
      keys.push_back(static_cast<uint32_t>(integers()[static_cast<size_t>(row)]) ^ 0x80000000u);
    }
    return keys;
  }
  // Each distinct text is numbered as first met; then the distinct texts are sorted and every
  // row gets its text's rank. Columns repeat their values a lot, so few texts sort.
  std::vector<std::string_view> distinct;
  hashslots numbered;
  const auto& all = texts();
  for (size_t i = 0; i < rows.size(); ++i) {
    // Rows given out of order reach their texts at random: each view is fetched well ahead,
    // and its bytes once the view is there.
    if (i + 2 * lookahead < rows.size())
      __builtin_prefetch(&all[static_cast<size_t>(rows[i + 2 * lookahead])]);
    if (i + lookahead < rows.size())
      __builtin_prefetch(all[static_cast<size_t>(rows[i + lookahead])].view().data());
    const std::string_view text = all[static_cast<size_t>(rows[i])].view();
    const uint64_t hash = hashbytes(text);
    size_t at;
    if (numbered.find(
            hash, [&](size_t n) { return sametext(distinct[n], text); }, at)) {
      keys.push_back(static_cast<uint32_t>(numbered.row(at)));
      continue;
    }
    keys.push_back(static_cast<uint32_t>(distinct.size()));
    numbered.add(at, hash, distinct.size());
    distinct.push_back(text);
  }
  std::vector<uint32_t> order(distinct.size());
  std::iota(order.begin(), order.end(), 0u);
  // Byte order: string_view compares its characters as unsigned char.
  std::sort(order.begin(), order.end(),
            [&](uint32_t a, uint32_t b) { return distinct[a] < distinct[b]; });
  std::vector<uint32_t> rank(distinct.size());
  for (uint32_t i = 0; i < order.size(); ++i) rank[order[i]] = i;
  for (uint32_t& key : keys) key = rank[key];
  return keys;
}

}  // namespace relalg
