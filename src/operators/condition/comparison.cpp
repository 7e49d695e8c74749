// Quote stripping and the three-way comparison of two values.
#include "operators/condition/comparison.h"

#include "model/textint.h"

namespace relalg {

std::string_view stripquotes(std::string_view text) {
  if (text.empty() || text.front() != '\'') return text;
  return text.size() < 2 ? std::string_view() : text.substr(1, text.size() - 2);
}

int comparevalues(std::string_view left, std::string_view right, bool isint) {
  if (isint) return comparenumbers(texttoint(left), texttoint(right));
  // string_view compares its characters as unsigned bytes.
  const int order = left.compare(right);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace relalg
