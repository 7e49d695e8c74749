// The text column: values read between single quotes, printed quoted, compared by bytes.
#include "model/charcolumn.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <typeinfo>
#include <utility>

#include "model/texthash.h"

namespace relalg {

namespace {

// Own blocks start small, for the many small tables an evaluation builds, and grow.
constexpr size_t firstblock = 256;
constexpr size_t largestblock = size_t{1} << 20;
// How many rows ahead a text is fetched when rows are visited out of order.
constexpr size_t lookahead = 8;

}  // namespace

std::string charcolumn::typetext() const {
  std::string text = "char(";
  appendint(text, charwidth);
  return text + ")";
}

std::string charcolumn::printvalue(int32_t row) const {
  std::string out = "'";
  out += at(row);
  return out + "'";
}

readflags charcolumn::readvalue(source& ip) {
  const int first = ip.peek();
  // An empty field (its separator comes first) is the empty text and leaves the separator.
  if (first == ',' || first == '\n' || first == source::end) {
    addvalue({});
    return readflag::empty;
  }
  ip.skip();  // the opening quote, dropped whatever it is
  const std::string_view item = ip.takeuntil('\'', '\n');
  const bool closed = ip.peek() == '\'';
  if (closed) ip.skip();  // the closing quote; a line feed stays and ends the row
  if (item.size() < textref::longtext) {
    keep(ip.bytes());
    values.edit().push_back(textref::shorttext(item.data(), item.size()));
  } else {
    values.edit().push_back(store(item));
  }
  return static_cast<readflags>((first == '\'' ? 0 : readflag::unquoted) |
                                (closed ? 0 : readflag::unclosed));
}

std::shared_ptr<column> charcolumn::clone() const { return std::make_shared<charcolumn>(*this); }

void charcolumn::eraserow(int32_t row) {
  auto& v = values.edit();
  v.erase(v.begin() + row);
}

void charcolumn::swaprows(int32_t row1, int32_t row2) {
  auto& v = values.edit();
  std::swap(v[static_cast<size_t>(row1)], v[static_cast<size_t>(row2)]);
}

namespace {

// The distinct texts of a column, each numbered as first met, in an open-addressing table.
class textnumbers {
 public:
  std::vector<std::string_view> distinct;

  uint32_t number(std::string_view text) {
    if (2 * (distinct.size() + 1) > slots.size()) grow();
    size_t at = hashtext(text) & (slots.size() - 1);
    while (slots[at] != empty) {
      if (sametext(distinct[slots[at]], text)) return slots[at];
      at = (at + 1) & (slots.size() - 1);
    }
    slots[at] = static_cast<uint32_t>(distinct.size());
    distinct.push_back(text);
    return slots[at];
  }

 private:
  static constexpr uint32_t empty = UINT32_MAX;
  std::vector<uint32_t> slots;

  void grow() {
    slots.assign(std::max<size_t>(64, slots.size() * 2), empty);
    for (uint32_t n = 0; n < distinct.size(); ++n) {
      size_t at = hashtext(distinct[n]) & (slots.size() - 1);
      while (slots[at] != empty) at = (at + 1) & (slots.size() - 1);
      slots[at] = n;
    }
  }
};

}  // namespace

std::vector<uint32_t> charcolumn::sortkeys(const std::vector<int32_t>& rows) const {
  // Each distinct text once, numbered as first met; then the distinct texts are sorted and
  // every row gets its text's rank. Columns repeat their values a lot, so few texts sort.
  textnumbers numbered;
  std::vector<uint32_t> keys;
  keys.reserve(rows.size());
  const auto& texts = values.get();
  for (size_t i = 0; i < rows.size(); ++i) {
    // Rows given out of order reach their texts at random: each view is fetched well ahead,
    // and its bytes once the view is there.
    if (i + 2 * lookahead < rows.size())
      __builtin_prefetch(&texts[static_cast<size_t>(rows[i + 2 * lookahead])]);
    if (i + lookahead < rows.size())
      __builtin_prefetch(texts[static_cast<size_t>(rows[i + lookahead])].view().data());
    keys.push_back(numbered.number(texts[static_cast<size_t>(rows[i])].view()));
  }
  const std::vector<std::string_view>& distinct = numbered.distinct;
  std::vector<uint32_t> order(distinct.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(),
            [&](uint32_t a, uint32_t b) { return distinct[a] < distinct[b]; });
  std::vector<uint32_t> rank(distinct.size());
  for (uint32_t i = 0; i < order.size(); ++i) rank[order[i]] = i;
  for (uint32_t& key : keys) key = rank[key];
  return keys;
}

void charcolumn::appendall(const column& other) {
  assert(typeid(other) == typeid(charcolumn));
  const auto& from = static_cast<const charcolumn&>(other);
  for (const auto& block : from.blocks) keep(block);
  auto& v = values.edit();
  v.insert(v.end(), from.values.get().begin(), from.values.get().end());
}

void charcolumn::pickrows(const column& first, const column& second,
                          const std::vector<int32_t>& picks) {
  assert(typeid(first) == typeid(charcolumn) && typeid(second) == typeid(charcolumn));
  const auto& a = static_cast<const charcolumn&>(first);
  const auto& b = static_cast<const charcolumn&>(second);
  for (const auto& block : a.blocks) keep(block);
  for (const auto& block : b.blocks) keep(block);
  values.pick(a.values.get(), b.values.get(), picks);
}

void charcolumn::keep(const std::shared_ptr<const std::string>& block) {
  // A column refers to few blocks, and most often to the last one it took.
  if (!blocks.empty() && blocks.back() == block) return;
  if (std::find(blocks.begin(), blocks.end(), block) == blocks.end()) blocks.push_back(block);
}

textref charcolumn::store(std::string_view text) {
  if (text.empty()) return textref();
  if (text.size() >= textref::longtext) {
    // A block of its own: the text's length, then its bytes.
    auto record = std::make_shared<std::string>(sizeof(uint64_t) + text.size(), '\0');
    const uint64_t length = text.size();
    std::memcpy(record->data(), &length, sizeof length);
    std::memcpy(record->data() + sizeof length, text.data(), text.size());
    blocks.push_back(record);
    return textref::record(record->data());
  }
  if (!current || current->capacity() - current->size() < text.size()) {
    const size_t grown = current ? std::min(current->capacity() * 2, largestblock) : firstblock;
    current = std::make_shared<std::string>();
    current->reserve(std::max(grown, text.size()));
    blocks.push_back(current);
  }
  const size_t at = current->size();
  current->append(text);
  return textref::shorttext(current->data() + at, text.size());
}

}  // namespace relalg
