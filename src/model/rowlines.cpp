// Keeping the lines of a table's rows in step with its rows.
#include "model/rowlines.h"

#include <cassert>

namespace relalg {

rowlines::rowlines(std::shared_ptr<const inputlines> all)
    : parts{{std::move(all), nullptr}}, count(parts.front().lines->starts.size() - 1) {}

rowlines rowlines::combined(const std::vector<rowlines>& from,
                            std::vector<std::vector<int32_t>> rows) {
  assert(from.size() == rows.size() && !from.empty());
  rowlines made;
  made.count = rows.front().size();
  for (size_t p = 0; p < from.size(); ++p) {
    // A table as read: its rows are its lines.
    if (from[p].parts.size() == 1 && !from[p].parts.front().rows) {
      made.parts.push_back({from[p].parts.front().lines,
                            std::make_shared<const std::vector<int32_t>>(std::move(rows[p]))});
      continue;
    }
    // A part made of parts (a product of products) gives each of them.
    for (const part& inner : from[p].parts) {
      auto lines = std::make_shared<std::vector<int32_t>>();
      lines->reserve(rows[p].size());
      for (const int32_t row : rows[p]) lines->push_back(inner.lineof(static_cast<size_t>(row)));
      made.parts.push_back({inner.lines, std::move(lines)});
    }
  }
  return made;
}

rowlines rowlines::kept(const std::vector<int32_t>& rows) const {
  rowlines made;
  made.count = rows.size();
  for (const part& p : parts) {
    auto lines = std::make_shared<std::vector<int32_t>>();
    lines->reserve(rows.size());
    for (const int32_t row : rows) lines->push_back(p.lineof(static_cast<size_t>(row)));
    made.parts.push_back({p.lines, std::move(lines)});
  }
  return made;
}

}  // namespace relalg
