// Printing rows into the output buffer.
#include "driver/printbuffer.h"

#include <charconv>

#include "model/charcolumn.h"
#include "model/intcolumn.h"

namespace relalg {

namespace {

// The buffer's size: large writes, few of them.
constexpr size_t buffersize = size_t{1} << 20;
// The longest integer printed, "-2147483648".
constexpr size_t intwidth = 11;
// How many rows ahead of the one printed a row's text is fetched: the texts of a sorted or
// joined table lie scattered, and waiting for each in turn would dominate.
constexpr size_t printahead = 16;

}  // namespace

printbuffer::printbuffer(std::ostream& stream) : op(stream), bytes(buffersize) {}

void printbuffer::putpieces(std::string_view text) {
  while (!text.empty()) {
    if (used == bytes.size()) flush();
    const size_t n = std::min(text.size(), bytes.size() - used);
    std::memcpy(bytes.data() + used, text.data(), n);
    used += n;
    text.remove_prefix(n);
  }
}

void printbuffer::flush() {
  op.write(bytes.data(), static_cast<std::streamsize>(used));
  used = 0;
}

void printbuffer::putrows(const table& t) {
  // Each column's values, read straight from its list: no call per value.
  struct source {
    const int32_t* numbers = nullptr;
    const std::string_view* texts = nullptr;
  };
  std::vector<source> columns;
  for (const auto& c : t.columns) {
    if (const auto* ints = dynamic_cast<const intcolumn*>(c.get())) {
      columns.push_back({ints->values.get().data(), nullptr});
    } else {
      columns.push_back({nullptr, dynamic_cast<const charcolumn&>(*c).values.get().data()});
    }
  }
  const auto rows = static_cast<size_t>(t.rowcount());
  for (size_t row = 0; row < rows; ++row) {
    for (size_t k = 0; k < columns.size(); ++k) {
      if (k > 0) put(',');
      if (columns[k].numbers) {
        char* at = room(intwidth);
        used +=
            static_cast<size_t>(std::to_chars(at, at + intwidth, columns[k].numbers[row]).ptr - at);
        continue;
      }
      const std::string_view text = columns[k].texts[row];
      if (row + printahead < rows) __builtin_prefetch(columns[k].texts[row + printahead].data());
      put('\'');
      put(text);
      put('\'');
    }
    put('\n');
  }
}

}  // namespace relalg
