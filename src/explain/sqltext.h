// The pieces an SQL script is written with: quoted names and texts, comment lines, names made
// distinct as engines compare them, and what a text column holds that SQL may read otherwise.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace relalg {

// The engines a script is written for, where they differ.
enum class sqldialect { sqlite, postgres, duckdb };

// A name as a quoted identifier: between double quotes, each double quote doubled.
std::string sqlname(std::string_view name);
// A text as a string literal: between single quotes, each single quote doubled.
std::string sqltext(std::string_view text);
// A text fit for a comment line: control bytes and bytes that are not UTF-8 become "?", so
// that only the script ends the line and every engine reads it; long texts are cut after
// about `room` bytes, with "...".
std::string commentsafe(std::string_view text, size_t room = 40);

// A name as engines compare identifiers: ASCII letters in lower case.
std::string foldcase(std::string_view name);
// The bytes of a name that the engine keeps: PostgreSQL cuts longer names to their first 63,
// so that names alike in those are one name; the others keep every byte (npos).
size_t longestname(sqldialect dialect);
// The names made distinct by foldcase of their first `longest` bytes against `taken` and one
// another: a name already taken gets "_" and its position from 1, then more "_" until it is
// free, cut short enough for them to stay within `longest`. All end up in `taken`.
std::vector<std::string> distinctnames(const std::vector<std::string_view>& names,
                                       std::unordered_set<std::string>& taken,
                                       size_t longest = std::string::npos);

// Whether atoi's reading of a text passes the signed 32-bit range, where relalg saturates it.
bool readsbeyond32(std::string_view text);
// Whether a text is a plain integer: an optional sign and digits, within 32 bits; every
// engine's CAST reads such a text as atoi does.
bool plaininteger(std::string_view text);
bool hashighbyte(std::string_view text);
bool validutf8(std::string_view text);

// The first value of a text column, of each kind that SQL may read otherwise than relalg.
struct textfacts {
  std::optional<std::string> highbyte;  // bytes above 127: an engine may order it otherwise
  std::optional<std::string> beyond32;  // read as an integer, saturated by relalg alone
  std::optional<std::string> notplain;  // read as an integer, refused by strict engines
  std::optional<std::string> quoted;    // opens with a quote, which comparisons strip

  void add(std::string_view value);
  void merge(const textfacts& other);
};

}  // namespace relalg
