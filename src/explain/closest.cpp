// Closest names by edit distance, ignoring letter case.
#include "explain/closest.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace relalg {

namespace {

// Names longer than this, and candidates past this many, are not compared: a hostile input
// may hold very long names or very many columns, and a hint is not worth the time.
constexpr size_t longest = 64;
constexpr size_t mostcandidates = 1000;
constexpr size_t mostshown = 3;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The edit distance of two texts: insertions, deletions, replacements and exchanges of two
// neighbouring characters, the commonest slip of typing; letter case ignored.
size_t distance(std::string_view a, std::string_view b) {
  std::vector<size_t> before(b.size() + 1);  // the row two characters of a back
  std::vector<size_t> previous(b.size() + 1);
  std::vector<size_t> current(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t replaced = previous[j - 1] + (lower(a[i - 1]) != lower(b[j - 1]));
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, replaced});
      const bool exchanged = i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
                             lower(a[i - 2]) == lower(b[j - 1]);
      if (exchanged) current[j] = std::min(current[j], before[j - 2] + 1);
    }
    before.swap(previous);
    previous.swap(current);
  }
  return previous[b.size()];
}

}  // namespace

bool sameletters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

std::vector<std::string_view> closest(std::string_view name,
                                      const std::vector<std::string_view>& candidates) {
  // About one edit in three characters still reads as the same name mistyped; names of
  // one or two characters are close only when equal but for letter case.
  const size_t allowed = name.size() / 3;
  std::vector<std::pair<size_t, std::string_view>> near;
  const size_t count = std::min(candidates.size(), mostcandidates);
  for (size_t k = 0; k < count; ++k) {
    const std::string_view c = candidates[k];
    if (c == name || name.size() > longest || c.size() > longest) continue;
    const size_t apart = c.size() > name.size() ? c.size() - name.size() : name.size() - c.size();
    if (apart > allowed) continue;
    const size_t d = distance(name, c);
    if (d > allowed) continue;
    const bool seen =
        std::any_of(near.begin(), near.end(), [&](const auto& n) { return n.second == c; });
    if (!seen) near.emplace_back(d, c);
  }
  // Equal distances keep the candidates' order.
  std::stable_sort(near.begin(), near.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string_view> found;
  for (size_t k = 0; k < near.size() && k < mostshown; ++k) found.push_back(near[k].second);
  return found;
}

}  // namespace relalg
