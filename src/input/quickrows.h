// Fast path of the table reader: rows that stand exactly as printed, read in one pass.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "input/source.h"
#include "model/column.h"

namespace relalg {

// Most rows of a large table stand exactly as the output prints them: integers without
// leading zeros or signs other than "-", texts between quotes, one comma between values. Such
// a row is read here in one pass over its line, each value appended to its column's list
// without a call per value; any other row is left to the full reader (readrow), which reads
// it by every rule. Both give the same values for a row that stands as printed, so the
// correct answer is obtained regardless of which reads it.
class quickrows {
 public:
  // For columns that must not change otherwise while this reads into them.
  quickrows(std::vector<column>& columns, const source& ip);

  // Reads the rows standing as printed from ip's position on, at most `most` of them, up to
  // the first other row, an empty line or the end, where ip is left; each row's start is
  // added to starts when given. Answers how many rows it read.
  size_t readrun(source& ip, std::vector<uint32_t>* starts, size_t most);

 private:
  // Each column's values: integers or texts, the other list null.
  struct target {
    std::vector<int32_t>* numbers = nullptr;
    std::vector<textref>* texts = nullptr;
  };
  std::vector<target> targets;

  // Reads one row standing as printed from p, which then points past its line feed; answers
  // false, taking nothing, for any other row.
  bool readrow(const char*& p, const char* end);
};

}  // namespace relalg
