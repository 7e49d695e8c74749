// The evaluator: keyword scan, dispatch on the operator keyword, and table names.
#include "query/database.h"

#include <utility>

namespace relalg {

database::database(std::vector<table> input) : tables(std::move(input)) {
  // A later table of the same name replaces an earlier one, as a scan to the end would find.
  for (size_t i = 0; i < tables.size(); ++i) named[tables[i].name] = i;
}

table database::query(std::string_view kifejezes) {
  // Counted before anything is built, so a query far too deep costs one pass.
  if (nesting::deepestof(kifejezes) > nesting::maxnesting) return table();
  const nesting found(kifejezes);
  parens = &found;
  table result = evaluate(kifejezes);
  parens = nullptr;
  return result;
}

table database::evaluate(std::string_view s) {
  // The keyword ends at the first "(" or ","; ")" and quotes are ordinary characters of it.
  const size_t i = findeither(s, '(', ',');
  const std::string_view w = s.substr(0, i);
  if (i != std::string_view::npos && s[i] == '(') {
    using operation = table (database::*)(std::string_view);
    static const std::pair<std::string_view, operation> keywords[] = {
        {"union", &database::unite},     {"minus", &database::minus},
        {"product", &database::product}, {"project", &database::project},
        {"rename", &database::rename},   {"select", &database::select},
    };
    for (const auto& [keyword, apply] : keywords) {
      if (w == keyword) return (this->*apply)(argumenttext(s, *parens));
    }
  }
  const auto found = named.find(w);
  return found == named.end() ? table() : tables[found->second];
}

}  // namespace relalg
