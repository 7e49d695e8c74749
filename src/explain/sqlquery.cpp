// Translation of the query tree into one statement: a step per operator call, in the order of
// evaluation, columns named by position, and warnings where SQL may answer otherwise.
#include "explain/sqlquery.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include "model/textint.h"
#include "operators/condition/comparison.h"
#include "tree/walk.h"

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
  translator(const querytree& t, const plan& p, const std::vector<sqlshape>& s,
             const sqltables& loaded, sqldialect d)
      : tree(t), plain(p), shapes(s), tables(loaded), dialect(d), taken(loaded.taken) {
    for (const step& each : plain.steps) stepof[each.node] = &each;
  }

  sqlstatement run();

 private:
  const querytree& tree;
  const plan& plain;
  std::unordered_map<int32_t, const step*> stepof;  // each node's step
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
  std::string comparison(int32_t node, const sqlrelation& r, const sqlshape& rs);
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
    // The plan's steps stand operands first, a step for each node.
    for (const step& each : plain.steps) {
      const auto node = static_cast<size_t>(each.node);
      relations[node] = translate(each.node);
      const querynode& n = tree.nodes[node];
      for (const int32_t operand : {n.first, n.second}) {
        if (operand != querynode::none) {
          depths[node] = std::max(depths[node], depths[static_cast<size_t>(operand)]);
        }
      }
      if (n.op != operatorkind::table) ++depths[node];
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
    const std::string name = sqlname(s.columns.columns[k].name);
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
      warnhighbyte(s.columns.columns[k].name, s.facts[k]);
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
  for (const columnschema& c : s.columns.columns) labels.push_back(c.name);
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
  std::vector<std::string> picked;
  for (const int32_t k : stepof.at(static_cast<int32_t>(&n - tree.nodes.data()))->columns) {
    picked.push_back(r.columns[static_cast<size_t>(k)]);
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
      second.push_back(castint(b.columns[k], bs.columns.columns[k].name, bs.facts[k]));
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
  // A connective's pieces in the order they are written: AND and OR between their operands,
  // each connective in parentheses.
  struct writer : walkevents {
    translator& to;
    const sqlrelation& r;
    const sqlshape& rs;
    std::string out;
    size_t depth = 0;  // of the nodes entered
    size_t deepest = 0;

    writer(translator& t, const sqlrelation& relation, const sqlshape& shape)
        : to(t), r(relation), rs(shape) {}

    bool enter(int32_t node) {
      deepest = std::max(deepest, ++depth);
      const conditionnode& c = to.tree.conditions[static_cast<size_t>(node)];
      switch (c.k) {
        case conditionkind::unrecognised:
          out += "FALSE";  // an unrecognised condition answers no
          break;
        case conditionkind::andkind:
        case conditionkind::orkind:
          out += "(";
          break;
        case conditionkind::notkind:
          out += "NOT (";
          break;
        default:
          out += to.comparison(node, r, rs);
      }
      return true;
    }
    void between(int32_t node) {
      const bool both = to.tree.conditions[static_cast<size_t>(node)].k == conditionkind::andkind;
      out += both ? " AND " : " OR ";
    }
    void leave(int32_t node) {
      --depth;
      const conditionkind k = to.tree.conditions[static_cast<size_t>(node)].k;
      if (k == conditionkind::andkind || k == conditionkind::orkind ||
          k == conditionkind::notkind) {
        out += ")";
      }
    }
  } w(*this, r, rs);
  walk(tree.conditions, root, w);
  const size_t limit = deepestaccepted(dialect).condition;
  if (w.deepest > limit) {
    warn("a condition nests " + std::to_string(w.deepest) + " levels deep: " +
         std::string(enginename(dialect)) + " may refuse it past " + std::to_string(limit));
  }
  return std::move(w.out);
}

std::string translator::comparison(int32_t node, const sqlrelation& r, const sqlshape& rs) {
  const conditionnode& c = tree.conditions[static_cast<size_t>(node)];
  const binding& plan = plain.bindings[static_cast<size_t>(node)];
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
  const std::string& name = rs.columns.columns[k].name;
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

namespace {

// The facts of the values that reach each column of a step from the input: of every value,
// those the rows kept included, since an engine may move a comparison below a filter and
// read values that relalg never compares.
std::vector<textfacts> factsof(const querytree& tree, const step& s,
                               const std::vector<sqlshape>& shapes,
                               const std::vector<table>& input) {
  std::vector<textfacts> facts(s.output.columns.size());
  if (facts.empty()) return facts;
  const querynode& n = tree.nodes[static_cast<size_t>(s.node)];
  const auto of = [&](int32_t operand) -> const sqlshape& {
    return shapes[static_cast<size_t>(operand)];
  };
  switch (s.kind) {
    case stepkind::table: {
      const table& t = input[static_cast<size_t>(s.table)];
      for (size_t k = 0; k < facts.size(); ++k) {
        const column& c = t.columns()[k];
        if (c.type().holdsintegers()) continue;
        for (const textref& value : c.texts()) facts[k].add(value.view());
      }
      break;
    }
    case stepkind::select:
    case stepkind::rename:
    case stepkind::minus:
      facts = of(n.first).facts;
      break;
    case stepkind::project:
      for (size_t k = 0; k < s.columns.size(); ++k) {
        facts[k] = of(n.first).facts[static_cast<size_t>(s.columns[k])];
      }
      break;
    case stepkind::product:
      facts = of(n.first).facts;
      facts.insert(facts.end(), of(n.second).facts.begin(), of(n.second).facts.end());
      break;
    case stepkind::unite: {
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
    case stepkind::empty:
    case stepkind::join:
      break;
  }
  facts.resize(s.output.columns.size());
  return facts;
}

}  // namespace

std::vector<sqlshape> shapesof(const querytree& tree, const plan& plain,
                               const std::vector<table>& input) {
  std::vector<sqlshape> shapes(tree.nodes.size());
  // Operands' steps come first: each node's shape is made from theirs.
  for (const step& s : plain.steps) {
    if (s.node < 0) continue;  // a query too deep has no nodes
    sqlshape& shape = shapes[static_cast<size_t>(s.node)];
    shape.columns = s.output;
    for (const columnschema& c : s.output.columns) shape.ints.push_back(c.type.holdsintegers());
    shape.facts = factsof(tree, s, shapes, input);
  }
  return shapes;
}

sqlstatement translatequery(const querytree& tree, const plan& plain,
                            const std::vector<sqlshape>& shapes, const sqltables& tables,
                            sqldialect dialect) {
  return translator(tree, plain, shapes, tables, dialect).run();
}

}  // namespace relalg
