// Translation of the query tree into one statement: a step per operator call, in the order of
// evaluation, columns named by position, and warnings where SQL may answer otherwise.
#include "explain/sqlquery.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include "condition/comparison.h"
#include "condition/condition.h"
#include "model/charcolumn.h"
#include "model/intcolumn.h"
#include "model/textint.h"

namespace relalg {

namespace {

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k > 0) out += separator;
    out += parts[k];
  }
  return out;
}

std::vector<std::string> qualified(std::string_view by, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& name : names) out.push_back(std::string(by) + "." + name);
  return out;
}

std::string_view symbolof(conditionkind k) {
  switch (k) {
    case conditionkind::eq:
      return "=";
    case conditionkind::neq:
      return "<>";
    case conditionkind::lt:
      return "<";
    case conditionkind::lte:
      return "<=";
    case conditionkind::gt:
      return ">";
    default:
      return ">=";
  }
}

std::string_view enginename(sqldialect dialect) {
  switch (dialect) {
    case sqldialect::postgres:
      return "PostgreSQL";
    case sqldialect::duckdb:
      return "DuckDB";
    default:
      return "SQLite";
  }
}

// How deep an engine takes, by default, the parentheses of a condition and the steps that read
// one another, with a few levels to spare: SQLite 3.40's parser holds 100 entries, of which a
// level of AND on the right takes three (28 levels pass, 29 fail), and SQLite and DuckDB count
// 1000 levels of expression, each step one (996 steps pass in DuckDB, 997 fail; SQLite fails
// at 999). PostgreSQL took 2500 levels of NOT and 1000 steps, the steps in a minute and a half.
struct depthlimits {
  size_t condition;
  size_t steps;
};
depthlimits deepestaccepted(sqldialect dialect) {
  switch (dialect) {
    case sqldialect::sqlite:
      return {25, 990};
    case sqldialect::duckdb:
      return {990, 990};
    default:
      return {1000, 1000};
  }
}

// The name of the column that numbers a step's rows.
constexpr char numbercolumn[] = "\"#\"";

class translator {
 public:
  translator(const querytree& t, const std::vector<sqlshape>& s, const sqltables& loaded,
             sqldialect d)
      : tree(t), shapes(s), tables(loaded), dialect(d), taken(loaded.taken) {}

  sqlstatement run();

 private:
  const querytree& tree;
  const std::vector<sqlshape>& shapes;
  const sqltables& tables;
  const sqldialect dialect;
  std::unordered_set<std::string> taken;  // table and step names, folded
  std::vector<sqlrelation> relations;     // for each node
  std::vector<std::string> steps;         // the WITH clause's entries
  int32_t stepcount = 0;
  sqlstatement done;
  std::set<std::string> warned;

  void warn(std::string text);
  sqlrelation translate(int32_t node);
  sqlrelation addstep(std::string_view keyword, const sqlshape& s, bool numbered,
                      const std::string& body, std::string_view comment = {});
  std::string selectlist(const sqlrelation& r, std::string_view by = {}) const;

  sqlrelation select(const querynode& n, const sqlshape& s);
  sqlrelation project(const querynode& n, const sqlshape& s);
  sqlrelation product(const querynode& n, const sqlshape& s);
  sqlrelation unite(const querynode& n, const sqlshape& s);
  sqlrelation minus(const querynode& n, const sqlshape& s);
  std::string finalorder(const sqlrelation& r, const sqlshape& s);

  std::string condition(int32_t root, const sqlrelation& r, const sqlshape& rs);
  std::string comparison(const conditionnode& c, const columnlist& columns, const sqlrelation& r,
                         const sqlshape& rs);
  std::string operand(std::string_view text, int32_t position, bool isint, bool ordering,
                      const sqlrelation& r, const sqlshape& rs);
  // A text column's values read as integers: what the engine's CAST may read otherwise.
  std::string castint(const std::string& ref, std::string_view name, const textfacts& facts);
  void warnhighbyte(std::string_view name, const textfacts& facts);
};

void translator::warn(std::string text) {
  if (warned.insert(text).second) done.warnings.push_back(std::move(text));
}

sqlstatement translator::run() {
  relations.resize(tree.nodes.size());
  std::vector<size_t> depths(tree.nodes.size());  // of the steps that read one another
  if (!tree.toodeep()) {
    // Operands before the calls that read them, without recursion: a query nests deep.
    std::vector<std::pair<int32_t, bool>> pending{{tree.root(), false}};
    while (!pending.empty()) {
      const auto [node, ready] = pending.back();
      pending.pop_back();
      const querynode& n = tree.nodes[static_cast<size_t>(node)];
      if (ready) {
        relations[static_cast<size_t>(node)] = translate(node);
        for (const int32_t operand : {n.first, n.second}) {
          if (operand == querynode::none) continue;
          depths[static_cast<size_t>(node)] =
              std::max(depths[static_cast<size_t>(node)], depths[static_cast<size_t>(operand)]);
        }
        if (n.op != operatorkind::table) ++depths[static_cast<size_t>(node)];
        continue;
      }
      pending.emplace_back(node, true);
      if (n.second != querynode::none) pending.emplace_back(n.second, false);
      if (n.first != querynode::none) pending.emplace_back(n.first, false);
    }
    const size_t limit = deepestaccepted(dialect).steps;
    if (depths.front() > limit) {
      warn("the query nests " + std::to_string(depths.front()) + " steps deep: " +
           std::string(enginename(dialect)) + " may refuse it past " + std::to_string(limit));
    }
  }
  if (tree.toodeep() || shapes.front().columns.columns.empty()) {
    done.warnings = {"the result has no columns: the statement returns no rows"};
    done.text = "SELECT 0 WHERE FALSE;\n";
    return std::move(done);
  }
  const sqlrelation& r = relations.front();
  const sqlshape& s = shapes.front();
  std::vector<std::string> outputs;
  for (size_t k = 0; k < r.columns.size(); ++k) {
    const std::string name = sqlname(s.columns.columns[k]->name);
    outputs.push_back(r.columns[k] == name ? name : r.columns[k] + " AS " + name);
  }
  if (!steps.empty()) done.text = "WITH\n" + join(steps, ",\n") + "\n";
  done.text +=
      "SELECT " + join(outputs, ", ") + " FROM " + r.from + " ORDER BY " + finalorder(r, s) + ";\n";
  return std::move(done);
}

std::string translator::finalorder(const sqlrelation& r, const sqlshape& s) {
  // Qualified, so that no output column's new name is taken for it.
  if (!r.order.empty()) return r.from + "." + r.order;
  std::vector<std::string> keys;
  for (size_t k = 0; k < r.columns.size(); ++k) {
    std::string key = r.from + "." + r.columns[k];
    if (!s.ints[k]) {
      warnhighbyte(s.columns.columns[k]->name, s.facts[k]);
      if (dialect == sqldialect::postgres) key += " COLLATE \"C\"";
    }
    keys.push_back(std::move(key));
  }
  return join(keys, ", ");
}

sqlrelation translator::translate(int32_t node) {
  const querynode& n = tree.nodes[static_cast<size_t>(node)];
  const sqlshape& s = shapes[static_cast<size_t>(node)];
  if (s.columns.columns.empty()) {
    // No columns, so no rows: a step of one column that no row fills.
    const std::string comment = n.op == operatorkind::table
                                    ? "no table is named " + commentsafe(n.name) + ": it is empty"
                                    : std::string();
    return addstep(n.op == operatorkind::table ? "empty" : keywordof(n.op), s, true,
                   "SELECT 0 WHERE FALSE", comment);
  }
  switch (n.op) {
    case operatorkind::table:
      return tables.named.at(std::string(n.name));
    case operatorkind::select:
      return select(n, s);
    case operatorkind::rename: {
      const sqlrelation& r = relations[static_cast<size_t>(n.first)];
      return addstep("rename", s, !r.order.empty(), "SELECT " + selectlist(r) + " FROM " + r.from);
    }
    case operatorkind::project:
      return project(n, s);
    case operatorkind::product:
      return product(n, s);
    case operatorkind::unite:
      return unite(n, s);
    case operatorkind::minus:
      return minus(n, s);
  }
  return {};
}

sqlrelation translator::addstep(std::string_view keyword, const sqlshape& s, bool numbered,
                                const std::string& body, std::string_view comment) {
  std::string name = std::string(keyword) + "_" + std::to_string(++stepcount);
  while (taken.count(foldcase(name))) name += '_';
  taken.insert(foldcase(name));
  std::vector<std::string_view> labels;
  for (const auto& c : s.columns.columns) labels.push_back(c->name);
  std::unordered_set<std::string> names{"#"};
  sqlrelation made{name, {}, numbered ? numbercolumn : std::string()};
  for (const std::string& label : distinctnames(labels, names, longestname(dialect))) {
    made.columns.push_back(sqlname(label));
  }
  std::vector<std::string> header = made.columns;
  if (numbered) header.insert(header.begin(), numbercolumn);
  std::string step = comment.empty() ? "" : "  -- " + std::string(comment) + "\n";
  step += "  " + name + "(" + join(header, ", ") + ") AS (" + body + ")";
  steps.push_back(std::move(step));
  return made;
}

std::string translator::selectlist(const sqlrelation& r, std::string_view by) const {
  std::vector<std::string> names = r.columns;
  if (!r.order.empty()) names.insert(names.begin(), r.order);
  return join(by.empty() ? names : qualified(by, names), ", ");
}

sqlrelation translator::select(const querynode& n, const sqlshape& s) {
  const sqlrelation& r = relations[static_cast<size_t>(n.first)];
  const std::string where = condition(n.condition, r, shapes[static_cast<size_t>(n.first)]);
  return addstep("select", s, !r.order.empty(),
                 "SELECT " + selectlist(r) + " FROM " + r.from + " WHERE " + where);
}

sqlrelation translator::project(const querynode& n, const sqlshape& s) {
  const sqlrelation& r = relations[static_cast<size_t>(n.first)];
  const table& operand = shapes[static_cast<size_t>(n.first)].columns;
  std::vector<std::string> picked;
  for (const std::string_view name : projectnames(n.rest)) {
    // The first column of the name; a name no column bears adds none.
    for (size_t k = 0; k < operand.columns.size(); ++k) {
      if (operand.columns[k]->name == name) {
        picked.push_back(r.columns[k]);
        break;
      }
    }
  }
  return addstep("project", s, false, "SELECT DISTINCT " + join(picked, ", ") + " FROM " + r.from);
}

sqlrelation translator::product(const querynode& n, const sqlshape& s) {
  const sqlrelation& a = relations[static_cast<size_t>(n.first)];
  const sqlrelation& b = relations[static_cast<size_t>(n.second)];
  std::vector<std::string> both = qualified("l", a.columns);
  for (std::string& name : qualified("r", b.columns)) both.push_back(std::move(name));
  return addstep("product", s, false,
                 "SELECT DISTINCT " + join(both, ", ") + " FROM " + a.from + " AS l CROSS JOIN " +
                     b.from + " AS r");
}

sqlrelation translator::unite(const querynode& n, const sqlshape& s) {
  const sqlrelation& a = relations[static_cast<size_t>(n.first)];
  const sqlrelation& b = relations[static_cast<size_t>(n.second)];
  const sqlshape& as = shapes[static_cast<size_t>(n.first)];
  const sqlshape& bs = shapes[static_cast<size_t>(n.second)];
  // The second operand's values as the first's columns hold them: converted where the types
  // differ, the empty text (0 in an integer column) where it has no such column.
  std::vector<std::string> second;
  for (size_t k = 0; k < a.columns.size(); ++k) {
    if (k >= b.columns.size()) {
      second.push_back(as.ints[k] ? "0" : "''");
    } else if (as.ints[k] == bs.ints[k]) {
      second.push_back(b.columns[k]);
    } else if (as.ints[k]) {
      second.push_back(castint(b.columns[k], bs.columns.columns[k]->name, bs.facts[k]));
    } else {
      second.push_back("CAST(" + b.columns[k] + " AS TEXT)");
    }
  }
  return addstep("union", s, false,
                 "SELECT " + join(a.columns, ", ") + " FROM " + a.from + " UNION SELECT " +
                     join(second, ", ") + " FROM " + b.from);
}

sqlrelation translator::minus(const querynode& n, const sqlshape& s) {
  const sqlrelation& a = relations[static_cast<size_t>(n.first)];
  const sqlrelation& b = relations[static_cast<size_t>(n.second)];
  const sqlshape& as = shapes[static_cast<size_t>(n.first)];
  const sqlshape& bs = shapes[static_cast<size_t>(n.second)];
  const bool numbered = !a.order.empty();
  // A second operand with fewer columns matches no row.
  if (b.columns.size() < a.columns.size()) {
    return addstep("minus", s, numbered, "SELECT " + selectlist(a) + " FROM " + a.from);
  }
  // Rows match when their values agree as texts, column by column.
  std::vector<std::string> equal;
  for (size_t k = 0; k < a.columns.size(); ++k) {
    std::string left = "r." + b.columns[k];
    std::string right = "l." + a.columns[k];
    if (bs.ints[k] && !as.ints[k]) left = "CAST(" + left + " AS TEXT)";
    if (as.ints[k] && !bs.ints[k]) right = "CAST(" + right + " AS TEXT)";
    equal.push_back(left + " = " + right);
  }
  return addstep("minus", s, numbered,
                 "SELECT " + selectlist(a, "l") + " FROM " + a.from +
                     " AS l WHERE NOT EXISTS (SELECT 1 FROM " + b.from + " AS r WHERE " +
                     join(equal, " AND ") + ")");
}

std::string translator::condition(int32_t root, const sqlrelation& r, const sqlshape& rs) {
  const columnlist columns = columnlist::of(rs.columns);
  std::string out;
  // A connective's pieces in the order they are written, without recursion: a condition
  // nests deep. A piece is a node of the condition or a fixed text.
  struct piece {
    int32_t node;
    const char* text;
  };
  std::vector<piece> pending{{root, nullptr}};
  size_t depth = 0;  // of the parentheses open
  size_t deepest = 0;
  while (!pending.empty()) {
    const piece p = pending.back();
    pending.pop_back();
    if (p.text) {
      out += p.text;
      if (*p.text == ')') --depth;
      continue;
    }
    deepest = std::max(deepest, ++depth);
    const conditionnode& c = tree.conditions[static_cast<size_t>(p.node)];
    switch (c.k) {
      case conditionkind::unrecognised:
        out += "FALSE";  // an unrecognised condition answers no
        break;
      case conditionkind::andkind:
      case conditionkind::orkind:
        pending.push_back({-1, ")"});
        pending.push_back({c.second, nullptr});
        pending.push_back({-1, c.k == conditionkind::andkind ? " AND " : " OR "});
        pending.push_back({c.first, nullptr});
        out += "(";
        break;
      case conditionkind::notkind:
        pending.push_back({-1, ")"});
        pending.push_back({c.first, nullptr});
        out += "NOT (";
        break;
      default:
        out += comparison(c, columns, r, rs);
    }
    if (c.k != conditionkind::andkind && c.k != conditionkind::orkind &&
        c.k != conditionkind::notkind) {
      --depth;
    }
  }
  const size_t limit = deepestaccepted(dialect).condition;
  if (deepest > limit) {
    warn("a condition nests " + std::to_string(deepest) + " levels deep: " +
         std::string(enginename(dialect)) + " may refuse it past " + std::to_string(limit));
  }
  return out;
}

std::string translator::comparison(const conditionnode& c, const columnlist& columns,
                                   const sqlrelation& r, const sqlshape& rs) {
  const comparisonplan plan = plancomparison(c, columns);
  const bool ordering = c.k != conditionkind::eq && c.k != conditionkind::neq;
  std::string left = operand(c.left, plan.left, plan.isint, ordering, r, rs);
  const std::string right = operand(c.right, plan.right, plan.isint, ordering, r, rs);
  if (!plan.isint && ordering && dialect == sqldialect::postgres) left += " COLLATE \"C\"";
  return left + " " + std::string(symbolof(c.k)) + " " + right;
}

std::string translator::operand(std::string_view text, int32_t position, bool isint, bool ordering,
                                const sqlrelation& r, const sqlshape& rs) {
  if (position < 0) {
    // A constant: its quotes stripped, read as an integer here when compared as one.
    const std::string_view value = stripquotes(text);
    if (!isint) {
      if (ordering && hashighbyte(value)) {
        warn("the constant " + sqltext(commentsafe(value)) +
             " has bytes above 127 and is compared for order: relalg orders by bytes, an engine "
             "may order otherwise");
      }
      return sqltext(value);
    }
    const int32_t number = texttoint(value);
    if (readsbeyond32(value)) {
      warn("the constant " + commentsafe(value) + " is read as " + std::to_string(number) +
           ", saturated to 32 bits");
    }
    return std::to_string(number);
  }
  const auto k = static_cast<size_t>(position);
  const std::string& ref = r.columns[k];
  const std::string& name = rs.columns.columns[k]->name;
  if (rs.ints[k]) return isint ? ref : "CAST(" + ref + " AS TEXT)";
  if (rs.facts[k].quoted) {
    warn("the text " + sqltext(commentsafe(*rs.facts[k].quoted)) + " of column " +
         commentsafe(name) + " opens with a quote, which relalg strips before comparing");
  }
  if (isint) return castint(ref, name, rs.facts[k]);
  if (ordering) warnhighbyte(name, rs.facts[k]);
  return ref;
}

std::string translator::castint(const std::string& ref, std::string_view name,
                                const textfacts& facts) {
  if (facts.beyond32) {
    warn("the text " + sqltext(commentsafe(*facts.beyond32)) + " of column " + commentsafe(name) +
         " is read as an integer: relalg saturates it to 32 bits, " +
         std::string(enginename(dialect)) + " does not");
  }
  // SQLite's CAST reads a text as atoi does; stricter engines refuse any text but a plain
  // integer, so there atoi's reading is spelt out: white space, a sign, digits, else 0.
  if (dialect == sqldialect::sqlite || !facts.notplain) return "CAST(" + ref + " AS INTEGER)";
  const std::string pattern = "'^[ \\t\\n\\v\\f\\r]*([+-]?[0-9]+)'";
  if (dialect == sqldialect::duckdb) {
    return "COALESCE(TRY_CAST(regexp_extract(" + ref + ", " + pattern + ", 1) AS INTEGER), 0)";
  }
  return "COALESCE(CAST(substring(" + ref + " FROM " + pattern + ") AS INTEGER), 0)";
}

void translator::warnhighbyte(std::string_view name, const textfacts& facts) {
  if (!facts.highbyte) return;
  warn("the text " + sqltext(commentsafe(*facts.highbyte)) + " of column " + commentsafe(name) +
       " has bytes above 127 and is compared for order: relalg orders by bytes, an engine may "
       "order otherwise");
}

}  // namespace

table withoutrows(const table& t) {
  table empty;
  empty.name = t.name;
  for (const auto& c : t.columns) empty.addcolumn(emptylike(*c));
  return empty;
}

shaperecorder::shaperecorder(const querytree& t, const std::vector<table>& input)
    : shapes(t.nodes.size()), tree(t) {
  for (const table& each : input) named[each.name] = &each;
}

void shaperecorder::seen(int32_t node, const table& t, int64_t) {
  sqlshape& s = shapes[static_cast<size_t>(node)];
  s.columns.name = t.name;
  for (const auto& c : t.columns) {
    s.columns.addcolumn(emptylike(*c));
    s.ints.push_back(dynamic_cast<const intcolumn*>(c.get()) != nullptr);
  }
  s.facts = factsof(tree.nodes[static_cast<size_t>(node)], t);
}

std::vector<textfacts> shaperecorder::factsof(const querynode& n, const table& t) const {
  std::vector<textfacts> facts(t.columns.size());
  if (t.columns.empty()) return facts;
  // Of every value that reaches a column from the input, those the rows kept included: an
  // engine may move a comparison below a filter and read values that relalg never compares.
  const auto of = [&](int32_t operand) -> const sqlshape& {
    return shapes[static_cast<size_t>(operand)];
  };
  switch (n.op) {
    case operatorkind::table: {
      const table& input = *named.at(n.name);
      for (size_t k = 0; k < input.columns.size() && k < facts.size(); ++k) {
        if (dynamic_cast<const intcolumn*>(input.columns[k].get())) continue;
        intbuffer buffer;
        const column& c = *input.columns[k];
        for (int32_t row = 0; row < c.size(); ++row) facts[k].add(c.valueview(row, buffer));
      }
      break;
    }
    case operatorkind::select:
    case operatorkind::rename:
    case operatorkind::minus:
      facts = of(n.first).facts;
      break;
    case operatorkind::project: {
      const sqlshape& r = of(n.first);
      size_t k = 0;
      for (const std::string_view name : projectnames(n.rest)) {
        for (size_t from = 0; from < r.columns.columns.size(); ++from) {
          if (r.columns.columns[from]->name != name) continue;
          facts[k++] = r.facts[from];  // the first column of the name
          break;
        }
      }
      break;
    }
    case operatorkind::product:
      facts = of(n.first).facts;
      facts.insert(facts.end(), of(n.second).facts.begin(), of(n.second).facts.end());
      break;
    case operatorkind::unite: {
      facts = of(n.first).facts;
      const sqlshape& u = of(n.second);
      for (size_t k = 0; k < facts.size(); ++k) {
        // A text column takes the second operand's texts, decimal integers, or the empty text.
        if (of(n.first).ints[k]) continue;
        if (k >= u.facts.size()) {
          facts[k].add("");
        } else if (!u.ints[k]) {
          facts[k].merge(u.facts[k]);
        }
      }
      break;
    }
  }
  facts.resize(t.columns.size());
  return facts;
}

sqlstatement translatequery(const querytree& tree, const std::vector<sqlshape>& shapes,
                            const sqltables& tables, sqldialect dialect) {
  return translator(tree, shapes, tables, dialect).run();
}

}  // namespace relalg
