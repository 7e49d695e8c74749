// The one walk over a tree whose nodes name their operands by index: query nodes, conditions.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace relalg {

// What a walk tells its visitor; each event's default does nothing, and enter's descends.
// A visitor derives from this and hides the events it needs.
struct walkevents {
  // Met first; answers whether to walk the node's operands.
  bool enter(int32_t) { return true; }
  // Between the first operand and the second.
  void between(int32_t) {}
  // After the operands.
  void leave(int32_t) {}
  // Whether to walk the second operand before the first.
  bool secondfirst(int32_t) { return false; }
};

// Walks the nodes under root, depth first, operands left to right. A stack instead of a
// recursion: a tree nested as deep as the nesting limit is walked without the call stack.
// A node is a struct with `first` and `second`, an operand's index or a negative one for none.
template <typename node, typename visitor>
void walk(const std::vector<node>& nodes, int32_t root, visitor&& v) {
  // Each entry: a node, and how far its walk has come: 0 not entered, 1 its first operand
  // walked, 2 both.
  std::vector<std::pair<int32_t, int>> pending{{root, 0}};
  while (!pending.empty()) {
    const int32_t at = pending.back().first;
    const int stage = pending.back().second++;
    const node& n = nodes[static_cast<size_t>(at)];
    const bool swapped = stage < 2 && n.first >= 0 && n.second >= 0 && v.secondfirst(at);
    const int32_t one = swapped ? n.second : n.first;
    const int32_t two = swapped ? n.first : n.second;
    if (stage == 0) {
      if (!v.enter(at)) {
        pending.pop_back();
      } else if (one >= 0) {
        pending.push_back({one, 0});
      }
    } else if (stage == 1) {
      if (one >= 0 && two >= 0) v.between(at);
      if (two >= 0) pending.push_back({two, 0});
    } else {
      pending.pop_back();
      v.leave(at);
    }
  }
}

// The nodes under root in the order a walk enters them, each before its operands; operands of
// a node for which descend(node) is false are left out.
template <typename node, typename predicate>
std::vector<int32_t> entered(const std::vector<node>& nodes, int32_t root, predicate&& descend) {
  struct collector : walkevents {
    std::vector<int32_t> found;
    predicate& wanted;
    explicit collector(predicate& p) : wanted(p) {}
    bool enter(int32_t at) {
      found.push_back(at);
      return wanted(at);
    }
  } c(descend);
  walk(nodes, root, c);
  return std::move(c.found);
}

}  // namespace relalg
