// Matching parentheses and the scans over them.
#include "tree/nesting.h"

#include <algorithm>
#include <cassert>

namespace relalg {

int64_t nesting::deepestof(std::string_view t) {
  int64_t count = 0;
  int64_t deepest = 0;
  // Quotes mean nothing here, as they mean nothing to any scan of a query.
  for (const char c : t) {
    if (c == '(') {
      if (++count > deepest) deepest = count;
    } else if (c == ')') {
      --count;
    }
  }
  return deepest;
}

nesting::nesting(std::string_view t) : text(t) {
  std::vector<size_t> open;  // indices into opens of the "(" not yet closed
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '(') {
      open.push_back(opens.size());
      opens.push_back(i);
      closes.push_back(std::string_view::npos);
    } else if (text[i] == ')' && !open.empty()) {
      closes[open.back()] = i;
      open.pop_back();
    }
  }
}

size_t nesting::closing(std::string_view s, size_t open) const {
  assert(s.data() >= text.data() && s.data() + s.size() <= text.data() + text.size());
  assert(open < s.size() && s[open] == '(');
  const size_t offset = static_cast<size_t>(s.data() - text.data());
  const auto found = std::lower_bound(opens.begin(), opens.end(), offset + open);
  const size_t at = closes[static_cast<size_t>(found - opens.begin())];
  // The pair closes past the end of s: within s the "(" stays open.
  if (at == std::string_view::npos || at - offset >= s.size()) return std::string_view::npos;
  return at - offset;
}

size_t findeither(std::string_view s, char a, char b, size_t from) {
  for (size_t i = from; i < s.size(); ++i) {
    if (s[i] == a || s[i] == b) return i;
  }
  return std::string_view::npos;
}

std::string_view argumenttext(std::string_view s, const nesting& parens) {
  const size_t open = s.find('(', 1);
  if (open == std::string_view::npos) return {};
  const size_t close = parens.closing(s, open);
  if (close == std::string_view::npos) return s.substr(open + 1);
  return s.substr(open + 1, close - open - 1);
}

namespace {

operands splitat(std::string_view a, size_t start, const nesting& parens) {
  int64_t depth = 0;
  for (size_t i = start; i < a.size(); ++i) {
    const char c = a[i];
    if (c == '(') {
      if (depth < 0) {
        ++depth;  // below depth 0 a group may hold a separator, so walk it
        continue;
      }
      // At depth 0 or more nothing inside a group is at depth 0: jump to its end. A group
      // that never closes keeps the depth above 0 to the end of the text.
      const size_t close = parens.closing(a, i);
      if (close == std::string_view::npos) break;
      i = close;
    } else if (c == ')') {
      --depth;
    } else if (c == ',' && depth == 0 && i > 0) {
      return {a.substr(0, i), a.substr(i + 1)};
    }
  }
  return {a, {}};
}

}  // namespace

operands splitoperand(std::string_view a, const nesting& parens) { return splitat(a, 1, parens); }

operands splitcomparison(std::string_view a, const nesting& parens) {
  return splitat(a, 0, parens);
}

}  // namespace relalg
