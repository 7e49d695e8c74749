// What the table reader did silently, by position in the input: every rule it applied to a
// value, a row, a header or a definition, kept to explain the input to its author.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "input/readflags.h"

namespace relalg {

enum class readnote : uint8_t {
  value,        // a value that did not stand as written: its flags say how
  toofew,       // a row with fewer values than columns: the rest are 0 or the empty text
  extra,        // values past the last column, skipped
  afterquote,   // characters after a closing quote, skipped
  notype,       // a column name without a blank and a type: an integer column
  typeasint,    // a type without "(" other than int: an integer column
  typeaschar,   // a type with "(" other than char(N): a text column
  nameblank,    // a table name holding blanks or tabs
  namelines,    // a table name running over several lines
  namebom,      // a table name holding a byte-order mark
  headerasrow,  // a line that looks like a table header, read as a row of the table above
  dropped,      // a definition that the end of the input cut before its "(": dropped
};

struct readevent {
  readnote kind = readnote::value;
  readflags flags = 0;  // value: how it stood
  // value, notype, typeasint, typeaschar: the column; toofew: how many values the row had.
  int32_t column = -1;
  int32_t row = -1;  // value and row events: the row's index in its table
  size_t begin = 0;  // the text concerned, as positions in the input
  size_t end = 0;
};

// One table definition's events: the first few of each kind, and how many there were.
struct definitionnotes {
  size_t begin = 0;  // where the definition starts in the input
  bool dropped = false;
  std::vector<readevent> events;  // in reading order
  // For each kind (with its flags), how many events there were in all, and in how many rows:
  // several columns of one row may have the same event.
  struct tally {
    int64_t events = 0;
    int64_t rows = 0;
    int32_t lastrow = -1;
  };
  std::map<uint16_t, tally> counts;

  static uint16_t keyof(const readevent& e) {
    return static_cast<uint16_t>(static_cast<unsigned>(e.kind) << 8 | e.flags);
  }
};

// Given to the table reader, which tells it only where a rule applied: on a slow path.
class readnotes {
 public:
  // How many events of one kind, with the same flags, a definition keeps.
  static constexpr int64_t kept = 3;

  std::vector<definitionnotes> definitions;

  // A table definition starts at this position.
  void definition(size_t begin);
  // The definition ends before its "(": it is dropped.
  void dropped(size_t begin, size_t end);
  // A table name as read from this position.
  void named(std::string_view name, size_t begin);
  // A column's type text as read from this position, and whether it held a "(".
  void declared(std::string_view type, size_t begin, bool parenthesised);
  // A value of the current row that did not stand as written.
  void value(readflags flags, int32_t column, int32_t row, size_t begin, size_t end);
  // Another event of the current row.
  void row(readevent e) { pending.push_back(e); }
  // The current row, read from this position, is over: its events are kept, or one
  // headerasrow instead when its line looks like a table header.
  void endrow(std::string_view line, size_t begin);

 private:
  std::vector<readevent> pending;
  int32_t declarations = 0;  // of the current definition

  void add(const readevent& e);
};

// Whether a line looks like a table header: a name, "(", and a declaration of int or char.
bool lookslikeheader(std::string_view line);

}  // namespace relalg
