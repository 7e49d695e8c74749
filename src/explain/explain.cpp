// Reading the input with the reader's notes, evaluating the query by its plan as relalg does,
// and noting what each step did.
#include "explain/explain.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "explain/jsonrender.h"
#include "explain/querynotes.h"
#include "explain/readingnotes.h"
#include "input/input.h"
#include "operators/evaluator.h"
#include "operators/operators.h"
#include "plan/plan.h"
#include "tree/walk.h"

namespace relalg {

namespace {

// How many names not found are given their closest names; the rest are told only that.
constexpr int64_t mosthints = 50;

// Where the source drops a carriage return: before each line feed, counted in the text it
// leaves.
std::vector<size_t> droppedreturns(const std::string& input) {
  std::vector<size_t> dropped;
  for (size_t at = input.find("\r\n"); at != std::string::npos; at = input.find("\r\n", at + 1)) {
    dropped.push_back(at - dropped.size());
  }
  return dropped;
}

// What each node of the query gave: its row count and first rows, and the whole value of the
// nodes that the values of folded nodes are made from.
class recorder : public observer {
 public:
  recorder(size_t nodes, int32_t shown)
      : rows(nodes, 0), first(nodes), values(nodes), wanted(nodes), unheld(nodes) {
    preview = shown;
  }

  void seen(int32_t node, const table& t) override { record(node, t, t.rowcount()); }

  void record(int32_t node, const table& t, int64_t count) {
    const auto at = static_cast<size_t>(node);
    rows[at] = count;
    first[at].clear();
    const int32_t shown = std::min<int32_t>(preview, t.rowcount());
    for (int32_t row = 0; row < shown; ++row) {
      std::vector<std::string> printed;
      for (const column& c : t.columns()) printed.push_back(c.printvalue(row));
      first[at].push_back(std::move(printed));
    }
    if (wanted[at]) values[at] = t;
  }

  int32_t preview;
  std::vector<int64_t> rows;
  std::vector<std::vector<std::vector<std::string>>> first;
  std::vector<std::optional<table>> values;
  std::vector<bool> wanted;  // the nodes whose whole values are kept
  std::vector<bool> unheld;  // the nodes whose values do not fit in memory
};

// The operands of a product, products among them flattened, in order.
std::vector<int32_t> productoperands(const querytree& tree, int32_t product) {
  const auto isproduct = [&](int32_t at) {
    return tree.nodes[static_cast<size_t>(at)].op == operatorkind::product;
  };
  std::vector<int32_t> operands;
  for (const int32_t at : entered(tree.nodes, product, isproduct)) {
    if (!isproduct(at)) operands.push_back(at);
  }
  return operands;
}

// The nodes of the tree that no step of the plan gives the value of: the products of a join,
// the selections merged into it, and the renamings and projections it was moved below.
std::vector<bool> foldedin(const querytree& tree, const plan& p) {
  std::vector<bool> folded(tree.nodes.size(), true);
  for (const step& s : p.steps) {
    if (s.node >= 0) folded[static_cast<size_t>(s.node)] = false;
  }
  return folded;
}

// Gives every folded node a value, operands first: a product its first rows and its count,
// without building it; a renaming of such a product the same rows renamed; any other node the
// value of its own plan, evaluated from the values of the nodes it reads, unless it does not
// fit in memory.
void showfolded(const querytree& tree, const std::vector<table>& tables,
                const std::vector<bool>& folded, recorder& r) {
  const evaluator ev(tables);
  std::vector<std::optional<int64_t>> previewed(tree.nodes.size());
  for (size_t i = tree.nodes.size(); i-- > 0;) {
    if (!folded[i]) continue;
    const querynode& n = tree.nodes[i];
    const auto node = static_cast<int32_t>(i);
    if (n.op == operatorkind::product) {
      std::vector<table> parts;
      bool held = true;
      for (const int32_t leaf : productoperands(tree, node)) {
        const std::optional<table>& value = r.values[static_cast<size_t>(leaf)];
        if (value) {
          parts.push_back(*value);
        } else {
          held = false;
        }
      }
      if (!held) {
        r.unheld[i] = true;
        continue;
      }
      const productpreview shown = previewproduct(parts, r.preview);
      r.record(node, shown.t, shown.rows);
      previewed[i] = shown.rows;
      continue;
    }
    if (n.op == operatorkind::rename && previewed[static_cast<size_t>(n.first)]) {
      const plan p = buildplan(tree, tables, rewrites::none, node);
      const table renamed = ev.evaluate(tree, p, nullptr, [&](int32_t at) {
        return at == n.first ? &*r.values[static_cast<size_t>(at)] : nullptr;
      });
      r.record(node, renamed, *previewed[static_cast<size_t>(n.first)]);
      previewed[i] = previewed[static_cast<size_t>(n.first)];
      continue;
    }
    // A step over a value that does not fit does not fit either, unless it is a selection,
    // which may run as a join that never makes that value. Told at once: evaluating it would
    // plan its whole subtree again, at every level of a deep query.
    const auto unheld = [&](int32_t at) { return at >= 0 && r.unheld[static_cast<size_t>(at)]; };
    if (n.op != operatorkind::select && (unheld(n.first) || unheld(n.second))) {
      r.unheld[i] = true;
      continue;
    }
    // A previewed value holds only the first rows: never given as a whole one.
    const plan p = buildplan(tree, tables, rewrites::all, node);
    try {
      const table value = ev.evaluate(tree, p, nullptr, [&](int32_t at) -> const table* {
        const auto& known = r.values[static_cast<size_t>(at)];
        return at != node && known && !previewed[static_cast<size_t>(at)] ? &*known : nullptr;
      });
      r.record(node, value, value.rowcount());
    } catch (const std::bad_alloc&) {
      r.unheld[i] = true;
    }
  }
}

std::vector<columninfo> columnsof(const schema& s) {
  std::vector<columninfo> columns;
  for (const columnschema& c : s.columns) columns.push_back({c.name, c.type.typetext()});
  return columns;
}

void describeconditions(const queryview& q, int32_t root, const schema& operand,
                        const std::vector<binding>& bindings, explanation& e) {
  const columnnames names(operand);
  for (const int32_t at : entered(q.tree.conditions, root, [](int32_t) { return true; })) {
    const conditionnode& n = q.tree.conditions[static_cast<size_t>(at)];
    conditioninfo& info = e.conditions[static_cast<size_t>(at)];
    info.k = n.k;
    info.text = n.text;
    for (const int32_t operand : {n.first, n.second}) {
      if (operand != conditionnode::none) info.operands.push_back(operand);
    }
    if (iscomparison(n.k)) {
      const binding& b = bindings[static_cast<size_t>(at)];
      info.left = n.left;
      info.right = n.right;
      info.leftnamed = b.left >= 0;
      info.rightnamed = b.right >= 0;
      info.integers = b.isint;
      if (b.decider() >= 0) info.decider = operand.columns[static_cast<size_t>(b.decider())].name;
    }
    info.notes = conditionnotes(q, at, operand, names);
  }
}

void describenode(const queryview& q, const recorder& r, int32_t node,
                  const std::vector<binding>& bindings, explanation& e) {
  const querynode& n = q.tree.nodes[static_cast<size_t>(node)];
  const schema& s = q.schemas[static_cast<size_t>(node)];
  nodeinfo& info = e.nodes[static_cast<size_t>(node)];
  info.op = n.op;
  info.text = n.text;
  info.name = s.name;
  info.columns = columnsof(s);
  info.rows = r.rows[static_cast<size_t>(node)];
  info.held = !r.unheld[static_cast<size_t>(node)];
  info.first = r.first[static_cast<size_t>(node)];
  for (const int32_t operand : {n.first, n.second}) {
    if (operand != querynode::none) info.operands.push_back(operand);
  }
  if (n.op == operatorkind::table) info.word = n.name;
  if (n.op == operatorkind::project) info.names = projectnames(n.rest);
  if (n.op == operatorkind::rename) {
    const renaming names =
        readrenaming(n.rest, q.schemas[static_cast<size_t>(n.first)].columns.size());
    info.word = names.name;
    info.names = names.columns;
  }
  info.notes = nodenotes(q, node);
  if (n.op == operatorkind::select) {
    info.condition = n.condition;
    describeconditions(q, n.condition, q.schemas[static_cast<size_t>(n.first)], bindings, e);
  }
}

// How each join of the plan runs, told at the node whose value it gives.
void describejoins(const querytree& tree, const plan& p, explanation& e) {
  std::vector<int32_t> readby(p.steps.size(), -1);  // the step that reads each step
  for (size_t i = 0; i < p.steps.size(); ++i) {
    for (const int32_t operand : p.steps[i].operands) {
      readby[static_cast<size_t>(operand)] = static_cast<int32_t>(i);
    }
  }
  for (size_t i = 0; i < p.steps.size(); ++i) {
    const step& s = p.steps[i];
    if (s.kind != stepkind::join) continue;
    // A join moved below renamings and projections gives the value of the topmost of them,
    // and its columns bear the names they have there, which the selection's condition reads.
    std::vector<std::string> names;
    std::vector<int32_t> shownas;  // each column's position in the step reached
    for (size_t k = 0; k < s.output.columns.size(); ++k) {
      names.push_back(s.output.columns[k].name);
      shownas.push_back(static_cast<int32_t>(k));
    }
    size_t at = i;
    while (p.steps[at].node < 0) {
      at = static_cast<size_t>(readby[at]);
      const step& above = p.steps[at];
      for (size_t k = 0; k < names.size(); ++k) {
        if (shownas[k] < 0) continue;
        if (above.kind == stepkind::project) {
          const auto picked = std::find(above.columns.begin(), above.columns.end(), shownas[k]);
          shownas[k] = picked == above.columns.end()
                           ? -1
                           : static_cast<int32_t>(picked - above.columns.begin());
        }
        if (shownas[k] >= 0) names[k] = above.output.columns[static_cast<size_t>(shownas[k])].name;
      }
    }
    joininfo j;
    for (const int32_t operand : s.operands) {
      const step& o = p.steps[static_cast<size_t>(operand)];
      j.operands.push_back(o.node);
    }
    const auto columnname = [&](int32_t k) { return names[static_cast<size_t>(k)]; };
    for (const joinkey& key : s.join.keys)
      j.keys.push_back({columnname(key.probe), columnname(key.build)});
    const auto texts = [&](const std::vector<int32_t>& conjuncts) {
      std::vector<std::string_view> out;
      for (const int32_t c : conjuncts) out.push_back(tree.conditions[static_cast<size_t>(c)].text);
      return out;
    };
    for (const auto& f : s.join.filters) j.filters.push_back(texts(f));
    for (const auto& c : s.join.checks) {
      const std::vector<std::string_view> more = texts(c);
      j.checks.insert(j.checks.end(), more.begin(), more.end());
    }
    j.constants = texts(s.join.constants);
    e.nodes[static_cast<size_t>(p.steps[at].node)].join = std::move(j);
  }
}

// The row count of each product of the query, counted from its operands' values without
// building it or evaluating what reads it: all that the notes read of values. None when a
// product that relalg builds holds more rows than it can, or an operand does not fit: only
// evaluating the whole query tells where the values stop fitting then.
std::optional<std::vector<int64_t>> productcounts(const querytree& tree,
                                                  const std::vector<table>& tables,
                                                  const std::vector<bool>& folded) {
  std::vector<int64_t> rows(tree.nodes.size(), 0);
  std::vector<std::optional<table>> values(tree.nodes.size());
  const evaluator ev(tables);
  try {
    for (size_t i = 0; i < tree.nodes.size(); ++i) {
      if (tree.nodes[i].op != operatorkind::product) continue;
      std::vector<table> parts;
      for (const int32_t leaf : productoperands(tree, static_cast<int32_t>(i))) {
        std::optional<table>& value = values[static_cast<size_t>(leaf)];
        if (!value) value = ev.evaluate(tree, buildplan(tree, tables, rewrites::all, leaf));
        parts.push_back(*value);
      }
      rows[i] = previewproduct(parts, 0).rows;
      if (!folded[i] && rows[i] > INT32_MAX) return std::nullopt;
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return rows;
}

// Evaluates the query as relalg does, watching every step, then describes each; for the notes
// alone, only the products' operands where that tells all the notes need.
void explainquery(const std::vector<table>& tables, const std::vector<headerasrow>& headers,
                  const linenumbers& lines, int32_t shown, bool notesonly, explanation& e) {
  const querytree tree(*e.query);
  if (tree.toodeep()) {
    nodeinfo root;
    root.text = *e.query;
    root.notes.push_back(toodeepnote(e.depth));
    e.nodes.push_back(std::move(root));
    return;
  }
  // Each node's own step, for its schema and its condition's columns; then the plan relalg
  // runs, with its joins.
  const plan plain = buildplan(tree, tables, rewrites::none);
  std::vector<schema> schemas(tree.nodes.size());
  for (const step& s : plain.steps) schemas[static_cast<size_t>(s.node)] = s.output;
  const plan joined = buildplan(tree, tables, rewrites::joins);
  const std::vector<bool> folded = foldedin(tree, joined);
  recorder r(tree.nodes.size(), shown);
  for (size_t i = 0; i < tree.nodes.size(); ++i) {
    const querynode& n = tree.nodes[i];
    if (!folded[i]) continue;
    r.wanted[i] = true;
    for (const int32_t operand : {n.first, n.second}) {
      if (operand != querynode::none) r.wanted[static_cast<size_t>(operand)] = true;
    }
  }
  const std::optional<std::vector<int64_t>> counted =
      notesonly ? productcounts(tree, tables, folded) : std::nullopt;
  if (counted) {
    r.rows = *counted;
  } else {
    try {
      evaluator(tables).evaluate(tree, joined, &r);
      showfolded(tree, tables, folded, r);
    } catch (const std::bad_alloc&) {
      // A value does not fit, and relalg would stop there: every node is shown by itself
      // instead, a product by its count without building it, as far as the values fit.
      const std::vector<bool> every(tree.nodes.size(), true);
      r.wanted = every;
      showfolded(tree, tables, every, r);
    }
  }
  std::vector<bool> built(folded.size());
  for (size_t i = 0; i < folded.size(); ++i) built[i] = !folded[i];
  int64_t hintsleft = mosthints;
  const tablenames names(tables);
  const queryview q{tree, names, schemas, r.rows, built, r.unheld, lines, headers, hintsleft};
  e.nodes.resize(tree.nodes.size());
  e.conditions.resize(tree.conditions.size());
  for (size_t node = 0; node < tree.nodes.size(); ++node) {
    describenode(q, r, static_cast<int32_t>(node), plain.bindings, e);
  }
  describejoins(tree, joined, e);
}

}  // namespace

namespace {

explanation explainwith(std::string bytes, int32_t shown, bool notesonly) {
  explanation e;
  const std::vector<size_t> dropped = droppedreturns(bytes);
  readnotes notes;
  const input in = readinput(std::move(bytes), &notes);
  e.query = std::make_shared<const std::string>(in.query);
  const inputread reading{in, *in.bytes, dropped, notes};
  const std::vector<headerasrow> headers = explainreading(reading, e);
  e.depth = nesting::deepestof(*e.query);
  e.querylines = static_cast<int64_t>(in.linestarts.size()) + 1;
  const linenumbers querylines(in.linestarts);
  explainquery(in.tables, headers, querylines, shown, notesonly, e);
  return e;
}

}  // namespace

explanation explain(std::string bytes, int32_t shown) {
  return explainwith(std::move(bytes), shown, false);
}

explanation explainfornotes(std::string bytes) { return explainwith(std::move(bytes), 0, true); }

std::string explainjson(std::string input, int32_t shown) {
  return renderjson(explain(std::move(input), shown));
}

}  // namespace relalg
