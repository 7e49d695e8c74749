// Line numbers by binary search over where lines start.
#include "explain/linenumbers.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace relalg {

linenumbers::linenumbers(std::vector<size_t> linestarts) : starts(std::move(linestarts)) {}

linenumbers linenumbers::of(std::string_view text) {
  std::vector<size_t> starts;
  for (size_t at = 0; at < text.size();) {
    const void* feed = std::memchr(text.data() + at, '\n', text.size() - at);
    if (!feed) break;
    at = static_cast<size_t>(static_cast<const char*>(feed) - text.data()) + 1;
    starts.push_back(at);
  }
  return linenumbers(std::move(starts));
}

int64_t linenumbers::at(size_t offset) const {
  // Of lines that start at the same offset, the last holds the character there.
  return 1 + (std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin());
}

}  // namespace relalg
