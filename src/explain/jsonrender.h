// The explanation as one JSON document, for tools and for a web page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "explain/explanation.h"

namespace relalg {

// The most bytes of the steps' texts a document holds.
constexpr size_t jsonmosttexts = size_t{512} << 20;

// Why the document is not written: the steps' texts would pass `most` bytes, as they do for
// a query nested deep, since each step's text holds the texts of the steps in it. Empty when
// the document is written.
std::string jsonrefusal(const explanation& e, size_t most = jsonmosttexts);

// {"tables": [...], "query": ..., "result": ..., "notes": [...], "every_note": [...]} and a
// line feed; throws
// std::length_error with jsonrefusal's reason for a document it refuses.
std::string renderjson(const explanation& e);

// A JSON string literal of bytes: each byte that is not part of valid UTF-8 as \u00XX (so
// \u0080 to \u00ff always stand for such a byte), control characters escaped, the rest as is.
void appendjsonstring(std::string& out, std::string_view s);

}  // namespace relalg
