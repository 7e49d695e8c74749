// Writing the explanation as JSON, nodes and conditions nested as the query nests them,
// through a work list instead of a recursion.
#include "explain/jsonrender.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "explain/everynote.h"
#include "explain/printable.h"

namespace relalg {

namespace {

class jsonwriter {
 public:
  explicit jsonwriter(const explanation& explained) : e(explained) {}

  void document() {
    open();
    array("tables", e.tables, [&](const tableinfo& t) { tableobject(t); });
    text("query", *e.query);
    key("result");
    result();
    notes(e.notes);
    array("every_note", everynote(e), [&](const placednote& n) {
      open();
      key("line");
      out += n.line > 0 ? std::to_string(n.line) : "null";
      text("about", n.about);
      key("node");
      if (n.about == "input") {
        out += "null";
      } else {
        appendjsonstring(out, n.node);
      }
      text("text", n.text);
      close();
    });
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

  // What is left to write of the result: an object up to its operands, the rest of a node
  // after its operands, the notes that close a node or a condition, or the comma between
  // two operands. A work list, not a recursion: nodes and conditions nest as deep as the
  // query.
  enum class part { node, nodeoperands, nodenotes, condition, conditionoperands, comma };
  struct task {
    part what;
    int32_t index;
  };

  void result() {
    std::vector<task> work{{part::node, 0}};
    while (!work.empty()) {
      const task t = work.back();
      work.pop_back();
      switch (t.what) {
        case part::node:
          node(t.index, work);
          break;
        case part::nodeoperands:
          out += ']';
          nodeoperandsdone(t.index, work);
          break;
        case part::nodenotes:
          notes(e.nodes[static_cast<size_t>(t.index)].notes);
          close();
          break;
        case part::condition:
          condition(t.index, work);
          break;
        case part::conditionoperands:
          out += ']';
          notes(e.conditions[static_cast<size_t>(t.index)].notes);
          close();
          break;
        case part::comma:
          out += ',';
          break;
      }
    }
  }

  // An array's items to be written next, in order, commas between them, then `after`.
  static void pushitems(std::vector<task>& work, task after, part what,
                        const std::vector<int32_t>& items) {
    work.push_back(after);
    for (size_t k = items.size(); k-- > 0;) {
      work.push_back({what, items[k]});
      if (k > 0) work.push_back({part::comma, 0});
    }
  }

  void node(int32_t index, std::vector<task>& work) {
    const nodeinfo& n = e.nodes[static_cast<size_t>(index)];
    open();
    text("operator", keywordof(n.op));
    text("text", n.text);
    text("name", n.name);
    columns(n.columns);
    if (n.held) {
      number("rows", n.rows);
    } else {
      key("rows");
      out += "null";  // its value does not fit in memory
    }
    array("first", n.first, [&](const std::vector<std::string>& row) {
      out += '[';
      for (size_t k = 0; k < row.size(); ++k) {
        if (k > 0) out += ',';
        appendjsonstring(out, row[k]);
      }
      out += ']';
    });
    key("operands");
    out += '[';
    pushitems(work, {part::nodeoperands, index}, part::node, n.operands);
  }

  void nodeoperandsdone(int32_t index, std::vector<task>& work) {
    const nodeinfo& n = e.nodes[static_cast<size_t>(index)];
    if (n.join) join(*n.join);
    work.push_back({part::nodenotes, index});
    if (n.op == operatorkind::select) {
      key("condition");
      work.push_back({part::condition, n.condition});
    }
  }

  // How a selection runs as a join: its operands (their texts), the keys it matches by,
  // and the conditions it asks of each operand, of each combination and once.
  void join(const joininfo& j) {
    key("join");
    open();
    array("operands", j.operands,
          [&](int32_t node) { appendjsonstring(out, e.nodes[static_cast<size_t>(node)].text); });
    array("keys", j.keys, [&](const std::pair<std::string, std::string>& k) {
      open();
      text("probe", k.first);
      text("build", k.second);
      close();
    });
    const auto texts = [&](const std::vector<std::string_view>& list) {
      out += '[';
      for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) out += ',';
        appendjsonstring(out, list[i]);
      }
      out += ']';
    };
    array("filters", j.filters, texts);
    key("checks");
    texts(j.checks);
    key("constants");
    texts(j.constants);
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

  void condition(int32_t index, std::vector<task>& work) {
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
        key("operands");
        out += '[';
        pushitems(work, {part::conditionoperands, index}, part::condition, c.operands);
        return;
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

std::string jsonrefusal(const explanation& e, size_t most) {
  // Each step's text holds the texts of the steps in it, so their sum grows with the square
  // of the nesting: a deep query's document would not fit in memory.
  size_t texts = 0;
  for (const nodeinfo& n : e.nodes) texts += n.text.size();
  for (const conditioninfo& c : e.conditions) texts += c.text.size();
  if (texts <= most) return {};
  return "the JSON would hold " + std::to_string(texts) +
         " bytes of the steps' texts, each step's text holding those of the steps in it: the "
         "query nests too deep for it";
}

std::string renderjson(const explanation& e) {
  const std::string refused = jsonrefusal(e);
  if (!refused.empty()) throw std::length_error(refused);
  jsonwriter w(e);
  w.document();
  return std::move(w.out);
}

}  // namespace relalg
