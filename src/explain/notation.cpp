// Writing the query tree in either notation, from one description of its symbols.
#include "explain/notation.h"

#include <algorithm>
#include <string_view>

#include "explain/deepwork.h"
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

const symbols textbooksymbols{"σ",   "π", "ρ",   " × ", " ∪ ", " − ",    " ∧ ",
                              " ∨ ", "¬", " = ", " ≠ ", " < ", " ≤ ",    " > ",
                              " ≥ ", "[", "]",   "⊥",   "∅",   plainname};
const symbols latexsymbols{"\\sigma", "\\pi",     "\\rho",   " \\times ",  " \\cup ",
                           " - ",     " \\land ", " \\lor ", "\\lnot ",    " = ",
                           " \\neq ", " < ",      " \\leq ", " > ",        " \\geq ",
                           "_{",      "}",        "\\bot",   "\\emptyset", latexname};

class writer {
 public:
  writer(const explanation& explained, const symbols& used) : e(explained), s(used) {}

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
        unary(s.select, n, [&] { condition(n.condition, false); });
        return;
      case operatorkind::project:
        unary(s.project, n, [&] { list(n.names); });
        return;
      case operatorkind::rename:
        unary(s.rename, n, [&] {
          out += s.name(n.word);
          if (!n.names.empty()) {
            out += '(';
            list(n.names);
            out += ')';
          }
        });
        return;
      default:
        break;
    }
    if (nested) out += '(';
    node(n.operands[0], true);
    out += n.op == operatorkind::product ? s.product
           : n.op == operatorkind::unite ? s.unite
                                         : s.minus;
    node(n.operands[1], true);
    if (nested) out += ')';
  }

  std::string out;

 private:
  const explanation& e;
  const symbols& s;

  template <typename subscript>
  void unary(std::string_view sign, const nodeinfo& n, subscript written) {
    out += sign;
    out += s.open;
    written();
    out += s.close;
    out += '(';
    node(n.operands[0], false);
    out += ')';
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
        condition(c.operands[0], false);
        out += ')';
        return;
      case conditionkind::andkind:
      case conditionkind::orkind:
        if (nested) out += '(';
        condition(c.operands[0], true);
        out += c.k == conditionkind::andkind ? s.andsign : s.orsign;
        condition(c.operands[1], true);
        if (nested) out += ')';
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
  ondeepstack(e, [&] { w.node(0, false); });
  return std::move(w.out);
}

}  // namespace

std::string textbook(const explanation& e) { return written(e, textbooksymbols); }

std::string latex(const explanation& e) { return written(e, latexsymbols); }

}  // namespace relalg
