// A CSV file read into a table through libcsv: RFC 4180 quoting, its first row the header.
#pragma once

#include <csv.h>

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "import/importedtable.h"

namespace relalgimport {

// Reads one file's bytes, fed in pieces of any size, into one table. An empty line is a row of
// one empty field, and a UTF-8 byte-order mark at the start of the file is dropped.
class csvreader {
 public:
  csvreader(std::string name, std::string origin, const importoptions& options);
  ~csvreader();
  csvreader(const csvreader&) = delete;
  csvreader& operator=(const csvreader&) = delete;

  // Makes room for the values of a file of that many bytes.
  void reserve(size_t bytes) { table.values.reserve(bytes + 1); }
  // Reads the next bytes of the file; a refusal is raised as soon as it is found.
  void feed(std::string_view bytes);
  // The table, once the last bytes are fed.
  importedtable finish();

 private:
  static void onfield(void* text, size_t length, void* reader);
  static void onrow(int end, void* reader);
  void field(std::string_view text);
  void endrow(int end);
  // Where the field being read stands, for a message.
  std::string here() const;
  void parse(std::string_view bytes);
  void raise();

  csv_parser parser;
  importedtable table;
  std::vector<std::string> header;
  bool inheader = true;
  bool starting = true;      // a byte-order mark is looked for in the first bytes only
  std::string held;          // the first bytes, while they may be one
  bool aftercr = false;      // the last row ended at a carriage return
  size_t fields = 0;         // fields of the row being read
  size_t rows = 0;           // data rows read, after the header
  std::exception_ptr fault;  // raised once libcsv has returned, never through it
};

}  // namespace relalgimport
