// The condition language: AND, OR and NOT over the six comparisons, bound to columns once and
// asked for many rows at once.
#include "operators/condition/condition.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "model/textint.h"
#include "operators/condition/comparison.h"
#include "tree/walk.h"

namespace relalg {

namespace {

// Each keyword's answers from an order (negative, 0, positive) for every row.
template <typename order>
void answers(conditionkind k, std::vector<uint8_t>& out, order&& f) {
  const size_t n = out.size();
  switch (k) {
    case conditionkind::eq:
      for (size_t i = 0; i < n; ++i) out[i] = compareeq(f(i));
      break;
    case conditionkind::neq:
      for (size_t i = 0; i < n; ++i) out[i] = compareneq(f(i));
      break;
    case conditionkind::lt:
      for (size_t i = 0; i < n; ++i) out[i] = comparelt(f(i));
      break;
    case conditionkind::lte:
      for (size_t i = 0; i < n; ++i) out[i] = comparelte(f(i));
      break;
    case conditionkind::gt:
      for (size_t i = 0; i < n; ++i) out[i] = comparegt(f(i));
      break;
    default:
      for (size_t i = 0; i < n; ++i) out[i] = comparegte(f(i));
  }
}

// How many answer lists a node keeps waiting, operands before operators: an operator whose
// operands need alike needs one more, otherwise the larger. A condition's nodes stand together
// in the tree's list from its root on, so they are counted from the root: sized by the whole
// list, this would cost every selection of a deep query the whole list again.
struct needs : walkevents {
  const std::vector<conditionnode>& nodes;
  const int32_t root;
  std::vector<int32_t> need;

  needs(const std::vector<conditionnode>& all, int32_t from) : nodes(all), root(from) {}

  int32_t& of(int32_t i) {
    assert(i >= root);
    if (static_cast<size_t>(i - root) >= need.size())
      need.resize(static_cast<size_t>(i - root) + 1);
    return need[static_cast<size_t>(i - root)];
  }
  void leave(int32_t i) {
    const conditionnode& n = nodes[static_cast<size_t>(i)];
    const int32_t first = n.first == conditionnode::none ? 0 : of(n.first);
    const int32_t second = n.second == conditionnode::none ? 0 : of(n.second);
    of(i) = first == second ? first + 1 : std::max(first, second);
  }
};

}  // namespace

condition::condition(const querytree& tree, int32_t root, const std::vector<binding>& bindings,
                     const std::vector<boundcolumn>& columns) {
  needs counted(tree.conditions, root);
  walk(tree.conditions, root, counted);
  // Postfix order, the operand that needs more first, so that a condition of n comparisons
  // keeps at most log2(n) + 1 lists waiting.
  struct emitter : walkevents {
    needs& counted;
    const querytree& tree;
    const std::vector<binding>& bindings;
    const std::vector<boundcolumn>& columns;
    std::vector<step>& program;

    operand bind(std::string_view text, int32_t position) const {
      operand o;
      o.text = stripquotes(text);
      o.number = texttoint(o.text);
      if (position < 0) return o;
      const boundcolumn& named = columns[static_cast<size_t>(position)];
      o.named = named.c;
      o.slot = named.slot;
      return o;
    }
    bool secondfirst(int32_t i) {
      const conditionnode& n = tree.conditions[static_cast<size_t>(i)];
      return counted.of(n.second) > counted.of(n.first);
    }
    void leave(int32_t i) {
      const conditionnode& n = tree.conditions[static_cast<size_t>(i)];
      step s;
      s.k = n.k;
      if (iscomparison(n.k)) {
        const binding& b = bindings[static_cast<size_t>(i)];
        s.left = bind(n.left, b.left);
        s.right = bind(n.right, b.right);
        s.isint = b.isint;
      }
      program.push_back(s);
    }
  } emit{{}, counted, tree, bindings, columns, program};
  walk(tree.conditions, root, emit);
}

std::vector<uint8_t> condition::evaluate(const rowbatch& batch) const {
  // Captured by value: the answers are bytes, and a store of a byte might change anything the
  // loops reach through a reference, which would then be read again for every row.
  if (batch.rows) {
    const int32_t* const rows = batch.rows;
    return run(batch, [rows](size_t i) { return rows[i]; });
  }
  const int32_t first = batch.first;
  return run(batch, [first](size_t i) { return first + static_cast<int32_t>(i); });
}

template <typename rowsof>
std::vector<uint8_t> condition::run(const rowbatch& batch, rowsof&& rowat) const {
  std::vector<std::vector<uint8_t>> waiting;
  // Both operands of AND and OR are always evaluated.
  for (const step& s : program) {
    switch (s.k) {
      case conditionkind::andkind:
      case conditionkind::orkind: {
        const std::vector<uint8_t> second = std::move(waiting.back());
        waiting.pop_back();
        std::vector<uint8_t>& first = waiting.back();
        const bool both = s.k == conditionkind::andkind;
        for (size_t i = 0; i < first.size(); ++i) {
          first[i] = both ? (first[i] & second[i]) : (first[i] | second[i]);
        }
        break;
      }
      case conditionkind::notkind:
        for (uint8_t& answer : waiting.back()) answer ^= 1;
        break;
      case conditionkind::unrecognised:
        waiting.emplace_back(batch.count, 0);  // answers no
        break;
      default:
        waiting.push_back(compare(s, batch, rowat));
    }
  }
  return std::move(waiting.front());
}

template <typename rowsof>
std::vector<uint8_t> condition::compare(const step& s, const rowbatch& batch,
                                        rowsof&& rowat) const {
  std::vector<uint8_t> out(batch.count);
  // A column of the batch's slot gives a value for each row; a column of another slot gives
  // the value of its fixed row, and a constant its own, for every row alike.
  const auto varies = [&](const operand& o) { return o.named && o.slot == batch.slot; };
  const auto fixedrow = [&](const operand& o) { return batch.fixed[o.slot]; };
  if (s.isint) {
    // An integer column's readings are its values; any other column's are read from its
    // texts, quotes stripped, once for each row.
    const auto reading = [](const column& c, int32_t row) {
      if (c.type().holdsintegers()) return c.integers()[static_cast<size_t>(row)];
      return texttoint(stripquotes(c.texts()[static_cast<size_t>(row)].view()));
    };
    // Each side's integers by the batch's rows: a column of integers as held where the rows
    // are a range of them, else read once for each row; or one for every row.
    struct side {
      const int32_t* values = nullptr;
      std::vector<int32_t> read;
      int32_t scalar = 0;
    };
    const auto sideof = [&](const operand& o) {
      side x;
      if (!o.named) {
        x.scalar = o.number;
      } else if (!varies(o)) {
        x.scalar = reading(*o.named, fixedrow(o));
      } else if (o.named->type().holdsintegers() && !batch.rows) {
        x.values = o.named->integers().data() + batch.first;
      } else {
        x.read.reserve(batch.count);
        for (size_t i = 0; i < batch.count; ++i) x.read.push_back(reading(*o.named, rowat(i)));
      }
      return x;
    };
    const side left = sideof(s.left);
    const side right = sideof(s.right);
    const int32_t* const l = left.read.empty() ? left.values : left.read.data();
    const int32_t* const r = right.read.empty() ? right.values : right.read.data();
    answers(s.k, out, [l, r, ls = left.scalar, rs = right.scalar](size_t i) {
      return comparenumbers(l ? l[i] : ls, r ? r[i] : rs);
    });
    return out;
  }
  // Texts: column values are stripped of quotes like constants. A fixed side's text is read
  // once (an integer's digits into its buffer).
  intbuffer leftdigits;
  intbuffer rightdigits;
  const auto scalarof = [&](const operand& o, intbuffer& buffer) {
    if (!o.named) return o.text;
    return stripquotes(o.named->valueview(fixedrow(o), buffer));
  };
  const std::string_view leftscalar =
      varies(s.left) ? std::string_view() : scalarof(s.left, leftdigits);
  const std::string_view rightscalar =
      varies(s.right) ? std::string_view() : scalarof(s.right, rightdigits);
  const auto textsof = [&](const operand& o) -> const textref* {
    return varies(o) && !o.named->type().holdsintegers() ? o.named->texts().data() : nullptr;
  };
  const textref* left = textsof(s.left);
  const textref* right = textsof(s.right);
  if ((left || !varies(s.left)) && (right || !varies(s.right))) {
    const auto at = [rowat](const textref* texts, std::string_view scalar, size_t i) {
      return texts ? stripquotes(texts[rowat(i)].view()) : scalar;
    };
    // Equality needs no order, and texts of other lengths are unequal.
    if (s.k == conditionkind::eq || s.k == conditionkind::neq) {
      answers(s.k, out, [at, left, right, leftscalar, rightscalar](size_t i) {
        return at(left, leftscalar, i) == at(right, rightscalar, i) ? 0 : 1;
      });
    } else {
      answers(s.k, out, [at, left, right, leftscalar, rightscalar](size_t i) {
        return comparevalues(at(left, leftscalar, i), at(right, rightscalar, i), false);
      });
    }
    return out;
  }
  // An integer column compared as text: its digits, row by row.
  answers(s.k, out, [&](size_t i) {
    intbuffer leftbuffer;
    intbuffer rightbuffer;
    const std::string_view l =
        varies(s.left) ? stripquotes(s.left.named->valueview(rowat(i), leftbuffer)) : leftscalar;
    const std::string_view r = varies(s.right)
                                   ? stripquotes(s.right.named->valueview(rowat(i), rightbuffer))
                                   : rightscalar;
    return comparevalues(l, r, false);
  });
  return out;
}

}  // namespace relalg
