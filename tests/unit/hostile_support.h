// Helpers of the hostile-input tests: building large texts, the result table, elapsed time.
#pragma once

#include <chrono>
#include <string>

namespace relalg::hostile {

// A sanitizer build does the linear work of every large test well within this.
constexpr double timebound = 5.0;

inline std::string repeated(const std::string& text, size_t times) {
  std::string all;
  all.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) all += text;
  return all;
}

// The last table of an output, the result: the text after the last empty line but one. The
// tests' tables hold no empty line of their own.
inline std::string resulttable(const std::string& output) {
  return output.substr(output.rfind("\n\n", output.size() - 3) + 2);
}

using clock = std::chrono::steady_clock;

inline double secondssince(clock::time_point start) {
  return std::chrono::duration<double>(clock::now() - start).count();
}

}  // namespace relalg::hostile
