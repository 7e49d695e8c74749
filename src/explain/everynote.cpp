// Gathering an explanation's notes into one list.
#include "explain/everynote.h"

namespace relalg {

namespace {

// The indices under root, each before its operands, left to right: a work list, not a
// recursion, since steps nest as deep as the query.
template <typename item>
std::vector<int32_t> inorder(const std::vector<item>& items, int32_t root) {
  std::vector<int32_t> found;
  std::vector<int32_t> work{root};
  while (!work.empty()) {
    const int32_t at = work.back();
    work.pop_back();
    found.push_back(at);
    const std::vector<int32_t>& operands = items[static_cast<size_t>(at)].operands;
    work.insert(work.end(), operands.rbegin(), operands.rend());
  }
  return found;
}

}  // namespace

std::vector<placednote> everynote(const explanation& e) {
  std::vector<placednote> all;
  for (const note& n : e.notes) all.push_back({n.line, "input", {}, n.text});
  for (const tableinfo& t : e.tables) {
    for (const note& n : t.notes) all.push_back({n.line, "table", t.name, n.text});
  }
  if (e.nodes.empty()) return all;
  for (const int32_t at : inorder(e.nodes, 0)) {
    const nodeinfo& step = e.nodes[static_cast<size_t>(at)];
    for (const note& n : step.notes) all.push_back({n.line, "step", step.text, n.text});
    if (step.condition < 0) continue;
    for (const int32_t c : inorder(e.conditions, step.condition)) {
      const conditioninfo& condition = e.conditions[static_cast<size_t>(c)];
      for (const note& n : condition.notes) {
        all.push_back({n.line, "condition", condition.text, n.text});
      }
    }
  }
  return all;
}

}  // namespace relalg
