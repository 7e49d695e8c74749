// Reading the tables of an SQLite database, read only, through prepared statements.
#include "import/sqlitetables.h"

#include <sqlite3.h>

#include <charconv>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

namespace relalgimport {

namespace {

struct closedatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct finalizestatement {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using database = std::unique_ptr<sqlite3, closedatabase>;
using statement = std::unique_ptr<sqlite3_stmt, finalizestatement>;

class reader {
 public:
  reader(const std::string& path, const importoptions& options) : path(path), options(options) {
    sqlite3* opened = nullptr;
    const int status = sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    db.reset(opened);
    if (status != SQLITE_OK) fail("cannot read " + path);
  }

  std::vector<std::string> alltables() {
    // Names beginning with "sqlite_" are SQLite's own (sqlite_sequence, sqlite_stat1).
    statement s = prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
        "ESCAPE '\\' ORDER BY rowid");
    std::vector<std::string> names;
    while (step(s.get(), "cannot read " + path)) names.push_back(text(s.get(), 0));
    return names;
  }

  // The name the schema gives the table or view, found as SQLite finds it (ASCII letters in
  // any case).
  std::string named(const std::string& name) {
    statement s = prepare(
        "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?1 "
        "COLLATE NOCASE");
    if (sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
      throw std::bad_alloc();
    }
    if (!step(s.get(), "cannot read " + path)) {
      throw refusal(path + ": no table named \"" + shown(name) + "\"");
    }
    return text(s.get(), 0);
  }

  importedtable read(const std::string& name) {
    importedtable t(name, path + ", table \"" + shown(name) + "\"", options);
    std::string quoted = "\"";
    for (const char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    statement s = prepare("SELECT * FROM " + quoted + "\"");
    const int count = sqlite3_column_count(s.get());
    std::vector<std::string> names;
    for (int k = 0; k < count; ++k) {
      const char* column = sqlite3_column_name(s.get(), k);
      if (!column) throw std::bad_alloc();
      names.emplace_back(column);
    }
    t.namecolumns(std::move(names));
    char digits[24];
    while (step(s.get(), t.origin)) {
      for (int k = 0; k < count; ++k) {
        const auto column = static_cast<size_t>(k);
        switch (sqlite3_column_type(s.get(), k)) {
          case SQLITE_NULL:
            t.addnull(column);
            break;
          case SQLITE_INTEGER: {
            const auto end =
                std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(s.get(), k)).ptr;
            t.add(column, std::string_view(digits, static_cast<size_t>(end - digits)), true);
            break;
          }
          case SQLITE_BLOB:
            t.add(column, bytes(s.get(), k, sqlite3_column_blob(s.get(), k)), false);
            break;
          default:  // a text, or a real number as SQLite writes it
            t.add(column, bytes(s.get(), k, sqlite3_column_text(s.get(), k)), false);
            break;
        }
      }
    }
    if (t.rowcount() == 0) {
      // No value to go by: SQLite's own rule, an integer column is one whose type says INT.
      for (int k = 0; k < count; ++k) {
        const char* declared = sqlite3_column_decltype(s.get(), k);
        std::string type = declared ? declared : "";
        for (char& c : type) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        t.columns[static_cast<size_t>(k)].integers = type.find("INT") != std::string::npos;
      }
    }
    return t;
  }

 private:
  const std::string& path;
  const importoptions& options;
  database db;

  [[noreturn]] void fail(const std::string& what) const {
    if (sqlite3_errcode(db.get()) == SQLITE_NOMEM) throw std::bad_alloc();
    throw refusal(what + ": " + (db ? sqlite3_errmsg(db.get()) : "out of memory"));
  }

  statement prepare(const std::string& sql) {
    sqlite3_stmt* prepared = nullptr;
    const int status =
        sqlite3_prepare_v2(db.get(), sql.data(), static_cast<int>(sql.size()), &prepared, nullptr);
    statement s(prepared);
    if (status != SQLITE_OK) fail("cannot read " + path);
    return s;
  }

  // The next row, or false after the last.
  bool step(sqlite3_stmt* s, const std::string& where) {
    const int status = sqlite3_step(s);
    if (status == SQLITE_ROW) return true;
    if (status != SQLITE_DONE) fail(where);
    return false;
  }

  // The bytes of a value, fetched as pointer first and length after, as SQLite asks.
  static std::string_view bytes(sqlite3_stmt* s, int k, const void* data) {
    if (!data && sqlite3_errcode(sqlite3_db_handle(s)) == SQLITE_NOMEM) throw std::bad_alloc();
    return std::string_view(static_cast<const char*>(data),
                            static_cast<size_t>(sqlite3_column_bytes(s, k)));
  }

  static std::string text(sqlite3_stmt* s, int k) {
    return std::string(bytes(s, k, sqlite3_column_text(s, k)));
  }
};

}  // namespace

std::vector<importedtable> readsqlite(const std::string& path,
                                      const std::vector<std::string>& names,
                                      const importoptions& options) {
  reader r(path, options);
  std::vector<std::string> chosen;
  if (names.empty()) {
    chosen = r.alltables();
  } else {
    for (const std::string& name : names) chosen.push_back(r.named(name));
  }
  std::vector<importedtable> tables;
  for (const std::string& name : chosen) tables.push_back(r.read(name));
  return tables;
}

}  // namespace relalgimport
