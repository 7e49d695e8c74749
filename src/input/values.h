// Reading one value of a row into its column, by the column's type.
#pragma once

#include <cstdint>
#include <string_view>

#include "input/readflags.h"
#include "input/source.h"
#include "model/column.h"

namespace relalg {

// Reads one value and appends it to the column; the separator after it (a "," or a line feed)
// stays in the input. Answers how the value stood: no flag when exactly as the output prints it.
readflags readvalue(source& ip, column& into);

// Fast path: an integer as printed, "0" or an optional "-" and up to nine digits without a
// leading zero, read from p on (p then points past it); false, taking nothing, for any other
// text. Where it answers true, readint of the same digits gives the same number.
bool printedint(const char*& p, const char* end, int32_t& number);

}  // namespace relalg
