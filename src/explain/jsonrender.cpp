// Writing the explanation as JSON, nodes and conditions nested as the query nests them.
#include "explain/jsonrender.h"

#include <algorithm>

#include "driver/largestack.h"
#include "explain/printable.h"

namespace relalg {

namespace {

class jsonwriter {
 public:
  explicit jsonwriter(const explanation& explained) : e(explained) {}

  void document() {
    out += "{\"tables\":[";
    for (size_t i = 0; i < e.tables.size(); ++i) {
      if (i > 0) out += ',';
      tableobject(e.tables[i]);
    }
    out += "],\"query\":";
    appendjsonstring(out, *e.query);
    out += ",\"result\":";
    node(0);
    out += ",\"notes\":";
    notes(e.notes);
    out += "}\n";
  }

  std::string out;

 private:
  const explanation& e;

  void key(const char* name) {
    out += '"';
    out += name;
    out += "\":";
  }

  void notes(const std::vector<note>& list) {
    out += '[';
    for (size_t i = 0; i < list.size(); ++i) {
      if (i > 0) out += ',';
      out += "{\"line\":";
      out += list[i].line > 0 ? std::to_string(list[i].line) : "null";
      out += ",\"text\":";
      appendjsonstring(out, list[i].text);
      out += '}';
    }
    out += ']';
  }

  void columns(const std::vector<columninfo>& list) {
    out += '[';
    for (size_t i = 0; i < list.size(); ++i) {
      if (i > 0) out += ',';
      out += "{\"name\":";
      appendjsonstring(out, list[i].name);
      out += ",\"type\":";
      appendjsonstring(out, list[i].type);
      out += '}';
    }
    out += ']';
  }

  void tableobject(const tableinfo& t) {
    out += "{\"name\":";
    appendjsonstring(out, t.name);
    out += ",\"line\":" + std::to_string(t.line) + ",\"columns\":";
    columns(t.columns);
    out += ",\"rows\":" + std::to_string(t.rows) + ",\"notes\":";
    notes(t.notes);
    out += '}';
  }

  void node(int32_t index) {
    const nodeinfo& n = e.nodes[static_cast<size_t>(index)];
    out += "{\"operator\":";
    appendjsonstring(out, keywordof(n.op));
    out += ",\"text\":";
    appendjsonstring(out, n.text);
    out += ",\"name\":";
    appendjsonstring(out, n.name);
    out += ",\"columns\":";
    columns(n.columns);
    out += ",\"rows\":" + std::to_string(n.rows) + ",\"first\":[";
    for (size_t r = 0; r < n.first.size(); ++r) {
      out += r > 0 ? ",[" : "[";
      for (size_t k = 0; k < n.first[r].size(); ++k) {
        if (k > 0) out += ',';
        appendjsonstring(out, n.first[r][k]);
      }
      out += ']';
    }
    out += "],\"operands\":[";
    for (size_t k = 0; k < n.operands.size(); ++k) {
      if (k > 0) out += ',';
      node(n.operands[k]);
    }
    out += ']';
    if (n.op == operatorkind::select) {
      out += ",\"condition\":";
      condition(n.condition);
    }
    out += ",\"notes\":";
    notes(n.notes);
    out += '}';
  }

  void operand(std::string_view text, bool named) {
    out += "{\"text\":";
    appendjsonstring(out, text);
    out += ",\"column\":";
    if (named) {
      appendjsonstring(out, text);  // a name is matched whole, so the text is the column's name
    } else {
      out += "null";
    }
    out += '}';
  }

  void condition(int32_t index) {
    const conditioninfo& c = e.conditions[static_cast<size_t>(index)];
    out += "{\"keyword\":";
    appendjsonstring(out, keywordof(c.k));
    out += ",\"text\":";
    appendjsonstring(out, c.text);
    switch (c.k) {
      case conditionkind::unrecognised:
        break;
      case conditionkind::andkind:
      case conditionkind::orkind:
      case conditionkind::notkind:
        out += ",\"operands\":[";
        for (size_t k = 0; k < c.operands.size(); ++k) {
          if (k > 0) out += ',';
          condition(c.operands[k]);
        }
        out += ']';
        break;
      default:
        out += ",\"left\":";
        operand(c.left, c.leftnamed);
        out += ",\"right\":";
        operand(c.right, c.rightnamed);
        out += ",\"integers\":";
        out += c.integers ? "true" : "false";
    }
    out += ",\"notes\":";
    notes(c.notes);
    out += '}';
  }
};

}  // namespace

void appendjsonstring(std::string& out, std::string_view s) {
  static constexpr char digits[] = "0123456789abcdef";
  out += '"';
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t length = utf8length(s, i);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (length == 0 || c < 0x20 || c == 0x7F) {
      out += "\\u00";
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out.append(s, i, length);
      i += length;
      continue;
    }
    ++i;
  }
  out += '"';
}

std::string renderjson(const explanation& e) {
  jsonwriter w(e);
  // Nodes and conditions nest as deep as the query: written on a stack sized for it.
  onlargestack(std::min(e.depth, nesting::maxnesting), [&] { w.document(); });
  return std::move(w.out);
}

}  // namespace relalg
