// The text column: values read between single quotes, printed quoted, compared by bytes.
#include "model/charcolumn.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace relalg {

std::string charcolumn::typetext() const {
  std::string text = "char(";
  appendint(text, charwidth);
  return text + ")";
}

std::string charcolumn::printvalue(int32_t row) const { return "'" + at(row) + "'"; }

void charcolumn::readvalue(source& ip) {
  const int first = ip.peek();
  // An empty field (its separator comes first) is the empty text and leaves the separator.
  if (first == ',' || first == '\n' || first == source::end) {
    addvalue({});
    return;
  }
  ip.skip();  // the opening quote, dropped whatever it is
  const std::string_view item = ip.takeuntil('\'', '\n');
  if (ip.peek() == '\'') ip.skip();  // the closing quote; a line feed stays and ends the row
  addvalue(item);
}

std::shared_ptr<column> charcolumn::clone() const { return std::make_shared<charcolumn>(*this); }

void charcolumn::eraserow(int32_t row) {
  auto& v = values.edit();
  v.erase(v.begin() + row);
}

int charcolumn::comparerows(int32_t row1, int32_t row2) const {
  // Byte order: std::string compares its characters as unsigned char.
  return at(row1).compare(at(row2));
}

void charcolumn::swaprows(int32_t row1, int32_t row2) {
  auto& v = values.edit();
  std::swap(v[static_cast<size_t>(row1)], v[static_cast<size_t>(row2)]);
}

std::vector<uint32_t> charcolumn::sortkeys() const {
  // Each distinct text once, numbered as first met; then the distinct texts are sorted and
  // every row gets its text's rank. Columns repeat their values a lot, so few texts sort.
  const std::vector<std::string>& texts = values.get();
  std::unordered_map<std::string_view, uint32_t> numbered;
  std::vector<std::string_view> distinct;
  std::vector<uint32_t> keys;
  keys.reserve(texts.size());
  for (const std::string& text : texts) {
    const auto [at, added] = numbered.try_emplace(text, static_cast<uint32_t>(distinct.size()));
    if (added) distinct.push_back(text);
    keys.push_back(at->second);
  }
  std::vector<uint32_t> order(distinct.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return distinct[a] < distinct[b]; });
  std::vector<uint32_t> rank(distinct.size());
  for (uint32_t i = 0; i < order.size(); ++i) rank[order[i]] = i;
  for (uint32_t& key : keys) key = rank[key];
  return keys;
}

void charcolumn::appendprinted(int32_t row, std::string& out) const {
  out += '\'';
  out += at(row);
  out += '\'';
}

}  // namespace relalg
