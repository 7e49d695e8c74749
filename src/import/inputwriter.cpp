// Writing the input file through a buffer of its own, value after value.
#include "import/inputwriter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace relalgimport {

namespace {

class buffered {
 public:
  explicit buffered(const inputsink& put) : put(put), bytes(new char[capacity]) {}

  void add(char c) {
    if (used == capacity) flush();
    bytes[used++] = c;
  }
  void add(std::string_view text) {
    if (text.size() > capacity - used) {
      flush();
      if (text.size() > capacity) return put(text);
    }
    std::memcpy(bytes.get() + used, text.data(), text.size());
    used += text.size();
  }
  void flush() {
    if (used > 0) put(std::string_view(bytes.get(), used));
    used = 0;
  }

 private:
  static constexpr size_t capacity = size_t{1} << 20;
  const inputsink& put;
  std::unique_ptr<char[]> bytes;
  size_t used = 0;
};

std::string header(const importedtable& t) {
  std::string line = t.name + "(";
  for (size_t k = 0; k < t.columns.size(); ++k) {
    const importedcolumn& c = t.columns[k];
    if (k > 0) line += ", ";
    line += c.name;
    line += c.integers ? " int" : " char(" + std::to_string(std::max<size_t>(c.width, 1)) + ")";
  }
  return line + ")\n";
}

}  // namespace

void writeinput(std::string_view query, const std::vector<importedtable>& tables,
                const inputsink& put) {
  buffered out(put);
  out.add(query);
  out.add("\n\n");
  for (size_t n = 0; n < tables.size(); ++n) {
    if (n > 0) out.add('\n');
    const importedtable& t = tables[n];
    out.add(header(t));
    const std::string_view values = t.values;
    size_t k = 0;  // the column of the next value
    for (size_t begin = 0; begin < values.size();) {
      const size_t end = values.find('\0', begin);
      const bool integers = t.columns[k].integers;
      if (!integers) out.add('\'');
      out.add(values.substr(begin, end - begin));
      if (!integers) out.add('\'');
      k = k + 1 == t.columns.size() ? 0 : k + 1;
      out.add(k == 0 ? '\n' : ',');
      begin = end + 1;
    }
  }
  out.flush();
}

}  // namespace relalgimport
