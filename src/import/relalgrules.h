// The rules of relalg's reader that an imported name or value must keep to read back as written.
#pragma once

#include <string_view>

namespace relalgimport {

// Whether relalg reads the text as an int that it prints back as the same text: "0", or digits
// without a leading zero after an optional "-", within the 32-bit range. "007", "+7", "-0",
// " 7", "2147483648" and the empty text are not.
bool readsasint(std::string_view text);

// Why relalg would not read a table or column name back as written, or a query could not name
// it (blanks and tabs are dropped from queries); empty when nothing stands in the way.
std::string_view nameflaw(std::string_view name);

// The bytes that a text value cannot hold: a quote ends it, a line break ends its row, and a
// NUL byte has no place in a text file.
inline bool flawsvalue(char c) { return c == '\'' || c == '\n' || c == '\r' || c == '\0'; }

// Why a text value cannot hold that byte (one for which flawsvalue holds).
std::string_view valueflaw(char c);

}  // namespace relalgimport
