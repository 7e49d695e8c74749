// Parsing the command line: one place, so further options are one line each.
#include "explain/options.h"

#include <string_view>

#include "model/textint.h"

namespace relalg {

namespace {

// A count of rows: digits only, within range.
bool readrows(std::string_view text, int32_t& rows) {
  const intreading r = readint(text);
  if (text.empty() || !r.digits || r.trailing || r.saturated || text[0] == '-' || text[0] == '+' ||
      text[0] == ' ') {
    return false;
  }
  rows = r.number;
  return true;
}

}  // namespace

bool parseoptions(int argc, const char* const* argv, options& parsed, std::string& error) {
  bool named = false;
  bool sqlonly = false;  // an option that only the script takes
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--json") {
      parsed.form = outputform::json;
    } else if (word == "--sql") {
      parsed.form = outputform::sql;
    } else if (word == "--sql-tables=yes" || word == "--sql-tables=no") {
      parsed.sql.tables = word == "--sql-tables=yes";
      sqlonly = true;
    } else if (word.substr(0, 10) == "--dialect=") {
      const auto dialect = sqldialectnamed(word.substr(10));
      if (!dialect) {
        error = "--dialect wants sqlite, postgres or duckdb";
        return false;
      }
      parsed.sql.dialect = *dialect;
      sqlonly = true;
    } else if (word == "--latex") {
      parsed.form = outputform::latex;
    } else if (word == "--fail-on-notes") {
      parsed.failonnotes = true;
    } else if (word == "--help") {
      parsed.help = true;
    } else if (word == "--rows") {
      if (i + 1 == argc || !readrows(argv[i + 1], parsed.rows)) {
        error = "--rows wants a number of rows (0 or more)";
        return false;
      }
      ++i;
    } else if (word.size() > 1 && word.front() == '-') {
      error = "unknown option " + std::string(word);
      return false;
    } else if (named) {
      error = "more than one input file";
      return false;
    } else {
      parsed.input = word;
      named = true;
    }
  }
  if (!named && !parsed.help) {
    error = "no input file";
    return false;
  }
  if (sqlonly && parsed.form != outputform::sql) {
    error = "--sql-tables and --dialect go with --sql";
    return false;
  }
  if (parsed.failonnotes && parsed.form == outputform::sql) {
    error = "--fail-on-notes goes with an explanation, not with --sql";
    return false;
  }
  return true;
}

std::string usage() {
  return "usage: relalg-explain [--json | --latex] [--rows N] [--fail-on-notes] INPUT\n"
         "       relalg-explain --sql [--sql-tables=no] [--dialect=sqlite|postgres|duckdb] INPUT\n"
         "  explains how relalg reads INPUT and evaluates its query, step by step,\n"
         "  or writes an SQL script that loads INPUT's tables and asks its query\n";
}

}  // namespace relalg
