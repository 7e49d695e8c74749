// Sentences for the reader's silent rules, each at the line it concerns.
#include "explain/readingnotes.h"

#include <algorithm>
#include <string>

#include "explain/linenumbers.h"
#include "explain/printable.h"

namespace relalg {

namespace {

std::string plural(int64_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The carriage returns dropped in [begin, end).
int64_t droppedin(const std::vector<size_t>& dropped, size_t begin, size_t end) {
  return std::lower_bound(dropped.begin(), dropped.end(), end) -
         std::lower_bound(dropped.begin(), dropped.end(), begin);
}

std::string crsentence(int64_t count) {
  return plural(count, "carriage return", "carriage returns") +
         " before line feeds dropped: lines ending in CR LF read as lines ending in LF";
}

// How a value's text was read, clause by clause.
std::string valueclauses(readflags flags, std::string_view text) {
  std::vector<std::string> clauses;
  if ((flags & readflag::unquoted) && text.front() == ' ') {
    clauses.push_back("begins with a blank, which is dropped as its opening quote");
  } else if (flags & readflag::unquoted) {
    clauses.push_back("does not begin with a quote (its first character is dropped as one)");
  }
  if (flags & readflag::unclosed) {
    clauses.push_back("has no closing quote (the text runs to the end of the line)");
  }
  if (flags & readflag::nodigits) clauses.push_back("is not a number");
  if (flags & readflag::trailing) clauses.push_back("has characters after its number (ignored)");
  if (flags & readflag::saturated) clauses.push_back("is beyond the 32-bit range");
  std::string joined;
  for (size_t k = 0; k < clauses.size(); ++k) {
    if (k > 0) joined += " and ";
    joined += clauses[k];
  }
  return joined;
}

std::string columnnamed(const table& t, int32_t k) {
  return "column " + quoted(t.columns()[static_cast<size_t>(k)].name);
}

class tablereading {
 public:
  tablereading(const inputread& in, const linenumbers& l) : input(in), lines(l) {}

  std::string sentence(const readevent& e, const table* t) const {
    const std::string_view text = input.text.substr(e.begin, e.end - e.begin);
    switch (e.kind) {
      case readnote::value:
        return valuesentence(e, *t, text);
      case readnote::toofew:
        return "the row " + quoted(withoutfeed(text)) + " has " +
               plural(e.column, "value", "values") + " for " +
               plural(t->columncount(), "column", "columns") +
               ": the others are 0 or the empty text";
      case readnote::extra:
        return quoted(text) + " after the last column is skipped";
      case readnote::afterquote:
        return quoted(text) + " after the closing quote in " + columnnamed(*t, e.column) +
               " is skipped";
      case readnote::notype:
        return columnnamed(*t, e.column) + " has no type: read as int";
      case readnote::typeasint:
        return "the type " + quoted(text) + " of " + columnnamed(*t, e.column) +
               " has no \"(\": read as int";
      case readnote::typeaschar:
        return typeaschar(*t, e.column, text);
      case readnote::nameblank:
        return "the table name " + quoted(text) +
               " holds a blank or a tab: no query can name it, since they are removed from the "
               "query";
      case readnote::namelines:
        return "the table name " + quoted(text) + " runs over " +
               std::to_string(lines.at(e.end) - lines.at(e.begin) + 1) +
               " lines: text before a header, with no empty line after it, belongs to the name";
      case readnote::namebom:
        return "the table name " + quoted(text) +
               " holds a byte-order mark (the bytes EF BB BF): a query naming the table "
               "without it does not find it";
      case readnote::headerasrow:
        return "the line " + quoted(text) +
               " looks like a table header, but no empty line stands before it: it is read "
               "as a row of " +
               quoted(t->name) + ", and so are the rows under it";
      case readnote::dropped:
        return quoted(withoutfeed(text)) +
               " holds no \"(\" before the end of the input: it is no table definition and "
               "is dropped";
    }
    return {};
  }

  // The notes of one definition: the events kept, then how many more there were.
  std::vector<note> notesof(const definitionnotes& d, const table* t) const {
    std::vector<note> notes;
    for (size_t i = 0; i < d.events.size(); ++i) {
      const readevent& e = d.events[i];
      std::string text = sentence(e, t);
      // What a quote taken for a closing one left behind is told with the value it ended.
      const readevent* next = i + 1 < d.events.size() ? &d.events[i + 1] : nullptr;
      if (e.kind == readnote::value && next && next->kind == readnote::afterquote &&
          next->row == e.row && next->column == e.column) {
        text += ", and " + quoted(input.text.substr(next->begin, next->end - next->begin)) +
                " after its closing quote is skipped";
        ++i;
      }
      notes.push_back({lines.at(e.begin), text});
    }
    for (const auto& [key, tally] : d.counts) {
      if (tally.events <= readnotes::kept) continue;
      // The events kept of this kind: the lines they stand on, and the last of them, which
      // the others are like.
      std::vector<int32_t> rowsshown;
      const readevent* last = nullptr;
      for (const readevent& e : d.events) {
        if (definitionnotes::keyof(e) != key) continue;
        last = &e;
        if (rowsshown.empty() || rowsshown.back() != e.row || e.row < 0) {
          rowsshown.push_back(e.row);
        }
      }
      if (!last) continue;
      const int64_t more = tally.rows - static_cast<int64_t>(rowsshown.size());
      const bool header = last->row < 0;
      note summary{0, "and " +
                          (header ? plural(more, "more column", "more columns")
                                  : plural(more, "more line", "more lines")) +
                          " like line " + std::to_string(lines.at(last->begin))};
      // A value's events and those of the text after its quote, told together above, come
      // in the same lines: they are summed up once.
      const bool told = std::any_of(notes.begin(), notes.end(), [&](const note& n) {
        return n.line == 0 && n.text == summary.text;
      });
      if (more > 0 && !told) notes.push_back(std::move(summary));
    }
    return notes;
  }

 private:
  const inputread& input;
  const linenumbers& lines;

  static std::string_view withoutfeed(std::string_view s) {
    if (!s.empty() && s.back() == '\n') s.remove_suffix(1);
    return s;
  }

  static std::string valuesentence(const readevent& e, const table& t, std::string_view text) {
    const column& c = t.columns()[static_cast<size_t>(e.column)];
    const std::string value = visible(c.printvalue(e.row));
    if (e.flags & readflag::empty) {
      return "an empty value in " + columnnamed(t, e.column) + ": read as " + value;
    }
    return quoted(text) + " in " + columnnamed(t, e.column) + " " + valueclauses(e.flags, text) +
           ": read as " + cut(value, 40);
  }

  static std::string typeaschar(const table& t, int32_t k, std::string_view text) {
    const column& c = t.columns()[static_cast<size_t>(k)];
    std::string sentence = "the type " + quoted(text) + " of " + columnnamed(t, k) +
                           " is read as " + c.type().typetext();
    if (c.type().comparesasinteger())
      sentence += ", whose width 0 makes conditions compare it as integers";
    return sentence;
  }
};

void notequerysection(const inputread& input, const linenumbers& lines, explanation& e) {
  const std::string_view section = input.read.querylines;
  if (section.size() >= 3 && section.substr(0, 3) == "\xEF\xBB\xBF") {
    e.notes.push_back({1,
                       "the input begins with a byte-order mark (the bytes EF BB BF): it is "
                       "part of the query's first word"});
  }
  // A line of blanks or tabs is not empty, so it does not end the query.
  size_t glued = std::string_view::npos;  // the first line that looks like a table's header
  for (size_t start = 0; start < section.size();) {
    const size_t feed = std::min(section.find('\n', start), section.size());
    const std::string_view line = section.substr(start, feed - start);
    if (!line.empty() && line.find_first_not_of(" \t") == std::string_view::npos) {
      e.notes.push_back({lines.at(start),
                         "this line holds only blanks or tabs: it is not empty, so the query "
                         "goes on past it"});
    }
    if (glued == std::string_view::npos && start > 0 && lookslikeheader(line)) glued = start;
    start = feed + 1;
  }
  const bool closed = input.text.size() > section.size() && input.text[section.size()] == '\n';
  if (!closed) {
    std::string sentence =
        "no empty line ends the query: the whole input is the query, and there are no tables";
    if (glued != std::string_view::npos) {
      const size_t feed = std::min(section.find('\n', glued), section.size());
      sentence += "; add an empty line after the query, before line " +
                  std::to_string(lines.at(glued)) + ", " +
                  quoted(section.substr(glued, feed - glued));
    }
    e.notes.push_back({0, sentence});
  }
  if (input.read.query.empty()) {
    e.notes.push_back({1, "the query is empty: its value is the empty table"});
  }
}

}  // namespace

std::vector<headerasrow> explainreading(const inputread& input, explanation& e) {
  const linenumbers lines = linenumbers::of(input.text);
  notequerysection(input, lines, e);
  const tablereading reading(input, lines);
  const std::vector<definitionnotes>& definitions = input.notes.definitions;
  const size_t tablesstart = definitions.empty() ? input.text.size() : definitions.front().begin;
  if (const int64_t crs = droppedin(input.dropped, 0, tablesstart)) {
    e.notes.push_back({1, crsentence(crs)});
  }
  std::vector<headerasrow> headers;
  size_t next = 0;  // the next table read
  for (size_t d = 0; d < definitions.size(); ++d) {
    const definitionnotes& definition = definitions[d];
    const size_t end = d + 1 < definitions.size() ? definitions[d + 1].begin : input.text.size();
    const int64_t crs = droppedin(input.dropped, definition.begin, end);
    if (definition.dropped) {
      const std::vector<note> notes = reading.notesof(definition, nullptr);
      e.notes.insert(e.notes.end(), notes.begin(), notes.end());
      if (crs) e.notes.push_back({lines.at(definition.begin), crsentence(crs)});
      continue;
    }
    const table& t = input.read.tables[next++];
    tableinfo info;
    info.name = t.name;
    info.line = lines.at(definition.begin);
    for (const column& c : t.columns()) info.columns.push_back({c.name, c.type().typetext()});
    info.rows = t.rowcount();
    info.notes = reading.notesof(definition, &t);
    for (const readevent& event : definition.events) {
      if (event.kind != readnote::headerasrow) continue;
      const std::string_view line = input.text.substr(event.begin, event.end - event.begin);
      headers.emplace_back(std::string(line.substr(0, line.find('('))), lines.at(event.begin));
    }
    if (crs) info.notes.push_back({info.line, crsentence(crs)});
    e.tables.push_back(std::move(info));
  }
  const bool closed = input.text.size() > input.read.querylines.size();
  if (e.tables.empty() && closed && !input.read.query.empty()) {
    e.notes.push_back({0, "the input holds no table"});
  }
  return headers;
}

}  // namespace relalg
