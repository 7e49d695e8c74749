// The integer column: values read, printed and compared as signed 32-bit numbers.
#include "model/intcolumn.h"

#include <cassert>
#include <typeinfo>
#include <utility>

namespace relalg {

std::string intcolumn::printvalue(int32_t row) const { return value(row); }

std::string intcolumn::value(int32_t row) const {
  intbuffer buffer;
  return std::string(valueview(row, buffer));
}

void intcolumn::addvalue(std::string_view text) { values.edit().push_back(texttoint(text)); }

readflags intcolumn::readvalue(source& ip) {
  // An empty field (its separator comes first) reads as 0 and leaves the separator.
  const std::string_view field = ip.takeuntil(',', '\n');
  // Most fields are an optional "-" and up to nine digits: read them on the spot, and the
  // rest as atoi would.
  const bool negative = !field.empty() && field.front() == '-';
  const std::string_view digits = field.substr(negative ? 1 : 0);
  uint32_t number = 0;
  bool plain = !digits.empty() && digits.size() < 10;  // nine digits cannot overflow
  for (size_t i = 0; i < digits.size() && plain; ++i) {
    const auto digit = static_cast<uint32_t>(digits[i] - '0');
    plain = digit < 10;
    number = number * 10 + digit;
  }
  if (!plain) return readother(field);
  values.edit().push_back(negative ? -static_cast<int32_t>(number) : static_cast<int32_t>(number));
  // Printed back without leading zeros, "+" or "-0".
  const bool asprinted = digits.front() != '0' || (digits.size() == 1 && !negative);
  return asprinted ? 0 : readflag::reformatted;
}

readflags intcolumn::readother(std::string_view field) {
  const intreading r = readint(field);
  values.edit().push_back(r.number);
  if (field.empty()) return readflag::empty;
  if (!r.digits) return readflag::nodigits;
  // Ten digits within the range print back as they stand.
  intbuffer buffer;
  if (!r.saturated && !r.trailing && inttotext(r.number, buffer) == field) return 0;
  readflags flags = readflag::reformatted;
  if (r.saturated) flags |= readflag::saturated;
  if (r.trailing) flags |= readflag::trailing;
  return flags;
}

std::shared_ptr<column> intcolumn::clone() const { return std::make_shared<intcolumn>(*this); }

void intcolumn::eraserow(int32_t row) {
  auto& v = values.edit();
  v.erase(v.begin() + row);
}

void intcolumn::appendall(const column& other) {
  assert(typeid(other) == typeid(intcolumn));
  const auto& from = static_cast<const intcolumn&>(other).values.get();
  auto& v = values.edit();
  v.insert(v.end(), from.begin(), from.end());
}

void intcolumn::pickrows(const column& first, const column& second,
                         const std::vector<int32_t>& picks) {
  assert(typeid(first) == typeid(intcolumn) && typeid(second) == typeid(intcolumn));
  values.pick(static_cast<const intcolumn&>(first).values.get(),
              static_cast<const intcolumn&>(second).values.get(), picks);
}

void intcolumn::swaprows(int32_t row1, int32_t row2) {
  auto& v = values.edit();
  std::swap(v[static_cast<size_t>(row1)], v[static_cast<size_t>(row2)]);
}

std::string_view intcolumn::valueview(int32_t row, intbuffer& buffer) const {
  return inttotext(at(row), buffer);
}

std::vector<uint32_t> intcolumn::sortkeys(const std::vector<int32_t>& rows) const {
  std::vector<uint32_t> keys;
  keys.reserve(rows.size());
  // Flipping the sign bit maps signed order onto unsigned order.
  for (const int32_t row : rows) keys.push_back(static_cast<uint32_t>(at(row)) ^ 0x80000000u);
  return keys;
}

}  // namespace relalg
