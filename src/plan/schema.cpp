// Schemas of tables, and columns found by name.
#include "plan/schema.h"

namespace relalg {

schema schema::of(const table& t) {
  schema s{t.name, {}};
  for (const column& c : t.columns()) s.columns.push_back({c.name, c.type()});
  return s;
}

columnnames::columnnames(const schema& s) {
  for (size_t k = 0; k < s.columns.size(); ++k) {
    const auto position = static_cast<int32_t>(k);
    const auto [at, added] = named.try_emplace(s.columns[k].name, position, position);
    if (!added) at->second.second = position;
  }
}

int32_t columnnames::first(std::string_view label) const {
  const auto found = named.find(label);
  return found == named.end() ? -1 : found->second.first;
}

int32_t columnnames::last(std::string_view label) const {
  const auto found = named.find(label);
  return found == named.end() ? -1 : found->second.second;
}

}  // namespace relalg
