// Writing the explanation as JSON, nodes and conditions nested as the query nests them.
#include "explain/jsonrender.h"

#include <stdexcept>
#include <string>

#include "explain/deepwork.h"
#include "explain/printable.h"

namespace relalg {

namespace {

// The most bytes of steps' texts a document holds.
constexpr size_t mosttexts = size_t{512} << 20;

class jsonwriter {
 public:
  explicit jsonwriter(const explanation& explained) : e(explained) {}

  void document() {
    open();
    array("tables", e.tables, [&](const tableinfo& t) { tableobject(t); });
    text("query", *e.query);
    key("result");
    node(0);
    notes(e.notes);
    close();
    out += '\n';
  }

  std::string out;

 private:
  const explanation& e;
  bool fresh = true;  // no member written yet in the object just opened

  void open() {
    out += '{';
    fresh = true;
  }

  void close() {
    out += '}';
    fresh = false;
  }

  void key(const char* name) {
    if (!fresh) out += ',';
    fresh = false;
    out += '"';
    out += name;
    out += "\":";
  }

  void text(const char* name, std::string_view value) {
    key(name);
    appendjsonstring(out, value);
  }

  void number(const char* name, int64_t value) {
    key(name);
    out += std::to_string(value);
  }

  template <typename item, typename write>
  void array(const char* name, const std::vector<item>& items, write each) {
    key(name);
    out += '[';
    for (size_t i = 0; i < items.size(); ++i) {
      if (i > 0) out += ',';
      each(items[i]);
    }
    out += ']';
  }

  void notes(const std::vector<note>& list) {
    array("notes", list, [&](const note& n) {
      open();
      key("line");
      out += n.line > 0 ? std::to_string(n.line) : "null";
      text("text", n.text);
      close();
    });
  }

  void columns(const std::vector<columninfo>& list) {
    array("columns", list, [&](const columninfo& c) {
      open();
      text("name", c.name);
      text("type", c.type);
      close();
    });
  }

  void tableobject(const tableinfo& t) {
    open();
    text("name", t.name);
    number("line", t.line);
    columns(t.columns);
    number("rows", t.rows);
    notes(t.notes);
    close();
  }

  void node(int32_t index) {
    const nodeinfo& n = e.nodes[static_cast<size_t>(index)];
    open();
    text("operator", keywordof(n.op));
    text("text", n.text);
    text("name", n.name);
    columns(n.columns);
    number("rows", n.rows);
    array("first", n.first, [&](const std::vector<std::string>& row) {
      out += '[';
      for (size_t k = 0; k < row.size(); ++k) {
        if (k > 0) out += ',';
        appendjsonstring(out, row[k]);
      }
      out += ']';
    });
    array("operands", n.operands, [&](int32_t operand) { node(operand); });
    if (n.op == operatorkind::select) {
      key("condition");
      condition(n.condition);
    }
    notes(n.notes);
    close();
  }

  void operand(const char* name, std::string_view written, bool named) {
    key(name);
    open();
    text("text", written);
    key("column");
    if (named) {
      appendjsonstring(out, written);  // a name is matched whole: the text is the column's name
    } else {
      out += "null";
    }
    close();
  }

  void condition(int32_t index) {
    const conditioninfo& c = e.conditions[static_cast<size_t>(index)];
    open();
    text("keyword", keywordof(c.k));
    text("text", c.text);
    switch (c.k) {
      case conditionkind::unrecognised:
        break;
      case conditionkind::andkind:
      case conditionkind::orkind:
      case conditionkind::notkind:
        array("operands", c.operands, [&](int32_t operand) { condition(operand); });
        break;
      default:
        operand("left", c.left, c.leftnamed);
        operand("right", c.right, c.rightnamed);
        key("integers");
        out += c.integers ? "true" : "false";
    }
    notes(c.notes);
    close();
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
  // Each step's text holds the texts of the steps in it, so their sum grows with the square
  // of the nesting: a deep query's document would not fit in memory.
  size_t texts = 0;
  for (const nodeinfo& n : e.nodes) texts += n.text.size();
  for (const conditioninfo& c : e.conditions) texts += c.text.size();
  if (texts > mosttexts) {
    throw std::length_error("the JSON would hold " + std::to_string(texts) +
                            " bytes of the steps' texts, each step's text holding those of the "
                            "steps in it: the query nests too deep for it");
  }
  jsonwriter w(e);
  // Nodes and conditions nest as deep as the query: written on a stack sized for it.
  ondeepstack(e, [&] { w.document(); });
  return std::move(w.out);
}

}  // namespace relalg
