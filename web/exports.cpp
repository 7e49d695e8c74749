// The functions the page calls in the WebAssembly module: a whole run on bytes in memory.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "driver/run.h"

namespace {

// The bytes of the last answer, kept until the next call so the page can copy them out.
std::string answer;

}  // namespace

extern "C" {

// Runs a whole input file of the given bytes; returns the size of the output file it gives.
EMSCRIPTEN_KEEPALIVE size_t run(const char* input, size_t size) {
  answer = relalg::run(std::string_view(input, size));
  return answer.size();
}

// The first byte of the last answer, valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* answerbytes() { return answer.data(); }
}
