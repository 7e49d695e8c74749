// The fuzz target of relalg-import: the fuzzer's bytes as a CSV file, read whole and in two
// pieces alike, ending in the same refusal or in an input file whose table relalg reads back
// exactly as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/csvtables.h"
#include "import/importedtable.h"
#include "import/inputwriter.h"

// relalg's library enters here only: its whole run on bytes in memory.
#include "driver/run.h"

namespace {

std::string relalgoutput(std::string_view input) { return relalg::run(input); }

// The input file written for the bytes fed in those pieces, or the refusal's message.
std::string imported(const std::vector<std::string_view>& pieces,
                     const relalgimport::importoptions& options, bool& refused) {
  std::vector<relalgimport::importedtable> tables;
  try {
    relalgimport::csvreader reader("t", "fuzz.csv", options);
    for (const std::string_view piece : pieces) reader.feed(piece);
    tables.push_back(reader.finish());
  } catch (const relalgimport::refusal& refusal) {
    refused = true;
    return refusal.what();
  }
  refused = false;
  std::string input;
  relalgimport::writeinput("t", tables, [&](std::string_view piece) { input += piece; });
  return input;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  relalgimport::importoptions options;
  // An odd first byte asks for a stand-in for quotes, so that both ways are taken.
  if (!bytes.empty() && (data[0] & 1) != 0) options.quote = "`";
  bool refused = false;
  const std::string whole = imported({bytes}, options, refused);
  // A piece may end anywhere, inside a quoted field or a byte-order mark: the cut is drawn
  // from the last byte.
  const size_t cut = size == 0 ? 0 : data[size - 1] % (size + 1);
  bool piecesrefused = false;
  if (imported({bytes.substr(0, cut), bytes.substr(cut)}, options, piecesrefused) != whole ||
      piecesrefused != refused) {
    __builtin_trap();
  }
  if (refused) return 0;
  // relalg's output repeats the query line and the table as it read them, then an empty line.
  const std::string output = relalgoutput(whole);
  if (output.compare(0, whole.size(), whole) != 0 || output.size() <= whole.size() ||
      output[whole.size()] != '\n') {
    __builtin_trap();
  }
  return 0;
}
