// The functions the page calls in the WebAssembly module: a whole run, and the explanation of
// the same input, on bytes in memory.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "check/checkrun.h"
#include "driver/run.h"
#include "explain/explain.h"
#include "explain/jsonrender.h"
#include "explain/notation.h"

namespace {

// The most bytes of the steps' texts a document for the page holds: past this, decoding and
// parsing it would keep the page busy for seconds and its memory would run short.
constexpr size_t pagemosttexts = size_t{32} << 20;
// The most bytes of a whole document for the page, for the same reasons.
constexpr size_t pagemostbytes = size_t{64} << 20;

// The bytes of the last answer, kept until the next call so the page can copy them out.
std::string answer;
// The last explanation, kept for its notation.
relalg::explanation explained;
// Whether the last run stopped, as relalg does, because its result does not fit in memory.
bool toolarge = false;

void refuse(const std::string& reason) {
  answer = "{\"refused\":";
  relalg::appendjsonstring(answer, reason);
  answer += "}\n";
}

}  // namespace

extern "C" {

// Runs a whole input file of the given bytes; returns the size of the output file it gives.
EMSCRIPTEN_KEEPALIVE size_t run(const char* input, size_t size) {
  answer.clear();
  try {
    toolarge = false;
    answer = relalg::run(std::string_view(input, size));
  } catch (const std::bad_alloc&) {
    toolarge = true;
  } catch (const std::length_error&) {
    toolarge = true;
  }
  return answer.size();
}

// Whether the last run made no output because its result does not fit in memory: relalg says
// so and writes no output file.
EMSCRIPTEN_KEEPALIVE int runtoolarge() { return toolarge ? 1 : 0; }

// Explains an input file of the given bytes, keeping the first `shown` rows of each step;
// returns the size of the answer: the explanation as relalg-explain --json writes it, or
// {"refused": reason} when that document is too large for the page.
EMSCRIPTEN_KEEPALIVE size_t explain(const char* input, size_t size, int32_t shown) {
  answer.clear();
  explained = relalg::explain(std::string(input, size), shown);
  const std::string refused = relalg::jsonrefusal(explained, pagemosttexts);
  if (!refused.empty()) {
    refuse(refused);
    return answer.size();
  }
  answer = relalg::renderjson(explained);
  if (answer.size() > pagemostbytes) {
    refuse("the JSON would take " + std::to_string(answer.size()) + " bytes, more than the " +
           std::to_string(pagemostbytes) + " a page holds");
  }
  return answer.size();
}

// Checks the query of an input against an answer file (its query and its tables), both of the
// given bytes; returns the size of the answer: the report as relalg-check --json writes it, for
// the one input, named "input" against "answer". Without a solver, counterexamples are only
// narrowed until no row can be dropped.
EMSCRIPTEN_KEEPALIVE size_t check(const char* answerbytes, size_t answersize,
                                  const char* inputbytes, size_t inputsize) {
  const relalg::givenfile reference{"answer", std::string(answerbytes, answersize), {}};
  const relalg::givenfile checked{"input", std::string(inputbytes, inputsize), {}};
  std::string refused;
  const auto entries = relalg::checkall(reference, {}, {checked}, {}, refused);
  if (!entries) {
    refuse(refused);
    return answer.size();
  }
  answer = relalg::checkjson("answer", *entries);
  return answer.size();
}

// The query of the last input explained, in textbook notation; returns the size of the answer.
EMSCRIPTEN_KEEPALIVE size_t notation() {
  answer = relalg::textbook(explained);
  return answer.size();
}

// The first byte of the last answer, valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* answerbytes() { return answer.data(); }
}
