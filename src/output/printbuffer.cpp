// Printing rows into the output buffer.
#include "output/printbuffer.h"

#include <charconv>
#include <type_traits>

#include "model/rowvalues.h"

namespace relalg {

namespace {

// The buffer's size: large writes, few of them.
constexpr size_t buffersize = size_t{1} << 20;
// The longest integer printed, "-2147483648".
constexpr size_t intwidth = 11;
// How many rows ahead of the one printed a row's text is fetched: the texts of a sorted or
// joined table lie scattered, and waiting for each in turn would dominate.
constexpr size_t printahead = 16;
// Input lines of this many bytes or more in one piece are written without copying.
constexpr size_t directfrom = size_t{1} << 16;

}  // namespace

printbuffer::printbuffer(std::ostream& stream) : op(&stream), bytes(buffersize) {}

printbuffer::printbuffer(handoff& to) : pieces(&to), bytes(to.take()) {}

void printbuffer::putpieces(std::string_view text) {
  while (!text.empty()) {
    if (used == bytes.size()) flush();
    const size_t n = std::min(text.size(), bytes.size() - used);
    std::memcpy(bytes.data() + used, text.data(), n);
    used += n;
    text.remove_prefix(n);
  }
}

void printbuffer::flush(bool last) {
  if (pieces) {
    bytes = pieces->pass(std::move(bytes), used, last);
  } else {
    op->write(bytes.data(), static_cast<std::streamsize>(used));
  }
  used = 0;
}

void printbuffer::putprinted(std::string_view printed) {
  flush();
  op->write(printed.data(), static_cast<std::streamsize>(printed.size()));
}

void printbuffer::putrows(const table& t, size_t first, size_t last) {
  if (const auto& lines = t.lines()) {
    // Many lines at once go to the stream straight from the input, not through the buffer.
    lines->print(first, last, [&](auto piece) {
      if constexpr (std::is_same_v<decltype(piece), char>) {
        put(piece);
      } else if (op && piece.size() >= directfrom) {
        putprinted(piece);
      } else {
        put(piece);
      }
    });
    return;
  }
  const rowvalues from(t.columns());
  const auto& columns = from.columns;
  const size_t rows = from.rows;
  for (size_t row = first; row < last; ++row) {
    for (size_t k = 0; k < columns.size(); ++k) {
      if (k > 0) put(',');
      if (columns[k].integers) {
        char* at = room(intwidth);
        used += static_cast<size_t>(std::to_chars(at, at + intwidth, columns[k].integers[row]).ptr -
                                    at);
        continue;
      }
      const std::string_view text = columns[k].text(row);
      if (row + printahead < rows) __builtin_prefetch(columns[k].text(row + printahead).data());
      put('\'');
      put(text);
      put('\'');
    }
    put('\n');
  }
}

}  // namespace relalg
