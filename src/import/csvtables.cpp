// Reading a CSV file with libcsv's callbacks into the values of one table.
#include "import/csvtables.h"

#include <cstdint>
#include <new>
#include <utility>

namespace relalgimport {

namespace {

// Blanks and tabs are part of a field: libcsv would trim them from unquoted ones.
int nospace(unsigned char) { return 0; }

constexpr std::string_view byteordermark = "\xEF\xBB\xBF";

}  // namespace

csvreader::csvreader(std::string name, std::string origin, const importoptions& options)
    : table(std::move(name), std::move(origin), options) {
  // Strict: a quote inside an unquoted field, text after a closing quote and a quoted field
  // left open at the end are errors. Every line end outside a field is reported, so an empty
  // line is a row of its own.
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) throw std::bad_alloc();
  csv_set_space_func(&parser, nospace);
}

csvreader::~csvreader() { csv_free(&parser); }

void csvreader::feed(std::string_view bytes) {
  if (starting) {
    // A byte-order mark may come in pieces: what may still be one is held back.
    size_t matched = 0;
    while (matched < bytes.size() && held.size() < byteordermark.size() &&
           bytes[matched] == byteordermark[held.size()]) {
      held += bytes[matched++];
    }
    bytes.remove_prefix(matched);
    if (held.size() < byteordermark.size() && bytes.empty()) return;
    starting = false;
    // Not a mark after all: its bytes are the file's.
    if (held.size() < byteordermark.size()) parse(held);
  }
  parse(bytes);
}

void csvreader::parse(std::string_view bytes) {
  const size_t parsed = csv_parse(&parser, bytes.data(), bytes.size(), onfield, onrow, this);
  raise();
  if (parsed < bytes.size()) {
    if (csv_error(&parser) != CSV_EPARSE) throw std::bad_alloc();
    throw refusal(here() +
                  ": a double quote where RFC 4180 allows none (a field holding one is "
                  "quoted whole, its quotes doubled)");
  }
}

importedtable csvreader::finish() {
  if (starting) parse(held);  // the file is shorter than a byte-order mark
  const int status = csv_fini(&parser, onfield, onrow, this);
  raise();
  if (status != 0) {
    throw refusal(here() + ": a quoted field has no closing quote before the end of the file");
  }
  if (inheader) throw refusal(table.origin + ": the file is empty, with no header naming columns");
  return std::move(table);
}

void csvreader::onfield(void* text, size_t length, void* reader) {
  auto& r = *static_cast<csvreader*>(reader);
  if (r.fault) return;
  try {
    r.field(std::string_view(static_cast<const char*>(text), length));
  } catch (...) {
    r.fault = std::current_exception();
  }
}

void csvreader::onrow(int end, void* reader) {
  auto& r = *static_cast<csvreader*>(reader);
  if (r.fault) return;
  try {
    r.endrow(end);
  } catch (...) {
    r.fault = std::current_exception();
  }
}

void csvreader::field(std::string_view text) {
  if (inheader) {
    header.emplace_back(text);
  } else if (fields < table.columns.size()) {
    table.add(fields, text, true);
  }
  ++fields;
}

void csvreader::endrow(int end) {
  const bool emptyline = fields == 0;
  if (emptyline) {
    // The line feed of a carriage return and line feed that ended a row.
    if (end == '\n' && aftercr) {
      aftercr = false;
      return;
    }
    field({});  // an empty line: one empty field, as RFC 4180 reads it
  }
  aftercr = end == '\r';
  if (inheader) {
    table.namecolumns(std::move(header));
    inheader = false;
  } else if (fields != table.columns.size()) {
    const std::string row = table.origin + ": row " + std::to_string(rows + 1);
    const std::string columns = "the header " + std::to_string(table.columns.size());
    if (emptyline) throw refusal(row + " is an empty line, so one empty field; " + columns);
    throw refusal(row + " has " + std::to_string(fields) +
                  (fields == 1 ? " field, " : " fields, ") + columns);
  } else if (++rows > INT32_MAX) {
    throw refusal(table.origin + ": more than 2147483647 rows, the most relalg holds");
  }
  fields = 0;
}

std::string csvreader::here() const {
  const std::string column = "column " + std::to_string(fields + 1);
  if (inheader) return table.origin + ": " + column + " of the header";
  return table.origin + ": row " + std::to_string(rows + 1) + ", " + column;
}

void csvreader::raise() {
  if (fault) std::rethrow_exception(std::exchange(fault, nullptr));
}

}  // namespace relalgimport
