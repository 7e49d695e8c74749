// The output's bytes, made in a fixed buffer and handed to the stream in large pieces.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string_view>
#include <vector>

#include "model/table.h"
#include "output/handoff.h"

namespace relalg {

class printbuffer {
 public:
  explicit printbuffer(std::ostream& stream);
  // Passes each full buffer on to a handoff instead: for printing on a second thread.
  explicit printbuffer(handoff& pieces);
  printbuffer(const printbuffer&) = delete;
  printbuffer& operator=(const printbuffer&) = delete;

  void put(char c) {
    if (used == bytes.size()) flush();
    bytes[used++] = c;
  }
  void put(std::string_view text) {
    // An empty text may have no bytes at all to copy from.
    if (text.empty() || text.size() > bytes.size() - used) return putpieces(text);
    std::memcpy(bytes.data() + used, text.data(), text.size());
    used += text.size();
  }
  // Hands what the buffer holds to the stream, and the stream's own buffer to its file; into a
  // handoff, last ends a range of rows.
  void flush(bool last = false);
  // Bytes printed elsewhere, after those printed here: written straight to the stream.
  void putprinted(std::string_view printed);

  // The rows from first up to last of a table, each as its values printed between commas and
  // a line feed: copied from the lines of the input where the table's rows stood there as
  // printed, else printed value by value.
  void putrows(const table& t, size_t first, size_t last);

 private:
  std::ostream* op = nullptr;
  handoff* pieces = nullptr;
  std::vector<char> bytes;
  size_t used = 0;

  // A text longer than the room left, in as many pieces as it takes.
  void putpieces(std::string_view text);
  // Room for n more bytes, flushing first when the buffer lacks it.
  char* room(size_t n) {
    if (bytes.size() - used < n) flush();
    return bytes.data() + used;
  }
};

}  // namespace relalg
