// The explanation as one JSON document, for tools and for a web page.
#pragma once

#include <string>
#include <string_view>

#include "explain/explanation.h"

namespace relalg {

// {"tables": [...], "query": ..., "result": ..., "notes": [...]} and a line feed; throws
// std::length_error for a query so deep that its steps' texts would pass 512 MiB.
std::string renderjson(const explanation& e);

// A JSON string literal of bytes: each byte that is not part of valid UTF-8 as \u00XX (so
// \u0080 to \u00ff always stand for such a byte), control characters escaped, the rest as is.
void appendjsonstring(std::string& out, std::string_view s);

}  // namespace relalg
