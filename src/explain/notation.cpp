// Writing the query tree in either notation, from one description of its symbols.
#include "explain/notation.h"

#include <initializer_list>
#include <iterator>
#include <string_view>
#include <vector>

#include "explain/printable.h"

namespace relalg {

namespace {

struct symbols {
  std::string_view select, project, rename;
  std::string_view product, unite, minus;
  std::string_view andsign, orsign, notsign;
  std::string_view eq, neq, lt, lte, gt, gte;
  std::string_view open, close;  // around an operator's subscript
  std::string_view never;        // an empty condition
  std::string_view nothing;      // an empty operand: the empty table
  std::string_view breakable;    // after an operand's "(": where a long formula may break
  std::string (*name)(std::string_view);
};

std::string plainname(std::string_view s) { return visible(s); }

std::string latexname(std::string_view s) {
  std::string out = "\\text{";
  for (const char c : visible(s)) {
    switch (c) {
      case '\\':
        out += "\\textbackslash{}";
        break;
      // Straight quotes, as written: ' and " in text would print as curly ones. The
      // typewriter font holds a straight " in every encoding; \textquotedbl needs T1.
      case '\'':
        out += "\\textquotesingle{}";
        break;
      case '"':
        out += "\\texttt{\\char34}";
        break;
      case '~':
        out += "\\textasciitilde{}";
        break;
      case '^':
        out += "\\textasciicircum{}";
        break;
      case '{':
      case '}':
      case '#':
      case '$':
      case '%':
      case '&':
      case '_':
        out += '\\';
        out += c;
        break;
      default:
        out += c;
    }
  }
  return out + "}";
}

const symbols textbooksymbols{"σ",   "π", "ρ",   " × ", " ∪ ", " − ", " ∧ ",
                              " ∨ ", "¬", " = ", " ≠ ", " < ", " ≤ ", " > ",
                              " ≥ ", "[", "]",   "⊥",   "∅",   "",    plainname};
const symbols latexsymbols{
    "\\sigma", "\\pi",    "\\rho", " \\times ", " \\cup ",    " - ",           " \\land ",
    " \\lor ", "\\lnot ", " = ",   " \\neq ",   " < ",        " \\leq ",       " > ",
    " \\geq ", "_{",      "}",     "\\bot",     "\\emptyset", "\\allowbreak ", latexname};

// Writes the tree in the order its notation reads, through a work list of what is left to
// write instead of a recursion, since nodes and conditions nest as deep as the query: a
// node, a condition, or a fixed text between them.
class writer {
 public:
  writer(const explanation& explained, const symbols& used) : e(explained), s(used) {}

  void query() {
    work.push_back(nodeat(0, false));
    while (!work.empty()) {
      const task t = work.back();
      work.pop_back();
      switch (t.what) {
        case part::node:
          node(t.index, t.nested);
          break;
        case part::condition:
          condition(t.index, t.nested);
          break;
        case part::text:
          out += t.text;
          break;
      }
    }
  }

  std::string out;

 private:
  enum class part { node, condition, text };
  struct task {
    part what;
    int32_t index;
    bool nested;  // an operand of a binary operator, in parentheses when binary itself
    std::string_view text;
  };

  const explanation& e;
  const symbols& s;
  std::vector<task> work;

  // Pushed in reverse, so that they are written in the order given.
  void next(std::initializer_list<task> tasks) {
    for (auto t = std::rbegin(tasks); t != std::rend(tasks); ++t) work.push_back(*t);
  }

  static task literal(std::string_view written) { return {part::text, 0, false, written}; }
  static task nodeat(int32_t index, bool nested) { return {part::node, index, nested, {}}; }
  static task conditionat(int32_t index, bool nested) {
    return {part::condition, index, nested, {}};
  }

  void node(int32_t index, bool nested) {
    const nodeinfo& n = e.nodes[static_cast<size_t>(index)];
    switch (n.op) {
      case operatorkind::table:
        if (!n.word.empty()) {
          out += s.name(n.word);
        } else {
          out += n.text.empty() ? std::string(s.nothing) : s.name(n.text);
        }
        return;
      case operatorkind::select:
        out += s.select;
        out += s.open;
        next({conditionat(n.condition, false), literal(s.close), literal("("), literal(s.breakable),
              nodeat(n.operands[0], false), literal(")")});
        return;
      case operatorkind::project:
        out += s.project;
        out += s.open;
        list(n.names);
        operand(n);
        return;
      case operatorkind::rename:
        out += s.rename;
        out += s.open;
        out += s.name(n.word);
        if (!n.names.empty()) {
          out += '(';
          list(n.names);
          out += ')';
        }
        operand(n);
        return;
      default:
        break;
    }
    const std::string_view sign = n.op == operatorkind::product ? s.product
                                  : n.op == operatorkind::unite ? s.unite
                                                                : s.minus;
    if (nested) out += '(';
    next({nodeat(n.operands[0], true), literal(sign), nodeat(n.operands[1], true),
          literal(nested ? ")" : "")});
  }

  // The end of a unary operator's subscript, then its operand in parentheses.
  void operand(const nodeinfo& n) {
    out += s.close;
    out += '(';
    out += s.breakable;
    next({nodeat(n.operands[0], false), literal(")")});
  }

  void list(const std::vector<std::string_view>& names) {
    for (size_t k = 0; k < names.size(); ++k) {
      if (k > 0) out += ", ";
      out += s.name(names[k]);
    }
  }

  void condition(int32_t index, bool nested) {
    const conditioninfo& c = e.conditions[static_cast<size_t>(index)];
    switch (c.k) {
      case conditionkind::unrecognised:
        out += c.text.empty() ? std::string(s.never) : s.name(c.text);
        return;
      case conditionkind::notkind:
        out += s.notsign;
        out += '(';
        next({conditionat(c.operands[0], false), literal(")")});
        return;
      case conditionkind::andkind:
      case conditionkind::orkind:
        if (nested) out += '(';
        next({conditionat(c.operands[0], true),
              literal(c.k == conditionkind::andkind ? s.andsign : s.orsign),
              conditionat(c.operands[1], true), literal(nested ? ")" : "")});
        return;
      default:
        // An empty operand is the empty text.
        out += s.name(c.left.empty() ? "''" : c.left);
        out += comparison(c.k);
        out += s.name(c.right.empty() ? "''" : c.right);
    }
  }

  std::string_view comparison(conditionkind k) const {
    switch (k) {
      case conditionkind::eq:
        return s.eq;
      case conditionkind::neq:
        return s.neq;
      case conditionkind::lt:
        return s.lt;
      case conditionkind::lte:
        return s.lte;
      case conditionkind::gt:
        return s.gt;
      default:
        return s.gte;
    }
  }
};

std::string written(const explanation& e, const symbols& s) {
  writer w(e, s);
  w.query();
  return std::move(w.out);
}

}  // namespace

std::string textbook(const explanation& e) { return written(e, textbooksymbols); }

std::string latex(const explanation& e) { return written(e, latexsymbols); }

}  // namespace relalg
