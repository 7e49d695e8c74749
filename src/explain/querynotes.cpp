// Sentences for the silent rules of evaluation: names that name nothing, texts that are
// ignored, operands that do not match, conditions that compare constants.
#include "explain/querynotes.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "explain/closest.h"
#include "explain/printable.h"
#include "model/textint.h"
#include "operators/condition/comparison.h"
#include "plan/binding.h"

namespace relalg {

namespace {

// A node holds at most this many notes of names that name nothing; the rest are counted.
constexpr size_t mostnamenotes = 10;

constexpr std::string_view operatorwords[] = {"union",   "minus",  "product",
                                              "project", "rename", "select"};
constexpr std::string_view conditionwords[] = {"AND", "OR",  "NOT", "EQ", "NEQ",
                                               "LT",  "LTE", "GT",  "GTE"};

// Operators of other notations, and how relalg says them.
constexpr std::pair<std::string_view, std::string_view> otheroperators[] = {
    {"join", "select(product(A,B),EQ(a,b))"},
    {"natjoin", "select(product(A,B),EQ(a,b))"},
    {"naturaljoin", "select(product(A,B),EQ(a,b))"},
    {"theta", "select(product(A,B),condition)"},
    {"intersect", "minus(A,minus(A,B))"},
    {"intersection", "minus(A,minus(A,B))"},
    {"difference", "minus(A,B)"},
    {"except", "minus(A,B)"},
    {"cross", "product(A,B)"},
    {"times", "product(A,B)"},
    {"cartesian", "product(A,B)"},
    {"sigma", "select(A,condition)"},
    {"where", "select(A,condition)"},
    {"pi", "project(A,a,b)"},
    {"rho", "rename(A,B(a,b))"},
    {"divide", "minus, product and project"},
    {"division", "minus, product and project"},
};

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A hint looks at no more candidates than this (the rest would not be compared anyway).
constexpr size_t mostcandidates = 1000;

// A list of names shows at most this many.
constexpr size_t mostlisted = 6;

std::string joined(const std::vector<std::string_view>& names, size_t most = mostlisted) {
  std::string text;
  for (size_t k = 0; k < names.size() && k < most; ++k) {
    if (k > 0) text += ", ";
    // A name that holds a blank is quoted, so that where it begins and ends shows.
    const bool blank = names[k].find_first_of(" \t") != std::string_view::npos;
    text += blank ? quoted(names[k]) : visible(names[k]);
  }
  if (names.size() > most) text += ", ...";
  return text;
}

std::vector<std::string_view> namesof(const schema& t) {
  std::vector<std::string_view> names;
  for (const columnschema& c : t.columns) names.push_back(c.name);
  return names;
}

std::string ordinal(size_t n) {
  const size_t tens = n % 100;
  const char* suffix = tens >= 11 && tens <= 13 ? "th"
                       : n % 10 == 1            ? "st"
                       : n % 10 == 2            ? "nd"
                       : n % 10 == 3            ? "rd"
                                                : "th";
  return std::to_string(n) + suffix;
}

std::string count(size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The closest of some names, or else what there is to choose from.
std::string hint(std::string_view name, const std::vector<std::string_view>& candidates,
                 const std::string& what, const std::string& none, int64_t& hintsleft) {
  if (candidates.empty()) return "; " + none;
  if (hintsleft <= 0) return {};
  --hintsleft;
  const std::vector<std::string_view> near = closest(name, candidates);
  if (!near.empty()) return "; the closest: " + joined(near);
  // Only as many as are shown, and one more to tell that there are more.
  std::vector<std::string_view> distinct;
  for (size_t k = 0; k < candidates.size() && distinct.size() <= mostlisted; ++k) {
    const std::string_view c = candidates[k];
    if (std::find(distinct.begin(), distinct.end(), c) == distinct.end()) distinct.push_back(c);
  }
  return "; " + what + ": " + joined(distinct);
}

class notes {
 public:
  explicit notes(const queryview& view) : q(view) {}

  // The line of a piece of the query text, or else of the text around it; 0 when neither
  // is a part of the query (an empty operand made of nothing).
  int64_t lineof(std::string_view piece, std::string_view around) const {
    const std::string_view all = q.tree.text;
    // Pointers into different texts are ordered only by std::less and its kin.
    const auto within = [&](std::string_view s) {
      return !s.empty() && std::less_equal<const char*>()(all.data(), s.data()) &&
             std::less<const char*>()(s.data(), all.data() + all.size());
    };
    const std::string_view at = within(piece) ? piece : around;
    if (!within(at)) return 0;
    return q.lines.at(static_cast<size_t>(at.data() - all.data()));
  }

  // A call's parentheses: one that never closes, and text after the one that closes it.
  void parentheses(std::string_view text, const std::string& call, std::vector<note>& out) const {
    const size_t open = text.find('(', 1);
    if (open == std::string_view::npos) return;
    const size_t close = q.tree.parens.closing(text, open);
    if (close == std::string_view::npos) {
      out.push_back({lineof(text, text), "the \"(\" after " + call +
                                             " never closes: its arguments run to the end of "
                                             "the text"});
    } else if (close + 1 < text.size()) {
      const std::string_view after = text.substr(close + 1);
      out.push_back({lineof(after, text),
                     quoted(after) + " after the \")\" that closes " + call + " is ignored"});
    }
  }

  std::vector<note> tablenotes(const querynode& n) const {
    std::vector<note> out;
    const std::string_view name = n.name;
    const std::string_view rest = n.text.substr(name.size());
    const auto found = q.names.bearers.find(name);
    const size_t bearing = found == q.names.bearers.end() ? 0 : found->second.first;
    const size_t last = bearing == 0 ? 0 : found->second.second;
    const int64_t line = lineof(n.text, n.text);
    if (bearing > 1) {
      out.push_back({line, std::to_string(bearing) + " input tables are named " + quoted(name) +
                               ": the query reads the last of them, the " + ordinal(last + 1) +
                               " table of the input"});
    }
    if (!rest.empty() && rest.front() == '(' && bearing == 0) {
      out.push_back({line, notoperator(name)});
      return out;
    }
    if (bearing == 0) {
      std::string sentence = unknowntable(name, q.names.inorder, q.hintsleft);
      for (const auto& [header, at] : q.headersasrows) {
        if (header != name) continue;
        sentence += "; line " + std::to_string(at) +
                    " looks like its header, but with no empty line before it, it was read as "
                    "a row of the table above";
        break;
      }
      out.push_back({line, sentence});
    }
    if (!rest.empty()) {
      out.push_back({lineof(rest, n.text),
                     quoted(rest) + " after the table name " + quoted(name) + " is ignored"});
    }
    return out;
  }

  std::vector<note> projectnotes(const querynode& n, const schema& operand) const {
    std::vector<note> out;
    const std::vector<std::string_view> names = projectnames(n.rest);
    const std::vector<std::string_view> columns = namesof(operand);
    if (names.empty()) {
      out.push_back({lineof(n.text, n.text),
                     "no column names follow the operand: the result has no columns and no rows"});
    }
    // A set: a list of many names over many columns is looked up without a scan per name.
    const std::unordered_set<std::string_view> borne(columns.begin(), columns.end());
    size_t missing = 0;
    for (const std::string_view name : names) {
      if (borne.count(name) > 0) continue;
      if (++missing > mostnamenotes) continue;
      const int64_t line = lineof(name, n.rest);
      if (name.empty()) {
        out.push_back({line, "an empty column name (two commas in a row) is skipped"});
      } else {
        out.push_back({line, quoted(name) + " names no column of the operand, so it is skipped" +
                                 hint(name, columns, "the operand's columns",
                                      "the operand has no columns", q.hintsleft)});
      }
    }
    if (missing > mostnamenotes) {
      out.push_back({0, "and " + count(missing - mostnamenotes, "more name", "more names") +
                            " that no column bears"});
    }
    return out;
  }

  std::vector<note> renamenotes(const querynode& n, const schema& operand) const {
    std::vector<note> out;
    const size_t columns = operand.columns.size();
    const renaming r = readrenaming(n.rest, columns);
    const int64_t line = lineof(n.rest, n.text);
    if (!r.listed) {
      out.push_back({line, "no \"(\" follows the new name: all of " + quoted(r.name) +
                               " is the new table name, and the columns keep their names"});
      return out;
    }
    if (r.columns.size() < columns) {
      std::vector<std::string_view> kept;
      for (size_t k = r.columns.size(); k < columns; ++k) kept.push_back(operand.columns[k].name);
      out.push_back({line, count(r.columns.size(), "new column name", "new column names") +
                               " for " + count(columns, "column", "columns") + ": " + joined(kept) +
                               (kept.size() == 1 ? " keeps its name" : " keep their names")});
    }
    if (r.more) {
      const std::string_view last = r.columns.empty() ? r.name : r.columns.back();
      std::string_view ignored =
          n.rest.substr(static_cast<size_t>(last.data() - n.rest.data()) + last.size() + 1);
      if (!ignored.empty() && ignored.back() == ')') ignored.remove_suffix(1);
      out.push_back({lineof(ignored, n.text), "the operand has " +
                                                  count(columns, "column", "columns") +
                                                  ": the names after the " + ordinal(columns) +
                                                  ", " + quoted(ignored) + ", are ignored"});
    }
    return out;
  }

  std::vector<note> productnotes(int32_t node, const schema& r, const schema& u) const {
    std::vector<note> out;
    const std::string_view text = q.tree.nodes[static_cast<size_t>(node)].text;
    const int64_t line = lineof(text, text);
    const std::vector<std::string_view> second = namesof(u);
    const std::unordered_set<std::string_view> inu(second.begin(), second.end());
    std::unordered_set<std::string_view> listed;
    std::vector<std::string_view> shared;
    for (const columnschema& c : r.columns) {
      if (inu.count(c.name) > 0 && listed.insert(c.name).second) shared.push_back(c.name);
    }
    if (!shared.empty()) {
      out.push_back({line, std::string("both operands have ") +
                               (shared.size() == 1 ? "a column named " : "columns named ") +
                               joined(shared) +
                               ": the product has each twice; a condition naming one means the "
                               "later column, and project picks the earlier"});
    }
    const int64_t rows = q.rows[static_cast<size_t>(node)];
    if (rows > INT32_MAX) {
      out.push_back(
          {line, "this product would have " + std::to_string(rows) +
                     " rows, more than relalg can hold" +
                     (q.built[static_cast<size_t>(node)]
                          ? ": relalg refuses it (\"the query's result does not fit in "
                            "memory\"); a selection over it, select(product(...),condition), "
                            "is evaluated without building it"
                          : ": under its selection it is never built, but relalg given this "
                            "text alone would refuse it")});
    }
    return out;
  }

  std::vector<note> matchnotes(const querynode& n, const schema& r, const schema& u) const {
    std::vector<note> out;
    const int64_t line = lineof(n.text, n.text);
    const size_t m = r.columns.size();
    const size_t k = u.columns.size();
    const bool unite = n.op == operatorkind::unite;
    if (m == 0) {
      // A first operand without columns has no rows either: its own note says why.
    } else if (k < m) {
      out.push_back({line, "the second operand has " + count(k, "column", "columns") +
                               " and the first " + std::to_string(m) +
                               (unite ? ": the rows it adds get 0 or the empty text in the others"
                                      : ": it matches no row, so every row of the first stays")});
    } else if (k > m) {
      out.push_back({line, "the second operand has " + count(k, "column", "columns") +
                               " and the first " + std::to_string(m) + ": its columns after the " +
                               ordinal(m) + (unite ? " are dropped" : " are not compared")});
    }
    std::vector<std::string> differ;
    for (size_t c = 0; c < std::min(m, k); ++c) {
      const columntype& a = r.columns[c].type;
      const columntype& b = u.columns[c].type;
      if (a.comparesasinteger() != b.comparesasinteger()) {
        differ.push_back(ordinal(c + 1) + " (" + a.typetext() + " and " + b.typetext() + ")");
      }
    }
    if (!differ.empty()) {
      std::string list;
      for (size_t c = 0; c < differ.size(); ++c) list += (c > 0 ? ", " : "") + differ[c];
      out.push_back({line, "columns are matched by position, and the types differ in the " + list +
                               (unite ? ": the second operand's values are converted through "
                                        "their text, and a text that is no number becomes 0"
                                      : ": rows match when their values' texts are equal, so "
                                        "the integer 5 matches the text 5")});
    }
    return out;
  }

  std::vector<note> comparisonnotes(const conditionnode& n, const schema& columns,
                                    const columnnames& named) const {
    std::vector<note> out;
    const binding plan = bindcomparison(n, columns, named);
    const int64_t line = lineof(n.text, n.text);
    // The candidates for a closest name: no more than a hint looks at.
    std::vector<std::string_view> names;
    for (size_t k = 0; k < columns.columns.size() && k < mostcandidates; ++k) {
      names.push_back(columns.columns[k].name);
    }
    if (n.left.size() == n.argument.size()) {
      out.push_back({line, "no comma separates two operands: " + quoted(n.left) +
                               " is compared with the empty text"});
    } else if (n.right.empty()) {
      out.push_back({line, "the second operand is empty: it is the empty text"});
    }
    for (const std::string_view side : {n.left, n.right}) {
      if (named.last(side) >= 0 || side.empty()) continue;
      if (side.front() == '\'') {
        if (side.size() < 2 || side.back() != '\'') {
          out.push_back({lineof(side, n.text), quoted(side) +
                                                   " has no closing quote, yet loses its last "
                                                   "character: it compares as " +
                                                   quoted(stripquotes(side))});
        }
      } else if (side.size() >= 2 && side.front() == '"' && side.back() == '"') {
        out.push_back(
            {lineof(side, n.text),
             misquoted(side, side.substr(1, side.size() - 2),
                       "is in double quotes, which are part of the text", "double quotes")});
      } else if (side.back() == '\'') {
        out.push_back({lineof(side, n.text),
                       misquoted(side, side.substr(0, side.size() - 1),
                                 "ends with a quote but does not begin with one", "quote")});
      } else if (!readint(side).digits) {
        out.push_back({lineof(side, n.text),
                       quoted(side) + " names no column: it is a constant" +
                           hint(side, names, "the columns", "there are no columns", q.hintsleft)});
      }
    }
    if (plan.left < 0 && plan.right < 0) {
      out.push_back({line, "two constants are compared, " + quoted(n.left) + " and " +
                               quoted(n.right) + ", as texts: every row gets the same answer"});
      return out;
    }
    const columnschema& decider = columns.columns[static_cast<size_t>(plan.decider())];
    if (plan.left >= 0 && plan.left == plan.right) out.push_back({line, itself(n, columns)});
    if (plan.left >= 0 && plan.right >= 0) {
      const columnschema& other =
          columns.columns[static_cast<size_t>(std::min(plan.left, plan.right))];
      if (other.type.comparesasinteger() != decider.type.comparesasinteger()) {
        out.push_back({line, quoted(other.name) + " is " + other.type.typetext() + " and " +
                                 quoted(decider.name) + " is " + decider.type.typetext() +
                                 ": the later column decides, so they compare as " +
                                 (plan.isint ? "integers" : "texts")});
      }
    }
    const bool ordering = n.k != conditionkind::eq && n.k != conditionkind::neq;
    const std::string_view constant = plan.left < 0 ? n.left : plan.right < 0 ? n.right : "";
    const intreading number = readint(constant);
    if (!plan.isint && ordering && number.digits && !number.trailing) {
      out.push_back({line, quoted(decider.name) + " is " + decider.type.typetext() + ": " +
                               quoted(constant) +
                               " is compared with its values as a text, character by character, "
                               "not as a number (as texts, '9' is greater than '10' and '120' "
                               "less than '50'); numbers compare as numbers in an int column"});
    }
    if (plan.isint && !decider.type.holdsintegers()) {
      out.push_back({line, quoted(decider.name) + " is " + decider.type.typetext() +
                               ": a width of 0 compares as integers"});
    }
    if (plan.isint) {
      for (const std::string_view side : {plan.left < 0 ? n.left : std::string_view(),
                                          plan.right < 0 ? n.right : std::string_view()}) {
        const std::string_view value = stripquotes(side);
        const intreading r = readint(value);
        if (side.empty() || (r.digits && !r.trailing)) continue;
        out.push_back(
            {lineof(side, n.text),
             quoted(side) + " compares as the integer " + std::to_string(r.number) +
                 (r.digits ? ": what follows its digits is ignored" : ": it has no digits")});
      }
    }
    return out;
  }

  // A constant meant as a text and not written as one: what it is compared as, and how to
  // write it.
  static std::string misquoted(std::string_view side, std::string_view meant,
                               const std::string& why, const std::string& quotes) {
    return visible(side) + " " + why + ": it names no column, and is compared as a text, its " +
           quotes + " and all; a text constant is written in single quotes, '" + visible(meant) +
           "'";
  }

  // A comparison of a column with itself: true or false for every row, whatever it holds.
  static std::string itself(const conditionnode& n, const schema& columns) {
    const std::string_view name = n.left;
    const bool always =
        n.k == conditionkind::eq || n.k == conditionkind::lte || n.k == conditionkind::gte;
    std::string sentence = "both operands name the same column, " + quoted(name) +
                           ": each row's value is compared with itself, so the condition is " +
                           (always ? "true" : "false") + " for every row";
    const auto bearing = std::count_if(columns.columns.begin(), columns.columns.end(),
                                       [&](const columnschema& c) { return c.name == name; });
    if (bearing > 1) {
      sentence += "; of the " + std::to_string(bearing) + " columns named " + quoted(name) +
                  " a name means the later: to compare them, give one table's columns other "
                  "names first, as rename(T,T2(" +
                  std::string(name) + "2,...)) does";
    }
    return sentence;
  }

  std::vector<note> unrecognisednotes(const conditionnode& n) const {
    const int64_t line = lineof(n.text, n.text);
    if (n.text.empty()) return {{line, "the condition is empty: it answers no for every row"}};
    const std::string_view word = n.text.substr(0, findeither(n.text, '(', ','));
    const bool call = word.size() < n.text.size() && n.text[word.size()] == '(';
    for (const std::string_view keyword : conditionwords) {
      if (word == keyword) {
        return {{line, quoted(keyword) + " without \"(\" after it is no condition: it answers "
                                         "no for every row"}};
      }
      if (sameletters(word, keyword)) {
        return {{line, quoted(word) + " is no condition keyword: keywords are upper case (" +
                           std::string(keyword) + "); it answers no for every row"}};
      }
    }
    return {{line, quoted(call ? word : n.text) +
                       " is no condition (AND, OR, NOT, EQ, NEQ, LT, LTE, GT, GTE with their "
                       "arguments in parentheses): it answers no for every row"}};
  }

 private:
  const queryview& q;

  static std::string notoperator(std::string_view name) {
    for (const std::string_view keyword : operatorwords) {
      if (sameletters(name, keyword)) {
        return quoted(name) + " is no operator, since operators are lower case (" +
               std::string(keyword) + "): it is read as a table name, and no input table bears it";
      }
    }
    for (const auto& [word, written] : otheroperators) {
      if (lowered(name) == word) {
        return quoted(name) + " is no operator of relalg (write " + std::string(written) +
               "): it is read as a table name, and no input table bears it";
      }
    }
    return quoted(name) +
           " is no operator (union, minus, product, project, rename, select): it is read as a "
           "table name, and no input table bears it";
  }

  static std::string unknowntable(std::string_view name, const std::vector<std::string_view>& names,
                                  int64_t& hintsleft) {
    if (name.empty()) return "an empty operand: its value is the empty table";
    for (const std::string_view keyword : operatorwords) {
      if (name == keyword) {
        return quoted(name) +
               " without \"(\" after it is read as a table name, and no input "
               "table bears it";
      }
    }
    std::string sentence = "no input table is named " + quoted(name);
    if (name.substr(0, 3) == "\xEF\xBB\xBF") sentence += " (it begins with a byte-order mark)";
    return sentence + ", so its value is the empty table" +
           hint(name, names, "the input tables", "the input holds no table", hintsleft);
  }
};

}  // namespace

tablenames::tablenames(const std::vector<table>& inputs) {
  for (size_t i = 0; i < inputs.size(); ++i) {
    inorder.push_back(inputs[i].name);
    auto& [count, last] = bearers[inputs[i].name];
    ++count;
    last = i;
  }
}

std::vector<note> nodenotes(const queryview& q, int32_t node) {
  const notes made(q);
  const querynode& n = q.tree.nodes[static_cast<size_t>(node)];
  if (n.op == operatorkind::table) return made.tablenotes(n);
  std::vector<note> out;
  made.parentheses(n.text, std::string(keywordof(n.op)) + "(...)", out);
  // Told once, where the values stop fitting: at a step whose operands fit.
  const auto unheld = [&](int32_t at) {
    return at != querynode::none && q.unheld[static_cast<size_t>(at)];
  };
  if (unheld(node) && !unheld(n.first) && !unheld(n.second)) {
    out.push_back({made.lineof(n.text, n.text),
                   "this step's value does not fit in memory: relalg stops here with \"the "
                   "query's result does not fit in memory\" and writes no output"});
  }
  const schema& first = q.schemas[static_cast<size_t>(n.first)];
  std::vector<note> more;
  switch (n.op) {
    case operatorkind::project:
      more = made.projectnotes(n, first);
      break;
    case operatorkind::rename:
      more = made.renamenotes(n, first);
      break;
    case operatorkind::product:
      more = made.productnotes(node, first, q.schemas[static_cast<size_t>(n.second)]);
      break;
    case operatorkind::unite:
    case operatorkind::minus:
      more = made.matchnotes(n, first, q.schemas[static_cast<size_t>(n.second)]);
      break;
    default:
      break;
  }
  out.insert(out.end(), more.begin(), more.end());
  return out;
}

std::vector<note> conditionnotes(const queryview& q, int32_t condition, const schema& columns,
                                 const columnnames& names) {
  const notes made(q);
  const conditionnode& n = q.tree.conditions[static_cast<size_t>(condition)];
  if (n.k == conditionkind::unrecognised) return made.unrecognisednotes(n);
  std::vector<note> out;
  made.parentheses(n.text, std::string(keywordof(n.k)) + "(...)", out);
  if (n.k == conditionkind::andkind || n.k == conditionkind::orkind ||
      n.k == conditionkind::notkind) {
    return out;
  }
  std::vector<note> more = made.comparisonnotes(n, columns, names);
  out.insert(out.end(), more.begin(), more.end());
  return out;
}

note toodeepnote(int64_t depth) {
  return {0, "the query's parentheses nest " + std::to_string(depth) + " deep, more than " +
                 std::to_string(nesting::maxnesting) +
                 ": it is not evaluated, and its value is the empty table"};
}

}  // namespace relalg
