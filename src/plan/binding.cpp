// Binding comparisons to columns, and the conjuncts of a condition.
#include "plan/binding.h"

#include "tree/walk.h"

namespace relalg {

binding bindcomparison(const conditionnode& n, const schema& s, const columnnames& names) {
  binding b;
  b.left = names.last(n.left);
  b.right = names.last(n.right);
  if (b.decider() >= 0) {
    b.isint = s.columns[static_cast<size_t>(b.decider())].type.comparesasinteger();
  }
  return b;
}

void bindcondition(const querytree& tree, int32_t root, const schema& s,
                   std::vector<binding>& bindings) {
  const columnnames names(s);
  for (const int32_t at : entered(tree.conditions, root, [](int32_t) { return true; })) {
    const conditionnode& n = tree.conditions[static_cast<size_t>(at)];
    if (iscomparison(n.k)) bindings[static_cast<size_t>(at)] = bindcomparison(n, s, names);
  }
}

std::vector<int32_t> conjunctsof(const querytree& tree, int32_t root) {
  std::vector<int32_t> found;
  for (const int32_t at : entered(tree.conditions, root, [&](int32_t i) {
         return tree.conditions[static_cast<size_t>(i)].k == conditionkind::andkind;
       })) {
    if (tree.conditions[static_cast<size_t>(at)].k != conditionkind::andkind) found.push_back(at);
  }
  return found;
}

}  // namespace relalg
