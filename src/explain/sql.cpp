// The script: the input read as relalg reads it, the table statements, the query evaluated
// once to learn every step's columns, then its statement.
#include "explain/sql.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "explain/sqlquery.h"
#include "input/input.h"

namespace relalg {

namespace {

// Rows per INSERT statement: long enough to load quickly, short enough for any engine.
constexpr int32_t rowsperinsert = 500;

// Names the engine gives columns of its own, which a created table's columns must avoid.
std::unordered_set<std::string> reservedcolumns(sqldialect dialect) {
  if (dialect == sqldialect::postgres) {
    return {"tableoid", "xmin", "cmin", "xmax", "cmax", "ctid"};
  }
  return {"rowid"};
}

// The pseudo-column that numbers a table's rows in the order they were inserted.
std::string rownumber(sqldialect dialect) {
  return dialect == sqldialect::postgres ? "ctid" : "rowid";
}

void appendinsert(const table& t, const std::string& name, std::string& out) {
  const int32_t rows = t.rowcount();
  intbuffer buffer;
  for (int32_t row = 0; row < rows; ++row) {
    out += row % rowsperinsert == 0 ? "INSERT INTO " + name + " VALUES\n  (" : ",\n  (";
    for (size_t k = 0; k < t.columns().size(); ++k) {
      if (k > 0) out += ", ";
      const column& c = t.columns()[k];
      const std::string_view value = c.valueview(row, buffer);
      out += c.type().holdsintegers() ? std::string(value) : sqltext(value);
    }
    out += (row + 1) % rowsperinsert == 0 || row + 1 == rows ? ");\n" : ")";
  }
}

// PostgreSQL and DuckDB refuse texts that are not UTF-8: the first such name or value.
void warnutf8(const table& t, std::vector<std::string>& warnings) {
  std::string found;
  if (!validutf8(t.name)) found = "its name";
  for (const column& c : t.columns()) {
    if (found.empty() && !validutf8(c.name)) found = "the name of a column";
    if (!found.empty() || c.type().holdsintegers()) continue;
    for (const textref& text : c.texts()) {
      const std::string_view value = text.view();
      if (validutf8(value)) continue;
      found = "the text " + sqltext(commentsafe(value)) + " of column " + commentsafe(c.name);
      break;
    }
  }
  if (!found.empty()) {
    warnings.push_back("in the table " + commentsafe(t.name) + ", " + found +
                       " is not UTF-8 (shown with ? for its bytes): the engine may refuse it");
  }
}

// Each input table that a query can reach as it is loaded: the last of each name, under a
// name distinct from the others' as engines compare names, with distinct column names. The
// statements that load them are appended when asked for.
sqltables loadtables(const std::vector<table>& tables, const sqloptions& options,
                     std::string& out) {
  std::unordered_map<std::string_view, size_t> last;
  for (size_t i = 0; i < tables.size(); ++i) last[tables[i].name] = i;
  sqltables loaded;
  for (size_t i = 0; i < tables.size(); ++i) {
    const table& t = tables[i];
    if (last[t.name] != i) {
      if (options.tables) {
        out += "-- a later table named " + commentsafe(t.name) + " replaces the one here\n";
      }
      continue;
    }
    const size_t longest = longestname(options.dialect);
    const std::string name = distinctnames({t.name}, loaded.taken, longest).front();
    std::vector<std::string_view> labels;
    for (const column& c : t.columns()) labels.push_back(c.name);
    std::unordered_set<std::string> taken = reservedcolumns(options.dialect);
    const std::vector<std::string> columns = distinctnames(labels, taken, longest);
    if (options.dialect != sqldialect::sqlite) warnutf8(t, loaded.warnings);
    sqlrelation& r = loaded.named[t.name];
    r.from = sqlname(name);
    r.order = rownumber(options.dialect);
    for (const std::string& column : columns) r.columns.push_back(sqlname(column));
    if (!options.tables) continue;
    if (name != t.name) {
      out += "-- the table " + commentsafe(t.name) + " is created as " + commentsafe(name) +
             (t.name.size() > longest
                  ? ": PostgreSQL takes names alike in their first 63 bytes for one name\n"
                  : ": engines take names that differ only in case for one name\n");
    }
    std::vector<std::string> declared;
    for (size_t k = 0; k < columns.size(); ++k) {
      if (columns[k] != labels[k]) {
        out += "-- its column " + std::to_string(k + 1) + ", " + commentsafe(labels[k]) +
               ", is created as " + commentsafe(columns[k]) + ": SQL needs it distinct\n";
      }
      declared.push_back(r.columns[k] +
                         (t.columns()[k].type().holdsintegers() ? " INTEGER" : " TEXT"));
    }
    out += "CREATE TABLE " + r.from + " (";
    for (size_t k = 0; k < declared.size(); ++k) out += (k > 0 ? ", " : "") + declared[k];
    out += ");\n";
    appendinsert(t, r.from, out);
  }
  return loaded;
}

// For each table, the first value its reader saturated to 32 bits: the script inserts the
// value relalg read, which another loading of the same text would not.
std::vector<std::string> saturatedvalues(const std::vector<table>& tables, const readnotes& notes,
                                         std::string_view bytes) {
  std::vector<std::string> found;
  size_t index = 0;
  for (const definitionnotes& d : notes.definitions) {
    if (d.dropped || index >= tables.size()) continue;
    const table& t = tables[index++];
    for (const readevent& e : d.events) {
      if (e.kind != readnote::value || !(e.flags & readflag::saturated)) continue;
      intbuffer buffer;
      const column& c = t.columns()[static_cast<size_t>(e.column)];
      found.push_back("the value " + commentsafe(bytes.substr(e.begin, e.end - e.begin)) +
                      " of column " + commentsafe(c.name) + " of table " + commentsafe(t.name) +
                      " is read as " + std::string(c.valueview(e.row, buffer)) +
                      ", saturated to 32 bits");
      break;
    }
  }
  return found;
}

}  // namespace

std::optional<sqldialect> sqldialectnamed(std::string_view name) {
  if (name == "sqlite") return sqldialect::sqlite;
  if (name == "postgres") return sqldialect::postgres;
  if (name == "duckdb") return sqldialect::duckdb;
  return std::nullopt;
}

std::string sqlscript(std::string bytes, const sqloptions& options) {
  // The sqlite3 shell ends a statement's text at a NUL byte, and other engines refuse it.
  const bool nul = bytes.find('\0') != std::string::npos;
  readnotes notes;
  const input in = readinput(std::move(bytes), &notes);
  std::string out;
  const sqltables loaded = loadtables(in.tables, options, out);
  // Every step's columns are the plan's: a step's columns never depend on its rows, and a
  // query too large for relalg still gets its script.
  const querytree tree(in.query);
  const plan plain = buildplan(tree, in.tables, rewrites::none);
  const std::vector<sqlshape> shapes = shapesof(tree, plain, in.tables);
  const sqlstatement statement = translatequery(tree, plain, shapes, loaded, options.dialect);
  std::vector<std::string> warnings = saturatedvalues(in.tables, notes, *in.bytes);
  warnings.insert(warnings.end(), loaded.warnings.begin(), loaded.warnings.end());
  if (nul) {
    warnings.insert(warnings.begin(), "the input holds NUL bytes, which SQL text cannot carry");
  }
  warnings.insert(warnings.end(), statement.warnings.begin(), statement.warnings.end());
  for (const std::string& warning : warnings) out += "-- " + warning + "\n";
  out += statement.text;
  return out;
}

}  // namespace relalg
