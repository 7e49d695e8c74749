// Reading the input with the reader's notes, evaluating the query with an observer, and
// noting what each step did.
#include "explain/explain.h"

#include <utility>

#include "driver/querysection.h"
#include "driver/tablesection.h"
#include "explain/jsonrender.h"
#include "explain/querynotes.h"
#include "explain/readingnotes.h"
#include "explain/steps.h"
#include "query/database.h"

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

std::vector<columninfo> columnsof(const table& t) {
  std::vector<columninfo> columns;
  for (const auto& c : t.columns) columns.push_back({c->name, c->typetext()});
  return columns;
}

void describeconditions(const queryview& q, int32_t root, const columnlist& columns,
                        explanation& e) {
  std::vector<int32_t> pending{root};
  // A stack, not a recursion: conditions may nest as deep as the nesting limit.
  while (!pending.empty()) {
    const int32_t at = pending.back();
    pending.pop_back();
    const conditionnode& n = q.tree.conditions[static_cast<size_t>(at)];
    conditioninfo& info = e.conditions[static_cast<size_t>(at)];
    info.k = n.k;
    info.text = n.text;
    for (const int32_t operand : {n.first, n.second}) {
      if (operand == conditionnode::none) continue;
      info.operands.push_back(operand);
      pending.push_back(operand);
    }
    const bool comparison = n.k != conditionkind::unrecognised && n.k != conditionkind::andkind &&
                            n.k != conditionkind::orkind && n.k != conditionkind::notkind;
    if (comparison) {
      const comparisonplan plan = plancomparison(n, columns);
      info.left = n.left;
      info.right = n.right;
      info.leftnamed = plan.left >= 0;
      info.rightnamed = plan.right >= 0;
      info.integers = plan.isint;
      if (plan.decider() >= 0) {
        info.decider = columns.columns[static_cast<size_t>(plan.decider())].c->name;
      }
    }
    info.notes = conditionnotes(q, at, columns);
  }
}

void describenode(const queryview& q, int32_t node, explanation& e) {
  const querynode& n = q.tree.nodes[static_cast<size_t>(node)];
  const step& s = q.steps[static_cast<size_t>(node)];
  nodeinfo& info = e.nodes[static_cast<size_t>(node)];
  info.op = n.op;
  info.text = n.text;
  info.name = s.header.name;
  info.columns = columnsof(s.header);
  info.rows = s.rows;
  info.first = s.first;
  for (const int32_t operand : {n.first, n.second}) {
    if (operand != querynode::none) info.operands.push_back(operand);
  }
  if (n.op == operatorkind::table) info.word = n.name;
  if (n.op == operatorkind::project) info.names = projectnames(n.rest);
  if (n.op == operatorkind::rename) {
    const renaming r =
        readrenaming(n.rest, q.steps[static_cast<size_t>(n.first)].header.columns.size());
    info.word = r.name;
    info.names = r.columns;
  }
  info.notes = nodenotes(q, node);
  if (n.op == operatorkind::select) {
    info.condition = n.condition;
    const columnlist columns = columnlist::of(q.steps[static_cast<size_t>(n.first)].header);
    describeconditions(q, n.condition, columns, e);
  }
}

// Evaluates the query as relalg does, watching every step, then describes each.
void explainquery(const std::vector<table>& tables, const std::vector<headerasrow>& headers,
                  const linenumbers& lines, int32_t shown, explanation& e) {
  const querytree tree(*e.query);
  if (tree.toodeep()) {
    nodeinfo root;
    root.text = *e.query;
    root.notes.push_back(toodeepnote(e.depth));
    e.nodes.push_back(std::move(root));
    return;
  }
  steprecorder recorder(tree.nodes.size(), shown);
  database w(tables, database::joins::planned, &recorder);
  w.query(tree);
  int64_t hintsleft = mosthints;
  const tablenames names(tables);
  const queryview q{tree, names, recorder.steps, lines, headers, hintsleft};
  e.nodes.resize(tree.nodes.size());
  e.conditions.resize(tree.conditions.size());
  for (size_t node = 0; node < tree.nodes.size(); ++node) {
    describenode(q, static_cast<int32_t>(node), e);
  }
}

}  // namespace

explanation explain(std::string input, int32_t shown) {
  explanation e;
  inputread in;
  in.dropped = droppedreturns(input);
  source ip(std::move(input));
  std::vector<size_t> linestarts;
  querysection q = readquerysection(ip, &linestarts);
  e.query = std::make_shared<const std::string>(std::move(q.kifejezes));
  readtablesection(ip, in.tables, &in.notes);
  in.text = *ip.bytes();
  in.kiirandokifejezes = q.kiirandokifejezes;
  in.kifejezes = *e.query;
  const std::vector<headerasrow> headers = explainreading(in, e);
  e.depth = nesting::deepestof(*e.query);
  e.querylines = static_cast<int64_t>(linestarts.size()) + 1;
  const linenumbers querylines(std::move(linestarts));
  explainquery(in.tables, headers, querylines, shown, e);
  return e;
}

std::string explainjson(std::string input, int32_t shown) {
  return renderjson(explain(std::move(input), shown));
}

}  // namespace relalg
