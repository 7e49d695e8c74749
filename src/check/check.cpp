// Comparing two queries' results, and narrowing a database down to the fewest rows on which
// they differ: by the rows' lineage as formulas, a solver where the build has one, and rows
// dropped one at a time.
#include "check/check.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "check/formula.h"
#include "check/solver.h"
#include "input/input.h"
#include "model/textint.h"
#include "operators/condition/comparison.h"
#include "operators/evaluator.h"
#include "output/printbuffer.h"
#include "output/tablewriter.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

namespace {

// Generated databases are given up after this long.
constexpr double generatingseconds = 5.0;
// The values a generated column draws from: the first few of each kind.
constexpr size_t mostvalues = 6;

using clock = std::chrono::steady_clock;

double secondssince(clock::time_point start) {
  return std::chrono::duration<double>(clock::now() - start).count();
}

// Rows are numbered across a database's tables: table k's row r is offsets[k] + r.
std::vector<uint32_t> offsetsof(const std::vector<table>& tables) {
  std::vector<uint32_t> offsets;
  uint32_t next = 0;
  for (const table& t : tables) {
    offsets.push_back(next);
    next += static_cast<uint32_t>(t.rowcount());
  }
  offsets.push_back(next);
  return offsets;
}

// Every table with only the rows kept.
std::vector<table> partof(const std::vector<table>& tables, const std::vector<uint8_t>& kept) {
  const std::vector<uint32_t> offsets = offsetsof(tables);
  std::vector<table> part;
  for (size_t k = 0; k < tables.size(); ++k) {
    std::vector<int32_t> rows;
    for (int32_t row = 0; row < tables[k].rowcount(); ++row) {
      if (kept[offsets[k] + static_cast<uint32_t>(row)]) rows.push_back(row);
    }
    table t = tables[k];
    t.gather(rows);
    part.push_back(std::move(t));
  }
  return part;
}

std::vector<uint8_t> keeping(size_t count, const std::vector<uint32_t>& rows) {
  std::vector<uint8_t> kept(count, 0);
  for (const uint32_t row : rows) kept[row] = 1;
  return kept;
}

// The formula of each distinct row of a query's result, as printed: when it is made, in terms
// of the database's rows kept, by the lineage of every step of its plan.
std::unordered_map<std::string, formulas::id> resultformulas(const querytree& tree,
                                                             const std::vector<table>& tables,
                                                             formulas& f) {
  std::unordered_map<std::string, formulas::id> result;
  if (tree.toodeep()) return result;
  const plan p = buildplan(tree, tables, rewrites::joins);
  const std::vector<evaluator::traced> steps = evaluator(tables).trace(tree, p);
  const std::vector<uint32_t> offsets = offsetsof(tables);
  std::vector<std::vector<formulas::id>> made(steps.size());
  for (size_t i = 0; i < steps.size(); ++i) {
    const step& s = p.steps[i];
    const lineage& l = steps[i].made;
    const auto rows = static_cast<size_t>(steps[i].value.rowcount());
    // Any of the rows an operand lists for row `row`.
    const auto anyof = [&](size_t operand, size_t row) {
      const std::vector<formulas::id>& of = made[static_cast<size_t>(s.operands[operand])];
      std::vector<formulas::id> parts;
      for (uint32_t at = l.starts[operand][row]; at < l.starts[operand][row + 1]; ++at) {
        parts.push_back(of[static_cast<size_t>(l.rows[operand][at])]);
      }
      return f.any(std::move(parts));
    };
    std::vector<formulas::id>& out = made[i];
    out.reserve(rows);
    for (size_t row = 0; row < rows; ++row) {
      switch (s.kind) {
        case stepkind::table:
          out.push_back(f.row(offsets[static_cast<size_t>(s.table)] + static_cast<uint32_t>(row)));
          break;
        case stepkind::empty:
          break;
        case stepkind::select:
        case stepkind::rename:
        case stepkind::project:
          out.push_back(anyof(0, row));
          break;
        case stepkind::product:
        case stepkind::join: {
          std::vector<formulas::id> parts;
          for (size_t k = 0; k < s.operands.size(); ++k) parts.push_back(anyof(k, row));
          out.push_back(f.all(std::move(parts)));
          break;
        }
        case stepkind::unite:
          out.push_back(f.any({anyof(0, row), anyof(1, row)}));
          break;
        case stepkind::minus:
          out.push_back(f.all({anyof(0, row), f.negation(anyof(1, row))}));
          break;
      }
    }
  }
  const table& value = steps.back().value;
  std::unordered_map<std::string, std::vector<formulas::id>> byrow;
  const std::vector<std::string> printed = printedrows(value);
  for (size_t row = 0; row < printed.size(); ++row) {
    byrow[printed[row]].push_back(made.back()[row]);
  }
  for (auto& [row, parts] : byrow) result.emplace(row, f.any(std::move(parts)));
  return result;
}

// Rows that make formula `at` hold, true with all rows kept: every row of an all, one of an
// any; a negation asks for none. A stack, not a recursion: formulas nest as deep as queries.
void whyholds(const formulas& f, formulas::id at, const std::vector<uint8_t>& truths,
              std::vector<uint8_t>& chosen) {
  std::vector<formulas::id> pending{at};
  std::vector<uint8_t> seen(f.size(), 0);
  while (!pending.empty()) {
    const formulas::id next = pending.back();
    pending.pop_back();
    if (seen[next]) continue;
    seen[next] = 1;
    switch (f.kindof(next)) {
      case formulas::kind::row:
        chosen[f.rowof(next)] = 1;
        break;
      case formulas::kind::all:
        pending.insert(pending.end(), f.partsbegin(next), f.partsend(next));
        break;
      case formulas::kind::any: {
        const formulas::id* part = std::find_if(f.partsbegin(next), f.partsend(next),
                                                [&](formulas::id p) { return truths[p] != 0; });
        if (part != f.partsend(next)) pending.push_back(*part);
        break;
      }
      case formulas::kind::constant:
      case formulas::kind::negation:
        break;
    }
  }
}

// Drops rows one at a time while the rest still differ: no single row can then be dropped.
std::vector<uint32_t> shrink(std::vector<uint32_t> rows,
                             const std::function<bool(const std::vector<uint32_t>&)>& differs) {
  for (size_t i = rows.size(); i-- > 0;) {
    std::vector<uint32_t> fewer = rows;
    fewer.erase(fewer.begin() + static_cast<ptrdiff_t>(i));
    if (differs(fewer)) rows = std::move(fewer);
  }
  return rows;
}

// The rows of a database whose set of kept rows makes the two results differ, from all of its
// rows down: halves dropped while the rest still differ, then quarters, and so on down to
// single rows, or until `enough` rows are left.
std::vector<uint32_t> narrow(std::vector<uint32_t> rows,
                             const std::function<bool(const std::vector<uint32_t>&)>& differs,
                             size_t enough = 1) {
  for (size_t chunk = rows.size() / 2; chunk >= 1 && rows.size() > enough; chunk /= 2) {
    for (size_t at = 0; at < rows.size();) {
      std::vector<uint32_t> fewer(rows.begin(), rows.begin() + static_cast<ptrdiff_t>(at));
      const size_t end = std::min(rows.size(), at + chunk);
      fewer.insert(fewer.end(), rows.begin() + static_cast<ptrdiff_t>(end), rows.end());
      if (differs(fewer)) {
        rows = std::move(fewer);
      } else {
        at = end;
      }
    }
    if (chunk == 1) break;
  }
  return rows;
}

// Smaller parts of the rows the goal reads are tried one by one when there are at most this many.
constexpr size_t mosttries = 4096;

// The rows the formula reads.
std::vector<uint32_t> rowsread(const formulas& f, formulas::id goal) {
  std::vector<uint32_t> rows;
  std::vector<uint8_t> seen(f.size(), 0);
  std::vector<formulas::id> pending{goal};
  while (!pending.empty()) {
    const formulas::id at = pending.back();
    pending.pop_back();
    if (seen[at]) continue;
    seen[at] = 1;
    if (f.kindof(at) == formulas::kind::row) rows.push_back(f.rowof(at));
    pending.insert(pending.end(), f.partsbegin(at), f.partsend(at));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

// Tries every part of fewer rows than `rows`, of the rows the goal reads, smallest first;
// false when there are too many. The first on which the goal holds replaces `rows`: what rows
// holds then is the fewest.
bool triedsmaller(const formulas& f, formulas::id goal,
                  const std::function<bool(const std::vector<uint32_t>&)>& holds,
                  std::vector<uint32_t>& rows) {
  const size_t below = rows.size();
  const std::vector<uint32_t> read = rowsread(f, goal);
  // How many parts of fewer than `below` rows there are, counted until past the bound.
  size_t parts = 0;
  size_t choose = 1;  // parts of `size` rows
  for (size_t size = 0; size < below && parts <= mosttries; ++size) {
    parts += choose;
    if (size + 1 < below) {
      if (choose > mosttries) return false;
      choose = choose * (read.size() - size) / (size + 1);
    }
  }
  if (parts > mosttries) return false;
  // Every part of `size` rows, as increasing positions among the rows read.
  for (size_t size = 0; size < below; ++size) {
    std::vector<size_t> at(size);
    for (size_t i = 0; i < size; ++i) at[i] = i;
    while (true) {
      std::vector<uint32_t> part;
      for (const size_t i : at) part.push_back(read[i]);
      if (holds(part)) {
        rows = std::move(part);
        return true;
      }
      size_t i = size;
      while (i > 0 && at[i - 1] == read.size() - size + i - 1) --i;
      if (i == 0) break;
      ++at[i - 1];
      for (size_t j = i; j < size; ++j) at[j] = at[j - 1] + 1;
    }
  }
  return true;
}

// Both queries, each with its plan over a database's tables: a plan binds only names and
// columns, so it serves every part of the database, whose tables are the same but for rows.
struct queries {
  const querytree& answer;
  const querytree& query;
  plan answerplan;
  plan queryplan;

  queries(const querytree& a, const querytree& b, const std::vector<table>& tables)
      : answer(a), query(b), answerplan(buildplan(a, tables)), queryplan(buildplan(b, tables)) {}

  // Whether the two results on the tables differ, and why (empty when they agree).
  std::string differ(const std::vector<table>& tables, bool strict) const {
    return difference(answeron(tables), queryon(tables), strict);
  }
  table answeron(const std::vector<table>& tables) const {
    return evaluator(tables).evaluate(answer, answerplan);
  }
  table queryon(const std::vector<table>& tables) const {
    return evaluator(tables).evaluate(query, queryplan);
  }
};

// The fewest rows of a database on which the results differ, for a database on which they do
// (for the reason given); proven the least where it can be.
std::vector<uint32_t> fewestrows(const queries& q, const std::vector<table>& tables,
                                 const std::string& reason, const checkoptions& options,
                                 bool& smallest) {
  smallest = false;
  const size_t count = offsetsof(tables).back();
  std::vector<uint32_t> all(count);
  for (uint32_t row = 0; row < count; ++row) all[row] = row;
  // Columns and headers are the same whatever the rows: no row is needed.
  if (reason == "columns") {
    smallest = true;
    return {};
  }
  const auto plainly = [&](const std::vector<uint32_t>& rows) {
    const std::vector<table> part = partof(tables, keeping(count, rows));
    return !q.differ(part, options.strict).empty();
  };
  if (reason == "table") {
    // The same rows in another order, or another header: nothing but evaluating tells.
    if (plainly({})) {
      smallest = true;
      return {};
    }
    return shrink(narrow(all, plainly), plainly);
  }
  // The rows differ: the results on any part of the database are told by the formulas of
  // their rows, and they differ when some row is in one and not in the other.
  formulas f;
  const auto a = resultformulas(q.answer, tables, f);
  const auto b = resultformulas(q.query, tables, f);
  std::vector<formulas::id> either;
  for (const auto& [row, fa] : a) {
    const auto found = b.find(row);
    const formulas::id fb = found == b.end() ? f.falsity() : found->second;
    either.push_back(f.any({f.all({fa, f.negation(fb)}), f.all({fb, f.negation(fa)})}));
  }
  for (const auto& [row, fb] : b) {
    if (a.count(row) == 0) either.push_back(fb);
  }
  const formulas::id goal = f.any(std::move(either));
  const auto holds = [&](const std::vector<uint32_t>& rows) { return f.holdswith(goal, rows); };
  // One derivation of a row that one result has and the other has not, then rows dropped.
  const std::vector<uint8_t> truths = f.holds(std::vector<uint8_t>(count, 1));
  std::vector<uint8_t> chosen(count, 0);
  whyholds(f, goal, truths, chosen);
  std::vector<uint32_t> rows;
  for (uint32_t row = 0; row < count; ++row) {
    if (chosen[row]) rows.push_back(row);
  }
  // Where a difference nested in another hides a row again, all the rows are narrowed.
  rows = holds(rows) ? shrink(rows, holds) : shrink(narrow(all, holds), holds);
  if (rows.empty()) {
    smallest = true;
    return rows;
  }
  // Few enough smaller parts of the rows the goal reads are tried one by one: each that makes
  // the goal hold is smaller, and none doing so proves these the fewest.
  if (triedsmaller(f, goal, holds, rows)) {
    smallest = true;
    return rows;
  }
  bool proven = false;
  if (const auto fewer = fewerrows(f, goal, rows.size(), options.solverseconds, proven)) {
    rows = fewer->rows;
    proven = fewer->proven;
  }
  smallest = proven;
  return rows;
}

// Every constant the queries' comparisons name, quotes stripped: a column name is none.
std::vector<std::string> constantsof(const std::vector<const querytree*>& trees,
                                     const std::vector<table>& tables) {
  std::unordered_set<std::string_view> names;
  for (const table& t : tables) {
    for (const column& c : t.columns()) names.insert(c.name);
  }
  std::vector<std::string> found;
  for (const querytree* tree : trees) {
    for (const conditionnode& n : tree->conditions) {
      if (!iscomparison(n.k)) continue;
      for (const std::string_view side : {n.left, n.right}) {
        if (!side.empty() && names.count(side) == 0) found.emplace_back(stripquotes(side));
      }
    }
  }
  return found;
}

// Databases of the answer's tables, smallest first, their values drawn from the given tables
// and from the queries' constants with their neighbours.
class generator {
 public:
  generator(const std::vector<dataset>& given, const std::vector<std::string>& constants)
      : random(20261209) {
    const std::vector<table>& shapes = given.front().tables;
    for (size_t k = 0; k < shapes.size(); ++k) {
      std::vector<column> columns;
      std::vector<std::vector<std::string>> pools;
      for (size_t c = 0; c < shapes[k].columns().size(); ++c) {
        const column& shape = shapes[k].columns()[c];
        columns.push_back(shape.emptycopy());
        pools.push_back(valuesfor(given, k, c, constants));
      }
      templates.push_back({shapes[k].name, std::move(columns), std::move(pools)});
    }
  }

  // The next database to try: one more row in all every few tries.
  dataset next(int32_t attempt) {
    const auto rows = static_cast<size_t>(1 + attempt / 8);
    std::vector<std::vector<column>> columns;
    for (const shape& s : templates) columns.push_back(s.columns);
    for (size_t r = 0; r < rows && !templates.empty(); ++r) {
      const size_t k = random() % templates.size();
      for (size_t c = 0; c < columns[k].size(); ++c) {
        const std::vector<std::string>& pool = templates[k].pools[c];
        columns[k][c].addvalue(pool.empty() ? std::string() : pool[random() % pool.size()]);
      }
    }
    std::ostringstream text;
    printbuffer out(text);
    out.put("-\n\n");
    for (size_t k = 0; k < templates.size(); ++k) {
      writetable(table(templates[k].name, std::move(columns[k])), out, false);
    }
    out.flush();
    // The database as its counterexample file holds it: a value that a file cannot hold as it
    // is (a quote in a text, a text wider than its column) is checked as it reads back.
    return {"generated", readinput(text.str()).tables};
  }

 private:
  struct shape {
    std::string name;
    std::vector<column> columns;
    std::vector<std::vector<std::string>> pools;
  };
  std::vector<shape> templates;
  std::mt19937 random;

  // A column's values: the queries' constants with their neighbours, the column's own values
  // and, since rows join by the values they share, those of the other columns of its type.
  static std::vector<std::string> valuesfor(const std::vector<dataset>& given, size_t k, size_t c,
                                            const std::vector<std::string>& constants) {
    const bool integers = given.front().tables[k].columns()[c].type().holdsintegers();
    std::vector<std::string> pool;
    std::set<std::string> seen;
    const auto add = [&](const std::string& value) {
      if (!integers) {
        if (seen.insert(value).second) pool.push_back(value);
        return;
      }
      // An integer and its neighbours: one more, one less.
      const int32_t n = texttoint(value);
      for (const int64_t near : {int64_t{n}, int64_t{n} - 1, int64_t{n} + 1}) {
        if (near < INT32_MIN || near > INT32_MAX) continue;
        const std::string text = std::to_string(near);
        if (seen.insert(text).second) pool.push_back(text);
      }
    };
    for (const std::string& constant : constants) add(constant);
    if (!integers) add("");
    const auto from = [&](const column& values) {
      for (int32_t row = 0; row < values.size() && row < static_cast<int32_t>(mostvalues); ++row) {
        intbuffer buffer;
        add(std::string(values.valueview(row, buffer)));
      }
    };
    for (const dataset& d : given) {
      if (k < d.tables.size() && c < d.tables[k].columns().size()) from(d.tables[k].columns()[c]);
    }
    for (const table& t : given.front().tables) {
      for (const column& other : t.columns()) {
        if (other.type().holdsintegers() == integers) from(other);
      }
    }
    return pool;
  }
};

// Databases of more rows than this are narrowed down first to rows near the difference.
constexpr size_t mostwhole = 2000;
// A part of a large database that shows a difference is halved down to this many rows before
// formulas are made of them.
constexpr size_t mostformularows = 64;
// Rows near the difference, at most this many, and at most this many steps from it.
constexpr size_t mostnear = 2000;
constexpr int mosthops = 4;
// Under this many rows in all, a counterexample of two rows is proven the smallest by trying
// every single row.
constexpr size_t mostsingles = 5000;

// The rows of a database that hold a value of the given ones, then those that hold a value of
// these, and so on: the rows a difference between two results is most likely made of, since
// rows join by the values they share. Each step's rows, the nearest first, in turn.
class nearby {
 public:
  explicit nearby(const std::vector<table>& tables) {
    const std::vector<uint32_t> offsets = offsetsof(tables);
    for (size_t k = 0; k < tables.size(); ++k) {
      for (const column& c : tables[k].columns()) {
        for (int32_t row = 0; row < c.size(); ++row) {
          intbuffer buffer;
          holders[std::string(c.valueview(row, buffer))].push_back(offsets[k] +
                                                                   static_cast<uint32_t>(row));
        }
      }
      for (int32_t row = 0; row < tables[k].rowcount(); ++row) {
        std::vector<std::string> values;
        for (const column& c : tables[k].columns()) {
          intbuffer buffer;
          values.emplace_back(c.valueview(row, buffer));
        }
        rowvalues.push_back(std::move(values));
      }
    }
  }

  // The rows within `hops` steps of the values, at most mostnear, the nearest first.
  std::vector<uint32_t> around(const std::vector<std::string>& seeds, int hops) const {
    std::vector<uint32_t> rows;
    std::unordered_set<uint32_t> taken;
    std::unordered_set<std::string> seen(seeds.begin(), seeds.end());
    std::vector<std::string> frontier = seeds;
    for (int hop = 0; hop <= hops && !frontier.empty(); ++hop) {
      std::vector<std::string> next;
      for (const std::string& value : frontier) {
        const auto found = holders.find(value);
        if (found == holders.end()) continue;
        for (const uint32_t row : found->second) {
          if (rows.size() == mostnear) return rows;
          if (!taken.insert(row).second) continue;
          rows.push_back(row);
          for (const std::string& v : rowvalues[row]) {
            if (seen.insert(v).second) next.push_back(v);
          }
        }
      }
      frontier = std::move(next);
    }
    return rows;
  }

 private:
  std::unordered_map<std::string, std::vector<uint32_t>> holders;
  std::vector<std::vector<std::string>> rowvalues;  // each row's values, by its number
};

// The values of the rows one result has and the other lacks.
std::vector<std::string> valuesapart(const table& a, const table& b) {
  const std::vector<std::string> x = printedrows(a);
  const std::vector<std::string> y = printedrows(b);
  const std::set<std::string> inx(x.begin(), x.end());
  const std::set<std::string> iny(y.begin(), y.end());
  std::vector<std::string> values;
  const auto take = [&](const table& t, const std::vector<std::string>& rows,
                        const std::set<std::string>& other) {
    for (size_t row = 0; row < rows.size() && values.size() < 64; ++row) {
      if (other.count(rows[row])) continue;
      for (const column& c : t.columns()) {
        intbuffer buffer;
        values.emplace_back(c.valueview(static_cast<int32_t>(row), buffer));
      }
    }
  };
  take(a, x, iny);
  take(b, y, inx);
  return values;
}

// A part of a large database on which the results differ: the rows near the difference where
// they show it, else all of its rows.
std::vector<uint32_t> partshowing(const queries& q, const std::vector<table>& tables,
                                  const nearby& near, const table& answered, const table& given,
                                  const checkoptions& options) {
  const size_t count = offsetsof(tables).back();
  const std::vector<std::string> seeds = valuesapart(answered, given);
  for (int hops = 0; hops <= mosthops; ++hops) {
    std::vector<uint32_t> rows = near.around(seeds, hops);
    std::sort(rows.begin(), rows.end());
    if (!q.differ(partof(tables, keeping(count, rows)), options.strict).empty()) return rows;
    if (rows.size() == mostnear) break;
  }
  std::vector<uint32_t> all(count);
  for (uint32_t row = 0; row < count; ++row) all[row] = row;
  return all;
}

// Fast path for a large database: a query without a difference (minus) gives on the database
// every row it gives on a part of it, so a row it gives on the first rows of each table that
// the answer's result on the database lacks shows that the results differ, without the
// query's result on the whole database, which may take long to make. The plain path compares
// both whole results, and the verdict should be the same whichever is taken; it is taken when
// no such row is found. Answers the part, on which the results differ too.
std::optional<std::vector<uint32_t>> partwithunexpected(const queries& q,
                                                        const std::vector<table>& tables,
                                                        const table& answered,
                                                        const checkoptions& options) {
  for (const querynode& n : q.query.nodes) {
    if (n.op == operatorkind::minus) return std::nullopt;
  }
  const std::vector<std::string> expected = printedrows(answered);
  const std::unordered_set<std::string> inanswer(expected.begin(), expected.end());
  const size_t count = offsetsof(tables).back();
  const std::vector<uint32_t> offsets = offsetsof(tables);
  for (const int32_t first : {16, 128}) {
    std::vector<uint32_t> rows;
    for (size_t k = 0; k < tables.size(); ++k) {
      for (int32_t row = 0; row < std::min(first, tables[k].rowcount()); ++row) {
        rows.push_back(offsets[k] + static_cast<uint32_t>(row));
      }
    }
    const std::vector<table> part = partof(tables, keeping(count, rows));
    const table given = q.queryon(part);
    if (given.columncount() != answered.columncount()) return std::nullopt;
    for (const std::string& row : printedrows(given)) {
      if (inanswer.count(row) == 0) {
        if (q.differ(part, options.strict).empty()) break;
        return rows;
      }
    }
  }
  return std::nullopt;
}

// The fewest rows of a large database on which the results differ, among the rows of a part
// that shows it: formulas of many rows would take long, so the part is first halved by
// evaluating the queries alone, down to few enough rows to make formulas of.
std::vector<uint32_t> fewestamong(const queries& q, const std::vector<table>& tables,
                                  std::vector<uint32_t> rows, const std::string& reason,
                                  const checkoptions& options, bool& smallest) {
  const size_t count = offsetsof(tables).back();
  const auto differs = [&](const std::vector<uint32_t>& some) {
    return !q.differ(partof(tables, keeping(count, some)), options.strict).empty();
  };
  rows = narrow(std::move(rows), differs, mostformularows);
  // The fewest of those rows, then numbered as the database's again.
  bool withinpart = false;
  const std::vector<uint32_t> chosen =
      fewestrows(q, partof(tables, keeping(count, rows)), reason, options, withinpart);
  std::vector<uint32_t> found;
  for (const uint32_t at : chosen) found.push_back(rows[at]);
  // The fewest of a part may not be the fewest of the database: only a count that nothing
  // smaller beats there is proven, by trying the parts of fewer rows.
  smallest = found.empty();
  if (found.size() == 1) smallest = !differs({});
  if (found.size() == 2 && count <= mostsingles && !differs({})) {
    smallest = true;
    for (uint32_t row = 0; row < count && smallest; ++row) smallest = !differs({row});
  }
  return found;
}

// The counterexample on a database on which the two results differ, taken from the rows of a
// part that shows it where one is given.
counterexample counterexampleon(const queries& q, const dataset& d, const std::string& reason,
                                const std::optional<std::vector<uint32_t>>& showing,
                                const checkoptions& options) {
  counterexample found;
  found.database = d.name;
  const std::vector<uint32_t> rows =
      showing ? fewestamong(q, d.tables, *showing, reason, options, found.smallest)
              : fewestrows(q, d.tables, reason, options, found.smallest);
  found.tables = partof(d.tables, keeping(offsetsof(d.tables).back(), rows));
  found.answered = q.answeron(found.tables);
  found.given = q.queryon(found.tables);
  found.reason = difference(found.answered, found.given, options.strict);
  if (found.reason.empty()) {
    // Never expected: the rows found must show the difference. The whole database does.
    found.tables = d.tables;
    found.smallest = false;
    found.answered = q.answeron(found.tables);
    found.given = q.queryon(found.tables);
    found.reason = reason;
  }
  found.rows = 0;
  for (const table& t : found.tables) found.rows += t.rowcount();
  const std::vector<std::string> a = printedrows(found.answered);
  const std::vector<std::string> b = printedrows(found.given);
  const std::set<std::string> inb(b.begin(), b.end());
  const std::set<std::string> ina(a.begin(), a.end());
  std::set<std::string> listed;
  for (const std::string& row : a) {
    if (inb.count(row) == 0 && listed.insert(row).second) found.missing.push_back(row);
  }
  listed.clear();
  for (const std::string& row : b) {
    if (ina.count(row) == 0 && listed.insert(row).second) found.unexpected.push_back(row);
  }
  return found;
}

}  // namespace

std::vector<std::string> printedrows(const table& t) {
  std::vector<std::string> rows;
  for (int32_t row = 0; row < t.rowcount(); ++row) {
    std::string printed;
    for (size_t k = 0; k < t.columns().size(); ++k) {
      if (k > 0) printed += ',';
      printed += t.columns()[k].printvalue(row);
    }
    rows.push_back(std::move(printed));
  }
  return rows;
}

std::string difference(const table& a, const table& b, bool strict) {
  if (a.columncount() != b.columncount()) return "columns";
  const std::vector<std::string> x = printedrows(a);
  const std::vector<std::string> y = printedrows(b);
  if (std::set<std::string>(x.begin(), x.end()) != std::set<std::string>(y.begin(), y.end())) {
    return "rows";
  }
  if (!strict) return {};
  bool same = a.name == b.name && x == y;
  for (size_t k = 0; same && k < a.columns().size(); ++k) {
    same = a.columns()[k].name == b.columns()[k].name &&
           a.columns()[k].type().typetext() == b.columns()[k].type().typetext();
  }
  return same ? std::string() : "table";
}

checked check(const std::string& answer, const std::string& query,
              const std::vector<dataset>& databases, const checkoptions& options) {
  const querytree a(answer);
  const querytree b(query);
  checked result;
  // Whether the two differ on a database; if so, the counterexample cut from it.
  const auto differon = [&](const dataset& d) {
    const queries q(a, b, d.tables);
    const table answered = q.answeron(d.tables);
    if (offsetsof(d.tables).back() <= mostwhole) {
      const std::string reason = difference(answered, q.queryon(d.tables), options.strict);
      if (!reason.empty()) result.differs = counterexampleon(q, d, reason, std::nullopt, options);
      return !reason.empty();
    }
    if (const auto shown = partwithunexpected(q, d.tables, answered, options)) {
      result.differs = counterexampleon(q, d, "rows", shown, options);
      return true;
    }
    const table given = q.queryon(d.tables);
    const std::string reason = difference(answered, given, options.strict);
    if (reason.empty()) return false;
    // The difference is looked for among the rows near it.
    const nearby near(d.tables);
    std::optional<std::vector<uint32_t>> showing;
    // Results of different counts of columns differ on every part: no row is needed.
    if (reason != "columns") showing = partshowing(q, d.tables, near, answered, given, options);
    result.differs = counterexampleon(q, d, reason, showing, options);
    return true;
  };
  for (const dataset& d : databases) {
    ++result.databases;
    if (differon(d)) return result;
  }
  if (options.generate <= 0 || databases.empty()) return result;
  generator g(databases, constantsof({&a, &b}, databases.front().tables));
  const clock::time_point start = clock::now();
  for (int32_t attempt = 0; attempt < options.generate; ++attempt) {
    if (secondssince(start) > generatingseconds) break;
    ++result.generated;
    if (differon(g.next(attempt))) return result;
  }
  return result;
}

}  // namespace relalg
