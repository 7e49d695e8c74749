// Writing the explanation as text: long lines of data cut, sentences wrapped.
#include "explain/textrender.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "explain/notation.h"
#include "explain/printable.h"

namespace relalg {

namespace {

constexpr size_t width = 80;
// Deeper steps are indented no further, so that a deep query still leaves room on a line.
constexpr size_t deepestindent = 40;
// A long query, or its notation, is shown in at most this many lines.
constexpr size_t mostlines = 10;

std::string plural(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A name as a heading shows it: plain, or quoted when blanks or escapes would blur it.
std::string shownname(std::string_view name) {
  const std::string shown = visible(name);
  const bool plain = !name.empty() && shown == name && name.find(' ') == std::string_view::npos;
  return plain ? shown : quoted(name);
}

std::string header(const std::string& name, const std::vector<columninfo>& columns) {
  std::string text = name + "(";
  for (size_t k = 0; k < columns.size(); ++k) {
    if (k > 0) text += ", ";
    text += columns[k].name + " " + columns[k].type;
  }
  return visible(text + ")");
}

class textwriter {
 public:
  explicit textwriter(const explanation& explained) : e(explained) {}

  void document() {
    if (!e.notes.empty()) {
      out += "About the input\n";
      for (const note& n : e.notes) notetext(2, n, true);
      out += '\n';
    }
    out += "The tables as read\n";
    if (e.tables.empty()) line(2, "none");
    for (const tableinfo& t : e.tables) {
      line(2, shownname(t.name) + ", line " + std::to_string(t.line) + ": " +
                  plural(t.rows, "row", "rows"));
      line(4, header(t.name, t.columns));
      for (const note& n : t.notes) notetext(4, n, true);
    }
    out += "\nThe query as evaluated\n";
    wrapped(2, visible(*e.query));
    out += '\n';
    steps();
    out += "\nIn textbook notation\n";
    wrapped(2, textbook(e));
  }

  std::string out;

 private:
  const explanation& e;

  static size_t indentof(size_t depth) { return std::min(2 + 2 * depth, deepestindent); }

  // One line of data, cut to the width.
  void line(size_t indent, const std::string& text) {
    out.append(indent, ' ');
    out += cut(text, width - indent);
    out += '\n';
  }

  // A long text over several lines, cut into pieces of the width.
  void wrapped(size_t indent, const std::string& text) {
    const size_t room = width - indent;
    size_t start = 0;
    for (size_t lines = 0; start < text.size(); ++lines) {
      if (lines + 1 == mostlines) {
        line(indent, text.substr(start));
        return;
      }
      // Cut between characters, never inside one, and after a comma where one is near.
      size_t end = start;
      for (size_t shown = 0; end < text.size() && shown < room; ++shown) {
        do {
          ++end;
        } while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
      }
      if (end < text.size()) end = breakbefore(text, start, end, room);
      out.append(indent, ' ');
      out.append(text, start, end - start);
      out += '\n';
      start = end;
      if (start < text.size() && text[start] == ' ') ++start;  // a blank at a break is dropped
    }
    if (text.empty()) out += '\n';
  }

  // Where to break a long text that must end before `end`: after a comma or a "(" outside an
  // operator's list, or before an operator's symbol, so that the notation's π[a,b] stays
  // whole; else at a blank or a comma inside a list; else at `end`.
  static size_t breakbefore(const std::string& text, size_t start, size_t end, size_t room) {
    size_t outside = 0;
    size_t inside = 0;
    int depth = 0;
    for (size_t k = start + 1; k <= end; ++k) {
      const char before = text[k - 1];
      depth += before == '[' ? 1 : before == ']' ? -1 : 0;
      const bool symbol = k + 2 < text.size() && text[k + 2] == '[' &&
                          (static_cast<unsigned char>(text[k]) & 0xC0) == 0xC0;
      if ((depth <= 0 && (before == ',' || before == '(')) || symbol) {
        outside = k;
      } else if (before == ' ' || before == ',') {
        inside = k;
      }
    }
    if (outside > start + room / 4) return outside;
    if (inside > start + room / 4) return inside;
    return end;
  }

  // A sentence, wrapped at blanks; its further lines indented by two more.
  void notetext(size_t indent, const note& n, bool numbered) {
    std::string text = numbered && n.line > 0 ? "line " + std::to_string(n.line) + ": " : "note: ";
    text += n.text;
    size_t start = 0;
    size_t at = indent;
    while (start < text.size()) {
      const size_t room = width - at;
      size_t end = text.size();
      if (end - start > room) {
        const size_t blank = text.rfind(' ', start + room);
        end = blank != std::string::npos && blank > start ? blank : start + room;
      }
      out.append(at, ' ');
      out.append(text, start, end - start);
      out += '\n';
      start = end;
      while (start < text.size() && text[start] == ' ') ++start;
      at = indent + 2;
    }
  }

  std::string label(const nodeinfo& n) const {
    switch (n.op) {
      case operatorkind::table:
        return shownname(n.word.empty() ? n.text : n.word);
      case operatorkind::project: {
        std::string names;
        for (size_t k = 0; k < n.names.size(); ++k)
          names += (k > 0 ? "," : "") + visible(n.names[k]);
        return names.empty() ? "project" : "project " + names;
      }
      case operatorkind::rename: {
        std::string names;
        for (size_t k = 0; k < n.names.size(); ++k)
          names += (k > 0 ? "," : "") + visible(n.names[k]);
        return "rename to " + visible(n.word) + (n.names.empty() ? "" : "(" + names + ")");
      }
      default:
        return std::string(keywordof(n.op));
    }
  }

  // The steps in the order they are read, each before its operands: a work list of steps
  // and their depths, not a recursion, since steps nest as deep as the query.
  void steps() {
    std::vector<std::pair<int32_t, size_t>> work{{0, 0}};
    while (!work.empty()) {
      const auto [index, depth] = work.back();
      work.pop_back();
      const nodeinfo& n = e.nodes[static_cast<size_t>(index)];
      node(n, indentof(depth));
      for (size_t k = n.operands.size(); k-- > 0;) work.emplace_back(n.operands[k], depth + 1);
    }
  }

  void node(const nodeinfo& n, size_t indent) {
    line(indent, label(n) + ": " +
                     (n.held ? plural(n.rows, "row", "rows") + " of "
                             : "more rows than fit in memory, of ") +
                     header(n.name, n.columns));
    for (const note& text : n.notes) notetext(indent + 2, text, e.querylines > 1);
    if (n.op == operatorkind::select) {
      line(indent + 2, "condition:");
      condition(n.condition, indent + 4);
    }
    if (n.join) join(*n.join, indent + 2);
    for (const auto& row : n.first) {
      std::string values;
      for (size_t k = 0; k < row.size(); ++k) values += (k > 0 ? "," : "") + row[k];
      line(indent + 2, "| " + visible(values));
    }
    const auto shown = static_cast<int64_t>(n.first.size());
    if (shown > 0 && n.rows > shown)
      line(indent + 2, "| ... " + plural(n.rows - shown, "more row", "more rows"));
  }

  // How a selection runs: which operands it joins, by which keys, and what it asks where.
  void join(const joininfo& j, size_t indent) {
    std::string operands;
    for (size_t k = 0; k < j.operands.size(); ++k) {
      operands += (k > 0 ? "; " : "") + label(e.nodes[static_cast<size_t>(j.operands[k])]);
    }
    line(indent, "runs as a join (the product is never built):");
    line(indent + 2, "operands: " + operands);
    const auto joined = [](const std::vector<std::string_view>& texts) {
      std::string all;
      for (size_t k = 0; k < texts.size(); ++k) all += (k > 0 ? " and " : "") + visible(texts[k]);
      return all;
    };
    for (const auto& [probe, build] : j.keys) {
      line(indent + 2, "matched by key: " + visible(probe) + " = " + visible(build));
    }
    for (size_t k = 0; k < j.filters.size(); ++k) {
      if (j.filters[k].empty()) continue;
      line(indent + 2, "rows of " + label(e.nodes[static_cast<size_t>(j.operands[k])]) +
                           " kept first where " + joined(j.filters[k]));
    }
    if (!j.checks.empty()) line(indent + 2, "each combination checked: " + joined(j.checks));
    if (!j.constants.empty()) line(indent + 2, "asked once: " + joined(j.constants));
  }

  // A condition's nodes, each before its operands, through a work list as the steps are.
  void condition(int32_t root, size_t rootindent) {
    std::vector<std::pair<int32_t, size_t>> work{{root, rootindent}};
    while (!work.empty()) {
      const auto [index, indent] = work.back();
      work.pop_back();
      const conditioninfo& c = e.conditions[static_cast<size_t>(index)];
      conditionline(c, indent);
      const size_t next = std::min(indent + 2, deepestindent + 4);
      for (size_t k = c.operands.size(); k-- > 0;) work.emplace_back(c.operands[k], next);
    }
  }

  void conditionline(const conditioninfo& c, size_t indent) {
    switch (c.k) {
      case conditionkind::andkind:
      case conditionkind::orkind:
      case conditionkind::notkind:
        line(indent, std::string(keywordof(c.k)));
        break;
      case conditionkind::unrecognised:
        line(indent, (c.text.empty() ? std::string("(empty)") : visible(c.text)) +
                         ": no condition, no for every row");
        break;
      default: {
        const std::string how =
            c.decider.empty() ? "two constants" : visible(c.decider) + " decides";
        line(indent, visible(c.text) + ": as " + (c.integers ? "integers" : "texts") + ", " + how);
      }
    }
    for (const note& text : c.notes) notetext(indent + 2, text, e.querylines > 1);
  }
};

}  // namespace

std::string rendertext(const explanation& e) {
  textwriter w(e);
  w.document();
  return std::move(w.out);
}

}  // namespace relalg
