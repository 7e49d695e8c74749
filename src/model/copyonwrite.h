// A list of values shared between copies until one of them changes it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace relalg {

// A copy starts out sharing its source's values; the first change to either side gives that
// side its own copy. Copying a column of a million rows therefore costs nothing until a row of
// one of them changes, and a copy never sees the changes of its source.
template <typename T>
class copyonwrite {
 public:
  // How many rows ahead a value is fetched when rows are gathered out of order.
  static constexpr size_t lookahead = 16;

  copyonwrite() : data(std::make_shared<std::vector<T>>()) {}

  const std::vector<T>& get() const { return *data; }

  std::vector<T>& edit() {
    if (data.use_count() > 1) data = std::make_shared<std::vector<T>>(*data);
    return *data;
  }

  // Holds the values of the given rows, in the given order: one pass, and no copy of the rest.
  void gather(const std::vector<int32_t>& rows) {
    const std::vector<T>& old = *data;
    std::vector<T> kept;
    kept.reserve(rows.size());
    // Copied, not moved: a row may be kept more than once (a product repeats its operands'
    // rows); rows kept out of order are fetched ahead, so their waits overlap.
    for (size_t i = 0; i < rows.size(); ++i) {
      if (i + lookahead < rows.size())
        __builtin_prefetch(&old[static_cast<size_t>(rows[i + lookahead])]);
      kept.push_back(old[static_cast<size_t>(rows[i])]);
    }
    data = std::make_shared<std::vector<T>>(std::move(kept));
  }

  // Holds, for each pick, the value of a row of first (the row pick) or of second (the row
  // -1 - pick), in pick order: the rows of two lists merged.
  void pick(const std::vector<T>& first, const std::vector<T>& second,
            const std::vector<int32_t>& picks) {
    const auto at = [&](int32_t p) -> const T& {
      return p >= 0 ? first[static_cast<size_t>(p)] : second[static_cast<size_t>(-1 - p)];
    };
    std::vector<T> picked;
    picked.reserve(picks.size());
    for (size_t i = 0; i < picks.size(); ++i) {
      if (i + lookahead < picks.size()) __builtin_prefetch(&at(picks[i + lookahead]));
      picked.push_back(at(picks[i]));
    }
    data = std::make_shared<std::vector<T>>(std::move(picked));
  }

 private:
  std::shared_ptr<std::vector<T>> data;
};

}  // namespace relalg
